#include "update_commands.h"

#include "number_format.h"
#include "sizing_job.h"
#include "tables.h"
#include "update_check.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

QString Date_Text(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : QStringLiteral("None");
}

} // namespace

int Run_Check_Update(const QStringList &args, const QString &program_folder, const QString &default_source,
                     FILE *out, FILE *err)
{
    QString source = default_source;
    int timeout_s = 30;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--check-update")
            continue;
        if ((arg == u"--source" || arg == u"--timeout") && i + 1 < args.size()) {
            if (arg == u"--source") {
                source = args[++i];
            } else {
                bool ok = false;
                timeout_s = args[++i].toInt(&ok);
                if (!ok || timeout_s <= 0) {
                    Print(err, QStringLiteral("--timeout needs a number of seconds\n"));
                    return 2;
                }
            }
            continue;
        }
        Print(err, QStringLiteral("Unknown argument: %1\n").arg(arg));
        return 2;
    }
    QTemporaryDir scratch;
    const Update_Manifest m = Fetch_Manifest(source, scratch.filePath(QStringLiteral("Update.txt")), timeout_s * 1000);
    if (m.Server_Version.isEmpty()) {
        Print(err, QStringLiteral("The update source %1 or its manifest could not be read.\n").arg(source));
        return 1;
    }
    bool newer = false;
    auto line = [&](const QString &name, const QString &here, const QString &there, bool is_newer) {
        newer = newer || is_newer;
        Print(out, QStringLiteral("%1\t%2\t%3%4\n").arg(name, here, there.isEmpty() ? QStringLiteral("None") : there,
                                                         is_newer ? QStringLiteral("\tnewer") : QString()));
    };
    const QDir dir(program_folder);
    line(QStringLiteral("Quorvel"), Program_Version, m.Server_Version,
         Update_Version_Number(Program_Version) < Update_Version_Number(m.Server_Version));
    const QDate local[3] = {Load_Fixture_Table(dir.filePath(QStringLiteral("Table-1.dat")), false).Date,
                            Load_Fixture_Table(dir.filePath(QStringLiteral("Table-2.dat")), true).Date,
                            Load_Flow_Conversion_Table(dir.filePath(QStringLiteral("Table-3.dat"))).Date};
    for (int t = 0; t < 3; ++t) {
        const QDate server = Parse_Date_Text(m.Table_Date[t]);
        line(QStringLiteral("Table-%1").arg(t + 1), Date_Text(local[t]), m.Table_Date[t],
             server.isValid() && (!local[t].isValid() || server > local[t]));
    }
    for (const Update_List_Row &row : Build_Update_List(Local_Meter_Lists(program_folder), m.Lists))
        line(row.Name, row.Local_Date, row.Server_Date, row.Server_Date != u"None" && row.Server_Date > row.Local_Date);
    return newer ? 100 : 0;
}
