#include "demand_wdc.h"
#include "job_file.h"
#include "program_state.h"
#include "report.h"
#include "test_support.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <map>

using namespace Qt::StringLiterals;

// The Water Demand Calculator beside Hunter: its values through the shipped
// tables, its exact procedure against every on/off state, and Hunter-sized
// jobs written as before.

namespace {

// The shipped tables, the factory settings and a fresh job.
Program_State Shipped_State()
{
    Program_State state;
    Set_Program_Paths(state, Program_Folder());
    state.Settings = Settings_Fields::Factory();
    Load_Tables(state);
    Reset_Job(state.Job, state.Settings, Reset_Kind::Startup, QDate(2026, 12, 10));
    return state;
}

// Sets the count of the private table row with this code wording.
void Set_Count(Program_State &state, const QString &code, int count)
{
    for (int r = 0; r < state.Table1.Row_Count(); ++r) {
        if (state.Table1.Rows[r].Code_Description.trimmed() == code) {
            state.Job.Fixture_Count[r] = count ? QString::number(count) : QString();
            return;
        }
    }
    qFatal("no such fixture row");
}

// The 99th percentile by every on/off state of every fixture: flows in
// hundredths of a gpm, the all-idle state removed.
double Brute_Q99(const QVector<Wdc_Term> &terms)
{
    QVector<std::pair<long long, double>> fixtures; // flow, p
    for (const Wdc_Term &t : terms)
        for (int i = 0; i < int(t.Count); ++i)
            fixtures.append({std::llround(t.Q * 100), t.P});
    std::map<long long, double> by_flow;
    for (unsigned state = 1; state < (1u << fixtures.size()); ++state) {
        long long flow = 0;
        double p = 1;
        for (int f = 0; f < fixtures.size(); ++f) {
            const bool on = state & (1u << f);
            flow += on ? fixtures[f].first : 0;
            p *= on ? fixtures[f].second : 1 - fixtures[f].second;
        }
        by_flow[flow] += p;
    }
    double busy = 0;
    for (const auto &[flow, p] : by_flow)
        busy += p;
    double cumulative = 0;
    for (const auto &[flow, p] : by_flow) {
        cumulative += p / busy;
        if (cumulative >= 0.99 - 1e-12)
            return flow / 100.0;
    }
    return by_flow.rbegin()->first / 100.0;
}

} // namespace

class Test_Demand : public QObject {
    Q_OBJECT

private slots:
    // A house of 2 tub/showers, 3 lavatories, 3 tank toilets, a kitchen sink
    // and a clothes washer per dwelling is 2 bathroom groups, a toilet, a
    // lavatory, a kitchen sink and a washer in the private grid.
    void Values_Through_The_Shipped_Tables_data()
    {
        QTest::addColumn<int>("groups");
        QTest::addColumn<int>("toilets");
        QTest::addColumn<int>("lavatories");
        QTest::addColumn<int>("tubs");
        QTest::addColumn<int>("flush_valves");
        QTest::addColumn<int>("kitchens");   // and washers
        QTest::addColumn<double>("wdc");     // NaN: the method gives no value
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<double>("hunter");  // NaN: not checked
        const double none = std::nan("");
        // Published (Peak Water Demand Study, 1, 3, 9 and 27 dwellings).
        QTest::newRow("published 1 dwelling") << 2 << 1 << 1 << 0 << 0 << 1 << 11.0 << 0.05 << "exact" << 16.45;
        QTest::newRow("published 3 dwellings") << 6 << 3 << 3 << 0 << 0 << 3 << 15.5 << 0.05 << "exact" << 25.9;
        QTest::newRow("published 9 dwellings") << 18 << 9 << 9 << 0 << 0 << 9 << 24.6 << 0.05 << "modified_wistort" << 47.1;
        QTest::newRow("published 27 dwellings") << 54 << 27 << 27 << 0 << 0 << 27 << 52.6 << 0.05 << "wistort" << 94.7;
        // Computed (our own arithmetic: regression values, not published).
        QTest::newRow("computed 4 dwellings") << 8 << 4 << 4 << 0 << 0 << 4 << 17.50 << 0.005 << "exact" << none;
        QTest::newRow("computed 5 dwellings") << 10 << 5 << 5 << 0 << 0 << 5 << 18.75 << 0.005 << "modified_wistort" << none;
        QTest::newRow("computed 20 dwellings") << 40 << 20 << 20 << 0 << 0 << 20 << 41.94 << 0.005 << "wistort" << none;
        QTest::newRow("computed 100 dwellings") << 200 << 100 << 100 << 0 << 0 << 100 << 150.25 << 0.005 << "wistort" << none;
        QTest::newRow("computed lavatory and toilet") << 0 << 1 << 1 << 0 << 0 << 0 << 3.0 << 1e-9 << "exact" << none;
        QTest::newRow("computed lavatory, toilet, tub") << 0 << 1 << 1 << 1 << 0 << 0 << 7.0 << 1e-9 << "exact" << none;
        // A flush valve has no probability: its 35 gpm is added at full flow.
        QTest::newRow("flush valve at full flow") << 0 << 0 << 1 << 0 << 1 << 0 << 36.5 << 1e-9 << "exact" << none;
        QTest::newRow("nothing counted") << 0 << 0 << 0 << 0 << 0 << 0 << 0.0 << 1e-9 << "" << none;
        QTest::newRow("public use: no value") << 2 << 1 << 1 << 0 << 0 << 1 << none << 0.0 << "" << none;
    }
    void Values_Through_The_Shipped_Tables()
    {
        QFETCH(int, groups);
        QFETCH(int, toilets);
        QFETCH(int, lavatories);
        QFETCH(int, tubs);
        QFETCH(int, flush_valves);
        QFETCH(int, kitchens);
        QFETCH(double, wdc);
        QFETCH(double, tolerance);
        QFETCH(QString, procedure);
        QFETCH(double, hunter);
        Program_State state = Shipped_State();
        QVERIFY2(!state.Demand_Data.Empty(), "the shipped demand data were not read");
        state.Job.Use_Type = std::isnan(wdc) ? Use_Kind::Public : Use_Kind::Private;
        state.Refresh_Grid();
        if (state.Job.Use_Type == Use_Kind::Private) {
            Set_Count(state, u"Bathroom group - flush tank"_s, groups);
            Set_Count(state, u"Water closet - flush tank"_s, toilets);
            Set_Count(state, u"Lavatory - faucet"_s, lavatories);
            Set_Count(state, u"Bathtub - faucet"_s, tubs);
            Set_Count(state, u"Water closet - flushometer valve"_s, flush_valves);
            Set_Count(state, u"Kitchen sink - faucet"_s, kitchens);
            Set_Count(state, u"Washing machine (8 lb) - automatic"_s, kitchens);
        }
        state.Job.Demand_Method = Demand_Kind::Wdc;
        const Calc_Outcome out = state.Calculate_Job(true);
        const Demand_Methods &m = out.Methods;
        if (std::isnan(wdc)) {
            QVERIFY(!m.Wdc.Applies);
            QVERIFY(!state.Job.Sized_By_Wdc);
            QVERIFY(out.Messages.join(u' ').contains(u"Hunter's method"_s));
            return;
        }
        QVERIFY(state.Job.Sized_By_Wdc);
        QVERIFY2(std::abs(state.Job.Design_Flow - wdc) <= tolerance,
                 qPrintable(QStringLiteral("%1 gpm").arg(state.Job.Design_Flow, 0, 'f', 4)));
        QCOMPARE(m.Wdc.Design_Flow, state.Job.Design_Flow);
        QCOMPARE(Wdc_Procedure_Name(m.Wdc_Detail.Stats.Procedure), procedure);
        QCOMPARE(m.Wdc_Detail.Uncovered.size(), flush_valves ? 1 : 0);
        // The trace holds the design flow the job was sized with.
        const auto last = std::find_if(out.Trace.crbegin(), out.Trace.crend(),
                                       [](const Trace_Step &s) { return s.Key == Step_Key::Wdc_Design_Flow; });
        QVERIFY(last != out.Trace.crend());
        QCOMPARE(last->Result, state.Job.Design_Flow);
        if (!std::isnan(hunter)) {
            QVERIFY2(std::abs(m.Hunter.Design_Flow - hunter) <= 0.05,
                     qPrintable(QStringLiteral("Hunter %1 gpm").arg(m.Hunter.Design_Flow, 0, 'f', 4)));
            QVERIFY(m.Hunter.Meter_Index >= m.Wdc.Meter_Index);
        }
    }

    // The exact procedure against every on/off state of small random jobs.
    void Exact_Procedure_Matches_Every_State()
    {
        QRandomGenerator random(19);
        for (int job = 0; job < 300; ++job) {
            QVector<Wdc_Term> terms;
            int fixtures = 0;
            const int types = 1 + int(random.bounded(4));
            for (int k = 0; k < types && fixtures < 12; ++k) {
                const int n = 1 + int(random.bounded(std::min(4, 12 - fixtures)));
                fixtures += n;
                terms.append({double(n), 0.005 + random.bounded(0.4), (5 + int(random.bounded(56))) / 10.0});
            }
            const double exact = Wdc_Exact_Q99(terms), brute = Brute_Q99(terms);
            QVERIFY2(std::abs(exact - brute) < 1e-9, qPrintable(QStringLiteral("job %1: %2 against %3 gpm")
                                                                     .arg(job).arg(exact).arg(brute)));
        }
    }

    // Hunter-sized jobs are written as before the method existed: the same
    // 69 fields and report byte for byte with or without the demand data. A
    // job sized by the method adds field 70 and one report line; both read
    // back as they were written.
    void Hunter_Jobs_Unchanged_And_Field_70_data()
    {
        QTest::addColumn<bool>("private_use");
        QTest::addColumn<bool>("wdc");
        QTest::newRow("sample, public, Hunter") << false << false;
        QTest::newRow("sample made private, Hunter") << true << false;
        QTest::newRow("sample made private, by the method") << true << true;
    }
    void Hunter_Jobs_Unchanged_And_Field_70()
    {
        QFETCH(bool, private_use);
        QFETCH(bool, wdc);
        const QByteArray sample = Read_File(Program_Folder() + u"/Sample.qvl"_s);
        QVERIFY(!sample.isEmpty());
        Program_State with = Shipped_State();
        QVERIFY(Apply_Job_File(with, sample).Opened);
        if (private_use) {
            with.Job.Use_Type = Use_Kind::Private;
            with.Refresh_Grid();
            with.Job.Fixture_Count[0] = u"2"_s;
        }
        with.Job.Demand_Method = wdc ? Demand_Kind::Wdc : Demand_Kind::Hunter;
        Program_State without = with;
        without.Demand_Data = Wdc_Table();
        const QString report = Report_Text(with);
        const QByteArray bytes = Job_File_Bytes(with);
        int fields = 0;
        Job_File_Fields(bytes, &fields);
        QCOMPARE(fields, wdc ? 70 : 69);
        const qsizetype flow_line = report.indexOf(u"Calculated Maximum Flow:"_s);
        QVERIFY(flow_line > 0);
        const bool method_line = report.mid(flow_line).section(u"\r\n"_s, 1, 1).startsWith(u"Demand Method:"_s);
        QCOMPARE(method_line, wdc);
        if (!wdc) {
            QCOMPARE(report, Report_Text(without));
            QCOMPARE(bytes, Job_File_Bytes(without));
        }
        Program_State back = Shipped_State();
        back.Job.Demand_Method = wdc ? Demand_Kind::Hunter : Demand_Kind::Wdc; // the file decides
        QVERIFY(Apply_Job_File(back, bytes).Opened);
        QCOMPARE(int(back.Job.Demand_Method), int(with.Job.Demand_Method));
        QCOMPARE(back.Job.Note, with.Job.Note);
        QCOMPARE(Job_File_Bytes(back), bytes);
    }
};

QTEST_GUILESS_MAIN(Test_Demand)
#include "tst_demand.moc"
