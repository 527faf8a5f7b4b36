#include "calculate.h"
#include "command_line.h"
#include "fault_folder.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdio>

namespace {

// Runs the command line with standard output and error captured in files.
struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run Command(const QStringList &args, const QString &settings_file)
{
    QTemporaryDir dir;
    const QByteArray out_path = QFile::encodeName(dir.filePath(QStringLiteral("out")));
    const QByteArray err_path = QFile::encodeName(dir.filePath(QStringLiteral("err")));
    FILE *out = std::fopen(out_path.constData(), "w+");
    FILE *err = std::fopen(err_path.constData(), "w+");
    Run r;
    r.status = Run_Command_Line(args, Program_Folder(), out, err, settings_file);
    std::fclose(out);
    std::fclose(err);
    r.out = QString::fromUtf8(Read_File(QFile::decodeName(out_path)));
    r.err = QString::fromUtf8(Read_File(QFile::decodeName(err_path)));
    return r;
}

QString Write_Job(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    if (!Write_File(path, bytes))
        qFatal("%s cannot be written", qPrintable(path));
    return path;
}

// A current-layout job file: one fixture in row 1 of the private table,
// optionally an irrigation flow that no meter can take.
QByteArray Job_Bytes(const QString &count, const QString &irrigation)
{
    QStringList f;
    f << "\"1.02.0808\"" << "\"12/9/2026\"" << "\"Test St\"" << "\"Tester\"" << " 0 "
      << "True" << "False" << "False" << "True";
    for (int r = 0; r < 33; ++r)
        f << (r == 0 ? QStringLiteral("\"%1\"").arg(count) : QStringLiteral("\"\""));
    f << QStringLiteral("\"%1\"").arg(irrigation) << "\"\"" << "1." << "3. gpm" << "old" << " 0 ";
    for (int i = 0; i < 15; ++i)
        f << "\"\"";
    f << "\"0\"" << "n/a" << " 0 " << "Inside" << "True" << "\"\"";
    return f.join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
}

} // namespace

class Test_Command_Line : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString settings_; // an empty store: the factory meter list is used

private slots:
    void initTestCase()
    {
        if (!QFile::exists(Program_Folder() + QStringLiteral("/Table-1.dat")))
            QFAIL("shipped data files are not beside the test");
        settings_ = dir_.filePath(QStringLiteral("settings.ini"));
    }

    // A usage error ends with status 2 and says why on standard error, with
    // the usage unless the arguments were well formed.
    void Usage_Errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("usage");
        const auto row = [](const char *name, const QStringList &args, bool usage = true) {
            QTest::newRow(name) << args << usage;
        };
        row("no job", {"--calc"});
        row("unknown option", {"--calc", "--fast", "a.qvl"});
        row("unknown option alone", {"--bogus"});
        row("unknown option after a job", {"a.qvl", "--bogus"});
        row("an option of Qt", {"-platform", "offscreen"});
        row("option without a command", {"--json", "a.qvl"});
        row("two commands", {"--calc", "--report", "a.qvl"});
        row("report of two jobs", {"--report", "a.qvl", "b.qvl"});
        row("json with report", {"--report", "--json", "a.qvl"});
        row("output with calc", {"--calc", "-o", "x", "a.qvl"});
        row("data dir missing", {"--calc", "--data-dir", "/no/such/folder", "a.qvl"}, false);
        // This library links no Gui: without the program's writer --pdf says so.
        row("pdf without a writer", {"--pdf", Program_Folder() + "/Sample.qvl"}, false);
        row("pdf of two jobs", {"--pdf", "a.qvl", "b.qvl"});
        row("unknown update option", {"--check-update", "--bogus"});
        row("both update commands", {"--check-update", "--update", "--newer"});
        // Every option that takes a value, given last without one.
        for (const QStringList &option : {QStringList{"--calc", "a.qvl", "--data-dir"}, {"--data-dir"},
                                          {"--calc", "a.qvl", "--meter-list"}, {"--report", "a.qvl", "-o"},
                                          {"--report", "a.qvl", "--output"}, {"--check-update", "--source"},
                                          {"--check-update", "--timeout"}, {"--update", "--newer", "--source"},
                                          {"--update", "--newer", "--timeout"}, {"--update", "--table"},
                                          {"--update", "--meter-list"}})
            QTest::addRow("no value: %s", qPrintable(option.join(u' '))) << option << true;
    }
    void Usage_Errors()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, usage);
        const Run r = Command(args, settings_);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.startsWith(QStringLiteral("Quorvel: ")));
        QCOMPARE(r.err.contains(QStringLiteral("\nUsage:\n")), usage);
        // The program decides on this before any application object exists.
        QCOMPARE(!Command_Line_Error(args).isEmpty(), usage);
    }

    // The program starts its window only on no argument or plain names;
    // anything else is left to the command line, which refuses what it
    // does not know.
    void Window_Or_Command_Line_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("window");
        QTest::addColumn<QString>("job");
        QTest::newRow("nothing") << QStringList{} << true << "";
        QTest::newRow("a job") << QStringList{"a.qvl"} << true << "a.qvl";
        QTest::newRow("a name with a blank") << QStringList{"my", "job.qvl"} << true << "my job.qvl";
        QTest::newRow("a lone dash") << QStringList{"-"} << true << "-";
        QTest::newRow("a dashed name after --") << QStringList{"--", "-x.qvl"} << true << "-x.qvl";
        QTest::newRow("a command's name after --") << QStringList{"--", "--calc"} << true << "--calc";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << false << "";
        QTest::newRow("option after a job") << QStringList{"a.qvl", "--bogus"} << false << "";
        QTest::newRow("an option of Qt") << QStringList{"-style", "fusion", "a.qvl"} << false << "";
        QTest::newRow("a command") << QStringList{"--calc", "a.qvl"} << false << "";
        QTest::newRow("a value without its option") << QStringList{"--meter-list"} << false << "";
    }
    void Window_Or_Command_Line()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, window);
        QFETCH(QString, job);
        const std::optional<QString> opened = Window_Job(args);
        QCOMPARE(opened.has_value(), window);
        if (window)
            QCOMPARE(*opened, job);
    }

    // After "--" every argument is a job file, even one named like an option.
    void Options_End_At_Double_Dash()
    {
        QTemporaryDir jobs;
        Write_Job(jobs, QStringLiteral("-x.qvl"), Job_Bytes(QStringLiteral("1"), QString()));
        const QString here = QDir::currentPath();
        QVERIFY(QDir::setCurrent(jobs.path()));
        const Run dashed = Command({QStringLiteral("--calc"), QStringLiteral("--"), QStringLiteral("-x.qvl")}, settings_);
        const Run update = Command({QStringLiteral("--calc"), QStringLiteral("--"), QStringLiteral("--update")}, settings_);
        QDir::setCurrent(here);
        QCOMPARE(dashed.status, 0);
        QVERIFY2(dashed.out.startsWith(QStringLiteral("Job: -x.qvl\n")), qPrintable(dashed.out));
        QCOMPARE(update.status, 2);
        QVERIFY2(update.err.contains(QStringLiteral("--update: no such file")), qPrintable(update.err));
    }

    // The program itself refuses at once, without a window to wait on.
    void Program_Refuses_Unknown_Options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option") << QStringList{"--bogus"};
        QTest::newRow("option after a job") << QStringList{"a.qvl", "--bogus"};
        QTest::newRow("missing value") << QStringList{"--data-dir"};
        QTest::newRow("pdf with an unknown option") << QStringList{"--pdf", "a.qvl", "--bogus"};
        QTest::newRow("an option of Qt") << QStringList{"-platform", "offscreen"};
    }
    void Program_Refuses_Unknown_Options()
    {
        QFETCH(QStringList, args);
        QProcess program;
        program.start(Program_Folder() + QStringLiteral("/Quorvel"), args);
        QVERIFY2(program.waitForFinished(60000), "the program did not end: it opened its window");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 2);
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
        const QByteArray err = program.readAllStandardError();
        QVERIFY2(err.startsWith("Quorvel: ") && err.contains("\nUsage:\n"), err.constData());
    }

    void Help_And_Version()
    {
        const Run help = Command({QStringLiteral("--help")}, settings_);
        QCOMPARE(help.status, 0);
        for (const char *word : {"--calc", "--report", "--pdf", "--data-dir", "--meter-list", "--json", "Exit status"})
            QVERIFY2(help.out.contains(QLatin1String(word)), word);
        const Run version = Command({QStringLiteral("--version")}, settings_);
        QCOMPARE(version.out, QStringLiteral("Quorvel 1.02.0808\n"));
    }

    void Text_Output_And_Exit_Statuses()
    {
        QTemporaryDir jobs;
        const QString good = Write_Job(jobs, QStringLiteral("good.qvl"), Job_Bytes(QStringLiteral("1"), QString()));
        const QString huge = Write_Job(jobs, QStringLiteral("huge.qvl"), Job_Bytes(QStringLiteral("1"), QStringLiteral("5000")));
        const QString missing = jobs.filePath(QStringLiteral("missing.qvl"));

        Run r = Command({QStringLiteral("--calc"), good}, settings_);
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("Job: ") + good);
        QVERIFY(lines.value(1).startsWith(QStringLiteral("Fixture Units: ")));
        QVERIFY(lines.value(2).startsWith(QStringLiteral("Max. Design Flow: ")));
        QVERIFY(lines.value(2).endsWith(QStringLiteral(" gpm")));
        QVERIFY(lines.value(3).startsWith(QStringLiteral("Meter Size: ")));
        QCOMPARE(lines.value(4), QStringLiteral("Pressure at Fixture: n/a"));
        QCOMPARE(lines.value(5), QString());
        QCOMPARE(lines.size(), 7); // the empty line, then the end

        r = Command({QStringLiteral("--calc"), good, huge}, settings_);
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.contains(QStringLiteral("Meter Size: Oops\nPressure at Fixture: n/a\n"
                                              "Message: Sorry, a meter is not large enough!\n\n")));

        // An unreadable job gives 2; the jobs around it are still sized.
        r = Command({QStringLiteral("--calc"), good, missing, huge}, settings_);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out.count(QStringLiteral("Job: ")), 2);
        QVERIFY(r.err.contains(missing));
    }

    void Older_File_Warns()
    {
        QTemporaryDir jobs;
        QByteArray bytes = Job_Bytes(QStringLiteral("2"), QString());
        bytes.replace("1.02.0808", "1.02.0627");
        const QString old = Write_Job(jobs, QStringLiteral("old.qvl"), bytes);
        const Run r = Command({QStringLiteral("--calc"), old}, settings_);
        QVERIFY(r.out.contains(QStringLiteral("Message: The version of the data file loaded is an earlier version then "
                                              "the current program version, check all data fields to verify values.")));
    }

    void Json_Output()
    {
        QTemporaryDir jobs;
        const QString good = Write_Job(jobs, QStringLiteral("good.qvl"), Job_Bytes(QStringLiteral("1"), QString()));
        const QString huge = Write_Job(jobs, QStringLiteral("huge.qvl"), Job_Bytes(QStringLiteral("1"), QStringLiteral("5000")));
        const Run r = Command({QStringLiteral("--calc"), QStringLiteral("--json"), good, huge}, settings_);
        QCOMPARE(r.status, 1);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        const QJsonArray array = doc.array();
        QCOMPARE(array.size(), 2);
        const QJsonObject first = array[0].toObject();
        QCOMPARE(first[QStringLiteral("job")].toString(), good);
        QVERIFY(first[QStringLiteral("design_flow_gpm")].toDouble() > 0);
        QCOMPARE(first[QStringLiteral("meter_index")].toInt(), 1);
        QVERIFY(!first[QStringLiteral("make")].toString().isEmpty());
        QVERIFY(first[QStringLiteral("pressure_at_fixture_psi")].isNull());
        const QJsonObject second = array[1].toObject();
        QCOMPARE(second[QStringLiteral("meter_size_text")].toString(), QStringLiteral("Oops"));
        QVERIFY(second[QStringLiteral("meter_index")].isNull());
        QCOMPARE(second[QStringLiteral("messages")].toArray().size(), 1);
    }

    void Meter_List_Option()
    {
        QTemporaryDir jobs;
        const QString job = Write_Job(jobs, QStringLiteral("j.qvl"), Job_Bytes(QStringLiteral("1"), QStringLiteral("150")));
        const Run standard = Command({QStringLiteral("--calc"), job}, settings_);
        const Run other = Command({QStringLiteral("--calc"), QStringLiteral("--meter-list"),
                                   QStringLiteral("AWWA-Compound.mtr"), job}, settings_);
        QVERIFY(standard.out != other.out);
        const Run none = Command({QStringLiteral("--calc"), QStringLiteral("--meter-list"),
                                  QStringLiteral("No-Such.mtr"), job}, settings_);
        QCOMPARE(none.status, 1);
        QVERIFY(none.err.contains(QStringLiteral("has no meters")));
    }

    void Settings_Are_Never_Written()
    {
        QTemporaryDir jobs;
        const QString job = Write_Job(jobs, QStringLiteral("j.qvl"), Job_Bytes(QStringLiteral("1"), QString()));
        const QString store = jobs.filePath(QStringLiteral("never.ini"));
        Command({QStringLiteral("--calc"), job}, store);
        QVERIFY(!QFile::exists(store));
    }

    // The shipped sample: 4 lavatories (2 FU), 3 flush valve closets (10),
    // 2 urinals (5), a drinking fountain (0.25), a service sink (3) and a
    // kitchen sink (4) are 55.25 FU; the flush valve column gives
    // 50 + 5.25 x 0.4 = 52.1 gpm, plus 12 gpm irrigation and 5 gpm Note A.
    void Shipped_Sample_Job()
    {
        const QString sample = Program_Folder() + QStringLiteral("/Sample.qvl");
        if (!QFile::exists(sample))
            QFAIL("no sample job");
        const Run text = Command({QStringLiteral("--calc"), sample}, settings_);
        QCOMPARE(text.status, 0);
        const QStringList lines = text.out.split(u'\n');
        QCOMPARE(lines.mid(0, 4), (QStringList{QStringLiteral("Job: ") + sample, "Fixture Units: 55.3",
                                                "Max. Design Flow: 69.1 gpm", "Meter Size: 2\" [Upsized] AWWA C700"}));
        QVERIFY(lines[4].startsWith(QStringLiteral("Pressure at Fixture: ")) && lines[4].endsWith(QStringLiteral(" psi")));
        QCOMPARE(lines[5], QStringLiteral("Message: Meter up sized 1 meter size to meet pressure requirements."));

        const Run json = Command({QStringLiteral("--calc"), QStringLiteral("--json"), sample}, settings_);
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).array().first().toObject();
        QCOMPARE(o[QStringLiteral("fixture_units")].toDouble(), 55.25);
        QVERIFY(std::fabs(o[QStringLiteral("design_flow_gpm")].toDouble() - 69.1) < 1e-9);
        QCOMPARE(o[QStringLiteral("size_label")].toString(), QStringLiteral("2\""));
        QCOMPARE(o[QStringLiteral("meter_index")].toInt(), 5); // 2" is the fifth meter of the list
        QCOMPARE(o[QStringLiteral("upsize_count")].toInt(), 2);
        QCOMPARE(o[QStringLiteral("pressure_failed")].toBool(), false);
        QVERIFY(o[QStringLiteral("pressure_at_fixture_psi")].toDouble() >= 30); // the required pressure
        QCOMPARE(o[QStringLiteral("pressure_at_fixture_text")].toString(), lines[4].mid(21));

        // The comparison: the flow-chosen meter falls short, the one up-sizing
        // settled on repeats the job's own numbers and is the smallest passing.
        const QJsonArray meters = o[QStringLiteral("meters")].toArray();
        QVERIFY(meters.size() >= 5);
        for (int i = 0; i < meters.size(); ++i)
            QCOMPARE(meters[i].toObject()[QStringLiteral("index")].toInt(), i + 1);
        const QJsonObject fifth = meters[3].toObject(); // 1-1/2"
        QVERIFY(fifth[QStringLiteral("flow_ok")].toBool());
        QCOMPARE(fifth[QStringLiteral("pressure_ok")].toBool(), false);
        QVERIFY(!meters[2].toObject()[QStringLiteral("flow_ok")].toBool());
        QVERIFY(meters[2].toObject()[QStringLiteral("pressure_at_fixture_psi")].isDouble());
        const QJsonObject sixth = meters[4].toObject(); // 2"
        QCOMPARE(sixth[QStringLiteral("size_label")].toString(), QStringLiteral("2\""));
        for (const char *key : {"loss_meter_psi", "pressure_after_meter_psi", "pressure_at_fixture_psi"})
            QCOMPARE(sixth[QLatin1String(key)].toDouble(), o[QLatin1String(key)].toDouble());
        QCOMPARE(sixth[QStringLiteral("pressure_ok")].toBool(), true);
        QCOMPARE(o[QStringLiteral("smallest_passing")].toInt(), 5);

        // The trace: two evaluations, the last one ending on the job's result.
        const QJsonArray trace = o[QStringLiteral("trace")].toArray();
        QVERIFY(!trace.isEmpty());
        QJsonObject units_step;
        double rows_total = 0;
        for (const QJsonValue &v : trace) {
            const QJsonObject step = v.toObject();
            if (step[QStringLiteral("key")].toString() == QStringLiteral("fixture_units"))
                units_step = step;
            if (step[QStringLiteral("key")].toString() == QStringLiteral("fixture_row"))
                rows_total += step[QStringLiteral("result")].toDouble();
        }
        QCOMPARE(units_step[QStringLiteral("result")].toDouble(), 55.25);
        QCOMPARE(rows_total, 55.25);
        const QJsonObject last = trace.last().toObject();
        QCOMPARE(last[QStringLiteral("key")].toString(), QStringLiteral("pressure_at_fixture"));
        QCOMPARE(last[QStringLiteral("evaluation")].toInt(), 2);
        QCOMPARE(last[QStringLiteral("result")].toDouble(), o[QStringLiteral("pressure_at_fixture_psi")].toDouble());
    }

    // The sample job with a number past what a double holds in one of its
    // fields: a total or flow that overflows takes the too-many-fixtures
    // path, a pressure term that overflows leaves the pressure unevaluated;
    // either way no text shows a number that is none, the run fails and
    // the JSON holds a number wherever it promises one.
    void Results_Past_A_Double_data()
    {
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("demand");
        QTest::newRow("negative count overflowing the interpolation") << QList<int>{10} << "-2e307" << true;
        QTest::newRow("irrigation and Note A flows") << QList<int>{43, 44} << "1.7e308" << true;
        QTest::newRow("service and plumbing lengths") << QList<int>{53, 59} << "1e308" << false;
    }
    void Results_Past_A_Double()
    {
        QFETCH(QList<int>, lines);
        QFETCH(QString, value);
        QFETCH(bool, demand);
        QFile sample(QCoreApplication::applicationDirPath() + QStringLiteral("/Sample.qvl"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        QList<QByteArray> fields = sample.readAll().split('\n');
        for (int line : lines)
            fields[line - 1] = '"' + value.toLatin1() + "\"\r";
        QTemporaryDir jobs;
        const QString job = Write_Job(jobs, QStringLiteral("past.qvl"), fields.join('\n'));

        const Run text = Command({QStringLiteral("--calc"), job}, settings_);
        QCOMPARE(text.status, 1);
        static const QRegularExpression no_number(QStringLiteral("nan|inf|: \\.|[^0-9]\\. gpm"),
                                                  QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(!text.out.contains(no_number), qPrintable(text.out));
        QCOMPARE(text.out.contains(QStringLiteral("Max. Design Flow: Oops gpm\n")), demand);
        QCOMPARE(text.out.contains(QStringLiteral("Message: ") + Too_Many_Fixtures_Message), demand);
        QVERIFY(text.out.contains(QStringLiteral("Pressure at Fixture: n/a\n")));

        const Run json = Command({QStringLiteral("--calc"), QStringLiteral("--json"), job}, settings_);
        QCOMPARE(json.status, 1);
        const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).array().first().toObject();
        QVERIFY(o[QStringLiteral("fixture_units")].isDouble());
        QCOMPARE(o[QStringLiteral("design_flow_gpm")].isDouble(), !demand);
        QCOMPARE(o[QStringLiteral("pressure_evaluated")].toBool(), false);
        // A number that is none would have become null here.
        const QJsonArray trace = o[QStringLiteral("trace")].toArray();
        for (const QJsonValue &v : trace) {
            const QJsonObject step = v.toObject();
            QVERIFY2(step[QStringLiteral("result")].isDouble(), qPrintable(step[QStringLiteral("key")].toString()));
            for (const QJsonValue &input : step[QStringLiteral("inputs")].toArray())
                QVERIFY2(input.toObject()[QStringLiteral("value")].isDouble(),
                         qPrintable(step[QStringLiteral("key")].toString()));
            QCOMPARE(step[QStringLiteral("evaluation")].toInt(), 0);
        }
        for (const QJsonValue &m : o[QStringLiteral("meters")].toArray())
            QVERIFY(m.toObject()[QStringLiteral("limit_gpm")].isDouble());
    }

    void Report_Output()
    {
        const QString sample = Program_Folder() + QStringLiteral("/Sample.qvl");
        if (!QFile::exists(sample))
            QFAIL("no sample job");
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("r.prn"));
        const Run r = Command({QStringLiteral("--report"), sample, QStringLiteral("-o"), path}, settings_);
        QCOMPARE(r.status, 0);
        const QByteArray bytes = Read_File(path);
        QVERIFY(bytes.startsWith(QByteArray(66, '-') + "\r\n  Date:     "));
        QVERIFY(bytes.contains("Pressure Available at Controlling Fixture:"));
        const Run to_stdout = Command({QStringLiteral("--report"), sample}, settings_);
        QCOMPARE(to_stdout.out.toLatin1(), bytes);
    }
    // --report -o that cannot write keeps the earlier file, says why and
    // ends with status 2; so does a report to a full standard output.
    void Report_Output_Failures_data()
    {
        QTest::addColumn<int>("fault");
        for (const Fault f : {Fault::Full_Disk, Fault::Read_Only_File})
            QTest::newRow(Fault_Name(f)) << int(f);
        QTest::newRow("standard output on a full device") << -1;
    }
    void Report_Output_Failures()
    {
        QFETCH(int, fault);
        const QString sample = Program_Folder() + QStringLiteral("/Sample.qvl");
        if (!QFile::exists(sample))
            QFAIL("no sample job");
        if (fault < 0) {
            FILE *full = std::fopen("/dev/full", "w");
            if (!full)
                QSKIP("no /dev/full here");
            FILE *err = std::tmpfile();
            const int status = Run_Command_Line({QStringLiteral("--report"), sample},
                                                Program_Folder(), full, err, settings_);
            std::fclose(full);
            std::rewind(err);
            char text[512] = {};
            const size_t n = std::fread(text, 1, sizeof text - 1, err);
            std::fclose(err);
            QCOMPARE(status, 2);
            QVERIFY(QString::fromLocal8Bit(text, qsizetype(n)).contains(QString::fromLocal8Bit(std::strerror(ENOSPC))));
            return;
        }
        Fault_Folder folder{Fault(fault)};
        if (!folder.Skip_Reason.isEmpty())
            QSKIP(qPrintable(folder.Skip_Reason));
        const QByteArray earlier("an earlier report\r\n");
        QVERIFY(folder.Place(QStringLiteral("r.prn"), earlier));
        if (!folder.Arm(QStringLiteral("r.prn"))) {
            if (!folder.Skip_Reason.isEmpty())
                QSKIP(qPrintable(folder.Skip_Reason));
            QFAIL("the fault could not be made");
        }
        const Run r = Command({QStringLiteral("--report"), sample, QStringLiteral("-o"), folder.Path(QStringLiteral("r.prn"))},
                              settings_);
        folder.Disarm();
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(folder.Reason()), qPrintable(r.err));
        QCOMPARE(folder.Read(QStringLiteral("r.prn")), earlier);
        QCOMPARE(folder.Strays(QStringLiteral("r.prn")), QStringList());
    }
};

QTEST_GUILESS_MAIN(Test_Command_Line)
#include "tst_command_line.moc"
