#include "update_commands.h"

#include "number_format.h"
#include "program_state.h"
#include "sizing_job.h"
#include "tables.h"
#include "update_check.h"
#include "update_run.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace {

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString Date_Text(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : QStringLiteral("None");
}

// One line of the comparison: an item here beside the source's.
struct Compared {
    QString Name;
    QString Here;
    QString There;
    bool Newer = false;
    int Table = 0; // 1..3 for the tables, 0 otherwise
    bool Program = false;
    QString At_Source; // a meter list's name at the source
};

// The program, Table-1..3 and every meter list, compared by the rules of
// the update dialog.
QList<Compared> Compare(const Update_Manifest &m, const QString &program_folder)
{
    QList<Compared> rows;
    rows.append({QStringLiteral("Quorvel"), Program_Version, m.Server_Version,
                 Update_Version_Number(Program_Version) < Update_Version_Number(m.Server_Version), 0, true, QString()});
    const QDir dir(program_folder);
    const QDate local[3] = {Load_Fixture_Table(dir.filePath(QStringLiteral("Table-1.dat")), false).Date,
                            Load_Fixture_Table(dir.filePath(QStringLiteral("Table-2.dat")), true).Date,
                            Load_Flow_Conversion_Table(dir.filePath(QStringLiteral("Table-3.dat"))).Date};
    for (int t = 0; t < 3; ++t) {
        const QDate server = Parse_Date_Text(m.Table_Date[t]);
        rows.append({QStringLiteral("Table-%1").arg(t + 1), Date_Text(local[t]), m.Table_Date[t],
                     server.isValid() && (!local[t].isValid() || server > local[t]), t + 1, false, QString()});
    }
    for (const Update_List_Row &row : Build_Update_List(Local_Meter_Lists(program_folder), m.Lists))
        rows.append({row.Name, row.Local_Date, row.Server_Date, Server_List_Newer(row), 0, false, row.Server_Name});
    return rows;
}

struct Common_Options {
    QString Source;
    int Timeout_S = 30;
    bool Newer = false;
    Update_Choice Choice;
    bool Chose = false;
};

// Reads the options shared by both commands, and for --update the items.
// Empty when fine, else the usage error.
QString Parse_Options(const QStringList &args, bool update, Common_Options &o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == (update ? u"--update" : u"--check-update"))
            continue;
        const bool with_value = arg == u"--source" || arg == u"--timeout" || (update && (arg == u"--table" || arg == u"--meter-list"));
        if (with_value && i + 1 >= args.size())
            return QStringLiteral("%1 needs a value").arg(arg);
        if (arg == u"--source") {
            o.Source = args[++i];
        } else if (arg == u"--timeout") {
            bool ok = false;
            o.Timeout_S = args[++i].toInt(&ok);
            if (!ok || o.Timeout_S <= 0 || o.Timeout_S > 3600)
                return QStringLiteral("--timeout needs a number of seconds (1 to 3600)");
        } else if (update && arg == u"--newer") {
            o.Newer = true;
        } else if (update && arg == u"--program") {
            o.Choice.Program = o.Chose = true;
        } else if (update && arg == u"--table") {
            const QString t = args[++i];
            if (t != u"1" && t != u"2" && t != u"3")
                return QStringLiteral("--table takes 1, 2 or 3");
            o.Choice.Table[t.toInt() - 1] = o.Chose = true;
        } else if (update && arg == u"--meter-list") {
            o.Choice.Meter_Lists << args[++i];
            o.Chose = true;
        } else {
            return QStringLiteral("Unknown argument: %1").arg(arg);
        }
    }
    if (update && o.Newer == o.Chose)
        return QStringLiteral("--update takes either --newer or the items to update (--program, --table N, --meter-list NAME)");
    return {};
}

// The source's manifest; when it cannot be read, says why on err (with
// the line after) and gives an empty one.
Update_Manifest Read_Manifest(const Common_Options &o, FILE *err, const QString &after)
{
    QTemporaryDir scratch;
    QString error;
    const Update_Manifest m = Fetch_Manifest(o.Source, scratch.filePath(QStringLiteral("Update.txt")), o.Timeout_S * 1000, &error);
    if (m.Server_Version.isEmpty()) {
        if (error.endsWith(u'.'))
            error.chop(1);
        Print(err, QStringLiteral("The update source %1 or its manifest could not be read%2.\n%3")
                       .arg(o.Source, error.isEmpty() ? QString() : QStringLiteral(": ") + error, after));
    }
    return m;
}

} // namespace

QString Update_Options_Error(const QStringList &args, bool update)
{
    Common_Options o;
    return Parse_Options(args, update, o);
}

int Run_Check_Update(const QStringList &args, const QString &program_folder, const QString &default_source,
                     FILE *out, FILE *err)
{
    Common_Options o;
    o.Source = default_source;
    if (const QString usage = Parse_Options(args, false, o); !usage.isEmpty()) {
        Print(err, usage + u'\n');
        return 2;
    }
    if (Package_Managed(program_folder)) { // its package manager updates it, whoever runs this
        Print(out, Package_Managed_Update_Text(program_folder) + u'\n');
        return 0;
    }
    const Update_Manifest m = Read_Manifest(o, err, QString());
    if (m.Server_Version.isEmpty())
        return 1;
    bool newer = false;
    for (const Compared &row : Compare(m, program_folder)) {
        newer = newer || row.Newer;
        Print(out, QStringLiteral("%1\t%2\t%3%4\n").arg(row.Name, row.Here, row.There.isEmpty() ? QStringLiteral("None") : row.There,
                                                         row.Newer ? QStringLiteral("\tnewer") : QString()));
    }
    return newer ? 100 : 0;
}

int Run_Update_Command(const QStringList &args, const QString &program_folder, const QString &default_source,
                       FILE *out, FILE *err)
{
    Common_Options o;
    o.Source = default_source;
    if (const QString usage = Parse_Options(args, true, o); !usage.isEmpty()) {
        Print(err, usage + u'\n');
        return 2;
    }
    if (Package_Managed(program_folder)) {
        Print(err, Package_Managed_Update_Text(program_folder) + u'\n');
        return 1;
    }
    // The manifest first, as the update dialog reads it before its Update button.
    const Update_Manifest m = Read_Manifest(o, err, QStringLiteral("Nothing was replaced.\n"));
    if (m.Server_Version.isEmpty())
        return 1;
    Update_Choice choice = o.Choice;
    const QList<Compared> compared = Compare(m, program_folder);
    // A list named here and at the source with other cases is one list:
    // kept under the name it has here, fetched by the source's.
    const auto choose_list = [&choice](const Compared &row) {
        choice.Meter_Lists << row.Name;
        if (!row.At_Source.isEmpty() && row.At_Source != row.Name)
            choice.Source_Names.insert(row.Name, row.At_Source);
    };
    if (!o.Newer) {
        choice.Meter_Lists.clear();
        for (const QString &name : o.Choice.Meter_Lists) {
            const auto row = std::find_if(compared.begin() + 4, compared.end(), [&name](const Compared &r) {
                return r.Name.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (row == compared.end() || row->At_Source.isEmpty()) {
                // Only what the manifest names is ever written: a list of the user's own is not the update's.
                Print(err, QStringLiteral("The update source's manifest does not name the meter list %1; nothing was replaced.\n")
                               .arg(name));
                return 1;
            }
            choose_list(*row);
        }
    }
    if (o.Newer) {
        for (const Compared &row : compared) {
            if (!row.Newer)
                continue;
            if (row.Program)
                choice.Program = true;
            else if (row.Table > 0)
                choice.Table[row.Table - 1] = true;
            else
                choose_list(row);
        }
        if (!choice.Anything()) {
            Print(out, QStringLiteral("Nothing at the update source is newer; nothing was replaced.\n"));
            return 0;
        }
    }
    Update_Run_Context context;
    context.App_Path = program_folder;
    context.Server_Name = o.Source;
    context.Today = QDate::currentDate();
    context.Limits.Inactivity_Ms = o.Timeout_S * 1000;
    context.Manifest_Sha256 = m.Sha256;
    const Update_Run_Result result = Run_Update(context, choice);
    for (const Update_File_Report &f : result.Files)
        Print(out, f.Replaced ? QStringLiteral("replaced\t%1%2\n").arg(f.Name, f.Note.isEmpty() ? QString() : u'\t' + f.Note)
                              : QStringLiteral("kept\t%1\t%2\n").arg(f.Name, f.Note));
    for (const QString &message : result.Messages)
        Print(result.Anything_Replaced() ? out : err, message + u'\n');
    return result.Anything_Replaced() ? 0 : 1;
}
