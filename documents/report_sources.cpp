#include "report_sources.h"

#include "meter_list_edit.h"
#include "report_html.h"

using namespace report_html;

QString Estimate_Mark_Html(const Meter_List &meters, int index, Meter_Value value)
{
    const Meter_Entry *m = meters.Entry(index);
    return m && meters.Provenance.Estimated(m->Size_Label, value)
               ? QStringLiteral(" <span style=\"color:#b35900\"><b>(estimate)</b></span>")
               : QString();
}

QString Data_Sources_Html(const Program_State &state, const QString &heading)
{
    QString h = QStringLiteral("<h2>%1</h2>").arg(heading.toHtmlEscaped());
    h += Table_Open;
    h += Header_Row({QStringLiteral("Data"), QStringLiteral("File, date"), QStringLiteral("Sources"), QStringLiteral("Status")});
    for (const Data_Source &d : Data_Sources(state)) {
        QStringList sources;
        for (const QString &s : d.Provenance.Sources)
            sources << Esc(s);
        const QString status = d.Provenance.Status.isEmpty() ? QStringLiteral("<i>not stated</i>")
                               : d.Provenance.Estimate()
                                   ? QStringLiteral("<span style=\"color:#b35900\"><b>%1</b></span>").arg(Esc(d.Provenance.Status))
                                   : Esc(d.Provenance.Status);
        h += QStringLiteral("<tr><td>%1</td><td>%2<br/>%3</td><td>%4</td><td>%5</td></tr>")
                 .arg(Esc(d.Title), Esc(d.File),
                      d.Date.isValid() ? d.Date.toString(QStringLiteral("M/d/yyyy")) : QStringLiteral("no date"),
                      sources.isEmpty() ? QStringLiteral("<i>no source named in the file</i>") : sources.join(QStringLiteral("<br/>")),
                      status);
    }
    h += QStringLiteral("</table>");
    const Meter_List &meters = state.Meters;
    if (const Meter_Entry *m = meters.Entry(state.Job.Meter_Index)) {
        QStringList values;
        if (meters.Provenance.Estimated(m->Size_Label, Meter_Value::Max_Flow))
            values << QStringLiteral("maximum flow");
        if (meters.Provenance.Estimated(m->Size_Label, Meter_Value::Continuous_Flow))
            values << QStringLiteral("maximum continuous flow");
        if (meters.Provenance.Estimated(m->Size_Label, Meter_Value::Loss))
            values << QStringLiteral("loss curve");
        if (!values.isEmpty())
            h += QStringLiteral("<p><span style=\"color:#b35900\"><b>Estimate:</b></span> the %1 of the chosen meter %2 "
                                "%3 not taken from a standard or a maker's data sheet. Confirm them with the maker's "
                                "published ratings before relying on this sizing.</p>")
                     .arg(values.join(QStringLiteral(" and ")), Esc(m->Size_Label),
                          values.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    }
    return h;
}
