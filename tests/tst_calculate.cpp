#include "engine_test_support.h"

#include "calc_steps.h"
#include "calculate.h"
#include "fuzz/calculate_input.h"
#include "job_file.h"
#include "leading_number.h"
#include "meter_comparison.h"
#include "number_format.h"
#include "pressure_profile.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <limits>

// Calculate: fixture units, design flow, meter choice, the pressure chain
// with up-sizing, the meter comparison, the pressure profile and the steps
// recorded.

namespace {

// The steps of an example's calculation in words.
QVector<Step_Text> Steps_Of(const Example &ex, const Calc_Outcome &out)
{
    return Describe_Trace(out.Trace, ex.job, Table_In_Force(ex.job, ex.priv, ex.pub));
}

} // namespace

class Test_Calculate : public QObject {
    Q_OBJECT

private slots:
    void Note_A_Rows_Follow_Use_Type()
    {
        Fixture_Table priv, pub;
        for (int i = 0; i < 4; ++i) {
            Fixture_Row row;
            row.Plain_Description = QStringLiteral("Plain %1").arg(i);
            row.Code_Description = QStringLiteral("Code %1").arg(i);
            row.Fixture_Units = 1;
            priv.Rows << row;
            row.Note_A = (i == 1 || i == 3);
            pub.Rows << row;
        }
        Sizing_Job job;
        job.Fixture_Count[1] = QStringLiteral("7");
        job.Fixture_Count[3] = QString();
        job.Fixture_Count[10] = QStringLiteral("5"); // beyond the tables

        Grid_View v = Refresh_Fixture_Grid(job, priv, pub);
        QVERIFY(v.Enabled[1]);
        QCOMPARE(v.Labels[2], QStringLiteral("Plain 2"));

        job.Use_Type = Use_Kind::Public;
        v = Refresh_Fixture_Grid(job, priv, pub);
        QCOMPARE(job.Fixture_Count[1], Note_A_Marker);
        QCOMPARE(job.Fixture_Count[3], Note_A_Marker);
        QVERIFY(!v.Enabled[1]);
        QVERIFY(!v.Button_Face[1]); // a Note A row stays white
        QVERIFY(v.Enabled[2]);
        QCOMPARE(Total_Fixture_Units(job, pub), 0.0); // Note A rows and row 10 add nothing

        job.Use_Type = Use_Kind::Private;
        Refresh_Fixture_Grid(job, priv, pub);
        QCOMPARE(job.Fixture_Count[1], QStringLiteral("7"));
        QCOMPARE(job.Fixture_Count[3], QString());
        QCOMPARE(Total_Fixture_Units(job, priv), 7.0);

        // A second refresh in public use keeps the marker as the saved text.
        job.Use_Type = Use_Kind::Public;
        Refresh_Fixture_Grid(job, priv, pub);
        job.Description_Mode = 1;
        v = Refresh_Fixture_Grid(job, priv, pub);
        QCOMPARE(v.Labels[0], QStringLiteral("Code 0"));
        job.Use_Type = Use_Kind::Private;
        Refresh_Fixture_Grid(job, priv, pub);
        QCOMPARE(job.Fixture_Count[1], Note_A_Marker);
        QCOMPARE(Total_Fixture_Units(job, priv), 0.0);
        QCOMPARE(job.Fixture_Count[10], QStringLiteral("5"));
    }

    void Note_Indicator()
    {
        Sizing_Job job;
        Fixture_Table empty;
        QVERIFY(!Refresh_Fixture_Grid(job, empty, empty).Note_Exists);
        job.Note = QStringLiteral("   ");
        QVERIFY(Refresh_Fixture_Grid(job, empty, empty).Note_Exists);
    }

    void Design_Flow_Interpolation_data()
    {
        QTest::addColumn<double>("units");
        QTest::addColumn<int>("flush");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("flow");
        const int tank = int(Flush_Kind::Tank), quick = int(Flush_Kind::Quick_Flush);
        QTest::newRow("between points") << 5.0 << tank << true << 4.0;
        QTest::newRow("below first point") << 2.0 << tank << true << 1.5;
        QTest::newRow("on a point") << 6.0 << tank << true << 5.0;
        QTest::newRow("zero") << 0.0 << tank << true << 0.0;
        QTest::newRow("quick flush column") << 5.0 << quick << true << 7.0;
        QTest::newRow("last point") << 10.0 << tank << true << 9.0;
        QTest::newRow("beyond") << 10.01 << tank << false << 0.0;
    }
    void Design_Flow_Interpolation()
    {
        QFETCH(double, units);
        QFETCH(int, flush);
        QFETCH(bool, found);
        QFETCH(double, flow);
        Flow_Conversion_Table table;
        table.Rows = {{4, 6, 3}, {6, 8, 5}, {8, 9, 7}, {10, 12, 9}};
        double got = -1;
        QCOMPARE(Design_Flow_Of(units, Flush_Kind(flush), table, QString(), QString(), got), found);
        if (found)
            QVERIFY2(std::fabs(got - flow) < 1e-12, qPrintable(QString::number(got)));
    }

    void Design_Flow_Additions()
    {
        Flow_Conversion_Table table;
        table.Rows = {{10, 20, 20}};
        double flow = 0;
        QVERIFY(Design_Flow_Of(10, Flush_Kind::Tank, table, QStringLiteral("12"), QStringLiteral("3.5"), flow));
        QCOMPARE(flow, 35.5);
        QCOMPARE(Format_Number(flow, Number_Pattern::Optional_1) + QStringLiteral(" gpm"), QStringLiteral("35.5 gpm"));

        Flow_Conversion_Table empty;
        QVERIFY(Design_Flow_Of(0, Flush_Kind::Tank, empty, QStringLiteral("4"), QString(), flow));
        QCOMPARE(flow, 4.0);
        QVERIFY(!Design_Flow_Of(0.5, Flush_Kind::Tank, empty, QString(), QString(), flow));

        // A first point at 0 fixture units shares them with the implicit zero
        // point: no division by zero, the upper point's flow.
        Flow_Conversion_Table zero_first;
        zero_first.Rows = {{0, 1, 2}, {4, 6, 3}};
        QVERIFY(Design_Flow_Of(0, Flush_Kind::Tank, zero_first, QString(), QString(), flow));
        QCOMPARE(flow, 2.0);
    }

    void Meter_Choice_data()
    {
        QTest::addColumn<QString>("irrigation");
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<QString>("meter_text");
        QTest::addColumn<QStringList>("messages");
        // The fixture gives 20 gpm; irrigation raises it.
        QTest::newRow("equal to a limit") << "5" << false << "Small MakeA" << QStringList();
        QTest::newRow("a little above") << "5.01" << false << "Medium MakeB" << QStringList();
        QTest::newRow("continuous equal") << "5" << true << "Medium MakeB" << QStringList();
        QTest::newRow("continuous above") << "5.5" << true << "Large MakeC" << QStringList();
        QTest::newRow("above the last") << "80.5" << false << "Oops" << QStringList{Meter_Not_Large_Enough_Message};
    }
    void Meter_Choice()
    {
        QFETCH(QString, irrigation);
        QFETCH(bool, continuous);
        QFETCH(QString, meter_text);
        QFETCH(QStringList, messages);
        Example ex;
        ex.job.Use_Pressure = false;
        ex.job.Irrigation_Flow = irrigation;
        ex.job.Flow_Basis = continuous ? Flow_Kind::Continuous : Flow_Kind::Maximum;
        const Calc_Outcome out = ex.Run();
        QCOMPARE(ex.job.Meter_Size_Text, meter_text);
        QCOMPARE(out.Messages, messages);
        QCOMPARE(ex.job.Pressure_Fixture_Text, QStringLiteral("n/a"));
    }

    void Too_Many_Fixtures()
    {
        Example ex;
        ex.job.Fixture_Count[0] = QStringLiteral("3"); // 30 FU, beyond the last point (20)
        const Calc_Outcome out = ex.Run();
        QCOMPARE(out.Messages, (QStringList{Too_Many_Fixtures_Message, Meter_Not_Large_Enough_Message}));
        QCOMPARE(ex.job.Fixture_Units_Text, QStringLiteral("30."));
        QCOMPARE(ex.job.Design_Flow_Text, QStringLiteral("Oops gpm"));
        QCOMPARE(ex.job.Meter_Size_Text, QStringLiteral("Oops"));
        QCOMPARE(ex.job.Pressure_Fixture_Text, QStringLiteral("n/a"));
        QVERIFY(!ex.job.Pressure_Evaluated);
    }

    // Counts so large that the total passes the largest double: no smallest
    // meter and 0 gpm, but the too-many-fixtures message.
    void Overflowing_Total_data()
    {
        QTest::addColumn<QString>("count");
        QTest::newRow("one huge count") << "1e308";
        QTest::newRow("two counts past the largest sum") << "1e307";
        QTest::newRow("a count past the largest double") << "1e999";
        QTest::newRow("the largest double as written") << "1.7976931348623157E+308";
    }
    void Overflowing_Total()
    {
        QFETCH(QString, count);
        Example ex;
        ex.job.Fixture_Count[0] = count;
        ex.job.Fixture_Count[1] = count;
        const Calc_Outcome out = ex.Run();
        QVERIFY(out.Messages.contains(Too_Many_Fixtures_Message));
        QCOMPARE(ex.job.Design_Flow_Text, QStringLiteral("Oops gpm"));
        QCOMPARE(ex.job.Meter_Size_Text, QStringLiteral("Oops"));
        // The trace explains only what could be computed: no step carries
        // a number that cannot be shown, and a total it gives is a real one.
        for (const Step_Text &step : Steps_Of(ex, out)) {
            QVERIFY2(std::isfinite(step.Result), qPrintable(step.Key));
            if (step.Key == QStringLiteral("fixture_units"))
                QVERIFY(step.Result > 0 && step.Result == ex.job.Fixture_Units);
            for (const Step_Input &input : step.Inputs)
                QVERIFY2(std::isfinite(input.Value), qPrintable(step.Key + u' ' + input.Name));
        }
    }

    void Empty_Meter_List_data()
    {
        QTest::addColumn<QString>("count");
        QTest::newRow("positive flow") << "1";
        QTest::newRow("no flow") << "";
    }
    void Empty_Meter_List()
    {
        QFETCH(QString, count);
        Example ex;
        ex.meters.Entries.clear();
        ex.job.Fixture_Count[0] = count;
        const Calc_Outcome out = ex.Run();
        QCOMPARE(out.Messages, QStringList{Meter_Not_Large_Enough_Message});
        QCOMPARE(ex.job.Meter_Size_Text, QStringLiteral("Oops"));
    }

    void No_Fixtures_Choose_First_Meter()
    {
        Example ex;
        ex.job.Fixture_Count[0].clear();
        ex.job.Use_Pressure = false;
        ex.Run();
        QCOMPARE(ex.job.Design_Flow_Text, QStringLiteral(". gpm"));
        QCOMPARE(ex.job.Meter_Index, 1);
    }

    void Worked_Pressure_Example_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<double>("after_meter");
        QTest::newRow("inside") << "Inside" << 51.7;
        QTest::newRow("outside") << "Outside" << 51.9;
    }
    void Worked_Pressure_Example()
    {
        QFETCH(QString, location);
        QFETCH(double, after_meter);
        Example ex;
        ex.job.Meter_Location = location;
        const Calc_Outcome out = ex.Run();
        QVERIFY(out.Messages.isEmpty());
        const Sizing_Job &j = ex.job;
        QCOMPARE(j.Design_Flow, 20.0);
        QCOMPARE(j.Loss_Meter, 5.0);
        QVERIFY(std::fabs(j.Loss_Service_1 - 0.980) < 0.0005);
        QVERIFY(std::fabs(j.Loss_Service_2 - 0.196) < 0.0005);
        QVERIFY(std::fabs(j.Pressure_After_Meter - after_meter) < 0.05);
        QVERIFY(std::fabs(j.A_Value - 14.1) < 0.05);
        QVERIFY(std::fabs(j.Loss_Plumbing - 12.7) < 0.05);
        QCOMPARE(j.Pressure_Fixture_Text, QStringLiteral("34.6 psi"));
        QCOMPARE(j.Meter_Size_Text, QStringLiteral("Small MakeA"));
        QCOMPARE(j.Upsize_Count, 1);
        QCOMPARE(j.Pressure_Color, 0);
    }

    void Upsizing_data()
    {
        QTest::addColumn<QString>("required");
        QTest::addColumn<int>("no_upsize");
        QTest::addColumn<int>("meters");
        QTest::addColumn<QString>("meter_text");
        QTest::addColumn<int>("upsize_count");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("message");
        // Pressure at the fixture: Small 34.64, Medium 37.64, Large 38.64 psi.
        QTest::newRow("met") << "34" << 0 << 3 << "Small MakeA" << 1 << false << "";
        QTest::newRow("one up") << "35" << 0 << 3 << "Medium [Upsized] MakeB" << 2 << false
                                << "Meter up sized 1 meter size to meet pressure requirements.";
        QTest::newRow("two up") << "38" << 0 << 3 << "Large [Upsized] MakeC" << 3 << false
                                << "Meter up sized 2 meter sizes to meet pressure requirements.";
        QTest::newRow("equal passes") << "37.639223318748726" << 0 << 3 << "Medium [Upsized] MakeB" << 2 << false
                                      << "Meter up sized 1 meter size to meet pressure requirements.";
        QTest::newRow("two up fail") << "40" << 0 << 4 << "Large [Fail] MakeC" << 4 << true << Upsize_Failed_Message;
        QTest::newRow("disabled") << "35" << 1 << 3 << "Small [Fail] MakeA" << 1 << true << Upsize_Disabled_Message;
        QTest::newRow("list ends") << "40" << 0 << 2 << "Medium [Fail] MakeB" << 2 << true << No_Larger_Meter_Message;
    }
    void Upsizing()
    {
        QFETCH(QString, required);
        QFETCH(int, no_upsize);
        QFETCH(int, meters);
        QFETCH(QString, meter_text);
        QFETCH(int, upsize_count);
        QFETCH(bool, failed);
        QFETCH(QString, message);
        Example ex;
        if (meters == 4) {
            ex.meters.Entries << Meter_Entry{QStringLiteral("Huge"), QStringLiteral("MakeD"), QStringLiteral("M4"), 0,
                                             500, 250, {10, 20, 40}, {0, 0, 0}};
        } else {
            ex.meters.Entries.resize(meters);
        }
        ex.job.Pressure_Fixture = required;
        ex.job.No_Upsize = Loose_Value::Of_Number(no_upsize);
        const Calc_Outcome out = ex.Run();
        QCOMPARE(ex.job.Meter_Size_Text, meter_text);
        QCOMPARE(ex.job.Upsize_Count, upsize_count);
        QCOMPARE(ex.job.Pressure_Failed, failed);
        QCOMPARE(ex.job.Pressure_Color, failed ? 255 : 0);
        QCOMPARE(out.Messages, message.isEmpty() ? QStringList() : QStringList{message});
        // The make shown always belongs to the meter in Meter_Index.
        QVERIFY(ex.job.Meter_Size_Text.endsWith(ex.meters.Entry(ex.job.Meter_Index)->Make));
    }

    void Meter_Comparison_Worked_Example_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("required");
        QTest::addColumn<int>("smallest");
        // Design flow 20 gpm; meter losses 5, 2 and 1 psi; 60 psi at the main,
        // service losses 0.980 + 0.196 psi, 5 ft / 2.31 up to the meter,
        // plumbing 12.72 psi: fixture pressure 34.64, 37.64 and 38.64 psi.
        QTest::newRow("inside, small passes") << "Inside" << "34" << 1;
        QTest::newRow("outside, medium passes") << "Outside" << "35" << 2;
        QTest::newRow("inside, none passes") << "Inside" << "40" << 0;
    }
    void Meter_Comparison_Worked_Example()
    {
        QFETCH(QString, location);
        QFETCH(QString, required);
        QFETCH(int, smallest);
        Example ex;
        ex.job.Meter_Location = location;
        ex.job.Pressure_Fixture = required;
        ex.Run();
        const Meter_Comparison c = Compare_Meters(ex.job, ex.meters);
        QCOMPARE(c.Rows.size(), 3);
        const double loss[3] = {5, 2, 1};
        const double fixture[3] = {34.64, 37.64, 38.64};
        const double after_inside[3] = {51.66, 54.66, 55.66};
        const double after_outside[3] = {51.86, 54.86, 55.86};
        const bool inside = location == QStringLiteral("Inside");
        for (int i = 0; i < 3; ++i) {
            const Meter_Comparison_Row &r = c.Rows[i];
            QCOMPARE(r.Index, i + 1);
            QVERIFY(r.Flow_Ok);
            QVERIFY(r.Pressure_Evaluated);
            QVERIFY(std::fabs(r.Loss_Meter - loss[i]) < 1e-9);
            QVERIFY(std::fabs(r.Pressure_At_Fixture - fixture[i]) < 0.005);
            QVERIFY(std::fabs(r.Pressure_After_Meter - (inside ? after_inside[i] : after_outside[i])) < 0.01);
            QCOMPARE(r.Pressure_Ok, r.Pressure_At_Fixture >= required.toDouble());
        }
        QCOMPARE(c.Smallest_Passing, smallest);
        QVERIFY(c.Why_Different.isEmpty()); // up-sizing reached the same meter
    }

    void Meter_Comparison_Beyond_Upsizing()
    {
        // Three evaluations fall short; the fourth meter (no loss) would pass.
        Example ex;
        ex.meters.Entries << Meter_Entry{QStringLiteral("Huge"), QStringLiteral("MakeD"), QStringLiteral("M4"), 0,
                                         500, 250, {10, 20, 40}, {0, 0, 0}};
        ex.job.Pressure_Fixture = QStringLiteral("39.5");
        const Calc_Outcome out = ex.Run();
        QCOMPARE(out.Messages, QStringList{Upsize_Failed_Message});
        QCOMPARE(ex.job.Meter_Index, 3);
        const Meter_Comparison c = Compare_Meters(ex.job, ex.meters);
        QCOMPARE(c.Rows.size(), 4);
        QVERIFY(std::fabs(c.Rows[3].Pressure_At_Fixture - 39.64) < 0.005);
        QCOMPARE(c.Smallest_Passing, 4);
        QCOMPARE(c.Why_Different, QStringLiteral("up-sizing stops after two steps"));
        // The job's own results are untouched by the comparison.
        QCOMPARE(ex.job.Meter_Index, 3);
        QVERIFY(ex.job.Pressure_Failed);
    }

    void Meter_Comparison_Flow_Exceeded()
    {
        // A flow beyond every meter: each row still carries its pressure.
        Example ex;
        ex.job.Fixture_Count[0] = QStringLiteral("2"); // 20 fixture units: beyond 25 gpm
        ex.meters.Entries.resize(1);
        ex.Run();
        QCOMPARE(ex.job.Meter_Index, 0);
        const Meter_Comparison c = Compare_Meters(ex.job, ex.meters);
        QCOMPARE(c.Rows.size(), 1);
        QVERIFY(!c.Rows[0].Flow_Ok);
        QVERIFY(c.Rows[0].Pressure_Evaluated);
        QVERIFY(std::fabs(c.Rows[0].Loss_Meter - Meter_Loss(ex.meters.Entries[0], ex.job.Design_Flow)) < 1e-9);
        QVERIFY(ex.job.Design_Flow > 25);
        QCOMPARE(c.Smallest_Passing, 0);
    }

    void Meter_Comparison_Empty_And_No_Pressure()
    {
        Example ex;
        ex.meters.Entries.clear();
        ex.Run();
        const Meter_Comparison empty = Compare_Meters(ex.job, ex.meters);
        QVERIFY(empty.Rows.isEmpty());
        QCOMPARE(empty.Smallest_Passing, 0);

        Example np;
        np.job.Use_Pressure = false;
        np.Run();
        const Meter_Comparison c = Compare_Meters(np.job, np.meters);
        QCOMPARE(c.Rows.size(), 3);
        for (const Meter_Comparison_Row &r : c.Rows)
            QVERIFY(!r.Pressure_Evaluated);
        QCOMPARE(c.Smallest_Passing, np.job.Meter_Index);
        QCOMPARE(c.Smallest_Passing, 1);
    }

    void Meter_Comparison_Agrees_With_Calculate()
    {
        // Random jobs: the row of the meter Calculate settled on repeats its numbers.
        QRandomGenerator rng(12);
        for (int n = 0; n < 300; ++n) {
            Example ex;
            ex.job.Fixture_Count[0] = QString::number(rng.bounded(2) + 1);
            ex.job.Pressure_Fixture = QString::number(rng.bounded(60));
            ex.job.Len_Meter_Fixture = QString::number(rng.bounded(200));
            ex.job.Meter_Location = rng.bounded(2) ? QStringLiteral("Inside") : QStringLiteral("Outside");
            ex.job.No_Upsize = Loose_Value::Of_Number(1);
            ex.Run();
            const Meter_Comparison c = Compare_Meters(ex.job, ex.meters);
            if (ex.job.Meter_Index == 0 || !ex.job.Pressure_Evaluated)
                continue;
            const Meter_Comparison_Row &r = c.Rows[ex.job.Meter_Index - 1];
            QCOMPARE(r.Loss_Meter, ex.job.Loss_Meter);
            QCOMPARE(r.Pressure_After_Meter, ex.job.Pressure_After_Meter);
            QCOMPARE(r.Pressure_At_Fixture, ex.job.Pressure_At_Fixture);
            QCOMPARE(r.Pressure_Ok, !ex.job.Pressure_Failed);
        }
    }

    void Trace_Agrees_With_Results()
    {
        // Random jobs with up-sizing on: the trace's last evaluation repeats the results.
        QRandomGenerator rng(7);
        for (int n = 0; n < 300; ++n) {
            Example ex;
            // A second and third fixture row with fractional units, so that the
            // fixture units fall anywhere between the table's points.
            if (ex.priv.Rows.size() == 1) {
                Fixture_Row half = ex.priv.Rows[0];
                half.Plain_Description = QStringLiteral("Half unit fixture");
                half.Fixture_Units = 0.5;
                Fixture_Row none = half;
                none.Plain_Description = QStringLiteral("No unit fixture");
                none.Fixture_Units = 0;
                ex.priv.Rows << half << none;
                ex.pub.Rows = ex.priv.Rows;
            }
            ex.job.Fixture_Count[0] = QString::number(rng.bounded(3));
            ex.job.Fixture_Count[1] = QString::number(rng.bounded(12));
            ex.job.Fixture_Count[2] = QString::number(rng.bounded(4));
            ex.job.Flush_Type = rng.bounded(2) ? Flush_Kind::Tank : Flush_Kind::Quick_Flush;
            ex.job.No_Upsize = Loose_Value::Of_Number(rng.bounded(5) == 0 ? 1 : 0);
            ex.job.Pressure_Fixture = QString::number(rng.bounded(60));
            ex.job.Len_Meter_Fixture = QString::number(rng.bounded(200));
            ex.job.Irrigation_Flow = QString::number(rng.bounded(5));
            ex.job.Use_Pressure = rng.bounded(4) != 0;
            ex.job.Meter_Location = rng.bounded(2) ? QStringLiteral("Inside") : QStringLiteral("Outside");
            const Calc_Outcome out = ex.Run();
            const QVector<Step_Text> steps = Steps_Of(ex, out);
            QHash<QString, double> last;
            int evaluations = 0;
            for (const Step_Text &s : steps) {
                last.insert(s.Key, s.Result);
                evaluations = std::max(evaluations, s.Evaluation);
            }
            QCOMPARE(last.value(QStringLiteral("fixture_units")), ex.job.Fixture_Units);
            // The fixture rows: count times units each, adding up to the total;
            // a row without units or without a count is left out.
            double rows_total = 0;
            QList<int> rows_seen;
            for (const Step_Text &s : steps) {
                if (s.Key != QStringLiteral("fixture_row"))
                    continue;
                const int row = int(s.Inputs[0].Value);
                rows_seen << row;
                QCOMPARE(s.Title, ex.priv.Rows[row - 1].Plain_Description);
                QCOMPARE(s.Inputs[1].Value, Leading_Number(ex.job.Fixture_Count[row - 1]));
                QCOMPARE(s.Inputs[2].Value, ex.priv.Rows[row - 1].Fixture_Units);
                QCOMPARE(s.Result, s.Inputs[1].Value * s.Inputs[2].Value);
                rows_total += s.Result;
            }
            QVERIFY(!rows_seen.contains(3));
            QCOMPARE(rows_seen.contains(1), ex.job.Fixture_Count[0] != QStringLiteral("0"));
            QCOMPARE(rows_total, ex.job.Fixture_Units);
            QCOMPARE(last.contains(QStringLiteral("design_flow")), !ex.job.Design_Flow_Oops);
            if (!ex.job.Design_Flow_Oops) {
                QCOMPARE(last.value(QStringLiteral("design_flow")), ex.job.Design_Flow);
                // The two points around the fixture units, read on the flush type's
                // column; the interpolation from the recorded numbers gives the
                // table flow, and adding irrigation and Note A the design flow.
                for (const Step_Text &s : steps) {
                    if (s.Key == QStringLiteral("demand_table")) {
                        const double fu = s.Inputs[0].Value, fu1 = s.Inputs[1].Value, q1 = s.Inputs[2].Value;
                        const double fu2 = s.Inputs[3].Value, q2 = s.Inputs[4].Value;
                        const int row = int(s.Inputs[5].Value);
                        QVERIFY(fu1 <= fu && fu <= fu2);
                        const auto flow_of = [&](int k) {
                            const Flow_Conversion_Point &p = ex.conv.Rows[k - 1];
                            return ex.job.Flush_Type == Flush_Kind::Tank ? p.Tank_Flow : p.Quick_Flush_Flow;
                        };
                        QCOMPARE(fu2, ex.conv.Rows[row - 1].Fixture_Units);
                        QCOMPARE(q2, flow_of(row));
                        QCOMPARE(q1, row == 1 ? 0.0 : flow_of(row - 1));
                        QVERIFY(std::fabs(q1 + (fu - fu1) * (q2 - q1) / (fu2 - fu1) - s.Result) < 1e-9);
                    }
                    if (s.Key == QStringLiteral("design_flow")) {
                        QCOMPARE(s.Inputs[0].Value, last.value(QStringLiteral("demand_table")));
                        QVERIFY(std::fabs(s.Inputs[0].Value + s.Inputs[1].Value + s.Inputs[2].Value - s.Result) < 1e-9);
                    }
                }
            }
            QCOMPARE(last.contains(QStringLiteral("meter_choice")), ex.job.Meter_Index > 0);
            QCOMPARE(last.contains(QStringLiteral("pressure_at_fixture")), ex.job.Pressure_Evaluated);
            if (!ex.job.Pressure_Evaluated)
                continue;
            QCOMPARE(evaluations, std::min(ex.job.Upsize_Count, 3));
            QCOMPARE(last.value(QStringLiteral("loss_meter")), ex.job.Loss_Meter);
            QCOMPARE(last.value(QStringLiteral("loss_service_1")), ex.job.Loss_Service_1);
            QCOMPARE(last.value(QStringLiteral("loss_service_2")), ex.job.Loss_Service_2);
            QCOMPARE(last.value(QStringLiteral("pressure_after_meter")), ex.job.Pressure_After_Meter);
            QCOMPARE(last.value(QStringLiteral("a_value")), ex.job.A_Value);
            QCOMPARE(last.value(QStringLiteral("loss_plumbing")), ex.job.Loss_Plumbing);
            QCOMPARE(last.value(QStringLiteral("pressure_at_fixture")), ex.job.Pressure_At_Fixture);
            // Every evaluation lists the chain in the order the water passes,
            // and an up-sizing step stands between two evaluations.
            QStringList order;
            for (const Step_Text &s : steps) {
                if (s.Evaluation == 1)
                    order << s.Key;
            }
            const bool inside = ex.job.Meter_Inside();
            QStringList chain{QStringLiteral("loss_service_1")};
            if (inside)
                chain << QStringLiteral("loss_service_2");
            chain << QStringLiteral("loss_meter") << QStringLiteral("pressure_after_meter");
            if (!inside)
                chain << QStringLiteral("loss_service_2");
            chain << QStringLiteral("a_value") << QStringLiteral("loss_plumbing") << QStringLiteral("pressure_at_fixture");
            if (evaluations > 1)
                chain << QStringLiteral("upsize");
            QCOMPARE(order, chain);
            int upsizes = 0;
            for (const Step_Text &s : steps) {
                if (s.Key != QStringLiteral("upsize"))
                    continue;
                ++upsizes;
                QVERIFY(s.Inputs[0].Value < s.Inputs[1].Value);
                QCOMPARE(s.Result, s.Inputs[2].Value + 1);
            }
            QCOMPARE(upsizes, evaluations - 1);
            // Each term of the chain adds up from its recorded inputs.
            for (const Step_Text &s : steps) {
                if (s.Key != QStringLiteral("pressure_at_fixture"))
                    continue;
                const auto in = [&](int i) { return s.Inputs[i].Value; };
                QVERIFY(std::fabs(in(0) - in(1) - in(2) - in(3) - in(4) / 2.31 - s.Result) < 1e-6);
            }
        }
    }

    // The two points of the demand table around a fixture unit total, as
    // the trace and the engineering report show them.
    void Demand_Table_Points_data()
    {
        QTest::addColumn<double>("units");
        QTest::addColumn<bool>("tank");
        QTest::addColumn<bool>("within");
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("units_low");
        QTest::addColumn<double>("flow_low");
        QTest::addColumn<double>("flow_high");
        QTest::addColumn<double>("flow");
        // Table: 10 FU 30/20 gpm, 20 FU 45/35 gpm, 20 FU 50/40 gpm (a repeated point), 40 FU 60/50 gpm.
        QTest::newRow("below the first row: from the origin") << 5.0 << false << true << 1 << 0.0 << 0.0 << 30.0 << 15.0;
        QTest::newRow("no fixtures") << 0.0 << false << true << 1 << 0.0 << 0.0 << 30.0 << 0.0;
        QTest::newRow("on a point") << 10.0 << false << true << 1 << 0.0 << 0.0 << 30.0 << 30.0;
        QTest::newRow("between, tank column") << 15.0 << true << true << 2 << 10.0 << 20.0 << 35.0 << 27.5;
        QTest::newRow("between, flushometer column") << 15.0 << false << true << 2 << 10.0 << 30.0 << 45.0 << 37.5;
        QTest::newRow("past the repeated point") << 30.0 << false << true << 4 << 20.0 << 50.0 << 60.0 << 55.0;
        QTest::newRow("last point") << 40.0 << true << true << 4 << 20.0 << 40.0 << 50.0 << 50.0;
        QTest::newRow("beyond the table") << 40.5 << false << false << 0 << 0.0 << 0.0 << 0.0 << 0.0;
    }
    void Demand_Table_Points()
    {
        QFETCH(double, units);
        QFETCH(bool, tank);
        QFETCH(bool, within);
        QFETCH(int, row);
        QFETCH(double, units_low);
        QFETCH(double, flow_low);
        QFETCH(double, flow_high);
        QFETCH(double, flow);
        Flow_Conversion_Table table;
        table.Rows = {{10, 30, 20}, {20, 45, 35}, {20, 50, 40}, {40, 60, 50}};
        const Flush_Kind flush = tank ? Flush_Kind::Tank : Flush_Kind::Quick_Flush;
        const Demand_Lookup d = Demand_Table_Flow(units, flush, table);
        QCOMPARE(d.Within, within);
        if (!within)
            return;
        QCOMPARE(d.Row, row);
        QCOMPARE(d.Units_Low, units_low);
        QCOMPARE(d.Flow_Low, flow_low);
        QCOMPARE(d.Flow_High, flow_high);
        QVERIFY(std::fabs(d.Table_Flow - flow) < 1e-12);
        // The design flow is the table's flow with irrigation and Note A added.
        double design = 0;
        QVERIFY(Design_Flow_Of(units, flush, table, QStringLiteral("2"), QStringLiteral("1.5"), design));
        QVERIFY(std::fabs(design - (flow + 3.5)) < 1e-12);
    }

    void Pressure_Profile_Stations_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("pressure");
        QTest::newRow("inside") << "Inside" << true;
        QTest::newRow("outside") << "Outside" << true;
        QTest::newRow("no evaluation") << "Inside" << false;
    }
    void Pressure_Profile_Stations()
    {
        QFETCH(QString, location);
        QFETCH(bool, pressure);
        Example ex;
        ex.job.Meter_Location = location;
        ex.job.Use_Pressure = pressure;
        ex.job.Pressure_Treatment = QStringLiteral("3");
        ex.Run();
        const QVector<Profile_Station> st = Pressure_Profile(ex.job);
        if (!pressure) {
            QVERIFY(st.isEmpty());
            return;
        }
        QCOMPARE(st.size(), 8);
        QCOMPARE(st.first().Pressure, 60.0);
        double after_meter = 0;
        for (int i = 1; i < st.size(); ++i) {
            QVERIFY(std::fabs(st[i - 1].Pressure - st[i].Drop - st[i].Pressure) < 1e-12);
            if (st[i].Name == QStringLiteral("Meter elevation"))
                after_meter = st[i].Pressure;
        }
        // The worked example: the meter's 5 psi, the station after the meter's
        // elevation holds the pressure after the meter, the last one the fixture's.
        QVERIFY(std::fabs(after_meter - ex.job.Pressure_After_Meter) < 1e-9);
        QVERIFY(std::fabs(st.last().Pressure - ex.job.Pressure_At_Fixture) < 1e-9);
        QVERIFY(std::fabs(st.last().Pressure - (34.64 - 3)) < 0.005);
    }

    void Meter_Loss_Curve_data()
    {
        QTest::addColumn<double>("flow");
        QTest::addColumn<double>("loss");
        QTest::newRow("below first point scales from zero") << 5.0 << 1.0;
        QTest::newRow("on first point") << 10.0 << 2.0;
        QTest::newRow("second segment") << 15.0 << 3.5;
        QTest::newRow("on third point") << 40.0 << 12.0;
        QTest::newRow("beyond goes on straight") << 60.0 << 19.0;
        QTest::newRow("no flow") << 0.0 << 0.0;
        QTest::newRow("negative flow") << -5.0 << 0.0;
    }
    void Meter_Loss_Curve()
    {
        QFETCH(double, flow);
        QFETCH(double, loss);
        const Meter_Entry meter{QString(), QString(), QString(), 0, 50, 25, {10, 20, 40}, {2, 5, 12}};
        QVERIFY(std::fabs(Meter_Loss(meter, flow) - loss) < 1e-12);
    }

    void Meter_Loss_Zero_Points()
    {
        const Meter_Entry no_points{QString(), QString(), QString(), 0, 50, 25, {0, 0, 0}, {3, 4, 5}};
        QCOMPARE(Meter_Loss(no_points, 10), 0.0);
        const Meter_Entry first_zero{QString(), QString(), QString(), 0, 50, 25, {0, 20, 40}, {9, 4, 12}};
        QCOMPARE(Meter_Loss(first_zero, 10), 2.0); // the point at 0 gpm is skipped
        const Meter_Entry single{QString(), QString(), QString(), 0, 50, 25, {20, 0, 0}, {4, 0, 0}};
        QCOMPARE(Meter_Loss(single, 30), 6.0);
    }

    void Pressure_Inputs_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pressure_text");
        QTest::newRow("no plumbing diameter") << "Dia_Plumbing" << "" << "n/a";
        QTest::newRow("zero service diameter") << "Dia_Service_2" << "0" << "n/a";
        QTest::newRow("no service C factor") << "C_Service_1" << "" << "n/a";
        QTest::newRow("zero plumbing C factor") << "C_Plumbing" << "0" << "n/a";
        QTest::newRow("negative plumbing C factor") << "C_Plumbing" << "-130" << "n/a";
        QTest::newRow("service lengths zero") << "Len_Main_CB" << "0" << "35.6 psi";
        QTest::newRow("treatment loss") << "Pressure_Treatment" << "15" << "19.6 psi";
        QTest::newRow("negative result") << "Elev_Meter_Fixture" << "100" << "-4.3 psi";
    }
    void Pressure_Inputs()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, pressure_text);
        Example ex;
        ex.job.Pressure_Fixture = QStringLiteral("-100");
        for (const Pressure_Field &f : Pressure_Fields) {
            if (field == QLatin1String(f.Name))
                ex.job.*(f.Member) = value;
        }
        const Calc_Outcome out = ex.Run();
        QCOMPARE(ex.job.Pressure_Fixture_Text, pressure_text);
        QVERIFY(out.Messages.isEmpty());
        if (value.isEmpty() && field.startsWith(QStringLiteral("C_Service")))
            QCOMPARE(ex.job.C_Service_1, Loose_Value::Of_Number(0)); // empty became the number 0
    }

    void Irrigation_Only_Lowers_Plumbing_Loss()
    {
        Example dry;
        dry.Run();
        Example wet;
        wet.conv.Rows = {{10, 18, 8}, {20, 45, 35}}; // 8 gpm + 12 gpm irrigation = 20 gpm
        wet.job.Irrigation_Flow = QStringLiteral("12");
        wet.Run();
        QCOMPARE(wet.job.Design_Flow, 20.0);
        QCOMPARE(wet.job.Loss_Meter, dry.job.Loss_Meter);
        QCOMPARE(wet.job.Loss_Service_1, dry.job.Loss_Service_1);
        QVERIFY(wet.job.A_Value < dry.job.A_Value);
        QVERIFY(std::fabs(wet.job.A_Value - 100 * Hazen_Williams_Loss(8, 1, 130, 1)) < 1e-9);

        // Irrigation above the design flow (a negative Note A flow): no plumbing loss at all.
        wet.job.NoteA_Flow = QStringLiteral("-15");
        wet.Run();
        QCOMPARE(wet.job.A_Value, 0.0);
        QVERIFY(!wet.job.Pressure_Fixture_Text.isEmpty());
    }

    void Meter_Font_Sizes_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("points");
        QTest::newRow("15") << 15 << 12;
        QTest::newRow("16") << 16 << 11;
        QTest::newRow("27") << 27 << 11;
        QTest::newRow("28") << 28 << 10;
    }
    void Meter_Font_Sizes()
    {
        QFETCH(int, length);
        QFETCH(int, points);
        QCOMPARE(Meter_Font_Points(QString(length, u'x')), points);
    }

    // A total, flow or pressure term past the largest double is no result:
    // the demand side takes the too-many-fixtures path, the pressure chain
    // counts as not evaluated, and no number of the job or its steps is
    // one that cannot be shown.
    void Results_Past_A_Double_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("demand");
        QTest::addColumn<bool>("total_shown");
        QTest::newRow("negative count overflowing the interpolation") << "count" << "-1e306" << true << true;
        QTest::newRow("count past the largest total") << "count" << "1e308" << true << false;
        QTest::newRow("irrigation and Note A flows") << "flows" << "1.7e308" << true << true;
        QTest::newRow("main pressure against the meter's elevation") << "elevation" << "-1e308" << false << true;
        QTest::newRow("service length") << "service" << "1e308" << false << true;
        QTest::newRow("plumbing length and factor") << "plumbing" << "1e308" << false << true;
        QTest::newRow("meter loss curve") << "curve" << "1e308" << false << true;
    }
    void Results_Past_A_Double()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(bool, demand);
        QFETCH(bool, total_shown);
        Example ex;
        if (field == u"count") {
            ex.job.Fixture_Count[0] = value;
        } else if (field == u"flows") {
            ex.job.Irrigation_Flow = ex.job.NoteA_Flow = value;
        } else if (field == u"elevation") {
            ex.job.Pressure_Min_Main = QStringLiteral("1.7e308");
            ex.job.Elev_Main_Meter = value;
        } else if (field == u"service") {
            ex.job.Len_Main_CB = value;
        } else if (field == u"plumbing") {
            ex.job.Len_Meter_Fixture = ex.job.Len_Factor = value;
        } else {
            const double loss = value.toDouble();
            for (Meter_Entry &m : ex.meters.Entries) {
                m.Loss_Point_Loss[0] = loss;
                m.Loss_Point_Loss[1] = -loss;
            }
        }
        const Calc_Outcome out = ex.Run();
        const Sizing_Job &job = ex.job;
        QCOMPARE(job.Design_Flow_Oops, demand);
        QCOMPARE(out.Messages.contains(Too_Many_Fixtures_Message), demand);
        QCOMPARE(job.Design_Flow_Text == QStringLiteral("Oops gpm"), demand);
        QCOMPARE(job.Fixture_Units_Text == Oops_Marker, !total_shown);
        QCOMPARE(job.Pressure_Fixture_Text, QStringLiteral("n/a"));
        QVERIFY(!job.Pressure_Evaluated);
        QCOMPARE(job.Pressure_Not_Finite, !demand);
        if (!demand) { // the first choice stays, not up-sized
            QCOMPARE(job.Meter_Index, 1);
            QCOMPARE(job.Meter_Size_Text, QStringLiteral("Small MakeA"));
            QCOMPARE(out.Messages, QStringList());
        }
        static const QRegularExpression no_number(QStringLiteral("nan|inf|(^|[^0-9])\\."),
                                                  QRegularExpression::CaseInsensitiveOption);
        for (const QString &text : {job.Fixture_Units_Text, job.Design_Flow_Text, job.Meter_Size_Text})
            QVERIFY2(!text.contains(no_number), qPrintable(text));
        for (const double v : {job.Fixture_Units, job.Design_Flow, job.Loss_Meter, job.Loss_Service_1,
                               job.Loss_Service_2, job.A_Value, job.Loss_Plumbing, job.Pressure_After_Meter,
                               job.Pressure_At_Fixture})
            QVERIFY(std::isfinite(v));
        for (const Trace_Step &step : out.Trace) {
            QVERIFY(std::isfinite(step.Result));
            QCOMPARE(int(step.Evaluation), 0);
            for (int i = 0; i < step.Input_Count; ++i)
                QVERIFY(std::isfinite(step.Inputs[i]));
        }
        // The comparison evaluates each meter on its own: none of them either.
        for (const Meter_Comparison_Row &row : Compare_Meters(job, ex.meters).Rows)
            QVERIFY(!row.Pressure_Evaluated || (std::isfinite(row.Pressure_At_Fixture) && !demand));
        QVERIFY(Pressure_Profile(job).isEmpty());
    }

    // Recording the steps changes no result.
    void Results_Without_The_Trace()
    {
        for (const char *location : {"Inside", "Outside"}) {
            for (const char *required : {"20", "35", "80"}) {
                Example traced;
                traced.job.Meter_Location = QString::fromLatin1(location);
                traced.job.Pressure_Fixture = QString::fromLatin1(required);
                Example plain = traced;
                const Calc_Outcome with = traced.Run();
                const Calc_Outcome without =
                    Calculate(plain.job, plain.priv, plain.pub, plain.conv, plain.meters, false, false);
                QVERIFY(!with.Trace.isEmpty());
                QVERIFY(without.Trace.isEmpty());
                QCOMPARE(without.Messages, with.Messages);
                QCOMPARE(plain.job.Meter_Size_Text, traced.job.Meter_Size_Text);
                QCOMPARE(plain.job.Pressure_Fixture_Text, traced.job.Pressure_Fixture_Text);
                QCOMPARE(plain.job.Pressure_At_Fixture, traced.job.Pressure_At_Fixture);
                QCOMPARE(plain.job.Upsize_Count, traced.job.Upsize_Count);
            }
        }
    }

    // The inputs of the calculate fuzzer's corpus (a job, the three tables
    // and a meter list in one file), each calculated as the fuzzer does:
    // every number of the results and of the steps is a number, and the
    // marker comes with its message.
    void Calculate_Corpus_data()
    {
        QTest::addColumn<QString>("path");
        const QDir corpus(qEnvironmentVariable("QUORVEL_TEST_DATA") + QStringLiteral("/../fuzz/corpus/calculate"));
        const QStringList names = corpus.entryList(QDir::Files);
        QVERIFY(names.contains(QStringLiteral("nonfinite-trace")));
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }
    void Calculate_Corpus()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        Program_State state;
        fuzz::Load_Calculate_Input(state, file.readAll());

        const Calc_Outcome out = state.Calculate_Job(true);
        const Sizing_Job &job = state.Job;
        QCOMPARE(job.Design_Flow_Oops, out.Messages.contains(Too_Many_Fixtures_Message));
        for (const double v : {job.Fixture_Units, job.Design_Flow, job.Loss_Meter, job.Loss_Service_1,
                               job.Loss_Service_2, job.A_Value, job.Loss_Plumbing, job.Pressure_After_Meter,
                               job.Pressure_At_Fixture})
            QVERIFY(std::isfinite(v));
        for (const Step_Text &step : Describe_Trace(out.Trace, job, Table_In_Force(job, state.Table1, state.Table2))) {
            QVERIFY2(std::isfinite(step.Result), qPrintable(step.Key));
            for (const Step_Input &input : step.Inputs)
                QVERIFY2(std::isfinite(input.Value), qPrintable(step.Key + u' ' + input.Name));
        }
    }
};

QTEST_GUILESS_MAIN(Test_Calculate)
#include "tst_calculate.moc"
