#include "provenance.h"

#include "text_codec.h"

#include <QFile>

namespace {

const QString Source_Tag = QStringLiteral("' Source:");
const QString Status_Tag = QStringLiteral("' Status:");
const QString Estimated_Tag = QStringLiteral("' Estimated:");

const struct {
    const char16_t *Word;
    Meter_Value Value;
} Value_Words[] = {{u"max", Meter_Value::Max_Flow}, {u"continuous", Meter_Value::Continuous_Flow}, {u"loss", Meter_Value::Loss}};

Meter_Estimate Parse_Estimate(const QString &text)
{
    Meter_Estimate e;
    const qsizetype at = text.indexOf(QStringLiteral(" for "));
    const QString fields = at < 0 ? text : text.left(at);
    for (const QString &word : fields.split(u' ', Qt::SkipEmptyParts))
        for (const auto &w : Value_Words)
            if (word == QStringView(w.Word))
                e.Values << w.Value;
    const QString entries = at < 0 ? QStringLiteral("all") : text.mid(at + 5).trimmed();
    if (entries != u"all")
        for (const QString &label : entries.split(u';', Qt::SkipEmptyParts))
            e.Size_Labels << label.trimmed();
    return e;
}

QString Estimate_Text(const Meter_Estimate &e)
{
    QStringList words;
    for (Meter_Value v : e.Values)
        for (const auto &w : Value_Words)
            if (w.Value == v)
                words << QString::fromUtf16(w.Word);
    return words.join(u' ') + QStringLiteral(" for ")
           + (e.Size_Labels.isEmpty() ? QStringLiteral("all") : e.Size_Labels.join(QStringLiteral("; ")));
}

} // namespace

QString Data_Provenance::Status_Word() const
{
    return Verified() ? QStringLiteral("verified") : Estimate() ? QStringLiteral("estimate") : QStringLiteral("unstated");
}

bool Data_Provenance::Estimated(const QString &size_label, Meter_Value value) const
{
    if (!Estimate())
        return false;
    if (Estimates.isEmpty())
        return true;
    for (const Meter_Estimate &e : Estimates)
        if (e.Values.contains(value) && (e.Size_Labels.isEmpty() || e.Size_Labels.contains(size_label)))
            return true;
    return false;
}

bool Data_Provenance::Any_Estimated(const QString &size_label) const
{
    return Estimated(size_label, Meter_Value::Max_Flow) || Estimated(size_label, Meter_Value::Continuous_Flow)
           || Estimated(size_label, Meter_Value::Loss);
}

Data_Provenance Parse_Provenance(const QStringList &lines)
{
    Data_Provenance p;
    for (const QString &line : lines) {
        if (line.startsWith(Source_Tag))
            p.Sources << line.mid(Source_Tag.size()).trimmed();
        else if (line.startsWith(Status_Tag))
            p.Status = line.mid(Status_Tag.size()).trimmed();
        else if (line.startsWith(Estimated_Tag))
            p.Estimates << Parse_Estimate(line.mid(Estimated_Tag.size()).trimmed());
    }
    return p;
}

Data_Provenance Read_Provenance(const QString &path, int max_lines)
{
    QFile file(path);
    QStringList lines;
    if (file.open(QIODevice::ReadOnly)) {
        while (lines.size() < max_lines && !file.atEnd()) {
            QByteArray bytes = file.readLine(64 * 1024);
            while (bytes.endsWith('\n') || bytes.endsWith('\r'))
                bytes.chop(1);
            lines << Decode_1252(bytes);
        }
    }
    return Parse_Provenance(lines);
}

QStringList Provenance_Lines(const Data_Provenance &provenance)
{
    QStringList lines;
    for (const QString &s : provenance.Sources)
        lines << Source_Tag + u' ' + s;
    if (!provenance.Status.isEmpty())
        lines << Status_Tag + u' ' + provenance.Status;
    for (const Meter_Estimate &e : provenance.Estimates)
        lines << Estimated_Tag + u' ' + Estimate_Text(e);
    return lines;
}
