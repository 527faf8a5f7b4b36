#include "release_file.h"

#include <QFile>
#include <QStringList>

namespace {

// The values of a text file one after another, as the program's data
// files are read: a value ends at a comma or a line end.
QStringList Values(const QByteArray &bytes, int most)
{
    QStringList values;
    const QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString text = QString::fromLatin1(line);
        qsizetype pos = 0;
        do {
            while (pos < text.size() && text[pos] == u' ')
                ++pos;
            QString value;
            if (pos < text.size() && text[pos] == u'"') {
                const qsizetype close = text.indexOf(u'"', pos + 1);
                value = text.mid(pos + 1, (close < 0 ? text.size() : close) - pos - 1);
                const qsizetype comma = text.indexOf(u',', close < 0 ? text.size() : close);
                pos = comma < 0 ? text.size() + 1 : comma + 1;
            } else {
                const qsizetype comma = text.indexOf(u',', pos);
                value = text.mid(pos, (comma < 0 ? text.size() : comma) - pos).trimmed();
                pos = comma < 0 ? text.size() + 1 : comma + 1;
            }
            values << value;
            if (values.size() >= most)
                return values;
        } while (pos <= text.size());
    }
    return values;
}

} // namespace

QString Newest_Release(const QString &version_file)
{
    QFile file(version_file);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("File Error");
    QString found;
    for (const QString &value : Values(file.read(1024 * 1024), 500)) {
        if (value.startsWith(QStringLiteral("v. ")))
            found = value.mid(3, 11);
    }
    return found.isEmpty() ? QStringLiteral("File Error") : found;
}
