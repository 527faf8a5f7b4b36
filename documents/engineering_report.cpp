#include "engineering_report.h"

#include "number_format.h"
#include "report_html.h"
#include "report_sources.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

using namespace report_html;

// The inputs of a step by name.
QHash<QString, Step_Input> Inputs_Of(const Step_Text &step)
{
    QHash<QString, Step_Input> out;
    for (const Step_Input &i : step.Inputs)
        out.insert(i.Name, i);
    return out;
}

double Input(const Step_Text &step, const QString &name)
{
    for (const Step_Input &i : step.Inputs) {
        if (i.Name == name)
            return i.Value;
    }
    return 0;
}

QString With_Unit(double value, const QString &unit)
{
    const QString n = Report_Number(value, unit);
    return unit.isEmpty() ? n : n + u' ' + unit;
}

// The left side of a formula: "Ls1" of "Ls1 = L · Q^1.852 ...".
QString Symbol_Of(const Step_Text &step)
{
    const qsizetype eq = step.Formula.indexOf(QStringLiteral(" = "));
    return eq < 0 ? step.Key : step.Formula.left(eq);
}

// The right side of the formula with each input replaced by its number.
QString Substituted(const Step_Text &step)
{
    const qsizetype eq = step.Formula.indexOf(QStringLiteral(" = "));
    const QString right = eq < 0 ? step.Formula : step.Formula.mid(eq + 3);
    const QHash<QString, Step_Input> inputs = Inputs_Of(step);
    static const QRegularExpression name(QStringLiteral("[A-Za-z][A-Za-z0-9]*"));
    QString out;
    qsizetype from = 0;
    for (auto it = name.globalMatch(right); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += right.mid(from, m.capturedStart() - from);
        const auto found = inputs.constFind(m.captured());
        out += found != inputs.constEnd() ? Report_Number(found->Value, found->Unit) : m.captured();
        from = m.capturedEnd();
    }
    out += right.mid(from);
    return out;
}

// "Q^1.852" typeset as a power.
QString Powers(const QString &html)
{
    static const QRegularExpression power(QStringLiteral("\\^([0-9.]+)"));
    return QString(html).replace(power, QStringLiteral("<sup>\\1</sup>"));
}

QString Yes_No(bool ok, const QString &yes, const QString &no)
{
    return ok ? QStringLiteral("<span style=\"color:#1a7f37\">%1</span>").arg(yes)
              : QStringLiteral("<span style=\"color:#c62828\"><b>%1</b></span>").arg(no);
}

QString Meter_Name(const Meter_List &meters, int index)
{
    const Meter_Entry *m = meters.Entry(index);
    if (!m)
        return QStringLiteral("row %1").arg(index);
    return QStringLiteral("row %1, %2 %3 %4").arg(index).arg(Esc(m->Size_Label), Esc(m->Make), Esc(m->Model)).trimmed();
}

QString Basis_Name(const Sizing_Job &job)
{
    return job.Flow_Basis == Flow_Kind::Maximum ? QStringLiteral("maximum flow")
                                                : QStringLiteral("maximum continuous flow");
}

QString Date_Or_None(const QDate &date)
{
    return date.isValid() ? Short_Date_Text(date) : QStringLiteral("no date");
}

void Fixture_Section(const Calculation_Record &r, QString &h)
{
    const Sizing_Job &job = r.State.Job;
    h += QStringLiteral("<h2>1. Fixture units</h2>");
    h += QStringLiteral("<p>%1 fixtures; every row with a count and fixture units of its own:</p>")
             .arg(job.Use_Type == Use_Kind::Private ? QStringLiteral("Private use") : QStringLiteral("Public use"));
    h += Table_Open + Header_Row({QStringLiteral("Row"), QStringLiteral("Fixture"), QStringLiteral("Count"),
                                  QStringLiteral("FU each"), QStringLiteral("Subtotal FU")},
                                 QStringLiteral("rlrrr"));
    double total = 0;
    bool any = false;
    for (const Step_Text &s : r.Steps) {
        if (s.Key == QStringLiteral("fixture_row")) {
            any = true;
            h += Row({Report_Number(Input(s, QStringLiteral("Row")), QString()), Esc(s.Title),
                      Report_Number(Input(s, QStringLiteral("count")), QString()),
                      Report_Number(Input(s, QStringLiteral("FU each")), QStringLiteral("FU")),
                      Report_Number(s.Result, QStringLiteral("FU"))},
                     QString(), QStringLiteral("rlrrr"));
        } else if (s.Key == QStringLiteral("fixture_units")) {
            total = s.Result;
        }
    }
    if (!any)
        h += QStringLiteral("<tr><td colspan=\"5\"><i>No fixture counted.</i></td></tr>");
    h += QStringLiteral("<tr><td colspan=\"4\"><b>Total fixture units FU = &Sigma; count &middot; FU each</b></td>"
                        "<td align=\"right\" style=\"white-space:nowrap\"><b>%1</b></td></tr></table>")
             .arg(Report_Number(total, QStringLiteral("FU")));
    h += QStringLiteral("<p>Fixture units as reported: <b>%1</b></p>").arg(Esc(job.Fixture_Units_Text));
}

void Demand_Section(const Calculation_Record &r, QString &h)
{
    const Sizing_Job &job = r.State.Job;
    h += QStringLiteral("<h2>2. Design flow</h2>");
    const Step_Text *table = nullptr, *flow = nullptr;
    for (const Step_Text &s : r.Steps) {
        if (s.Key == QStringLiteral("demand_table"))
            table = &s;
        else if (s.Key == QStringLiteral("design_flow"))
            flow = &s;
    }
    if (!table || !flow) {
        h += QStringLiteral("<p>The fixture units lie beyond the demand table (%1): the design flow is <b>%2</b>.</p>")
                 .arg(Esc(QFileInfo(r.State.File3).fileName()), Esc(job.Design_Flow_Text));
        return;
    }
    const QString fu = QStringLiteral("FU"), gpm = QStringLiteral("gpm");
    const double fu1 = Input(*table, QStringLiteral("FU1")), fu2 = Input(*table, QStringLiteral("FU2"));
    const double row = Input(*table, QStringLiteral("Table row"));
    h += QStringLiteral("<p>%1 in %2 (dated %3).</p>")
             .arg(Esc(table->Title), Esc(QFileInfo(r.State.File3).fileName()), Date_Or_None(r.State.Table3.Date));
    h += Table_Open + Header_Row({QStringLiteral("Point"), QStringLiteral("Table row"), QStringLiteral("Fixture units"),
                                  QStringLiteral("Flow")},
                                 QStringLiteral("lrrr"));
    h += Row({QStringLiteral("Lower (FU1, Q1)"),
              row <= 1 ? QStringLiteral("origin") : Report_Number(row - 1, QString()), With_Unit(fu1, fu),
              With_Unit(Input(*table, QStringLiteral("Q1")), gpm)},
             QString(), QStringLiteral("lrrr"));
    h += Row({QStringLiteral("Upper (FU2, Q2)"), Report_Number(row, QString()), With_Unit(fu2, fu),
              With_Unit(Input(*table, QStringLiteral("Q2")), gpm)},
             QString(), QStringLiteral("lrrr"));
    h += QStringLiteral("</table>");
    h += QStringLiteral("<p>%1<br/>Qt = %2 = <b>%3</b></p>")
             .arg(Esc(table->Formula), Esc(Substituted(*table)), With_Unit(table->Result, gpm));
    if (fu2 == fu1)
        h += QStringLiteral("<p>The two points lie at the same fixture units: the upper point's flow is taken.</p>");
    h += QStringLiteral("<p>Irrigation flow Qirr and the Note A flow QA are added:<br/>%1<br/>Q = %2 = <b>%3</b></p>")
             .arg(Esc(flow->Formula), Esc(Substituted(*flow)), With_Unit(flow->Result, gpm));
    h += QStringLiteral("<p>Design flow as reported: <b>%1</b></p>").arg(Esc(job.Design_Flow_Text));
}

void Meter_Choice_Section(const Calculation_Record &r, QString &h)
{
    const Sizing_Job &job = r.State.Job;
    h += QStringLiteral("<h2>3. Meter choice</h2>");
    h += QStringLiteral("<p>Meter list %1 (%2, dated %3), rated on the %4. The first meter whose rating holds "
                        "the design flow is chosen.</p>")
             .arg(Esc(r.State.Meters.File_Name), Esc(r.State.Meters.Description), Date_Or_None(r.State.Meters.Date),
                  Basis_Name(job));
    int chosen = 0; // by the flow, before any up-sizing
    for (const Step_Text &s : r.Steps) {
        if (s.Key == QStringLiteral("meter_choice"))
            chosen = int(s.Result);
    }
    h += Table_Open + Header_Row({QStringLiteral("Row"), QStringLiteral("Size"), QStringLiteral("Make"),
                                  QStringLiteral("Model"), QStringLiteral("Rating"), QStringLiteral("Q &le; rating")},
                                 QStringLiteral("rnllrl"));
    for (const Meter_Comparison_Row &m : r.Comparison.Rows) {
        h += Row({QString::number(m.Index), Esc(m.Size_Label), Esc(m.Make), Esc(m.Model),
                  With_Unit(m.Limit_Gpm, QStringLiteral("gpm")), Yes_No(m.Flow_Ok, QStringLiteral("pass"), QStringLiteral("fail"))},
                 m.Index == chosen ? QStringLiteral("background-color:#fff4c2; color:#1b2733") : QString(), QStringLiteral("rnllrl"));
    }
    if (r.Comparison.Rows.isEmpty())
        h += QStringLiteral("<tr><td colspan=\"6\"><i>The meter list holds no meters.</i></td></tr>");
    h += QStringLiteral("</table>");
    for (const Step_Text &s : r.Steps) {
        if (s.Key != QStringLiteral("meter_choice"))
            continue;
        h += QStringLiteral("<p>Q = %1 &le; rating %2: meter <b>%3</b>.</p>")
                 .arg(With_Unit(Input(s, QStringLiteral("Q")), QStringLiteral("gpm")),
                      With_Unit(Input(s, QStringLiteral("rating")), QStringLiteral("gpm"))
                          + Estimate_Mark_Html(r.State.Meters, int(s.Result),
                                               job.Flow_Basis == Flow_Kind::Maximum ? Meter_Value::Max_Flow
                                                                                    : Meter_Value::Continuous_Flow),
                      Meter_Name(r.State.Meters, int(s.Result)));
    }
    if (job.Meter_Index == 0)
        h += QStringLiteral("<p>No meter of the list holds the design flow: the meter is <b>%1</b>.</p>")
                 .arg(Esc(job.Meter_Size_Text));
}

QString Meter_Curve_Text(const Meter_List &meters, int index)
{
    const Meter_Entry *m = meters.Entry(index);
    if (!m)
        return QString();
    QString points = QStringLiteral("(0 gpm, 0 psi)");
    for (int p = 0; p < 3; ++p) {
        points += QStringLiteral(", (%1, %2)")
                      .arg(With_Unit(m->Loss_Point_Flow[p], QStringLiteral("gpm")),
                           With_Unit(m->Loss_Point_Loss[p], QStringLiteral("psi")));
    }
    return QStringLiteral("straight lines through %1, the last one continued").arg(points)
           + Estimate_Mark_Html(meters, index, Meter_Value::Loss);
}

// A pressure detail as the calculation reads it, with the text typed when
// that differs ("not given" for an empty field).
QString Input_Value(const Loose_Value &value, const QString &unit)
{
    const QString typed = value.Text().trimmed();
    if (typed.isEmpty())
        return QStringLiteral("not given (0)");
    const QString number = With_Unit(value.Number(), unit);
    const QString plain = Report_Number(value.Number(), unit);
    return typed == plain || typed == Report_Number(value.Number(), QString())
               ? number
               : QStringLiteral("%1 (typed &quot;%2&quot;)").arg(number, Esc(typed));
}

// The inputs of the pressure check, one per row, as the calculation used them.
void Design_Inputs(const Sizing_Job &job, QString &h)
{
    const bool inside = job.Meter_Inside();
    const QString s1 = inside ? QStringLiteral("main to curb box") : QStringLiteral("main to meter");
    const QString s2 = inside ? QStringLiteral("curb box to meter") : QStringLiteral("meter to building");
    const QString psi = QStringLiteral("psi"), ft = QStringLiteral("ft"), in = QStringLiteral("in");
    struct Line {
        QString label;
        QString value;
    };
    const QList<Line> lines = {
        {QStringLiteral("Minimum pressure at the water main"), Input_Value(job.Pressure_Min_Main, psi)},
        {QStringLiteral("Elevation rise, water main to meter"), Input_Value(job.Elev_Main_Meter, ft)},
        {QStringLiteral("Meter location"), Esc(job.Meter_Location)},
        {QStringLiteral("Service lateral diameter, ") + s1, Input_Value(job.Dia_Service_1, in)},
        {QStringLiteral("Service lateral length, ") + s1, Input_Value(job.Len_Main_CB, ft)},
        {QStringLiteral("Service lateral C factor, ") + s1, Input_Value(job.C_Service_1, QString())},
        {QStringLiteral("Service lateral diameter, ") + s2, Input_Value(job.Dia_Service_2, in)},
        {QStringLiteral("Service lateral length, ") + s2, Input_Value(job.Len_CB_Meter, ft)},
        {QStringLiteral("Service lateral C factor, ") + s2, Input_Value(job.C_Service_2, QString())},
        {QStringLiteral("Elevation rise, meter to controlling fixture"), Input_Value(job.Elev_Meter_Fixture, ft)},
        {QStringLiteral("Plumbing diameter after the meter"), Input_Value(job.Dia_Plumbing, in)},
        {QStringLiteral("Plumbing length to the controlling fixture"), Input_Value(job.Len_Meter_Fixture, ft)},
        {QStringLiteral("Length factor for fittings"), Input_Value(job.Len_Factor, QString())},
        {QStringLiteral("Developed plumbing length (length &times; factor)"),
         With_Unit(job.Len_Meter_Fixture.Number() * job.Len_Factor.Number(), ft)},
        {QStringLiteral("Plumbing C factor"), Input_Value(job.C_Plumbing, QString())},
        {QStringLiteral("Treatment devices loss"), Input_Value(job.Pressure_Treatment, psi)},
        {QStringLiteral("Required pressure at the controlling fixture"), Input_Value(job.Pressure_Fixture, psi)},
    };
    h += QStringLiteral("<h3>Design inputs</h3>");
    h += QString(Table_Open).replace(QStringLiteral("99%"), QStringLiteral("70%"))
         + Header_Row({QStringLiteral("Input"), QStringLiteral("Value")}, QStringLiteral("lr"));
    for (const Line &l : lines)
        h += Row({l.label, l.value}, QString(), QStringLiteral("lr"));
    h += QStringLiteral("</table>");
}

void Pressure_Section(const Calculation_Record &r, QString &h)
{
    const Sizing_Job &job = r.State.Job;
    h += QStringLiteral("<h2>4. Pressure chain</h2>");
    if (job.Use_Pressure)
        Design_Inputs(job, h);
    if (!job.Pressure_Evaluated) {
        h += QStringLiteral("<p>No pressure evaluation: %1.</p>")
                 .arg(!job.Use_Pressure ? QStringLiteral("the job does not ask for one")
                      : job.Meter_Index == 0 ? QStringLiteral("no meter was found")
                                             : QStringLiteral("a pipe diameter or C factor is not given"));
        return;
    }
    h += QStringLiteral("<p>Meter %1. Hazen-Williams friction with Q in gpm, L in ft and D the internal diameter "
                        "in inches; 2.31 ft of water per psi.</p>")
             .arg(job.Meter_Inside() ? QStringLiteral("inside: main, curb box, meter, building plumbing")
                                     : QStringLiteral("outside: main, meter, service line to the building, plumbing"));
    int evaluation = 0;
    bool open = false;
    const auto close = [&] {
        if (open)
            h += QStringLiteral("</table>");
        open = false;
    };
    for (const Step_Text &s : r.Steps) {
        if (s.Evaluation == 0)
            continue;
        if (s.Key == QStringLiteral("upsize")) {
            close();
            h += QStringLiteral("<p><b>Up-sizing step %1:</b> Pf = %2 &lt; Preq = %3, so the next meter of the list, "
                                "%4 (rating %5), is evaluated.</p>")
                     .arg(s.Evaluation)
                     .arg(With_Unit(Input(s, QStringLiteral("Pf")), QStringLiteral("psi")),
                          With_Unit(Input(s, QStringLiteral("Preq")), QStringLiteral("psi")),
                          Meter_Name(r.State.Meters, int(s.Result)),
                          With_Unit(Input(s, QStringLiteral("rating")), QStringLiteral("gpm"))
                              + Estimate_Mark_Html(r.State.Meters, int(s.Result),
                                                   job.Flow_Basis == Flow_Kind::Maximum ? Meter_Value::Max_Flow
                                                                                        : Meter_Value::Continuous_Flow));
            continue;
        }
        if (s.Evaluation != evaluation) {
            close();
            evaluation = s.Evaluation;
            int meter_row = 0;
            for (const Step_Text &t : r.Steps) {
                if (t.Evaluation == evaluation && t.Key == QStringLiteral("loss_meter"))
                    meter_row = int(Input(t, QStringLiteral("Meter row")));
            }
            h += QStringLiteral("<h3>Evaluation %1: meter %2</h3>").arg(evaluation).arg(Meter_Name(r.State.Meters, meter_row));
            h += Table_Open + Header_Row({QStringLiteral("Term"), QStringLiteral("Formula, with the numbers"),
                                          QStringLiteral("Result")},
                                         QStringLiteral("lln"));
            open = true;
        }
        QString numbers = QStringLiteral("= ") + Powers(Esc(Substituted(s)));
        if (s.Key == QStringLiteral("loss_meter"))
            numbers = QStringLiteral("Q = %1 on the curve: %2")
                          .arg(With_Unit(Input(s, QStringLiteral("Q")), QStringLiteral("gpm")),
                               Meter_Curve_Text(r.State.Meters, int(Input(s, QStringLiteral("Meter row")))));
        h += Row({Esc(s.Title), Powers(Esc(s.Formula)) + QStringLiteral("<br/>") + numbers,
                  QStringLiteral("<b>%1 = %2</b>").arg(Esc(Symbol_Of(s)), With_Unit(s.Result, s.Unit))},
                 QString(), QStringLiteral("lln"));
    }
    close();
}

void Result_Section(const Calculation_Record &r, QString &h)
{
    const Sizing_Job &job = r.State.Job;
    h += QStringLiteral("<h2>5. Result</h2>");
    h += Table_Open;
    h += Row({QStringLiteral("Fixture units"), Esc(job.Fixture_Units_Text)});
    h += Row({QStringLiteral("Design flow"), Esc(job.Design_Flow_Text)});
    h += Row({QStringLiteral("Meter"), QStringLiteral("<b>%1</b>").arg(Esc(job.Meter_Size_Text))});
    h += Row({QStringLiteral("Pressure at the controlling fixture"), Esc(job.Pressure_Fixture_Text)});
    h += QStringLiteral("</table>");
    if (job.Pressure_Evaluated) {
        const double required = job.Pressure_Fixture.Number();
        const bool meets = !(job.Pressure_At_Fixture < required);
        h += QStringLiteral("<p>Pf = %1 against the required Preq = %2: %3.</p>")
                 .arg(With_Unit(job.Pressure_At_Fixture, QStringLiteral("psi")),
                      With_Unit(required, QStringLiteral("psi")),
                      Yes_No(meets, QStringLiteral("the available pressure meets the required"),
                             QStringLiteral("the available pressure does not meet the required")));
        const int steps = std::min(job.Upsize_Count, 3) - 1;
        if (steps > 0)
            h += QStringLiteral("<p>Up-sizing steps taken: %1.</p>").arg(steps);
    }
    const QStringList messages = r.Read_Messages + r.Outcome.Messages;
    if (!messages.isEmpty()) {
        h += QStringLiteral("<p>Messages of the calculation:</p><ul>");
        for (const QString &m : messages)
            h += QStringLiteral("<li>%1</li>").arg(Esc(m));
        h += QStringLiteral("</ul>");
    }
}

} // namespace

Calculation_Record Record_Calculation(const Program_State &state, const Calc_Outcome &outcome)
{
    Calculation_Record r;
    r.State = state;
    r.Outcome = outcome;
    r.Steps = Describe_Trace(outcome.Trace, state.Job, Table_In_Force(state.Job, state.Table1, state.Table2));
    r.Calculated = true;
    r.Comparison = Compare_Meters(state.Job, state.Meters);
    r.Profile = Pressure_Profile(state.Job);
    return r;
}

QString Report_Number(double value, const QString &unit)
{
    const QLocale c = QLocale::c();
    if (unit == u"psi" || unit == u"gpm" || unit == u"psi/100 ft")
        return c.toString(value, 'f', 2);
    QString text = c.toString(value, 'f', 3);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

QString Calculation_Steps_Html(const Calculation_Record &record)
{
    QString h;
    Fixture_Section(record, h);
    Demand_Section(record, h);
    Meter_Choice_Section(record, h);
    Pressure_Section(record, h);
    Result_Section(record, h);
    return h;
}

QString Meter_Comparison_Html(const Calculation_Record &r)
{
    const Sizing_Job &job = r.State.Job;
    const bool pressure = std::any_of(r.Comparison.Rows.cbegin(), r.Comparison.Rows.cend(),
                                      [](const Meter_Comparison_Row &m) { return m.Pressure_Evaluated; });
    QString h;
    h += QStringLiteral("<p>Every meter of the list against this job on its own, at Q = %1, without up-sizing.</p>")
             .arg(job.Design_Flow_Oops ? Esc(job.Design_Flow_Text) : With_Unit(job.Design_Flow, QStringLiteral("gpm")));
    QStringList head{QStringLiteral("#"), QStringLiteral("Size"), QStringLiteral("Make / Model"),
                     QStringLiteral("Rating gpm"), QStringLiteral("Flow")};
    if (pressure)
        head << QStringLiteral("Lm psi") << QStringLiteral("Pa psi") << QStringLiteral("Pf psi")
             << QStringLiteral("Pressure");
    head << QString();
    // The columns take the width their content needs; the numbers stay whole.
    const QString align = pressure ? QStringLiteral("rnlrlrrrll") : QStringLiteral("rnlrll");
    h += Table_Open + Header_Row(head, align);
    for (const Meter_Comparison_Row &m : r.Comparison.Rows) {
        const bool smallest = m.Index == r.Comparison.Smallest_Passing;
        QStringList cells{QStringLiteral("#%1").arg(m.Index), Esc(m.Size_Label),
                          Esc(m.Make) + QStringLiteral(" / ") + Esc(m.Model),
                          Report_Number(m.Limit_Gpm, QStringLiteral("gpm")),
                          Yes_No(m.Flow_Ok, QStringLiteral("pass"), QStringLiteral("fail"))};
        if (pressure) {
            if (m.Pressure_Evaluated)
                cells << Report_Number(m.Loss_Meter, QStringLiteral("psi"))
                      << Report_Number(m.Pressure_After_Meter, QStringLiteral("psi"))
                      << Report_Number(m.Pressure_At_Fixture, QStringLiteral("psi"))
                      << Yes_No(m.Pressure_Ok, QStringLiteral("pass"), QStringLiteral("fail"));
            else
                cells << QString() << QString() << QString() << QString();
        }
        QStringList marks;
        if (smallest)
            marks << QStringLiteral("<b>smallest passing</b>");
        if (m.Index == job.Meter_Index)
            marks << QStringLiteral("job's meter");
        cells << marks.join(QStringLiteral(", "));
        h += Row(cells, smallest ? QStringLiteral("background-color:#dff3e4; color:#1b2733") : QString(), align);
    }
    if (r.Comparison.Rows.isEmpty())
        h += QStringLiteral("<tr><td colspan=\"%1\"><i>The meter list holds no meters.</i></td></tr>").arg(head.size());
    h += QStringLiteral("</table>");
    if (r.Comparison.Smallest_Passing == 0) {
        h += QStringLiteral("<p>No meter of the list passes %1.</p>")
                 .arg(pressure ? QStringLiteral("both the flow and the pressure") : QStringLiteral("the flow"));
    } else {
        h += QStringLiteral("<p>Smallest meter passing %1: <b>%2</b>.")
                 .arg(pressure ? QStringLiteral("flow and pressure") : QStringLiteral("the flow"),
                      Meter_Name(r.State.Meters, r.Comparison.Smallest_Passing));
        if (r.Comparison.Smallest_Passing != job.Meter_Index && job.Meter_Index > 0) {
            h += QStringLiteral(" The calculation settled on %1")
                     .arg(Meter_Name(r.State.Meters, job.Meter_Index));
            h += r.Comparison.Why_Different.isEmpty()
                     ? QStringLiteral(".")
                     : QStringLiteral(": %1.").arg(Esc(r.Comparison.Why_Different));
        }
        h += QStringLiteral("</p>");
    }
    return h;
}

QString Profile_Table_Html(const Calculation_Record &r)
{
    if (r.Profile.isEmpty())
        return QStringLiteral("<p>No pressure evaluation for this job.</p>");
    QString h = Table_Open + Header_Row({QStringLiteral("Station"), QStringLiteral("Cause of the drop"),
                                         QStringLiteral("Drop psi"), QStringLiteral("Pressure psi")},
                                        QStringLiteral("llrr"));
    for (const Profile_Station &s : r.Profile) {
        h += Row({Esc(s.Name), Esc(s.Cause), s.Cause.isEmpty() ? QString() : Report_Number(s.Drop, QStringLiteral("psi")),
                  Report_Number(s.Pressure, QStringLiteral("psi"))},
                 QString(), QStringLiteral("llrr"));
    }
    h += Row({QStringLiteral("Required at the fixture"), QString(), QString(),
              Report_Number(r.State.Job.Pressure_Fixture.Number(), QStringLiteral("psi"))},
             QStringLiteral("color:#c62828"), QStringLiteral("llrr"));
    return h + QStringLiteral("</table>");
}

namespace {

QString Title_Block_Html(const Calculation_Record &r, const QDate &issued)
{
    const Program_State &st = r.State;
    const Sizing_Job &job = st.Job;
    QString h = QStringLiteral("<h1>Water Meter Sizing &mdash; Engineering Report</h1>");
    h += Table_Open;
    h += Row({QStringLiteral("<b>Location</b>"), Esc(job.Location), QStringLiteral("<b>Date</b>"),
              Short_Date_Text(job.Calc_Date)});
    h += Row({QStringLiteral("<b>Calculated by</b>"), Esc(job.Calculated_By), QStringLiteral("<b>Date of issue</b>"),
              Short_Date_Text(issued)});
    h += Row({QStringLiteral("<b>Job file</b>"), Esc(Report_Project_Name(r)), QStringLiteral("<b>Program</b>"),
              QStringLiteral("Quorvel ") + Esc(st.Version)});
    h += Row({QStringLiteral("<b>Use</b>"),
              job.Use_Type == Use_Kind::Private ? QStringLiteral("private use fixtures") : QStringLiteral("public use fixtures"),
              QStringLiteral("<b>Fixtures</b>"),
              job.Flush_Type == Flush_Kind::Quick_Flush ? QStringLiteral("predominately flushometer")
                                                        : QStringLiteral("predominately flush tank")});
    h += Row({QStringLiteral("<b>Private use table</b>"),
              Esc(QFileInfo(st.File1).fileName()) + QStringLiteral(", ") + Date_Or_None(st.Table1.Date),
              QStringLiteral("<b>Public use table</b>"),
              Esc(QFileInfo(st.File2).fileName()) + QStringLiteral(", ") + Date_Or_None(st.Table2.Date)});
    h += Row({QStringLiteral("<b>Demand table</b>"),
              Esc(QFileInfo(st.File3).fileName()) + QStringLiteral(", ") + Date_Or_None(st.Table3.Date),
              QStringLiteral("<b>Meter list</b>"),
              Esc(st.Meters.File_Name) + QStringLiteral(", ") + Date_Or_None(st.Meters.Date) + QStringLiteral(", ")
                  + Basis_Name(job)});
    return h + QStringLiteral("</table>");
}

// Who prepared, checked and approved the report, each with a line to sign
// and a date line, beside a box for the engineer's seal.
QString Sign_Off_Html(const Calculation_Record &r)
{
    const QString blank = QStringLiteral("<br/><br/>");
    QString roles = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
                                   "style=\"border-collapse:collapse; border-color:#888\" width=\"100%\">");
    roles += Header_Row({QString(), QStringLiteral("Name"), QStringLiteral("Signature"), QStringLiteral("Date")},
                        QStringLiteral("nlll"));
    for (const QString &role : {QStringLiteral("Prepared by"), QStringLiteral("Checked by"), QStringLiteral("Approved by")}) {
        const QString name = role == u"Prepared by" ? Esc(r.State.Job.Calculated_By) : QString();
        roles += Row({QStringLiteral("<b>%1</b>").arg(role) + blank, name, QString(), QStringLiteral("____ / ____ / ______")},
                     QString(), QStringLiteral("nlln"));
    }
    roles += QStringLiteral("</table>");
    const QString seal = QStringLiteral(
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" style=\"border-collapse:collapse; border-color:#888\" "
        "width=\"100%\"><tr><td align=\"center\" valign=\"middle\"><br/><br/><br/>Professional seal<br/><br/><br/><br/>"
        "</td></tr></table>");
    return QStringLiteral("<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" width=\"99%\" "
                          "style=\"margin-top:8px; margin-bottom:6px\"><tr>"
                          "<td width=\"74%\" valign=\"top\">%1</td><td width=\"2%\"></td>"
                          "<td width=\"24%\" valign=\"top\">%2</td></tr></table>")
        .arg(roles, seal);
}

QString Profile_Section_Html(const Calculation_Record &r, const QString &profile_image_name, int profile_width)
{
    QString h = QStringLiteral("<h2>6. Pressure profile</h2>");
    if (!r.Profile.isEmpty()) {
        h += QStringLiteral("<p align=\"center\"><img src=\"%1\" width=\"%2\"/></p>")
                 .arg(Esc(profile_image_name))
                 .arg(profile_width);
        h += QStringLiteral("<p>The pressure from the water main to the controlling fixture, station by station, "
                            "for %1; the dashed line is the required pressure.</p>")
                 .arg(Meter_Name(r.State.Meters, r.State.Job.Meter_Index));
    }
    return h + Profile_Table_Html(r);
}

QString Assumptions_Html(const Calculation_Record &r)
{
    QString h = QStringLiteral("<h2>8. Assumptions and limits</h2><ul>");
    const QStringList points = {
        QStringLiteral("Demand: the fixture units are turned into a flow by straight-line interpolation between the "
                       "two neighbouring rows of the demand table (%1), in its flushometer or flush tank column; the "
                       "irrigation flow and the Note A flows are added as running at the same time. Fixture units "
                       "beyond the table are not extrapolated.")
            .arg(Esc(QFileInfo(r.State.File3).fileName())),
        QStringLiteral("Meter: the first meter of the list whose rating holds the design flow. Its pressure loss is "
                       "read from the three loss points of the meter list by straight lines from zero flow, the last "
                       "line continued beyond the last point."),
        QStringLiteral("Pipes: friction loss by the Hazen-Williams formula for cold water flowing full, with the "
                       "internal diameters and C factors given. The service lateral carries the whole design flow, "
                       "the building plumbing the design flow without irrigation. Fittings of the plumbing count "
                       "only through the length factor; those of the service lateral are not counted unless they "
                       "are included in its length."),
        QStringLiteral("Pressure: the minimum main pressure is taken as steady at the tap; each 2.31 ft of elevation "
                       "counts 1 psi; treatment devices (softeners, filters, backflow preventers) count as the one "
                       "loss given. Velocity limits, surges and water hammer are not considered."),
        QStringLiteral("Up-sizing: when the available pressure falls short and up-sizing is allowed, the next meter "
                       "of the list is evaluated, at most twice; a job still short after that is reported as failing."),
        QStringLiteral("Not covered: fire-protection flows, hot water systems, booster pumps, pressure-reducing "
                       "valves and the highest pressure at the fixtures. The report supports the engineer's "
                       "judgement and the utility's own requirements; it does not replace them."),
    };
    for (const QString &p : points)
        h += QStringLiteral("<li>%1</li>").arg(p);
    return h + QStringLiteral("</ul>");
}

} // namespace

QString Report_Project_Name(const Calculation_Record &record)
{
    const QString name = QFileInfo(record.State.Job_File_Name).fileName();
    return name.isEmpty() ? QStringLiteral("unsaved job") : name;
}

QString Engineering_Report_Html(const Calculation_Record &r, const QString &profile_image_name, int profile_width,
                                const QDate &issued)
{
    const Sizing_Job &job = r.State.Job;
    const QString head = QStringLiteral(
        "<html><head><style>"
        "body { font-family: 'DejaVu Sans', sans-serif; font-size: 9pt; }"
        "h1 { font-size: 16pt; margin-bottom: 2pt; }"
        "h2 { font-size: 12pt; margin-top: 14pt; margin-bottom: 4pt; color: #1f3a5f; }"
        "h3 { font-size: 10pt; margin-top: 8pt; margin-bottom: 3pt; }"
        "th { font-weight: bold; }"
        "</style></head><body>");

    // The report is its sections in print order, joined.
    QStringList sections;
    sections << Title_Block_Html(r, issued);
    sections << Sign_Off_Html(r);
    sections << Calculation_Steps_Html(r);
    sections << Profile_Section_Html(r, profile_image_name, profile_width);
    sections << QStringLiteral("<h2>7. Every meter of the list</h2>") + Meter_Comparison_Html(r);
    sections << Assumptions_Html(r);
    // Further sections go here, one line each, numbered on from 9.
    sections << Demand_Methods_Html(r, QStringLiteral("9. Demand methods"));
    sections << Data_Sources_Html(r.State, QStringLiteral("10. Data sources"));
    if (!job.Note.isEmpty()) {
        sections << QStringLiteral("<h2>Note</h2><p>%1</p>")
                        .arg(Esc(QString(job.Note).replace(QStringLiteral("\r\n"), QStringLiteral("\n")))
                                 .replace(u'\n', QStringLiteral("<br/>")));
    }
    return head + sections.join(QString()) + QStringLiteral("</body></html>");
}
