#pragma once

// What the test programs share: the program folder beside them, files
// written and read whole, a fingerprint of a folder, and a temporary copy of
// the program folder.

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// The build's program folder: the test beside the shipped data files.
inline QString Program_Folder()
{
    return QCoreApplication::applicationDirPath();
}

// Writes the bytes as the whole file, its folder made when missing (the
// file made executable when asked); false when it cannot be written whole.
inline bool Write_File(const QString &path, const QByteArray &bytes = {}, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    return !executable || f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

// The whole file; empty when it cannot be read.
inline QByteArray Read_File(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The SHA-256 of every file below the folder, by its path inside it: two
// equal maps are two folders with the same files and contents.
inline QMap<QString, QByteArray> Folder_Hashes(const QString &folder)
{
    QMap<QString, QByteArray> hashes;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        hashes.insert(root.relativeFilePath(path), QCryptographicHash::hash(Read_File(path), QCryptographicHash::Sha256).toHex());
    }
    return hashes;
}

// Sets an environment variable while it lives; the earlier value, or none,
// comes back after.
class Scoped_Env {
public:
    Scoped_Env(const char *name, const QString &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~Scoped_Env()
    {
        if (had_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    Scoped_Env(const Scoped_Env &) = delete;
    Scoped_Env &operator=(const Scoped_Env &) = delete;

private:
    const char *name_;
    bool had_;
    QByteArray saved_;
};

// A program folder of its own in a temporary folder: a copy of the shipped
// tables, meter lists, help page, sample job and sound beside the test.
// Path() is empty when the copy failed or found nothing to copy.
class Program_Copy {
public:
    explicit Program_Copy(const QStringList &patterns = {QStringLiteral("*.dat"), QStringLiteral("*.mtr"),
                                                         QStringLiteral("*.qvl"), QStringLiteral("*.htm"),
                                                         QStringLiteral("*.wav")})
    {
        const QString folder = dir_.filePath(QStringLiteral("program"));
        const QStringList names = QDir(Program_Folder()).entryList(patterns, QDir::Files);
        bool ok = dir_.isValid() && QDir().mkpath(folder) && !names.isEmpty();
        for (const QString &name : names)
            ok = ok && QFile::copy(Program_Folder() + u'/' + name, folder + u'/' + name);
        if (ok)
            path_ = folder;
    }
    QString Path() const { return path_; }
    QString File(const QString &name) const { return path_ + u'/' + name; }

private:
    QTemporaryDir dir_;
    QString path_;
};
