#include "meter_list_commands.h"

#include "meter_list_edit.h"
#include "number_format.h"
#include "program_state.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace {

struct Import_Options {
    QString csv, output, desc, date_text, status;
    QStringList sources;
    QString error;
};

Import_Options Parse_Import(const QStringList &args)
{
    Import_Options o;
    for (int i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString &arg = args[i];
        if (i + 1 >= args.size()) {
            o.error = QStringLiteral("%1 needs a value").arg(arg);
            break;
        }
        const QString value = args[++i];
        if (arg == u"--import-meter-list")
            o.csv = value;
        else if (arg == u"-o" || arg == u"--output")
            o.output = value;
        else if (arg == u"--desc")
            o.desc = value;
        else if (arg == u"--date")
            o.date_text = value;
        else if (arg == u"--source")
            o.sources << value;
        else if (arg == u"--status")
            o.status = value;
        else
            o.error = QStringLiteral("%1 does not belong to --import-meter-list").arg(arg);
    }
    if (!o.error.isEmpty())
        return o;
    if (o.output.isEmpty())
        o.error = QStringLiteral("--import-meter-list needs -o NAME.mtr");
    else if (!o.status.isEmpty() && o.status != u"verified" && o.status != u"estimate")
        o.error = QStringLiteral("--status is verified or estimate");
    else if (!o.date_text.isEmpty() && !QDate::fromString(o.date_text, QStringLiteral("MM/dd/yyyy")).isValid())
        o.error = QStringLiteral("--date %1 is not a date MM/DD/YYYY").arg(o.date_text);
    return o;
}

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

bool Is_Import_Meter_List_Run(const QStringList &args)
{
    return args.contains(QStringLiteral("--import-meter-list"));
}

QString Import_Meter_List_Error(const QStringList &args)
{
    return Parse_Import(args).error;
}

int Run_Import_Meter_List(const QStringList &args, const QString &program_folder, FILE *out, FILE *err)
{
    const Import_Options o = Parse_Import(args);
    if (!o.error.isEmpty()) {
        Print(err, QStringLiteral("Quorvel: %1\n").arg(o.error));
        return 2;
    }
    Program_State state;
    Set_Program_Paths(state, program_folder);
    QString path = o.output;
    if (!o.output.contains(u'/')) {
        if (const QString problem = User_List_Name_Problem(state, o.output); !problem.isEmpty()) {
            Print(err, QStringLiteral("Quorvel: %1\n").arg(problem));
            return 2;
        }
        path = User_Meter_List_Folder(state) + u'/' + o.output;
    }
    QFile csv(o.csv);
    if (!csv.open(QIODevice::ReadOnly)) {
        Print(err, QStringLiteral("Quorvel: %1: cannot be opened: %2\n").arg(o.csv, csv.errorString()));
        return 2;
    }
    Meter_List list;
    list.Description = o.desc.isEmpty() ? QFileInfo(o.csv).completeBaseName() : o.desc;
    list.Date = o.date_text.isEmpty() ? QDate::currentDate() : QDate::fromString(o.date_text, QStringLiteral("MM/dd/yyyy"));
    list.Provenance.Sources = o.sources;
    list.Provenance.Status = o.status;
    QString error;
    if (!Meter_List_From_Csv(csv.readAll(), list, &error) || !Save_Meter_List(list, path, &error)) {
        Print(err, QStringLiteral("Quorvel: %1: %2; nothing was written\n").arg(o.csv, error));
        return 2;
    }
    Print(out, QStringLiteral("%1: %2 meters written\n").arg(path).arg(list.Count()));
    return 0;
}

QJsonObject Data_Sources_Json(const Program_State &state)
{
    QJsonObject sources;
    for (const Data_Source &d : Data_Sources(state)) {
        QJsonObject o;
        o.insert(QStringLiteral("file"), d.File);
        o.insert(QStringLiteral("date"), d.Date.isValid() ? QJsonValue(d.Date.toString(QStringLiteral("MM/dd/yyyy"))) : QJsonValue());
        o.insert(QStringLiteral("sources"), QJsonArray::fromStringList(d.Provenance.Sources));
        o.insert(QStringLiteral("status"), d.Provenance.Status.isEmpty() ? QJsonValue() : QJsonValue(d.Provenance.Status));
        o.insert(QStringLiteral("estimate"), d.Provenance.Estimate());
        if (d.Key == u"meter_list") {
            // Which values of the chosen meter are estimates.
            QJsonArray estimated;
            if (const Meter_Entry *m = state.Meters.Entry(state.Job.Meter_Index))
                for (const auto &[value, name] : {std::pair{Meter_Value::Max_Flow, "max_flow"},
                                                  std::pair{Meter_Value::Continuous_Flow, "continuous_flow"},
                                                  std::pair{Meter_Value::Loss, "loss_points"}})
                    if (d.Provenance.Estimated(m->Size_Label, value))
                        estimated.append(QString::fromLatin1(name));
            o.insert(QStringLiteral("chosen_meter_estimated"), estimated);
        }
        sources.insert(d.Key, o);
    }
    return sources;
}
