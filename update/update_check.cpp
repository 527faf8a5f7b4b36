#include "update_check.h"

#include "data_file.h"
#include "leading_number.h"
#include "number_format.h"
#include "text_codec.h"
#include "meter_list_edit.h"
#include "tables.h"
#include "update_fetch.h"

#include <QDir>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Most_Reads = 50;
constexpr qint64 Most_Bytes = 64 * 1024 * 1024; // nothing the source sends is larger
constexpr qint64 Most_Manifest_Bytes = 1024 * 1024;

} // namespace

Update_Manifest Parse_Manifest(const QByteArray &raw)
{
    Update_Manifest m;
    // UTF-16 and UTF-8 are turned into UTF-8 bytes; the item rule reads them
    // as Windows-1252, which gives every byte back unchanged, and each item
    // is then read as UTF-8 again.
    QByteArray bytes = raw.left(Most_Bytes);
    bool utf8 = false;
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        QStringDecoder decode(bytes.startsWith("\xff\xfe") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        bytes = QString(decode(QByteArrayView(bytes).sliced(2))).toUtf8();
        utf8 = true;
    } else {
        if (bytes.startsWith("\xef\xbb\xbf"))
            bytes.remove(0, 3);
        QStringDecoder decode(QStringConverter::Utf8);
        static_cast<void>(QString(decode(bytes)));
        utf8 = !decode.hasError();
    }
    QStringList items;
    Data_File_Reader reader(bytes);
    QString value;
    while (items.size() < 4 * Most_Reads && reader.Next_Value(value))
        items << (utf8 ? QString::fromUtf8(Encode_1252(value)) : value);
    int reads = 0;
    for (int i = 0; i < items.size() && reads < Most_Reads; ++i, ++reads) {
        const QString &item = items[i];
        if (item.startsWith(u'\''))
            continue;
        if (item.left(17).compare(QStringLiteral("Server Version = "), Qt::CaseInsensitive) == 0) {
            m.Server_Version = item.mid(17);
        } else if (item.compare(QStringLiteral("METERLIST"), Qt::CaseInsensitive) == 0) {
            const QString name = items.value(i + 1);
            const QString date = items.value(i + 2);
            i += 2;
            m.Lists.append({name, date});
        } else {
            for (int t = 0; t < 3; ++t) {
                const QString key = QStringLiteral("Table-%1 = ").arg(t + 1);
                if (item.left(10).compare(key, Qt::CaseInsensitive) == 0)
                    m.Table_Date[t] = item.mid(10);
            }
        }
    }
    return m;
}

double Update_Version_Number(const QString &version)
{
    return Leading_Number(version.left(1) + version.mid(2, 2) + version.right(4));
}

QList<Update_List_Row> Local_Meter_Lists(const QString &folder)
{
    QList<Update_List_Row> rows;
    for (const Meter_List_File &file : Scan_Meter_List_Files(folder))
        if (!Is_User_Meter_List(folder + u'/' + file.Name)) // a user's own list is not the update's
            rows.append({file.Name, file.Date_Text, QString(), false, QString()});
    return rows;
}

QList<Update_List_Row> Build_Update_List(QList<Update_List_Row> rows, const QList<Server_List_Entry> &server)
{
    for (Update_List_Row &row : rows) {
        for (const Server_List_Entry &entry : server) {
            if (entry.Name.compare(row.Name, Qt::CaseInsensitive) == 0) {
                row.Server_Date = entry.Date; // the last match wins
                row.Server_Name = entry.Name;
            }
        }
        if (row.Server_Date.isEmpty())
            row.Server_Date = QStringLiteral("None");
    }
    for (const Server_List_Entry &entry : server) {
        if (entry.Name.isEmpty() || rows.size() >= 50)
            continue;
        const bool known = std::any_of(rows.begin(), rows.end(), [&entry](const Update_List_Row &row) {
            return row.Name.compare(entry.Name, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            rows.append({entry.Name, QStringLiteral("None"), entry.Date, false, entry.Name});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Update_List_Row &a, const Update_List_Row &b) {
        return a.Name.toUpper() < b.Name.toUpper();
    });
    return rows;
}

bool Server_List_Newer(const Update_List_Row &row)
{
    if (row.Server_Date == u"None" || row.Local_Date == u"None")
        return false;
    const QDate here = Parse_Date_Text(row.Local_Date);
    const QDate there = Parse_Date_Text(row.Server_Date);
    return here.isValid() && there.isValid() && there > here;
}

QString Update_Row_Text(const Update_List_Row &row)
{
    const bool newer = Server_List_Newer(row);
    QString text = (newer ? QStringLiteral(" << ") : QStringLiteral("    ")) + row.Name;
    text = text.leftJustified(30, u' ') + row.Local_Date;
    text = text.leftJustified(45, u' ') + row.Server_Date;
    return text;
}

Update_Manifest Fetch_Manifest(const QString &server_name, const QString &local_copy, int timeout_ms, QString *error,
                               const std::function<bool()> &cancelled)
{
    QFile::remove(local_copy); // a copy left over from an earlier check
    // The manifest passes through the program folder, as a copy that is never kept.
    Fetch_Options options;
    options.Inactivity_Ms = timeout_ms;
    options.Max_Bytes = Most_Manifest_Bytes;
    options.Cancelled = cancelled;
    const Fetch_Outcome got = Fetch_To_File(server_name, QStringLiteral("Update.txt"), local_copy, options);
    Update_Manifest manifest;
    if (got.Ok) {
        // Read back never through a link that took the copy's place.
        const int fd = ::open(QFile::encodeName(local_copy).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        QFile copy;
        if (fd >= 0 && copy.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            const QByteArray bytes = copy.readAll();
            manifest = Parse_Manifest(bytes);
            manifest.Sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    if (error) {
        *error = got.Ok ? QString() : got.Error;
        if (got.Ok && manifest.Server_Version.isEmpty())
            *error = QStringLiteral("the manifest has no \"Server Version = \" item");
    }
    QFile::remove(local_copy);
    return manifest;
}
