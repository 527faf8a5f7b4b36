#include "command_line.h"

#include "job_file.h"
#include "calc_steps.h"
#include "meter_comparison.h"
#include "meter_list_commands.h"
#include "program_state.h"
#include "report.h"
#include "report_demand.h"
#include "settings_store.h"
#include "text_codec.h"
#include "update_commands.h"
#include "user_file.h"
#include "sizing_job.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstring>

namespace {

enum Exit_Status { Sized = 0, Not_Sized = 1, Usage_Or_File_Error = 2 };

const char *const Usage_Text =
    "Usage:\n"
    "  Quorvel [[--] JOB.qvl]\n"
    "      Start the window, opening JOB.qvl when given (after --, a name may\n"
    "      begin with -). Any option not listed here is a usage error.\n"
    "  Quorvel --calc [--data-dir DIR] [--meter-list FILE] [--method M] [--json] JOB.qvl...\n"
    "      Size each job without a window and print, for each job:\n"
    "        Job: <path as given>\n"
    "        Fixture Units: <text>\n"
    "        Max. Design Flow: <text>\n"
    "        Meter Size: <text>\n"
    "        Pressure at Fixture: <text>\n"
    "        Message: <text>          (one line per message of the sizing)\n"
    "      followed by an empty line. --json prints one JSON array instead, one\n"
    "      object per job, with the texts, the numeric results and the messages,\n"
    "      and both demand methods side by side (\"demand_methods\").\n"
    "  Quorvel --report JOB.qvl [--data-dir DIR] [--meter-list FILE] [-o FILE]\n"
    "      Write the calculation report of the job to FILE or to standard output;\n"
    "      the messages of the sizing go to standard error.\n"
    "  Quorvel --pdf JOB.qvl [--data-dir DIR] [--meter-list FILE] [-o FILE]\n"
    "      Write the engineering report of the job as PDF to FILE (default: the job\n"
    "      file's name with .pdf); the messages of the sizing go to standard error.\n"
    "      Exit 0 when the PDF was written, whatever the job's result: a job that\n"
    "      ends in \"Oops\" or \" [Fail]\" is reported in the PDF, not as a failure.\n"
    "      Exit 2 when no PDF was written: a usage error, a job file that cannot be\n"
    "      opened, or a PDF that cannot be written (an earlier file stays whole).\n"
    "  Quorvel --check-update [--source S] [--timeout SECONDS]\n"
    "      Compare the program, tables and meter lists with the update source;\n"
    "      exit 0 nothing newer, 100 something newer, 1 source unreadable.\n"
    "      A copy in a folder you cannot change (a system install) is updated by\n"
    "      the system's package manager: it says so, compares nothing, exits 0.\n"
    "  Quorvel --update [--source S] [--timeout SECONDS]\n"
    "                  (--newer | [--program] [--table 1|2|3]... [--meter-list NAME]...)\n"
    "      Update the program folder from the source, all or nothing; one line per\n"
    "      file; exit 0 all replaced, 1 nothing replaced (something failed).\n"
    "      --timeout: seconds without a byte from the source before a fetch fails\n"
    "      (default 30). --source is used for this run only, never saved.\n"
    "  Quorvel --import-meter-list FILE.csv -o NAME.mtr [--desc TEXT]\n"
    "          [--date MM/DD/YYYY] [--source TEXT]... [--status verified|estimate]\n"
    "      Write the meters of a CSV (Size, Make, Model, Max Flow (gpm), Max\n"
    "      Continuous Flow (gpm), Loss Flow 1 (gpm), Loss 1 (psi), ... Loss 3 (psi))\n"
    "      as a meter list where the list editor writes a user's lists (unless NAME\n"
    "      is a path); exit 0 written, 2 refused (the row and the reason; no file).\n"
    "  Quorvel --help       Show this text.\n"
    "  Quorvel --version    Show the program version.\n"
    "\n"
    "Options:\n"
    "  --data-dir DIR      Read Table-1.dat, Table-2.dat, Table-3.dat and the meter\n"
    "                      list from DIR (default: the program folder).\n"
    "  --meter-list FILE   Use the meter list FILE in DIR. Without it: the meter list\n"
    "                      chosen in the settings when they hold a complete configuration\n"
    "                      of this version, else AWWA-Standard.mtr.\n"
    "  --json              JSON output for --calc.\n"
    "  --method hunter|wdc Size by Hunter's fixture units or by the Water Demand\n"
    "                      Calculator (dwellings), whatever the job file says\n"
    "                      (--calc, --report, --pdf).\n"
    "  -o FILE             Write the report to FILE (--report, --pdf).\n"
    "\n"
    "Exit status of --calc and --report: 0 when every job was sized; 1 when a job\n"
    "ended in \"Oops\" or \" [Fail]\"; 2 for a usage error or a job file that cannot\n"
    "be opened (the other jobs are still sized). --pdf: see above. The settings\n"
    "are read, never written.\n";

// The usage as the user types it: the command the package and setup
// install is "quorvel" (the program file in its folder is "Quorvel").
QString Usage()
{
    return QString::fromLatin1(Usage_Text).replace(QStringLiteral("\n  Quorvel "), QStringLiteral("\n  quorvel "));
}

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

struct Arguments {
    enum class Mode { None, Calc, Report, Pdf, Help, Version } mode = Mode::None;
    QString data_dir;
    QString meter_list;
    QString output;
    bool json = false;
    QString method; // "hunter", "wdc" or empty: the job's own choice
    QStringList jobs;
    QString error;
};

Arguments Parse(const QStringList &args)
{
    Arguments a;
    bool options_end = false;
    const auto set_mode = [&a](Arguments::Mode mode, const QString &name) {
        if (a.mode != Arguments::Mode::None && a.mode != mode)
            a.error = QStringLiteral("%1 cannot be combined with another command").arg(name);
        a.mode = mode;
    };
    for (int i = 0; i < args.size() && a.error.isEmpty(); ++i) {
        const QString &arg = args[i];
        const auto value = [&](const QString &name) {
            if (i + 1 >= args.size()) {
                a.error = QStringLiteral("%1 needs a value").arg(name);
                return QString();
            }
            return args[++i];
        };
        if (options_end || !arg.startsWith(u'-') || arg == u"-") {
            a.jobs << arg;
        } else if (arg == u"--") {
            options_end = true;
        } else if (arg == u"--calc") {
            set_mode(Arguments::Mode::Calc, arg);
        } else if (arg == u"--report") {
            set_mode(Arguments::Mode::Report, arg);
        } else if (arg == u"--pdf") {
            set_mode(Arguments::Mode::Pdf, arg);
        } else if (arg == u"--help" || arg == u"-h") {
            set_mode(Arguments::Mode::Help, arg);
        } else if (arg == u"--version") {
            set_mode(Arguments::Mode::Version, arg);
        } else if (arg == u"--json") {
            a.json = true;
        } else if (arg == u"--data-dir") {
            a.data_dir = value(arg);
        } else if (arg == u"--method") {
            a.method = value(arg);
            if (a.error.isEmpty() && a.method != u"hunter" && a.method != u"wdc")
                a.error = QStringLiteral("--method takes hunter or wdc");
        } else if (arg == u"--meter-list") {
            a.meter_list = value(arg);
        } else if (arg == u"-o" || arg == u"--output") {
            a.output = value(arg);
        } else {
            a.error = QStringLiteral("unknown option %1").arg(arg);
        }
    }
    if (!a.error.isEmpty())
        return a;
    switch (a.mode) {
    case Arguments::Mode::Calc:
        if (a.jobs.isEmpty())
            a.error = QStringLiteral("--calc needs at least one job file");
        else if (!a.output.isEmpty())
            a.error = QStringLiteral("-o belongs to --report");
        break;
    case Arguments::Mode::Report:
        if (a.jobs.size() != 1)
            a.error = QStringLiteral("--report takes exactly one job file");
        else if (a.json)
            a.error = QStringLiteral("--json belongs to --calc");
        break;
    case Arguments::Mode::Pdf:
        if (a.jobs.size() != 1)
            a.error = QStringLiteral("--pdf takes exactly one job file");
        else if (a.json)
            a.error = QStringLiteral("--json belongs to --calc");
        break;
    case Arguments::Mode::None:
        a.error = QStringLiteral("no command given");
        break;
    default:
        break;
    }
    return a;
}

// The program state the jobs are sized in: tables from the data folder,
// the meter list, and a fresh job with the configured defaults.
Program_State Prepare_State(const Arguments &a, const QString &program_folder, const QString &settings_file)
{
    Program_State state;
    Set_Program_Paths(state, a.data_dir.isEmpty() ? program_folder : a.data_dir);
    const Settings_Store store = settings_file.isEmpty() ? Settings_Store() : Settings_Store(settings_file);
    Settings_Fields settings;
    if (!Load_Complete_Configuration(store, settings))
        settings = Settings_Fields::Factory();
    const bool absolute_list = !a.meter_list.isEmpty() && QFileInfo(a.meter_list).isAbsolute();
    if (!a.meter_list.isEmpty())
        settings.Set_Meter_Table = absolute_list ? QFileInfo(a.meter_list).fileName() : a.meter_list;
    state.Settings = settings;
    Load_Tables(state);
    if (absolute_list)
        Load_Meter_List(state.Meters, a.meter_list);
    Reset_Job(state.Job, state.Settings, Reset_Kind::Startup, QDate::currentDate());
    state.Refresh_Grid();
    return state;
}

bool Save_Bytes(const QString &path, const QByteArray &bytes, QString *error)
{
    return Write_User_File(path, bytes, error);
}

bool Ended_Unsized(const Sizing_Job &job)
{
    return job.Meter_Label == Oops_Marker || job.Meter_Label.endsWith(QStringLiteral(" [Fail]"))
           || job.Design_Flow_Oops || job.Pressure_Not_Finite;
}

QJsonValue Number_Or_Null(bool present, double value)
{
    return present ? QJsonValue(value) : QJsonValue();
}

QJsonObject Job_Object(const QString &path, const Program_State &state, const QStringList &messages,
                       const QVector<Trace_Step> &trace)
{
    const Sizing_Job &job = state.Job;
    const Meter_Entry *meter = state.Meters.Entry(job.Meter_Index);
    const bool p = job.Pressure_Evaluated;
    QJsonObject o;
    o.insert(QStringLiteral("job"), path);
    o.insert(QStringLiteral("fixture_units_text"), job.Fixture_Units_Text);
    o.insert(QStringLiteral("design_flow_text"), job.Design_Flow_Text);
    o.insert(QStringLiteral("meter_size_text"), job.Meter_Size_Text);
    o.insert(QStringLiteral("pressure_at_fixture_text"), job.Pressure_Fixture_Text);
    // A total past what a double holds shows the marker and has no number.
    o.insert(QStringLiteral("fixture_units"), Number_Or_Null(job.Fixture_Units_Text != Oops_Marker, job.Fixture_Units));
    o.insert(QStringLiteral("design_flow_gpm"), Number_Or_Null(!job.Design_Flow_Oops, job.Design_Flow));
    o.insert(QStringLiteral("meter_index"), meter ? QJsonValue(job.Meter_Index) : QJsonValue());
    o.insert(QStringLiteral("meter_label"), job.Meter_Label);
    o.insert(QStringLiteral("size_label"), meter ? QJsonValue(meter->Size_Label) : QJsonValue());
    o.insert(QStringLiteral("make"), meter ? QJsonValue(meter->Make) : QJsonValue());
    o.insert(QStringLiteral("model"), meter ? QJsonValue(meter->Model) : QJsonValue());
    o.insert(QStringLiteral("pressure_evaluated"), p);
    o.insert(QStringLiteral("loss_meter_psi"), Number_Or_Null(p, job.Loss_Meter));
    o.insert(QStringLiteral("loss_service_1_psi"), Number_Or_Null(p, job.Loss_Service_1));
    o.insert(QStringLiteral("loss_service_2_psi"), Number_Or_Null(p, job.Loss_Service_2));
    o.insert(QStringLiteral("pressure_after_meter_psi"), Number_Or_Null(p, job.Pressure_After_Meter));
    o.insert(QStringLiteral("a_value_psi_per_100ft"), Number_Or_Null(p, job.A_Value));
    o.insert(QStringLiteral("loss_plumbing_psi"), Number_Or_Null(p, job.Loss_Plumbing));
    o.insert(QStringLiteral("pressure_at_fixture_psi"), Number_Or_Null(p, job.Pressure_At_Fixture));
    o.insert(QStringLiteral("upsize_count"), p ? QJsonValue(job.Upsize_Count) : QJsonValue());
    o.insert(QStringLiteral("pressure_failed"), job.Pressure_Failed);
    o.insert(QStringLiteral("messages"), QJsonArray::fromStringList(messages));

    // Every meter of the list against the same job, in list order.
    const Meter_Comparison comparison = Compare_Meters(job, state.Meters);
    QJsonArray meters;
    for (const Meter_Comparison_Row &r : comparison.Rows) {
        const bool e = r.Pressure_Evaluated;
        QJsonObject m;
        m.insert(QStringLiteral("index"), r.Index);
        m.insert(QStringLiteral("size_label"), r.Size_Label);
        m.insert(QStringLiteral("make"), r.Make);
        m.insert(QStringLiteral("model"), r.Model);
        m.insert(QStringLiteral("limit_gpm"), r.Limit_Gpm);
        m.insert(QStringLiteral("flow_ok"), r.Flow_Ok);
        m.insert(QStringLiteral("loss_meter_psi"), Number_Or_Null(e, r.Loss_Meter));
        m.insert(QStringLiteral("pressure_after_meter_psi"), Number_Or_Null(e, r.Pressure_After_Meter));
        m.insert(QStringLiteral("pressure_at_fixture_psi"), Number_Or_Null(e, r.Pressure_At_Fixture));
        m.insert(QStringLiteral("pressure_ok"), e ? QJsonValue(r.Pressure_Ok) : QJsonValue());
        meters.append(m);
    }
    o.insert(QStringLiteral("meters"), meters);
    o.insert(QStringLiteral("smallest_passing"),
             comparison.Smallest_Passing > 0 ? QJsonValue(comparison.Smallest_Passing) : QJsonValue());

    // The steps Calculate took, each with its formula, inputs and result.
    QJsonArray steps;
    for (const Step_Text &t : Describe_Trace(trace, job, Table_In_Force(job, state.Table1, state.Table2))) {
        QJsonObject s;
        s.insert(QStringLiteral("key"), t.Key);
        s.insert(QStringLiteral("title"), t.Title);
        s.insert(QStringLiteral("formula"), t.Formula);
        QJsonArray inputs;
        for (const Step_Input &i : t.Inputs)
            inputs.append(QJsonObject{{QStringLiteral("name"), i.Name}, {QStringLiteral("value"), i.Value},
                                      {QStringLiteral("unit"), i.Unit}});
        s.insert(QStringLiteral("inputs"), inputs);
        s.insert(QStringLiteral("result"), t.Result);
        s.insert(QStringLiteral("unit"), t.Unit);
        s.insert(QStringLiteral("evaluation"), t.Evaluation);
        steps.append(s);
    }
    o.insert(QStringLiteral("trace"), steps);
    o.insert(QStringLiteral("data_sources"), Data_Sources_Json(state));
    return o;
}

// --method over the job file's choice.
void Apply_Method(Sizing_Job &job, const QString &method)
{
    if (method == u"hunter")
        job.Demand_Method = Demand_Kind::Hunter;
    else if (method == u"wdc")
        job.Demand_Method = Demand_Kind::Wdc;
}

// Both demand methods side by side: the one that sized the job and the
// other for comparison; the Water Demand Calculator's inputs and statistics
// as its steps recorded them.
QJsonArray Demand_Methods_Json(const Program_State &state, const Calc_Outcome &outcome)
{
    const Demand_Methods &m = outcome.Methods;
    const auto method = [&](const char *name, const Method_Sizing &s, bool sizes) {
        const bool flow = s.Applies && !s.Flow_Oops;
        const bool meter = flow && s.Meter_Index > 0;
        QJsonObject o;
        o.insert(QStringLiteral("method"), QLatin1String(name));
        o.insert(QStringLiteral("applies"), s.Applies);
        o.insert(QStringLiteral("sizes_job"), sizes);
        if (!s.Applies)
            o.insert(QStringLiteral("why_not"), s.Why_Not);
        o.insert(QStringLiteral("design_flow_gpm"), Number_Or_Null(flow, s.Design_Flow));
        o.insert(QStringLiteral("meter_index"), meter ? QJsonValue(s.Meter_Index) : QJsonValue());
        o.insert(QStringLiteral("meter_size_text"), flow ? QJsonValue(s.Meter_Size_Text) : QJsonValue());
        o.insert(QStringLiteral("pressure_at_fixture_psi"), Number_Or_Null(meter && s.Pressure_Evaluated, s.Pressure_At_Fixture));
        return o;
    };
    QJsonObject wdc = method("wdc", m.Wdc, state.Job.Sized_By_Wdc);
    const Wdc_Steps w = Wdc_Steps_Of(outcome.Trace);
    if (w.Present) {
        wdc.insert(QStringLiteral("q99_gpm"), w.Q99.Result);
        wdc.insert(QStringLiteral("mean_gpm"), w.Moments.Inputs[0]);
        wdc.insert(QStringLiteral("variance_gpm2"), w.Moments.Inputs[1]);
        wdc.insert(QStringLiteral("p0"), w.Moments.Inputs[2]);
        wdc.insert(QStringLiteral("hunter_number"), w.Moments.Result);
        wdc.insert(QStringLiteral("procedure"), Wdc_Procedure_Name(w.Procedure()));
        QJsonArray fixtures;
        for (const Trace_Step &t : w.Types)
            fixtures.append(QJsonObject{{QStringLiteral("name"), Wdc_Type_Name(state.Demand_Data, t.Inputs[0])},
                                        {QStringLiteral("count"), t.Inputs[1]},
                                        {QStringLiteral("p"), t.Inputs[2]},
                                        {QStringLiteral("q_gpm"), t.Inputs[3]}});
        wdc.insert(QStringLiteral("fixtures"), fixtures);
        QJsonArray uncovered;
        for (const Trace_Step &u : w.Uncovered) {
            const int row = int(u.Inputs[0]);
            const Fixture_Table &table = state.Table1;
            uncovered.append(QJsonObject{
                {QStringLiteral("row"), row},
                {QStringLiteral("fixture"), row >= 1 && row <= table.Row_Count()
                                                ? table.Rows[row - 1].Code_Description.trimmed()
                                                : QString()},
                {QStringLiteral("count"), u.Inputs[1]},
                {QStringLiteral("flow_gpm"), u.Result}});
        }
        wdc.insert(QStringLiteral("uncovered_rows"), uncovered);
        wdc.insert(QStringLiteral("uncovered_flow_gpm"), w.Design.Inputs[1]);
    }
    return QJsonArray{method("hunter", m.Hunter, !state.Job.Sized_By_Wdc), wdc};
}

// Reads and sizes one job in a copy of the prepared state, recording the
// steps in trace when record_trace is set; method ("hunter", "wdc") over
// the job's own choice when given. False when the file could not be opened
// (error says why).
bool Size_Job(const Program_State &prepared, const QString &path, Program_State &state, QStringList &messages,
              QString &error, bool record_trace, QVector<Trace_Step> &trace, Calc_Outcome *calculated = nullptr,
              QStringList *read_messages = nullptr, const QString &method = QString())
{
    state = prepared;
    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("%1: no such file").arg(path);
        return false;
    }
    if (info.isDir()) {
        error = QStringLiteral("%1: is a folder, not a job file").arg(path);
        return false;
    }
    const Job_Read_Result read = Read_Job_File(state, path);
    if (!read.Opened) {
        error = QStringLiteral("%1: cannot be opened: %2").arg(path, read.Error);
        return false;
    }
    messages = read.Messages;
    Apply_Method(state.Job, method);
    const Calc_Outcome outcome = state.Calculate_Job(record_trace);
    messages += outcome.Messages;
    trace = outcome.Trace;
    if (calculated)
        *calculated = outcome;
    if (read_messages)
        *read_messages = read.Messages;
    return true;
}

int Run_Calc(const Arguments &a, const Program_State &prepared, FILE *out, FILE *err)
{
    int status = Sized;
    bool first = true;
    if (a.json)
        Print(out, QStringLiteral("["));
    Program_State state;
    for (const QString &path : a.jobs) {
        QStringList messages;
        QString error;
        QVector<Trace_Step> trace;
        Calc_Outcome outcome;
        if (!Size_Job(prepared, path, state, messages, error, a.json, trace, &outcome, nullptr, a.method)) {
            Print(err, QStringLiteral("Quorvel: %1\n").arg(error));
            status = Usage_Or_File_Error;
            if (a.json) {
                QJsonObject o;
                o.insert(QStringLiteral("job"), path);
                o.insert(QStringLiteral("error"), error);
                Print(out, (first ? QStringLiteral("\n") : QStringLiteral(",\n"))
                               + QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
                first = false;
            }
            continue;
        }
        if (Ended_Unsized(state.Job) && status == Sized)
            status = Not_Sized;
        if (a.json) {
            QJsonObject o = Job_Object(path, state, messages, trace);
            o.insert(QStringLiteral("demand_methods"), Demand_Methods_Json(state, outcome));
            Print(out, (first ? QStringLiteral("\n") : QStringLiteral(",\n"))
                           + QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
        } else {
            QString text = QStringLiteral("Job: %1\nFixture Units: %2\nMax. Design Flow: %3\nMeter Size: %4\n"
                                          "Pressure at Fixture: %5\n")
                               .arg(path, state.Job.Fixture_Units_Text, state.Job.Design_Flow_Text,
                                    state.Job.Meter_Size_Text, state.Job.Pressure_Fixture_Text);
            for (const QString &m : std::as_const(messages))
                text += QStringLiteral("Message: ") + QString(m).replace(u'\n', u' ') + u'\n';
            text += u'\n';
            Print(out, text);
        }
        first = false;
    }
    if (a.json)
        Print(out, QStringLiteral("\n]\n"));
    std::fflush(out);
    return status;
}

int Run_Report(const Arguments &a, const Program_State &prepared, FILE *out, FILE *err)
{
    Program_State state;
    QStringList messages;
    QString error;
    const QString &path = a.jobs.first();
    state = prepared;
    const QFileInfo info(path);
    Job_Read_Result read;
    if (!info.exists() || info.isDir() || !(read = Read_Job_File(state, path)).Opened) {
        Print(err, QStringLiteral("Quorvel: %1: cannot be opened%2\n")
                       .arg(path, read.Error.isEmpty() ? QString() : QStringLiteral(": ") + read.Error));
        return Usage_Or_File_Error;
    }
    Apply_Method(state.Job, a.method);
    Calc_Outcome outcome;
    const QByteArray report = Encode_1252(Report_Text(state, &outcome));
    for (const QString &m : read.Messages + outcome.Messages)
        Print(err, QStringLiteral("Message: %1\n").arg(m));
    if (a.output.isEmpty()) {
        // Standard output may be a file on a full disk: a lost report fails.
        const bool written = std::fwrite(report.constData(), 1, size_t(report.size()), out) == size_t(report.size());
        if (std::fflush(out) != 0 || !written || std::ferror(out)) {
            Print(err, QStringLiteral("Quorvel: the report could not be written: %1\n")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
            return Usage_Or_File_Error;
        }
    } else if (!Save_Bytes(a.output, report, &error)) {
        Print(err, QStringLiteral("Quorvel: the report could not be written to %1: %2\n").arg(a.output, Reason_Text(error)));
        return Usage_Or_File_Error;
    }
    return Ended_Unsized(state.Job) ? Not_Sized : Sized;
}

int Run_Pdf(const Arguments &a, const Program_State &prepared, const Pdf_Writer &writer, FILE *err)
{
    if (!writer) {
        Print(err, QStringLiteral("Quorvel: --pdf is not available in this program\n"));
        return Usage_Or_File_Error;
    }
    Program_State state;
    QStringList messages;
    QString error;
    QVector<Trace_Step> trace;
    const QString &path = a.jobs.first();
    Calc_Outcome outcome;
    QStringList read_messages;
    // Calculate runs once here; the report reads that outcome and recomputes nothing.
    if (!Size_Job(prepared, path, state, messages, error, true, trace, &outcome, &read_messages, a.method)) {
        Print(err, QStringLiteral("Quorvel: %1\n").arg(error));
        return Usage_Or_File_Error;
    }
    for (const QString &m : std::as_const(messages))
        Print(err, QStringLiteral("Message: %1\n").arg(m));
    state.Job_File_Name = QFileInfo(path).absoluteFilePath(); // the report names its job
    QString output = a.output;
    if (output.isEmpty()) {
        const QFileInfo job(path);
        output = job.dir().filePath(job.completeBaseName() + QStringLiteral(".pdf"));
    }
    if (!writer(state, outcome, read_messages, output, &error)) {
        Print(err, QStringLiteral("Quorvel: the PDF could not be written to %1: %2\n").arg(output, error));
        return Usage_Or_File_Error;
    }
    // The document is what was asked for: a job that was not sized, or that
    // fails its pressure check, is a result the report states.
    return Sized;
}

} // namespace

namespace {

// The arguments before "--": the options and commands.
QStringList Options_Part(const QStringList &args)
{
    return args.mid(0, args.indexOf(QStringLiteral("--")));
}

bool Is_Update_Run(const QStringList &args)
{
    const QStringList options = Options_Part(args);
    return options.contains(QStringLiteral("--check-update")) || options.contains(QStringLiteral("--update"));
}

// What --check-update and --update read: a name before the first option is
// passed over.
QStringList Update_Arguments(const QStringList &args)
{
    return args.mid(args.value(0).startsWith(u'-') ? 0 : 1);
}

} // namespace

QStringList Program_Arguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

std::optional<QString> Window_Job(const QStringList &args)
{
    for (const QString &arg : Options_Part(args)) {
        if (arg.startsWith(u'-') && arg != u"-")
            return std::nullopt;
    }
    QStringList names = args;
    names.removeOne(QStringLiteral("--"));
    return names.join(u' ');
}

QString Command_Line_Error(const QStringList &args)
{
    if (Is_Import_Meter_List_Run(args))
        return Import_Meter_List_Error(args);
    if (Is_Update_Run(args)) {
        const QStringList options = Options_Part(args);
        const bool update = options.contains(QStringLiteral("--update"));
        if (update && options.contains(QStringLiteral("--check-update")))
            return QStringLiteral("--check-update and --update cannot be given together");
        return Update_Options_Error(Update_Arguments(args), update);
    }
    return Parse(args).error;
}

bool Needs_Typesetting(const QStringList &args)
{
    return Options_Part(args).contains(QStringLiteral("--pdf")) && Command_Line_Error(args).isEmpty();
}

int Run_Command_Line(const QStringList &args, const QString &program_folder, FILE *out, FILE *err,
                     const QString &settings_file, const Pdf_Writer &pdf_writer)
{
    if (const QString error = Command_Line_Error(args); !error.isEmpty()) {
        Print(err, QStringLiteral("Quorvel: %1\n\n").arg(error) + Usage());
        return Usage_Or_File_Error;
    }
    if (Is_Import_Meter_List_Run(args))
        return Run_Import_Meter_List(args, program_folder, out, err);
    if (Is_Update_Run(args)) {
        if (!Program_Folder_Writable(program_folder)) { // a system install: its package manager updates it
            // --update replaced nothing then: a failure; --check-update found nothing to do here.
            Print(out, Package_Managed_Update_Text(App_Path_Of(program_folder)) + u'\n');
            return Options_Part(args).contains(QStringLiteral("--update")) ? 1 : 0;
        }
        // The settings' "Server Name" unless --source names another; never written.
        const Settings_Store store = settings_file.isEmpty() ? Settings_Store() : Settings_Store(settings_file);
        Settings_Fields settings;
        if (!Load_Complete_Configuration(store, settings))
            settings = Settings_Fields::Factory();
        const QString server = settings.ServerName.isEmpty() ? Default_Server_Name : settings.ServerName;
        const QStringList rest = Update_Arguments(args);
        if (Options_Part(args).contains(QStringLiteral("--update")))
            return Run_Update_Command(rest, program_folder, server, out, err);
        return Run_Check_Update(rest, program_folder, server, out, err);
    }
    const Arguments a = Parse(args);
    if (a.mode == Arguments::Mode::Help) {
        Print(out, Usage());
        return Sized;
    }
    if (a.mode == Arguments::Mode::Version) {
        Print(out, QStringLiteral("Quorvel %1\n").arg(Program_Version));
        return Sized;
    }
    if (!a.data_dir.isEmpty() && !QFileInfo(a.data_dir).isDir()) {
        Print(err, QStringLiteral("Quorvel: --data-dir %1: no such folder\n").arg(a.data_dir));
        return Usage_Or_File_Error;
    }
    const Program_State prepared = Prepare_State(a, program_folder, settings_file);
    if (prepared.Meters.Count() == 0)
        Print(err, QStringLiteral("Quorvel: warning: the meter list %1 has no meters\n")
                       .arg(prepared.Program_File(prepared.Settings.Set_Meter_Table)));
    if (a.mode == Arguments::Mode::Pdf)
        return Run_Pdf(a, prepared, pdf_writer, err);
    return a.mode == Arguments::Mode::Calc ? Run_Calc(a, prepared, out, err) : Run_Report(a, prepared, out, err);
}
