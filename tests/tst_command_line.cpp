#include "calculate.h"
#include "command_line.h"
#include "fault_folder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
    r.status = Run_Command_Line(args, QCoreApplication::applicationDirPath(), out, err, settings_file);
    std::fclose(out);
    std::fclose(err);
    QFile o(QString::fromLocal8Bit(out_path)), e(QString::fromLocal8Bit(err_path));
    o.open(QIODevice::ReadOnly);
    e.open(QIODevice::ReadOnly);
    r.out = QString::fromUtf8(o.readAll());
    r.err = QString::fromUtf8(e.readAll());
    return r;
}

QString Write_Job(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
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
        if (!QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/Table-1.dat")))
            QFAIL("shipped data files are not beside the test");
        settings_ = dir_.filePath(QStringLiteral("settings.ini"));
    }

    void Usage_Errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no job") << QStringList{"--calc"};
        QTest::newRow("unknown option") << QStringList{"--calc", "--fast", "a.qvl"};
        QTest::newRow("missing value") << QStringList{"--calc", "a.qvl", "--data-dir"};
        QTest::newRow("two commands") << QStringList{"--calc", "--report", "a.qvl"};
        QTest::newRow("report of two jobs") << QStringList{"--report", "a.qvl", "b.qvl"};
        QTest::newRow("json with report") << QStringList{"--report", "--json", "a.qvl"};
        QTest::newRow("output with calc") << QStringList{"--calc", "-o", "x", "a.qvl"};
        QTest::newRow("data dir missing") << QStringList{"--calc", "--data-dir", "/no/such/folder", "a.qvl"};
        // This library links no Gui: without the program's writer --pdf says so.
        QTest::newRow("pdf without a writer") << QStringList{"--pdf", QCoreApplication::applicationDirPath() + "/Sample.qvl"};
        QTest::newRow("pdf of two jobs") << QStringList{"--pdf", "a.qvl", "b.qvl"};
    }
    void Usage_Errors()
    {
        QFETCH(QStringList, args);
        const Run r = Command(args, settings_);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.startsWith(QStringLiteral("Quorvel: ")));
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
        const QString sample = QCoreApplication::applicationDirPath() + QStringLiteral("/Sample.qvl");
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
        const QString sample = QCoreApplication::applicationDirPath() + QStringLiteral("/Sample.qvl");
        if (!QFile::exists(sample))
            QFAIL("no sample job");
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("r.prn"));
        const Run r = Command({QStringLiteral("--report"), sample, QStringLiteral("-o"), path}, settings_);
        QCOMPARE(r.status, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
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
        const QString sample = QCoreApplication::applicationDirPath() + QStringLiteral("/Sample.qvl");
        if (!QFile::exists(sample))
            QFAIL("no sample job");
        if (fault < 0) {
            FILE *full = std::fopen("/dev/full", "w");
            if (!full)
                QSKIP("no /dev/full here");
            FILE *err = std::tmpfile();
            const int status = Run_Command_Line({QStringLiteral("--report"), sample},
                                                QCoreApplication::applicationDirPath(), full, err, settings_);
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
