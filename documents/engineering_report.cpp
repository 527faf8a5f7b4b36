#include "engineering_report.h"

#include "number_format.h"
#include "report_sources.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

QString Esc(const QString &text)
{
    return text.toHtmlEscaped();
}

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

const QString Table_Open = QStringLiteral(
    "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" style=\"border-collapse:collapse; border-color:#888; margin-bottom:6px\" "
    "width=\"99%\">");

QString Header_Row(const QStringList &cells)
{
    QString row = QStringLiteral("<tr style=\"background-color:#e8edf3\">");
    for (const QString &c : cells)
        row += QStringLiteral("<th align=\"left\">%1</th>").arg(c);
    return row + QStringLiteral("</tr>");
}

QString Row(const QStringList &cells, const QString &style = QString())
{
    QString row = style.isEmpty() ? QStringLiteral("<tr>") : QStringLiteral("<tr style=\"%1\">").arg(style);
    for (const QString &c : cells)
        row += QStringLiteral("<td>%1</td>").arg(c);
    return row + QStringLiteral("</tr>");
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
                                  QStringLiteral("FU each"), QStringLiteral("Subtotal FU")});
    double total = 0;
    bool any = false;
    for (const Step_Text &s : r.Steps) {
        if (s.Key == QStringLiteral("fixture_row")) {
            any = true;
            h += Row({Report_Number(Input(s, QStringLiteral("Row")), QString()), Esc(s.Title),
                      Report_Number(Input(s, QStringLiteral("count")), QString()),
                      Report_Number(Input(s, QStringLiteral("FU each")), QStringLiteral("FU")),
                      Report_Number(s.Result, QStringLiteral("FU"))});
        } else if (s.Key == QStringLiteral("fixture_units")) {
            total = s.Result;
        }
    }
    if (!any)
        h += QStringLiteral("<tr><td colspan=\"5\"><i>No fixture counted.</i></td></tr>");
    h += QStringLiteral("<tr><td colspan=\"4\"><b>Total fixture units FU = &Sigma; count &middot; FU each</b></td>"
                        "<td><b>%1</b></td></tr></table>")
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
                                  QStringLiteral("Flow")});
    h += Row({QStringLiteral("Lower (FU1, Q1)"),
              row <= 1 ? QStringLiteral("origin") : Report_Number(row - 1, QString()), With_Unit(fu1, fu),
              With_Unit(Input(*table, QStringLiteral("Q1")), gpm)});
    h += Row({QStringLiteral("Upper (FU2, Q2)"), Report_Number(row, QString()), With_Unit(fu2, fu),
              With_Unit(Input(*table, QStringLiteral("Q2")), gpm)});
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
                                  QStringLiteral("Model"), QStringLiteral("Rating"), QStringLiteral("Q &le; rating")});
    for (const Meter_Comparison_Row &m : r.Comparison.Rows) {
        h += Row({QString::number(m.Index), Esc(m.Size_Label), Esc(m.Make), Esc(m.Model),
                  With_Unit(m.Limit_Gpm, QStringLiteral("gpm")), Yes_No(m.Flow_Ok, QStringLiteral("pass"), QStringLiteral("fail"))},
                 m.Index == chosen ? QStringLiteral("background-color:#fff4c2") : QString());
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

void Pressure_Section(const Calculation_Record &r, QString &h)
{
    const Sizing_Job &job = r.State.Job;
    h += QStringLiteral("<h2>4. Pressure chain</h2>");
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
            h += Table_Open + QStringLiteral("<tr style=\"background-color:#e8edf3\"><th align=\"left\" width=\"24%\">Term</th>"
                                             "<th align=\"left\" width=\"56%\">Formula, with the numbers</th>"
                                             "<th align=\"left\" width=\"20%\">Result</th></tr>");
            open = true;
        }
        QString numbers = QStringLiteral("= ") + Powers(Esc(Substituted(s)));
        if (s.Key == QStringLiteral("loss_meter"))
            numbers = QStringLiteral("Q = %1 on the curve: %2")
                          .arg(With_Unit(Input(s, QStringLiteral("Q")), QStringLiteral("gpm")),
                               Meter_Curve_Text(r.State.Meters, int(Input(s, QStringLiteral("Meter row")))));
        h += Row({Esc(s.Title), Powers(Esc(s.Formula)) + QStringLiteral("<br/>") + numbers,
                  QStringLiteral("<b>%1 = %2</b>").arg(Esc(Symbol_Of(s)), With_Unit(s.Result, s.Unit))});
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
    const QList<int> widths = pressure ? QList<int>{4, 12, 19, 9, 7, 8, 8, 8, 11, 14} : QList<int>{5, 15, 35, 15, 10, 20};
    h += Table_Open + QStringLiteral("<tr style=\"background-color:#e8edf3\">");
    for (int c = 0; c < head.size(); ++c)
        h += QStringLiteral("<th align=\"left\" width=\"%1%\">%2</th>").arg(widths[c]).arg(head[c]);
    h += QStringLiteral("</tr>");
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
        h += Row(cells, smallest ? QStringLiteral("background-color:#dff3e4") : QString());
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
                                         QStringLiteral("Drop psi"), QStringLiteral("Pressure psi")});
    for (const Profile_Station &s : r.Profile) {
        h += Row({Esc(s.Name), Esc(s.Cause), s.Cause.isEmpty() ? QString() : Report_Number(s.Drop, QStringLiteral("psi")),
                  Report_Number(s.Pressure, QStringLiteral("psi"))});
    }
    h += Row({QStringLiteral("Required at the fixture"), QString(), QString(),
              Report_Number(r.State.Job.Pressure_Fixture.Number(), QStringLiteral("psi"))},
             QStringLiteral("color:#c62828"));
    return h + QStringLiteral("</table>");
}

QString Engineering_Report_Html(const Calculation_Record &r, const QString &profile_image_name, int profile_width)
{
    const Program_State &st = r.State;
    const Sizing_Job &job = st.Job;
    QString h = QStringLiteral(
        "<html><head><style>"
        "body { font-family: 'DejaVu Sans', sans-serif; font-size: 9pt; }"
        "h1 { font-size: 16pt; margin-bottom: 2pt; }"
        "h2 { font-size: 12pt; margin-top: 14pt; margin-bottom: 4pt; color: #1f3a5f; }"
        "h3 { font-size: 10pt; margin-top: 8pt; margin-bottom: 3pt; }"
        "th { font-weight: bold; }"
        "</style></head><body>");
    h += QStringLiteral("<h1>Water Meter Sizing &mdash; Engineering Report</h1>");
    h += Table_Open;
    h += Row({QStringLiteral("<b>Location</b>"), Esc(job.Location), QStringLiteral("<b>Date</b>"),
              Short_Date_Text(job.Calc_Date)});
    h += Row({QStringLiteral("<b>Calculated by</b>"), Esc(job.Calculated_By), QStringLiteral("<b>Program</b>"),
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
    h += QStringLiteral("</table>");

    h += Calculation_Steps_Html(r);

    // The picture and the comparison each take a page of their own; without
    // a pressure evaluation both are short and follow on.
    const QString new_page = r.Profile.isEmpty() ? QString() : QStringLiteral(" style=\"page-break-before: always\"");
    h += QStringLiteral("<h2%1>6. Pressure profile</h2>").arg(new_page);
    if (!r.Profile.isEmpty()) {
        h += QStringLiteral("<p>The pressure from the water main to the controlling fixture, station by station, "
                            "for %1; the dashed line is the required pressure.</p>")
                 .arg(Meter_Name(st.Meters, job.Meter_Index));
        h += QStringLiteral("<p align=\"center\"><img src=\"%1\" width=\"%2\"/></p>")
                 .arg(Esc(profile_image_name))
                 .arg(profile_width);
    }
    h += Profile_Table_Html(r);

    h += QStringLiteral("<h2%1>7. Every meter of the list</h2>").arg(new_page);
    h += Meter_Comparison_Html(r);

    h += Data_Sources_Html(st);

    if (!job.Note.isEmpty()) {
        h += QStringLiteral("<h2>Note</h2><p>%1</p>")
                 .arg(Esc(QString(job.Note).replace(QStringLiteral("\r\n"), QStringLiteral("\n")))
                          .replace(u'\n', QStringLiteral("<br/>")));
    }
    h += QStringLiteral("</body></html>");
    return h;
}
