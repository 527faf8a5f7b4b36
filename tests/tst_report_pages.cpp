#include "engineering_report.h"
#include "job_file.h"
#include "number_format.h"
#include "program_state.h"
#include "report_pages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

QString Program_Folder()
{
    return QCoreApplication::applicationDirPath();
}

struct Run {
    int status = -1;
    QByteArray out, err;
};

// The program itself, with a settings folder of its own so that the
// factory meter list is used whatever the user's settings say.
Run Quorvel(const QStringList &args, const QString &home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(Program_Folder() + QStringLiteral("/Quorvel"), args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The text a PDF reader extracts, of one page when page is given.
QString Pdf_Text(const QString &pdf, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The line of text holding what, empty when there is none.
QString Line_With(const QString &text, const QString &what)
{
    const qsizetype at = text.indexOf(what);
    if (at < 0)
        return QString();
    const qsizetype from = text.lastIndexOf(u'\n', at) + 1;
    const qsizetype to = text.indexOf(u'\n', at);
    return text.mid(from, (to < 0 ? text.size() : to) - from);
}

// The numbers with two decimals on a line, in order.
QList<double> Two_Decimals(const QString &line)
{
    static const QRegularExpression number(QStringLiteral("(?<![0-9.])-?[0-9]+\\.[0-9]{2}(?![0-9])"));
    QList<double> out;
    for (auto it = number.globalMatch(line); it.hasNext();)
        out << it.next().captured().toDouble();
    return out;
}

bool Close(double printed, double exact, int decimals = 2)
{
    return std::fabs(printed - exact) <= 0.5 * std::pow(10.0, -decimals) + 1e-9;
}

QString Section(const QString &text, const QString &from, const QString &to)
{
    const qsizetype a = text.indexOf(from);
    const qsizetype b = text.indexOf(to, a < 0 ? 0 : a);
    return a < 0 ? QString() : text.mid(a, (b < 0 ? text.size() : b) - a);
}

// The sample job calculated, after change when given.
Calculation_Record Sample_Record(const std::function<void(Program_State &)> &change = {})
{
    Program_State state;
    Set_Program_Paths(state, Program_Folder());
    state.Settings = Settings_Fields::Factory();
    Load_Tables(state);
    Reset_Job(state.Job, state.Settings, Reset_Kind::Startup, QDate(2026, 12, 9));
    Read_Job_File(state, Program_Folder() + QStringLiteral("/Sample.qvl"));
    state.Job_File_Name = Program_Folder() + QStringLiteral("/Sample.qvl");
    if (change)
        change(state);
    const Calc_Outcome outcome = state.Calculate_Job();
    return Record_Calculation(state, outcome);
}

// The text of each page of the sample's PDF with a list of fifty meters.
QStringList Long_Job_Pages(const QString &pdf)
{
    const Calculation_Record record = Sample_Record([](Program_State &state) {
        const Meter_Entry base = state.Meters.Entries.first();
        state.Meters.Entries.clear();
        for (int k = 1; k <= Max_Table_Records; ++k) {
            Meter_Entry m = base;
            m.Size_Label = QStringLiteral("S%1").arg(k);
            m.Make = QStringLiteral("Maker");
            m.Model = QStringLiteral("Model-%1").arg(k);
            m.Max_Flow = m.Max_Continuous_Flow = 2.0 * k;
            for (int p = 0; p < 3; ++p) {
                m.Loss_Point_Flow[p] = k * (p + 1.0);
                m.Loss_Point_Loss[p] = 5.0 * (p + 1);
            }
            state.Meters.Entries << m;
        }
    });
    QStringList pages;
    if (!Write_Engineering_Pdf(record, pdf, nullptr))
        return pages;
    for (QString text; !(text = Pdf_Text(pdf, int(pages.size()) + 1)).isEmpty();)
        pages << text;
    return pages;
}

// Share of pixels that are not white.
double Ink(const QImage &image)
{
    qint64 ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixel(x, y) != qRgb(255, 255, 255);
    }
    return double(ink) / (qint64(image.width()) * image.height());
}

} // namespace

class Test_Report_Pages : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    QTemporaryDir out_;
    QString sample_text_; // of --pdf on the sample
    QStringList long_pages_; // the text of each page of a job with fifty meters

private slots:
    void initTestCase()
    {
        for (const char *file : {"/Quorvel", "/Sample.qvl", "/Table-3.dat", "/AWWA-Standard.mtr"}) {
            if (!QFile::exists(Program_Folder() + QLatin1String(file)))
                QFAIL(qPrintable(QStringLiteral("missing beside the test: %1").arg(QLatin1String(file))));
        }
        QProcess probe;
        probe.start(QStringLiteral("pdftotext"), {QStringLiteral("-v")});
        if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit)
            QFAIL("pdftotext (poppler-utils) is not installed");
        const QString pdf = out_.filePath(QStringLiteral("sample.pdf"));
        const Run made = Quorvel({QStringLiteral("--pdf"), Program_Folder() + QStringLiteral("/Sample.qvl"),
                                  QStringLiteral("-o"), pdf},
                                 home_.path());
        QCOMPARE(made.status, 0);
        sample_text_ = Pdf_Text(pdf);
    }

    // What a reviewer looks for on the sample's pages: page numbers, the
    // sign-off block, the date of issue, and every design input of the
    // pressure check on one line with the value the calculation used.
    void Reviewer_Pages_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("value");
        const Sizing_Job job = Sample_Record().State.Job;
        QCOMPARE(job.Meter_Location, QStringLiteral("Inside"));
        const auto row = [](const char *name, const QString &label, const QString &value) {
            QTest::newRow(name) << label << value;
        };
        const auto input = [&](const char *label, const Loose_Value &v, const char *unit) {
            const QString n = Report_Number(v.Number(), QLatin1String(unit));
            row(label, QLatin1String(label), *unit ? n + u' ' + QLatin1String(unit) : n);
        };
        const QString date_line = QStringLiteral("____ / ____ / ______");
        row("page number", QStringLiteral("Page 1 of "), QStringLiteral("Quorvel"));
        row("prepared by", QStringLiteral("Prepared by"), job.Calculated_By);
        row("checked by", QStringLiteral("Checked by"), date_line);
        row("approved by", QStringLiteral("Approved by"), date_line);
        row("seal", QStringLiteral("Professional seal"), QString());
        row("date of issue", QStringLiteral("Date of issue"), Short_Date_Text(QDate::currentDate()));
        row("assumptions", QStringLiteral("8. Assumptions and limits"), QString());
        row("ligature-free", QStringLiteral("flow"), QString());
        input("Minimum pressure at the water main", job.Pressure_Min_Main, "psi");
        input("Elevation rise, water main to meter", job.Elev_Main_Meter, "ft");
        row("meter location", QStringLiteral("Meter location"), job.Meter_Location);
        input("Service lateral diameter, main to curb box", job.Dia_Service_1, "in");
        input("Service lateral length, main to curb box", job.Len_Main_CB, "ft");
        input("Service lateral C factor, main to curb box", job.C_Service_1, "");
        input("Service lateral diameter, curb box to meter", job.Dia_Service_2, "in");
        input("Service lateral length, curb box to meter", job.Len_CB_Meter, "ft");
        input("Service lateral C factor, curb box to meter", job.C_Service_2, "");
        input("Elevation rise, meter to controlling fixture", job.Elev_Meter_Fixture, "ft");
        input("Plumbing diameter after the meter", job.Dia_Plumbing, "in");
        input("Plumbing length to the controlling fixture", job.Len_Meter_Fixture, "ft");
        input("Length factor for fittings", job.Len_Factor, "");
        input("Plumbing C factor", job.C_Plumbing, "");
        input("Treatment devices loss", job.Pressure_Treatment, "psi");
        input("Required pressure at the controlling fixture", job.Pressure_Fixture, "psi");
    }
    void Reviewer_Pages()
    {
        QFETCH(QString, label);
        QFETCH(QString, value);
        const QString line = Line_With(sample_text_, label);
        QVERIFY2(!line.isEmpty(), qPrintable(label));
        QVERIFY2(line.contains(value), qPrintable(line));
        static const QRegularExpression ligature(QStringLiteral("[\\x{FB00}-\\x{FB06}]"));
        QVERIFY(!sample_text_.contains(ligature));
    }

    // A job whose tables run over several pages (fifty meters): every page
    // with rows of a table starts them under its header, each row lies whole
    // on one page (its model, on the row's last line, beside its number),
    // every row is there once, and each page has its number and, after the
    // first, the running header.
    void Long_Tables_data()
    {
        QTest::addColumn<QString>("row"); // a row's first line, capturing its number
        QTest::addColumn<QString>("header");
        QTest::newRow("meter choice") << QStringLiteral("(?:^|\\n) *(\\d+) +S\\1 ") << QStringLiteral("Q \u2264 rating");
        QTest::newRow("comparison") << QStringLiteral("(?:^|\\n) *#(\\d+) +S\\1 ") << QStringLiteral("Rating gpm");
    }
    void Long_Tables()
    {
        QFETCH(QString, row);
        QFETCH(QString, header);
        if (long_pages_.isEmpty())
            long_pages_ = Long_Job_Pages(out_.filePath(QStringLiteral("long.pdf")));
        const QStringList &pages = long_pages_;
        QVERIFY(pages.size() >= 4);
        const QRegularExpression first_line(row);
        QMap<int, int> page_of; // row number -> page
        QSet<int> table_pages;
        for (int p = 0; p < pages.size(); ++p) {
            QVERIFY2(pages[p].contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())), qPrintable(pages[p]));
            if (p > 0)
                QVERIFY(Line_With(pages[p], QStringLiteral("Sample.qvl")).contains(QStringLiteral("Riverside")));
            for (auto it = first_line.globalMatch(pages[p]); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                const int k = m.captured(1).toInt();
                QVERIFY2(!page_of.contains(k), qPrintable(QStringLiteral("row %1 twice").arg(k)));
                page_of[k] = p;
                table_pages << p;
                QVERIFY2(pages[p].indexOf(header) >= 0 && pages[p].indexOf(header) < m.capturedStart(),
                         qPrintable(QStringLiteral("page %1: row %2 without the header above").arg(p + 1).arg(k)));
                QVERIFY2(pages[p].contains(QRegularExpression(QStringLiteral("Model-%1\\b").arg(k))),
                         qPrintable(QStringLiteral("row %1 split from its model").arg(k)));
            }
        }
        QCOMPARE(page_of.size(), Max_Table_Records);
        QCOMPARE(page_of.firstKey(), 1);
        QCOMPARE(page_of.lastKey(), Max_Table_Records);
        QVERIFY(table_pages.size() >= 2);
    }

    // --pdf exits 0 whenever it wrote the PDF, for a job that fails its
    // pressure check too, and 2 when it wrote none.
    void Pdf_Exit_Status_data()
    {
        QTest::addColumn<QByteArray>("required"); // the required pressure's line; empty: the sample's
        QTest::addColumn<bool>("folder_exists");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("holds");
        QTest::newRow("passes") << QByteArray() << true << 0 << QStringLiteral("meets the required");
        QTest::newRow("fails its pressure check") << QByteArray("\"48\"") << true << 0 << QStringLiteral("[Fail]");
        QTest::newRow("output folder missing") << QByteArray() << false << 2 << QString();
    }
    void Pdf_Exit_Status()
    {
        QFETCH(QByteArray, required);
        QFETCH(bool, folder_exists);
        QFETCH(int, status);
        QFETCH(QString, holds);
        QTemporaryDir dir;
        QFile sample(Program_Folder() + QStringLiteral("/Sample.qvl"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = sample.readAll().split('\n');
        QCOMPARE(lines.value(62), QByteArray("\"30\"\r")); // the required pressure
        if (!required.isEmpty())
            lines[62] = required + '\r';
        const QString job = dir.filePath(QStringLiteral("job.qvl"));
        QFile out(job);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(lines.join('\n'));
        out.close();
        const QString pdf = dir.filePath(folder_exists ? QStringLiteral("job.pdf") : QStringLiteral("none/job.pdf"));
        const Run r = Quorvel({QStringLiteral("--pdf"), job, QStringLiteral("-o"), pdf}, home_.path());
        QVERIFY2(r.status == status, r.err.constData());
        QCOMPARE(QFile::exists(pdf), status == 0);
        if (!holds.isEmpty())
            QVERIFY(Pdf_Text(pdf).contains(holds));
    }

    // --pdf on the sample: every number of the typeset report is the one
    // --calc --json gives for the same job.
    void Sample_Pdf_Agrees_With_Json()
    {
        QTemporaryDir out;
        const QString sample = Program_Folder() + QStringLiteral("/Sample.qvl");
        const QString pdf = out.filePath(QStringLiteral("sample.pdf"));
        const Run made = Quorvel({QStringLiteral("--pdf"), sample, QStringLiteral("-o"), pdf}, home_.path());
        QCOMPARE(made.status, 0);
        QVERIFY(made.err.contains("Message: Meter up sized 1 meter size"));
        const Run json_run = Quorvel({QStringLiteral("--calc"), QStringLiteral("--json"), sample}, home_.path());
        QCOMPARE(json_run.status, 0);
        const QJsonObject job = QJsonDocument::fromJson(json_run.out).array().first().toObject();
        QVERIFY(!job.isEmpty());
        const QString text = Pdf_Text(pdf);
        QVERIFY2(text.size() > 1000, "pdftotext read nothing");

        // The title block.
        QVERIFY(text.contains(QStringLiteral("Riverside")));
        QVERIFY(text.contains(QStringLiteral("J. Alvarez, P.E.")));
        QVERIFY(text.contains(QStringLiteral("AWWA-Standard.mtr")));
        QVERIFY(text.contains(QStringLiteral("Quorvel 1.02.0808")));

        const QJsonArray trace = job[QStringLiteral("trace")].toArray();
        const auto input = [](const QJsonObject &step, const QString &name) {
            for (const QJsonValue &v : step[QStringLiteral("inputs")].toArray()) {
                if (v.toObject()[QStringLiteral("name")].toString() == name)
                    return v.toObject()[QStringLiteral("value")].toDouble();
            }
            return qQNaN();
        };

        // The fixture table: each counted row with its count, units each and subtotal.
        const QString fixtures = Section(text, QStringLiteral("1. Fixture units"), QStringLiteral("2. Design flow"));
        int rows = 0;
        for (const QJsonValue &v : trace) {
            const QJsonObject s = v.toObject();
            if (s[QStringLiteral("key")].toString() != QStringLiteral("fixture_row"))
                continue;
            ++rows;
            const QString title = s[QStringLiteral("title")].toString();
            const QString line = Section(fixtures, title, QStringLiteral("\n"));
            QVERIFY2(!line.isEmpty(), qPrintable(title));
            const QStringList cells = line.mid(title.size()).simplified().split(u' ');
            QCOMPARE(cells.size(), 3);
            QCOMPARE(cells[0].toDouble(), input(s, QStringLiteral("count")));
            QCOMPARE(cells[1].toDouble(), input(s, QStringLiteral("FU each")));
            QCOMPARE(cells[2].toDouble(), s[QStringLiteral("result")].toDouble());
        }
        QCOMPARE(rows, 6);
        static const QRegularExpression total(QStringLiteral("Total fixture units FU = .* ([0-9.]+)\\n"));
        const QRegularExpressionMatch t = total.match(fixtures);
        QVERIFY(t.hasMatch());
        QCOMPARE(t.captured(1).toDouble(), job[QStringLiteral("fixture_units")].toDouble());
        QVERIFY(fixtures.contains(QStringLiteral("Fixture units as reported: ")
                                  + job[QStringLiteral("fixture_units_text")].toString()));

        // The demand step: the two points, the interpolation and the design flow.
        const QString demand = Section(text, QStringLiteral("2. Design flow"), QStringLiteral("3. Meter choice"));
        QJsonObject table_step, flow_step;
        for (const QJsonValue &v : trace) {
            const QString key = v.toObject()[QStringLiteral("key")].toString();
            if (key == QStringLiteral("demand_table"))
                table_step = v.toObject();
            if (key == QStringLiteral("design_flow"))
                flow_step = v.toObject();
        }
        const QList<double> lower = Two_Decimals(Section(demand, QStringLiteral("Lower (FU1, Q1)"), QStringLiteral("\n")));
        const QList<double> upper = Two_Decimals(Section(demand, QStringLiteral("Upper (FU2, Q2)"), QStringLiteral("\n")));
        QCOMPARE(lower.size(), 1);
        QCOMPARE(upper.size(), 1);
        QVERIFY(Close(lower[0], input(table_step, QStringLiteral("Q1"))));
        QVERIFY(Close(upper[0], input(table_step, QStringLiteral("Q2"))));
        QVERIFY(demand.contains(QStringLiteral("%1 FU").arg(input(table_step, QStringLiteral("FU1")))));
        QVERIFY(demand.contains(QStringLiteral("%1 FU").arg(input(table_step, QStringLiteral("FU2")))));
        static const QRegularExpression qt(QStringLiteral("Qt = [^\\n]* = ([0-9.]+) gpm"));
        static const QRegularExpression q(QStringLiteral("\\bQ = [^\\n]* = ([0-9.]+) gpm"));
        QVERIFY(Close(qt.match(demand).captured(1).toDouble(), table_step[QStringLiteral("result")].toDouble()));
        QVERIFY(Close(q.match(demand).captured(1).toDouble(), job[QStringLiteral("design_flow_gpm")].toDouble()));
        QVERIFY(Close(q.match(demand).captured(1).toDouble(), flow_step[QStringLiteral("result")].toDouble()));
        QVERIFY(demand.contains(QStringLiteral("Design flow as reported: ") + job[QStringLiteral("design_flow_text")].toString()));

        // The pressure chain: every term's result, in the trace's order, and
        // each up-sizing step's pressure.
        const QString chain = Section(text, QStringLiteral("4. Pressure chain"), QStringLiteral("5. Result"));
        static const QRegularExpression term(QStringLiteral("\\b(Ls1|Ls2|Lm|Pa|A|Lp|Pf) = (-?[0-9]+\\.[0-9]{2}) psi"));
        QList<QPair<QString, double>> printed;
        for (auto it = term.globalMatch(chain); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            printed << qMakePair(m.captured(1), m.captured(2).toDouble());
        }
        QList<QPair<QString, double>> expected;
        for (const QJsonValue &v : trace) {
            const QJsonObject s = v.toObject();
            if (s[QStringLiteral("evaluation")].toInt() == 0)
                continue;
            if (s[QStringLiteral("key")].toString() == QStringLiteral("upsize")) {
                expected << qMakePair(QStringLiteral("Pf"), input(s, QStringLiteral("Pf")));
                continue;
            }
            const QString formula = s[QStringLiteral("formula")].toString();
            expected << qMakePair(formula.left(formula.indexOf(QStringLiteral(" = "))), s[QStringLiteral("result")].toDouble());
        }
        QCOMPARE(expected.size(), 15); // two evaluations of seven terms and one up-sizing step
        QCOMPARE(printed.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(printed[i].first, expected[i].first);
            QVERIFY2(Close(printed[i].second, expected[i].second),
                     qPrintable(QStringLiteral("%1: %2 printed, %3 computed")
                                    .arg(expected[i].first).arg(printed[i].second).arg(expected[i].second)));
        }
        // The last evaluation is the job's result.
        for (const char *key : {"loss_meter_psi", "pressure_after_meter_psi", "pressure_at_fixture_psi"}) {
            const QString symbol = QString::fromLatin1(key).startsWith(u'l') ? QStringLiteral("Lm")
                                   : QString::fromLatin1(key).contains(QStringLiteral("after")) ? QStringLiteral("Pa")
                                                                                             : QStringLiteral("Pf");
            double last = qQNaN();
            for (const auto &p : printed) {
                if (p.first == symbol)
                    last = p.second;
            }
            QVERIFY(Close(last, job[QLatin1String(key)].toDouble()));
        }

        // The text report of the same job prints the chain with one decimal:
        // the same numbers.
        const Run report = Quorvel({QStringLiteral("--report"), sample}, home_.path());
        QCOMPARE(report.status, 0);
        const QString report_text = QString::fromLatin1(report.out);
        const QList<QPair<const char *, const char *>> report_lines = {
            {"Loss - Service Lateral (Main to CB):", "loss_service_1_psi"},
            {"Loss - Service Lateral (CB to Meter):", "loss_service_2_psi"},
            {"Loss - Meter:", "loss_meter_psi"},
            {"Pressure Available after Meter:", "pressure_after_meter_psi"},
            {"Calculated A Value Based on Uniform Pressure Calc:", "a_value_psi_per_100ft"},
            {"Loss - Plumbing to Controlling Fixture (UPC):", "loss_plumbing_psi"},
            {"Pressure Available at Controlling Fixture:", "pressure_at_fixture_psi"}};
        for (const auto &[label, key] : report_lines) {
            const QString line = Section(report_text, QLatin1String(label), QStringLiteral("\r\n"));
            QVERIFY2(!line.isEmpty(), label);
            const double printed = line.mid(qsizetype(std::strlen(label))).trimmed().section(u' ', 0, 0).toDouble();
            QVERIFY2(Close(printed, job[QLatin1String(key)].toDouble(), 1), label);
        }

        // The result against the required pressure, with the texts the window shows.
        const QString result = Section(text, QStringLiteral("5. Result"), QStringLiteral("6. Pressure profile"));
        for (const char *key : {"fixture_units_text", "design_flow_text", "meter_size_text", "pressure_at_fixture_text"})
            QVERIFY2(result.contains(job[QLatin1String(key)].toString()), key);
        QVERIFY(result.contains(QStringLiteral("meets the required")));

        // The comparison table: every meter in list order with its numbers.
        const QString comparison = Section(text, QStringLiteral("7. Every meter of the list"), QStringLiteral("Note"));
        const QJsonArray meters = job[QStringLiteral("meters")].toArray();
        QVERIFY(meters.size() > 1);
        {
            static const QRegularExpression row(QStringLiteral("(^|\\n)\\s*#\\d+\\s"));
            int rows = 0;
            for (auto it = row.globalMatch(comparison); it.hasNext(); it.next())
                ++rows;
            QCOMPARE(rows, int(meters.size()));
        }
        for (const QJsonValue &v : meters) {
            const QJsonObject m = v.toObject();
            const int index = m[QStringLiteral("index")].toInt();
            static const QRegularExpression line_start(QStringLiteral("(^|\\n)\\s*#(\\d+)\\s"));
            QString line;
            for (auto it = line_start.globalMatch(comparison); it.hasNext();) {
                const QRegularExpressionMatch s = it.next();
                if (s.captured(2).toInt() == index)
                    line = Section(comparison.mid(s.capturedStart(2) - 1), QStringLiteral("#"), QStringLiteral("\n"));
            }
            QVERIFY2(!line.isEmpty(), qPrintable(QStringLiteral("no row #%1").arg(index)));
            // A long size label may wrap in its cell; its first word stays on the row's line.
            QVERIFY(line.contains(m[QStringLiteral("size_label")].toString().section(u' ', 0, 0)));
            const QList<double> numbers = Two_Decimals(line);
            QCOMPARE(numbers.size(), 4);
            QVERIFY(Close(numbers[0], m[QStringLiteral("limit_gpm")].toDouble()));
            QVERIFY(Close(numbers[1], m[QStringLiteral("loss_meter_psi")].toDouble()));
            QVERIFY(Close(numbers[2], m[QStringLiteral("pressure_after_meter_psi")].toDouble()));
            QVERIFY(Close(numbers[3], m[QStringLiteral("pressure_at_fixture_psi")].toDouble()));
            static const QRegularExpression verdict(QStringLiteral("\\b(pass|fail)\\b"));
            QStringList verdicts;
            for (auto it = verdict.globalMatch(line); it.hasNext();)
                verdicts << it.next().captured(1);
            QCOMPARE(verdicts, (QStringList{m[QStringLiteral("flow_ok")].toBool() ? "pass" : "fail",
                                            m[QStringLiteral("pressure_ok")].toBool() ? "pass" : "fail"}));
            QCOMPARE(line.contains(QStringLiteral("smallest")), index == job[QStringLiteral("smallest_passing")].toInt());
        }

        // Every page renders and carries something.
        QProcess render;
        render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"), pdf,
                                                  out.filePath(QStringLiteral("page"))});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        const QStringList pages = QDir(out.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
        QVERIFY(pages.size() >= 3);
        for (const QString &page : pages)
            QVERIFY2(Ink(QImage(out.filePath(page))) > 0.005, qPrintable(page));
    }

    // Job files that are not jobs: the program says so or sizes what it can
    // read; it never leaves a broken PDF behind.
    void Hostile_Job_Files_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01\x89PNG\r\n\x1a\n\x00\x00", 14).repeated(300);
        QTest::newRow("truncated") << QByteArray("\"1.02.0808\"\r\n\"12/9/2026\"\r\n\"Half a jo");
        QTest::newRow("utf-16") << QByteArray("\xff\xfe\"\x00" "1\x00.\x00" "0\x00" "2\x00\"\x00", 14);
        QTest::newRow("huge counts") << QByteArray("\"1.02.0808\"\r\n\"12/9/2026\"\r\n\"L\"\r\n\"B\"\r\n 0 \r\nTrue\r\n"
                                                   "False\r\nFalse\r\nTrue\r\n\"1e308\"\r\n\"1e308\"\r\n");
        QTest::newRow("no such file") << QByteArray("-");
    }
    void Hostile_Job_Files()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QString job = dir.filePath(QStringLiteral("job.qvl"));
        if (bytes == "-") {
            job = dir.filePath(QStringLiteral("missing.qvl"));
        } else {
            QFile f(job);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const Run r = Quorvel({QStringLiteral("--pdf"), job, QStringLiteral("-o"), pdf}, home_.path());
        QVERIFY2(r.status == 0 || r.status == 1 || r.status == 2, r.err.constData());
        if (r.status == 2) {
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(5);
        QCOMPARE(head, QByteArray("%PDF-"));
        QVERIFY(Pdf_Text(pdf).contains(QStringLiteral("1. Fixture units")));
    }

    void Usage_Errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no job") << QStringList{"--pdf"};
        QTest::newRow("two jobs") << QStringList{"--pdf", "a.qvl", "b.qvl"};
        QTest::newRow("with json") << QStringList{"--pdf", "--json", "a.qvl"};
        QTest::newRow("with calc") << QStringList{"--pdf", "--calc", "a.qvl"};
    }
    void Usage_Errors()
    {
        QFETCH(QStringList, args);
        const Run r = Quorvel(args, home_.path());
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains("Usage:"));
    }

    // A PDF or picture replaces its file only when written completely.
    void Replacing_Is_All_Or_Nothing()
    {
        const Calculation_Record record = Sample_Record();
        QTemporaryDir dir;
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(locked));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        const QString in_locked = locked + QStringLiteral("/r.pdf");
        QString error;
        if (::geteuid() != 0) { // root writes into read-only folders
            QVERIFY(!Write_Engineering_Pdf(record, in_locked, &error));
            QVERIFY(!error.isEmpty());
            QVERIFY(!QFile::exists(in_locked));
            QVERIFY(!Save_Profile_Png(record, locked + QStringLiteral("/p.png"), QSize(300, 200), &error));
        }
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        if (::geteuid() != 0)
            QSKIP("a full file system needs root to mount a small tmpfs");
        const QString small = dir.filePath(QStringLiteral("small"));
        QVERIFY(QDir().mkdir(small));
        QProcess mount;
        mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                              QStringLiteral("size=64k"), QStringLiteral("tmpfs"), small});
        QVERIFY(mount.waitForFinished(10000));
        QVERIFY2(mount.exitCode() == 0, mount.readAllStandardError().constData());
        const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {small}); });
        const QString target = small + QStringLiteral("/report.pdf");
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the earlier report");
        }
        QVERIFY(!Write_Engineering_Pdf(record, target, &error));
        QVERIFY(!error.isEmpty());
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("the earlier report"));
        QCOMPARE(QDir(small).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("report.pdf")});
        QVERIFY(!Save_Profile_Png(record, small + QStringLiteral("/p.png"), QSize(3000, 2000), &error));
        QVERIFY(!QFile::exists(small + QStringLiteral("/p.png")));
    }

    // The profile picture: stations drawn, the required line in red, and a
    // job without a pressure evaluation says so instead of drawing nothing.
    void Profile_Picture()
    {
        const Calculation_Record record = Sample_Record();
        QCOMPARE(record.Profile.size(), 8);
        const QImage image = Pressure_Profile_Image(record.Profile, 30, QSize(960, 600));
        QVERIFY(Ink(image) > 0.02);
        int red = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
            }
        }
        QVERIFY(red > 200); // the dashed required-pressure line and its label

        const QImage none = Pressure_Profile_Image({}, 30, QSize(960, 600));
        QVERIFY(Ink(none) > 0.0005);
        QVERIFY(Ink(none) < Ink(image));

        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("profile.png"));
        QString error;
        QVERIFY2(Save_Profile_Png(record, png, QSize(800, 500), &error), qPrintable(error));
        const QImage read(png);
        QCOMPARE(read.size(), QSize(800, 500));
    }
};

QTEST_MAIN(Test_Report_Pages)
#include "tst_report_pages.moc"
