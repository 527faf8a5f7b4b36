#pragma once

// Shared by the fuzz harnesses: the readers that take a path get the
// fuzzer's bytes through a file in a private temporary folder, written
// anew for every input.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace fuzz {

inline const QString &Scratch_Folder()
{
    static QTemporaryDir dir;
    static const QString path = dir.isValid() ? dir.path() : QString();
    if (path.isEmpty())
        std::abort();
    return path;
}

// Writes the bytes to a file of the scratch folder and returns its path.
inline QString Put_File(const QString &name, const QByteArray &bytes)
{
    const QString path = Scratch_Folder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();
    return path;
}

inline QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// An input of several files: the parts between lines that read "#####"
// (LF or CR LF). Missing parts are empty.
inline QList<QByteArray> Split_Parts(const QByteArray &bytes, int count)
{
    QList<QByteArray> parts;
    qsizetype from = 0;
    while (parts.size() < count - 1) {
        const qsizetype at = bytes.indexOf("\n#####", from);
        if (at < 0)
            break;
        parts << bytes.mid(from, at + 1 - from);
        qsizetype next = at + 6;
        if (next < bytes.size() && bytes[next] == '\r')
            ++next;
        if (next < bytes.size() && bytes[next] == '\n')
            ++next;
        from = next;
    }
    parts << bytes.mid(from);
    while (parts.size() < count)
        parts << QByteArray();
    return parts;
}

} // namespace fuzz
