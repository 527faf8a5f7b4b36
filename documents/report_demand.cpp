#include "report_demand.h"

#include "number_format.h"
#include "report_html.h"

#include <QLocale>

namespace {

using namespace report_html;

QString Gpm(double value)
{
    return Report_Number(value, QStringLiteral("gpm")) + QStringLiteral(" gpm");
}

QString Plain(double value, int decimals)
{
    return QLocale::c().toString(value, 'f', decimals);
}

QString Method_Row(const QString &name, const Method_Sizing &m, bool sizes, const Meter_List &meters)
{
    if (!m.Applies)
        return Row({name, QStringLiteral("<i>no value: %1</i>").arg(Esc(m.Why_Not)), QString(), QString(), QString()});
    QString meter = Esc(m.Meter_Size_Text);
    if (const Meter_Entry *e = meters.Entry(m.Meter_Index))
        meter = QStringLiteral("#%1 %2").arg(m.Meter_Index).arg(Esc(m.Meter_Size_Text.isEmpty() ? e->Size_Label : m.Meter_Size_Text));
    return Row({sizes ? QStringLiteral("<b>%1</b>").arg(name) : name,
                m.Flow_Oops ? QStringLiteral("beyond the demand table") : Gpm(m.Design_Flow), meter,
                m.Pressure_Evaluated ? Report_Number(m.Pressure_At_Fixture, QStringLiteral("psi")) + QStringLiteral(" psi")
                                     : QStringLiteral("not evaluated"),
                sizes ? QStringLiteral("sizes the job") : QStringLiteral("comparison")},
               sizes ? QStringLiteral("background-color:#fff4c2") : QString());
}

} // namespace

Wdc_Steps Wdc_Steps_Of(const QVector<Trace_Step> &trace)
{
    Wdc_Steps w;
    for (const Trace_Step &s : trace) {
        switch (s.Key) {
        case Step_Key::Wdc_Type:
            w.Types << s;
            break;
        case Step_Key::Wdc_Uncovered_Row:
            w.Uncovered << s;
            break;
        case Step_Key::Wdc_Moments:
            w.Moments = s;
            break;
        case Step_Key::Wdc_Q99:
            w.Q99 = s;
            break;
        case Step_Key::Wdc_Design_Flow:
            w.Design = s;
            w.Present = true;
            break;
        default:
            break;
        }
    }
    return w;
}

QString Wdc_Type_Name(const Wdc_Table &data, double type)
{
    const int k = int(type) - 1;
    return k >= 0 && k < data.Types.size() ? data.Types[k].Name : QStringLiteral("type %1").arg(k + 1);
}

QString Demand_Methods_Html(const Calculation_Record &r, const QString &heading)
{
    const Program_State &st = r.State;
    const Sizing_Job &job = st.Job;
    const Demand_Methods &m = r.Outcome.Methods;
    QString h = QStringLiteral("<h2>%1</h2>").arg(heading.toHtmlEscaped());
    h += QStringLiteral("<p>The design flow by Hunter's fixture units (the demand table) and by the Water Demand "
                        "Calculator (the 99th percentile of the flow from each fixture's probability of use and "
                        "flow; single- and multi-family dwellings), each with the meter it chooses from %1 and the "
                        "pressure at the controlling fixture with that meter. This job is sized by <b>%2</b>.</p>")
             .arg(Esc(st.Meters.File_Name),
                  job.Sized_By_Wdc ? QStringLiteral("the Water Demand Calculator") : QStringLiteral("Hunter's method"));
    h += Table_Open + Header_Row({QStringLiteral("Method"), QStringLiteral("Design flow"), QStringLiteral("Meter"),
                                  QStringLiteral("Pressure at the fixture"), QString()});
    h += Method_Row(QStringLiteral("Hunter (fixture units)"), m.Hunter, !job.Sized_By_Wdc, st.Meters);
    h += Method_Row(QStringLiteral("Water Demand Calculator"), m.Wdc, job.Sized_By_Wdc, st.Meters);
    h += QStringLiteral("</table>");

    const Wdc_Steps w = Wdc_Steps_Of(r.Outcome.Trace);
    if (!w.Present)
        return h;
    h += QStringLiteral("<h3>Water Demand Calculator: fixture types</h3>");
    h += QStringLiteral("<p>From %1 (dated %2): each counted row of the private fixture table stands for the types "
                        "below; n is the number of fixtures, p the probability of use in the peak hour, q the flow.</p>")
             .arg(Esc(Wdc_Data_File), st.Demand_Data.Date.isValid() ? Short_Date_Text(st.Demand_Data.Date)
                                                                     : QStringLiteral("no date"));
    h += Table_Open + Header_Row({QStringLiteral("Fixture type"), QStringLiteral("n"), QStringLiteral("p"),
                                  QStringLiteral("q gpm"), QStringLiteral("n &middot; p"),
                                  QStringLiteral("n &middot; p &middot; q gpm")});
    for (const Trace_Step &t : w.Types)
        h += Row({Esc(Wdc_Type_Name(st.Demand_Data, t.Inputs[0])), Report_Number(t.Inputs[1], QString()),
                  Plain(t.Inputs[2], 3), Report_Number(t.Inputs[3], QStringLiteral("gpm")),
                  Plain(t.Inputs[1] * t.Inputs[2], 3), Report_Number(t.Result, QStringLiteral("gpm"))});
    if (w.Types.isEmpty())
        h += QStringLiteral("<tr><td colspan=\"6\"><i>No fixture with a probability of use.</i></td></tr>");
    h += QStringLiteral("</table>");

    if (!w.Uncovered.isEmpty()) {
        const Fixture_Table &table = st.Table1;
        h += QStringLiteral("<p>Rows the method has no probability for, added at full flow:</p>");
        h += Table_Open + Header_Row({QStringLiteral("Row"), QStringLiteral("Fixture"), QStringLiteral("Count"),
                                      QStringLiteral("Flow added")});
        for (const Trace_Step &u : w.Uncovered) {
            const int row = int(u.Inputs[0]);
            QString name;
            if (row >= 1 && row <= table.Row_Count())
                name = (job.Description_Mode == 1 ? table.Rows[row - 1].Code_Description
                                                  : table.Rows[row - 1].Plain_Description)
                           .trimmed();
            h += Row({QString::number(row), Esc(name), Report_Number(u.Inputs[1], QString()),
                      u.Result > 0 ? Gpm(u.Result) : QStringLiteral("no flow known")});
        }
        h += QStringLiteral("</table>");
    }

    const Trace_Step &mo = w.Moments, &q = w.Q99, &d = w.Design;
    Wdc_Statistics stats;
    stats.H = mo.Result;
    stats.Procedure = w.Procedure();
    h += QStringLiteral("<h3>Water Demand Calculator: the 99th percentile</h3>");
    h += Table_Open + Header_Row({QStringLiteral("Quantity"), QStringLiteral("Formula"), QStringLiteral("Value")});
    h += Row({QStringLiteral("Mean flow &mu;"), QStringLiteral("&Sigma; n &middot; p &middot; q"), Gpm(mo.Inputs[0])});
    h += Row({QStringLiteral("Variance &sigma;<sup>2</sup>"), QStringLiteral("&Sigma; n &middot; p &middot; (1 &minus; p) &middot; q<sup>2</sup>"),
              Report_Number(mo.Inputs[1], QString()) + QStringLiteral(" gpm<sup>2</sup>")});
    h += Row({QStringLiteral("Nothing running P0"), QStringLiteral("&Pi; (1 &minus; p)<sup>n</sup>"), Plain(mo.Inputs[2], 6)});
    h += Row({QStringLiteral("Fixtures running, expected H"), QStringLiteral("&Sigma; n &middot; p"), Plain(mo.Result, 3)});
    h += Row({QStringLiteral("All at once"), QStringLiteral("&Sigma; n &middot; q"), Gpm(mo.Inputs[3])});
    h += QStringLiteral("</table>");
    h += QStringLiteral("<p>Procedure: %1.</p>").arg(Esc(Wdc_Procedure_Reason(stats)));
    switch (stats.Procedure) {
    case Wdc_Procedure::Exact:
        h += QStringLiteral("<p>The distribution of the flow is the convolution of each type's binomial distribution "
                            "of running fixtures; the state with nothing running (probability P0) is removed and the "
                            "rest divided by 1 &minus; P0. Q99 is the smallest flow whose cumulative probability "
                            "reaches 0.99: <b>Q99 = %1</b>.</p>")
                 .arg(Gpm(q.Result));
        break;
    case Wdc_Procedure::Modified_Wistort:
        h += QStringLiteral("<p>Q99 = min(&Sigma; n q, [&mu; + (1 + P0) &middot; z &middot; &radic;((1 &minus; P0) "
                            "&middot; &sigma;<sup>2</sup> &minus; P0 &middot; &mu;<sup>2</sup>)] / (1 &minus; P0)), "
                            "z = %1<br/>= min(%2, [%3 + (1 + %4) &middot; %1 &middot; &radic;((1 &minus; %4) &middot; %5 "
                            "&minus; %4 &middot; %3<sup>2</sup>)] / (1 &minus; %4)) = <b>%6</b></p>")
                 .arg(Plain(Wdc_Z99, 5), Report_Number(q.Inputs[4], QStringLiteral("gpm")),
                      Report_Number(q.Inputs[1], QStringLiteral("gpm")), Plain(q.Inputs[3], 6),
                      Report_Number(q.Inputs[2], QString()), Gpm(q.Result));
        break;
    case Wdc_Procedure::Wistort:
        h += QStringLiteral("<p>Q99 = &mu; + z &middot; &sigma;, z = %1<br/>= %2 + %1 &middot; &radic;%3 = <b>%4</b></p>")
                 .arg(Plain(Wdc_Z99, 5), Report_Number(q.Inputs[1], QStringLiteral("gpm")),
                      Report_Number(q.Inputs[2], QString()), Gpm(q.Result));
        break;
    case Wdc_Procedure::None:
        h += QStringLiteral("<p><b>Q99 = 0 gpm</b></p>");
        break;
    }
    h += QStringLiteral("<p>Design flow: Q99, the rows added at full flow Qunc, the irrigation flow Qirr and the "
                        "Note A flow QA:<br/>Q = Q99 + Qunc + Qirr + QA = %1 + %2 + %3 + %4 = <b>%5</b></p>")
             .arg(Report_Number(d.Inputs[0], QStringLiteral("gpm")), Report_Number(d.Inputs[1], QStringLiteral("gpm")),
                  Report_Number(d.Inputs[2], QStringLiteral("gpm")), Report_Number(d.Inputs[3], QStringLiteral("gpm")),
                  Gpm(d.Result));
    return h;
}
