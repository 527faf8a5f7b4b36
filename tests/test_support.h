#pragma once

// What the test programs share: the program folder beside them, files
// written and read whole, a fingerprint of a folder, and a temporary copy of
// the program folder.

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// The build's program folder: the test beside the shipped data files.
inline QString Program_Folder()
{
    return QCoreApplication::applicationDirPath();
}

// Writes the bytes as the whole file (made executable when asked); false
// when it cannot be written whole.
inline bool Write_File(const QString &path, const QByteArray &bytes, bool executable = false)
{
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

// A program folder of its own in a temporary folder: a copy of the shipped
// tables, meter lists, help page, sample job and sound beside the test.
// Path() is empty when the copy failed.
class Program_Copy {
public:
    explicit Program_Copy(const QStringList &patterns = {QStringLiteral("*.dat"), QStringLiteral("*.mtr"),
                                                         QStringLiteral("*.qvl"), QStringLiteral("*.htm"),
                                                         QStringLiteral("*.wav")})
    {
        const QString folder = dir_.filePath(QStringLiteral("program"));
        bool ok = dir_.isValid() && QDir().mkpath(folder);
        for (const QString &name : QDir(Program_Folder()).entryList(patterns, QDir::Files))
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
