#include "user_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

User_File_Result Failed(int code)
{
    User_File_Result r;
    r.Error = QString::fromLocal8Bit(std::strerror(code));
    return r;
}

User_File_Result Done(bool in_place = false)
{
    User_File_Result r;
    r.Ok = true;
    r.In_Place = in_place;
    return r;
}

// Writes every byte, at the offset when it is 0 or more; the system's error
// code in *code when that fails.
bool Write_All(int fd, const char *data, qint64 size, qint64 offset, int *code)
{
    while (size > 0) {
        const ssize_t n = offset >= 0 ? ::pwrite(fd, data, size_t(size), off_t(offset)) : ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *code = errno;
            return false;
        }
        if (n == 0) {
            *code = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
        if (offset >= 0)
            offset += n;
    }
    return true;
}

// Flushes the file to the disk: a delayed error of the file system (a full
// disk, a lost share) shows here at the latest. A file that cannot be
// flushed at all (a pipe, a terminal) has nothing to lose.
bool Sync(int fd, int *code)
{
    if (::fsync(fd) == 0 || errno == EINVAL)
        return true;
    *code = errno;
    return false;
}

bool Read_All(int fd, QByteArray &out, int *code)
{
    out.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *code = errno;
            return false;
        }
        if (n == 0)
            return true;
        out.append(buffer, n);
    }
}

void Sync_Folder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // the rename is on the disk; an error here loses nothing already written
        ::close(fd);
    }
}

// A device or a pipe (/dev/stdout): written straight, every error checked.
User_File_Result Write_Stream(const QByteArray &native, const QByteArray &bytes)
{
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return Failed(errno);
    int code = 0;
    if (!Write_All(fd, bytes.constData(), bytes.size(), -1, &code) || !Sync(fd, &code)) {
        ::close(fd);
        return Failed(code);
    }
    if (::close(fd) != 0)
        return Failed(errno);
    return Done();
}

// The folder refuses new files: the file itself is rewritten, the new bytes
// beyond the earlier end first, so that a full disk shows before anything
// of the earlier content is touched.
User_File_Result Write_In_Place(const QByteArray &native, const QByteArray &bytes)
{
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return Failed(errno);
    int code = 0;
    QByteArray earlier;
    if (!Read_All(fd, earlier, &code)) {
        ::close(fd);
        return Failed(code);
    }
    const qint64 old_size = earlier.size();
    const qint64 new_size = bytes.size();
    if (new_size > old_size) {
        if (!Write_All(fd, bytes.constData() + old_size, new_size - old_size, old_size, &code) || !Sync(fd, &code)) {
            // Nothing of the earlier content was touched; cut off what was added.
            (void)::ftruncate(fd, off_t(old_size));
            ::fsync(fd);
            ::close(fd);
            return Failed(code);
        }
    }
    const bool written = Write_All(fd, bytes.constData(), qMin(old_size, new_size), 0, &code)
                         && (new_size >= old_size || ::ftruncate(fd, off_t(new_size)) == 0 || ((code = errno), false))
                         && Sync(fd, &code);
    if (!written) {
        int ignored = 0;
        Write_All(fd, earlier.constData(), old_size, 0, &ignored);
        (void)::ftruncate(fd, off_t(old_size));
        ::fsync(fd);
        ::close(fd);
        return Failed(code);
    }
    if (::close(fd) != 0)
        return Failed(errno);
    return Done(true);
}

} // namespace

User_File_Result Write_User_File(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return Failed(ENOENT);
    QString target = QFileInfo(path).absoluteFilePath();
    const QFileInfo link(target);
    if (link.isSymLink())
        target = link.exists() ? link.canonicalFilePath() : link.symLinkTarget();
    const QByteArray native = QFile::encodeName(target);
    const QFileInfo info(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());

    struct stat st {};
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return Failed(EISDIR);
        if (!S_ISREG(st.st_mode))
            return Write_Stream(native, bytes);
        // A file the user may not write (read-only, immutable, on a read-only
        // file system) is not replaced behind its back.
        if (::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
            return Failed(errno);
    }

    // Stage the new bytes beside the target.
    const QString stage_name = u'.' + info.fileName().left(64) + u'.'
                               + QString::number(QRandomGenerator::global()->generate(), 16) + QStringLiteral(".tmp");
    const QByteArray stage = folder + '/' + QFile::encodeName(stage_name);
    const int fd = ::open(stage.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int code = errno;
        if (exists && (code == EACCES || code == EPERM))
            return Write_In_Place(native, bytes);
        return Failed(code);
    }
    int code = 0;
    bool ok = Write_All(fd, bytes.constData(), bytes.size(), -1, &code);
    if (ok && exists) {
        // The replacement keeps the earlier file's permissions and, where
        // allowed, its owner (a file system without them keeps its own).
        (void)::fchmod(fd, st.st_mode & 07777);
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(fd, st.st_uid, st.st_gid);
    }
    ok = ok && Sync(fd, &code);
    if (::close(fd) != 0 && ok) {
        code = errno;
        ok = false;
    }
    if (ok && ::rename(stage.constData(), native.constData()) != 0) {
        code = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(stage.constData());
        return Failed(code);
    }
    Sync_Folder(folder);
    return Done();
}

bool Write_User_File(const QString &path, const QByteArray &bytes, QString *error)
{
    const User_File_Result r = Write_User_File(path, bytes);
    if (error && !r.Ok)
        *error = r.Error;
    return r.Ok;
}

QString Reason_Text(const QString &error)
{
    QString reason = error.trimmed();
    while (reason.endsWith(u'.'))
        reason.chop(1);
    return reason.isEmpty() ? QStringLiteral("unknown error") : reason;
}
