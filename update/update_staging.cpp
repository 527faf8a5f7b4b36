#include "update_staging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::function<void(int step)> Swap_Step_Hook;

namespace {

const QString Journal_Name = QStringLiteral("journal");
const QByteArray Journal_Head = "Quorvel update journal 1";

QString Os_Error()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray Path(const QString &path)
{
    return QFile::encodeName(path);
}

bool Lstat(const QString &path, struct stat &st)
{
    return ::lstat(Path(path).constData(), &st) == 0;
}

bool Exists(const QString &path)
{
    struct stat st;
    return Lstat(path, st);
}

// This user's own staging folder: a real folder, owned by this user,
// that no one else may write into.
bool Is_Own_Private_Folder(const QString &path)
{
    struct stat st;
    return Lstat(path, st) && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

QList<Swap_Entry> Read_Journal(const QString &staging, bool &found, QString &error)
{
    QList<Swap_Entry> entries;
    const QString path = staging + u'/' + Journal_Name;
    found = Exists(path);
    if (!found)
        return entries;
    const int fd = ::open(Path(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        error = QStringLiteral("its journal %1 could not be read (%2)").arg(path, Os_Error());
        if (fd >= 0)
            ::close(fd);
        return entries;
    }
    const QList<QByteArray> lines = file.read(1024 * 1024).split('\n');
    if (lines.value(0) != Journal_Head) {
        error = QStringLiteral("its journal %1 is not one this program writes").arg(path);
        return entries;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QStringList f = QString::fromUtf8(lines[i]).split(u'\t');
        if (f.size() != 5) {
            error = QStringLiteral("its journal %1 is damaged at line %2").arg(path).arg(i + 1);
            return {};
        }
        entries.append({f[0], f[1], f[2], f[3], f[4] == u"1"});
    }
    return entries;
}

// A name in a folder never leaves it.
bool Plain_Name(const QString &name)
{
    return name.isEmpty() || (!name.contains(u'/') && name != u"." && name != u"..");
}

bool Same_File(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (!Lstat(a, sa) || !Lstat(b, sb) || !S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode))
        return false;
    if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino)
        return true;
    if (sa.st_size != sb.st_size)
        return false;
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        if (fa.read(64 * 1024) != fb.read(64 * 1024))
            return false;
    }
    return true;
}

} // namespace

Update_Folder_Lock::Update_Folder_Lock(const QString &app_path)
{
    fd_ = ::open(Path(app_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = QStringLiteral("The program folder %1 cannot be opened (%2); nothing was changed.").arg(app_path, Os_Error());
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        busy_ = errno == EWOULDBLOCK;
        error_ = busy_ ? Another_Update_Message
                       : QStringLiteral("The program folder %1 cannot be locked (%2); nothing was changed.").arg(app_path, Os_Error());
        ::close(fd_);
        fd_ = -1;
    }
}

Update_Folder_Lock::~Update_Folder_Lock()
{
    if (fd_ >= 0)
        ::close(fd_); // the lock goes with the descriptor
}

QString Make_Staging_Folder(const QString &app_path, QString &error)
{
    QByteArray name = Path(app_path + u'/' + Staging_Prefix + QStringLiteral(".XXXXXX"));
    if (!::mkdtemp(name.data())) { // mode 0700, a new folder or none
        error = Os_Error();
        return {};
    }
    const QString path = QFile::decodeName(name);
    if (!Is_Own_Private_Folder(path)) {
        error = QStringLiteral("the new staging folder is not private");
        return {};
    }
    return path;
}

bool Sync_Folder(const QString &path)
{
    const int fd = ::open(Path(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void Remove_Staging_Folder(const QString &path)
{
    struct stat st;
    if (!Lstat(path, st))
        return;
    if (S_ISDIR(st.st_mode))
        QDir(path).removeRecursively();
    else
        ::unlink(Path(path).constData());
}

bool Write_Swap_Journal(const QString &staging, const QList<Swap_Entry> &entries, QString &error)
{
    QByteArray text = Journal_Head + '\n';
    for (const Swap_Entry &e : entries)
        text += QStringList{e.Final_Name, e.Staged, e.Backup_Name, e.Keep, e.Had_Current ? QStringLiteral("1") : QStringLiteral("0")}
                    .join(u'\t')
                    .toUtf8()
                + '\n';
    const QString part = staging + QStringLiteral("/journal.part");
    const int fd = ::open(Path(part).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool ok = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size() && ::fsync(fd) == 0;
    if (!ok)
        error = QStringLiteral("its plan could not be written (%1)").arg(Os_Error());
    if (fd >= 0)
        ::close(fd);
    if (ok && ::rename(Path(part).constData(), Path(staging + u'/' + Journal_Name).constData()) != 0) {
        error = QStringLiteral("its plan could not be written (%1)").arg(Os_Error());
        ok = false;
    }
    return ok && Sync_Folder(staging);
}

bool Drop_Swap_Journal(const QString &staging, QString &error)
{
    if (::unlink(Path(staging + u'/' + Journal_Name).constData()) != 0 || !Sync_Folder(staging)) {
        error = Os_Error();
        return false;
    }
    return true;
}

QStringList Roll_Back_Swap(const QString &app_path, const QString &staging, const QList<Swap_Entry> &entries)
{
    QStringList problems;
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        const Swap_Entry &e = entries[i];
        if (!Plain_Name(e.Final_Name) || e.Final_Name.isEmpty() || !Plain_Name(e.Staged) || !Plain_Name(e.Backup_Name)
            || !Plain_Name(e.Keep)) {
            problems << QStringLiteral("a plan entry names a file outside the folder (%1); it was left alone").arg(e.Final_Name);
            continue;
        }
        const QString final_path = app_path + u'/' + e.Final_Name;
        const QString held = !e.Backup_Name.isEmpty() ? app_path + u'/' + e.Backup_Name
                             : !e.Keep.isEmpty()      ? staging + u'/' + e.Keep
                                                      : QString();
        const bool swapped = !Exists(staging + u'/' + e.Staged);
        if (swapped) {
            if (!e.Had_Current) {
                if (::unlink(Path(final_path).constData()) != 0 && errno != ENOENT)
                    problems << QStringLiteral("%1 is the new version and could not be removed (%2)").arg(e.Final_Name, Os_Error());
            } else if (held.isEmpty() || !Exists(held)) {
                problems << QStringLiteral("%1 is the new version: its earlier version %2 is missing")
                                .arg(e.Final_Name, held.isEmpty() ? QStringLiteral("(none kept)") : QFileInfo(held).fileName());
            } else if (::rename(Path(held).constData(), Path(final_path).constData()) != 0) {
                problems << QStringLiteral("%1 is the new version: its earlier version %2 could not be put back (%3)")
                                .arg(e.Final_Name, QFileInfo(held).fileName(), Os_Error());
            }
        } else if (e.Had_Current && !e.Backup_Name.isEmpty() && Exists(held)) {
            // The backup made of a file that was not replaced is a second
            // name of that very file: it goes.
            if (Same_File(held, final_path)) {
                if (::unlink(Path(held).constData()) != 0)
                    problems << QStringLiteral("%1 is the earlier version; its extra backup %2 could not be removed (%3)")
                                    .arg(e.Final_Name, e.Backup_Name, Os_Error());
            }
        }
    }
    if (!Sync_Folder(app_path))
        problems << QStringLiteral("the program folder could not be written to disk (%1)").arg(Os_Error());
    return problems;
}

Recovery_Result Recover_Interrupted_Updates(const QString &app_path)
{
    Recovery_Result result;
    const QStringList names = QDir(app_path).entryList({Staging_Prefix + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::System
                                                                                  | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = app_path + u'/' + name;
        if (!Is_Own_Private_Folder(path))
            continue; // not made by this user's runs: never touched
        bool found = false;
        QString error;
        const QList<Swap_Entry> entries = Read_Journal(path, found, error);
        if (!error.isEmpty()) {
            result.Problems << QStringLiteral("An interrupted update in %1 could not be rolled back: %2.").arg(name, error);
            continue; // kept for a look by hand
        }
        if (found) {
            const QStringList problems = Roll_Back_Swap(app_path, path, entries);
            ++result.Rolled_Back;
            if (!problems.isEmpty()) {
                result.Problems << QStringLiteral("An interrupted update could not be rolled back completely: %1. Its plan is "
                                                  "kept in %2 until this is put right by hand.")
                                       .arg(problems.join(QStringLiteral("; ")), name);
                continue;
            }
            QString drop_error;
            Drop_Swap_Journal(path, drop_error);
        }
        Remove_Staging_Folder(path);
    }
    return result;
}

Recovery_Result Recover_Update_Folder(const QString &app_path)
{
    const Update_Folder_Lock lock(app_path);
    if (!lock.Held())
        return {};
    return Recover_Interrupted_Updates(app_path);
}
