#pragma once

// A folder in which writing a file fails for real: a full file system (a
// small tmpfs, which only root may mount), a file that may not be written,
// or a folder that refuses new files while its file may still be written.
// As root, permissions do not stop anything, so the immutable attribute
// plays the read-only part there; other users get chmod.

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Makes a file or folder one that may not be written (on) or undoes it:
// the immutable attribute as root, the permissions otherwise. False, with
// errno set, when that cannot be done.
inline bool Write_Protect(const QString &path, bool on)
{
    if (::geteuid() != 0) {
        const bool dir = QFileInfo(path).isDir();
        QFile::Permissions p = QFile::ReadOwner | (dir ? QFile::ExeOwner : QFile::Permissions());
        if (!on)
            p |= QFile::WriteOwner;
        return QFile::setPermissions(path, p);
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    const int code = errno;
    ::close(fd);
    errno = code;
    return ok;
}

enum class Fault {
    Full_Disk,           // the earlier file fits, nothing more does
    Read_Only_File,      // the file may not be written; its folder may
    Folder_Refuses_New,  // no new file in the folder; the file may be written
    Folder_Refuses_Full, // both: the folder refuses new files and the disk is full
};

inline const char *Fault_Name(Fault f)
{
    switch (f) {
    case Fault::Full_Disk: return "full disk";
    case Fault::Read_Only_File: return "read-only file";
    case Fault::Folder_Refuses_New: return "folder refuses new files";
    case Fault::Folder_Refuses_Full: return "folder refuses new files, disk full";
    }
    return "";
}

class Fault_Folder {
public:
    explicit Fault_Folder(Fault fault) : fault_(fault)
    {
        folder_ = root_.filePath(QStringLiteral("work"));
        QDir().mkpath(folder_);
        if (Needs_Mount()) {
            if (::geteuid() != 0) {
                Skip_Reason = QStringLiteral("mounting a small tmpfs needs root");
                return;
            }
            QProcess mount;
            mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                  QStringLiteral("size=64k"), QStringLiteral("tmpfs"), folder_});
            if (!mount.waitForFinished(20000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0) {
                Skip_Reason = QStringLiteral("a tmpfs could not be mounted here: ")
                              + QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
                return;
            }
            mounted_ = true;
        }
    }
    ~Fault_Folder()
    {
        Disarm();
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {folder_});
    }
    Fault_Folder(const Fault_Folder &) = delete;
    Fault_Folder &operator=(const Fault_Folder &) = delete;

    QString Skip_Reason; // not empty: this fault cannot be made here

    QString Path(const QString &name) const { return folder_ + u'/' + name; }
    QString Folder() const { return folder_; }

    // Places the earlier file before the fault is armed.
    bool Place(const QString &name, const QByteArray &bytes) { return Write_File(Path(name), bytes); }

    // Makes writing fail: fills the disk, write-protects the file or the
    // folder. False when it could not; Skip_Reason then tells whether this
    // system simply cannot make the fault.
    bool Arm(const QString &name)
    {
        if (Needs_Mount()) {
            QFile filler(Path(QStringLiteral("filler")));
            if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return false;
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size()) {
            }
            filler.close();
        }
        if (fault_ == Fault::Read_Only_File)
            return Protect(Path(name), true);
        if (fault_ == Fault::Folder_Refuses_New || fault_ == Fault::Folder_Refuses_Full)
            return Protect(folder_, true);
        return true;
    }

    void Disarm()
    {
        for (const QString &name : protected_)
            Protect(name, false);
        protected_.clear();
    }

    // What the system says when this fault stops a write.
    QString Reason() const
    {
        switch (fault_) {
        case Fault::Full_Disk:
        case Fault::Folder_Refuses_Full:
            return QString::fromLocal8Bit(std::strerror(ENOSPC));
        case Fault::Read_Only_File:
            return QString::fromLocal8Bit(std::strerror(::geteuid() == 0 ? EPERM : EACCES));
        case Fault::Folder_Refuses_New:
            return QString();
        }
        return QString();
    }
    // A write still succeeds: the file may be written where it is.
    bool Write_Succeeds() const { return fault_ == Fault::Folder_Refuses_New; }

    QByteArray Read(const QString &name) const
    {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    // Files other than the earlier file and the filler: left-over staging files.
    QStringList Strays(const QString &name) const
    {
        QStringList all = QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        all.removeAll(name);
        all.removeAll(QStringLiteral("filler"));
        return all;
    }

private:
    bool Needs_Mount() const { return fault_ == Fault::Full_Disk || fault_ == Fault::Folder_Refuses_Full; }

    bool Protect(const QString &path, bool on)
    {
        const bool ok = Write_Protect(path, on);
        if (!ok && on && (errno == ENOTTY || errno == EOPNOTSUPP || errno == EINVAL))
            Skip_Reason = QStringLiteral("this file system has no immutable attribute (a tmpfs before Linux 6.0)");
        if (ok && on)
            protected_ << path;
        return ok;
    }

    Fault fault_;
    QTemporaryDir root_;
    QString folder_;
    bool mounted_ = false;
    QStringList protected_;
};
