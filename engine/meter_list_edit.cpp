#include "meter_list_edit.h"

#include "calculate.h"
#include "number_format.h"
#include "text_codec.h"
#include "user_file.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cmath>

const QStringList Meter_Csv_Columns = {
    QStringLiteral("Size"),          QStringLiteral("Make"),          QStringLiteral("Model"),
    QStringLiteral("Max Flow (gpm)"), QStringLiteral("Max Continuous Flow (gpm)"),
    QStringLiteral("Loss Flow 1 (gpm)"), QStringLiteral("Loss 1 (psi)"),
    QStringLiteral("Loss Flow 2 (gpm)"), QStringLiteral("Loss 2 (psi)"),
    QStringLiteral("Loss Flow 3 (gpm)"), QStringLiteral("Loss 3 (psi)")};

const QString User_List_Marker = QStringLiteral("' Owner: user");

namespace {

constexpr int Size_Width = 19, Text_Width = 20, Number_Width = 10;

QString Label(const Meter_List &list, int meter)
{
    const QString label = list.Entries[meter - 1].Size_Label;
    return label.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(label);
}

Meter_List_Problem Problem(int meter, const QString &reason)
{
    return {meter, reason};
}

// Why a text cannot stand in a field of width characters, or "".
QString Text_Problem(const QString &name, const QString &text, int width, bool leading)
{
    if (text.size() > width)
        return QStringLiteral("%1 \"%2\" is longer than %3 characters").arg(name, text).arg(width);
    if (text.contains(u','))
        return QStringLiteral("%1 \"%2\" holds a comma, which the list file cannot keep").arg(name, text);
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("%1 holds a control character or line break").arg(name);
    if (!Unencodable_1252(text).isEmpty())
        return QStringLiteral("%1 \"%2\" holds characters the list file cannot keep: %3")
            .arg(name, text, Unencodable_1252(text).join(QString()));
    if (leading && (text.startsWith(u' ') || text.startsWith(u'"') || text.startsWith(u'\'') || text.startsWith(u"Date:")
                    || text.startsWith(u"Desc:")))
        return QStringLiteral("%1 \"%2\" may not begin with a blank, a quote, an apostrophe, \"Date:\" or \"Desc:\"")
            .arg(name, text);
    return QString();
}

QString Number_Problem(const QString &name, double value)
{
    if (!std::isfinite(value) || value < 0)
        return QStringLiteral("%1 must be a number of 0 or more").arg(name);
    if (Column_Number(value).isEmpty())
        return QStringLiteral("%1 %2 does not fit its column (at most 9 characters)").arg(name).arg(value);
    return QString();
}

QString Number_Text(double value)
{
    return QLocale::c().toString(value, 'g', 12);
}

} // namespace

QString Column_Number(double value)
{
    if (!std::isfinite(value))
        return QString();
    for (int decimals = 0; decimals <= 8; ++decimals) {
        QString text = QString::number(value, 'f', decimals);
        if (text.size() > Number_Width - 1)
            return QString();
        if (text.toDouble() == value)
            return text;
    }
    return QString();
}

Meter_List_Problem Rising_Rule_Problem(const Meter_List &list)
{
    for (int k = 1; k < list.Count(); ++k) {
        const Meter_Entry &before = list.Entries[k - 1];
        const Meter_Entry &after = list.Entries[k];
        if (!(after.Max_Flow > before.Max_Flow))
            return Problem(k + 1, QStringLiteral("%1 (%2 gpm) does not rate above %3 (%4 gpm) before it")
                                      .arg(after.Size_Label, Number_Text(after.Max_Flow), before.Size_Label,
                                           Number_Text(before.Max_Flow)));
        const double loss_before = Meter_Loss(before, before.Max_Flow);
        const double loss_after = Meter_Loss(after, before.Max_Flow);
        if (loss_after > loss_before)
            return Problem(k + 1, QStringLiteral("%1 loses %2 psi at %3 gpm where the smaller %4 loses %5 psi")
                                      .arg(after.Size_Label, Number_Text(loss_after), Number_Text(before.Max_Flow),
                                           before.Size_Label, Number_Text(loss_before)));
    }
    return {};
}

Meter_List_Problem Check_Meter_List(const Meter_List &list)
{
    if (list.Count() == 0)
        return Problem(0, QStringLiteral("the list holds no meter"));
    if (list.Count() > Max_Table_Records)
        return Problem(0, QStringLiteral("the list holds %1 meters; at most %2 fit").arg(list.Count()).arg(Max_Table_Records));
    if (QString p = Text_Problem(QStringLiteral("the description"), list.Description, 200, false); !p.isEmpty())
        return Problem(0, p);
    const QStringList provenance = Provenance_Lines(list.Provenance);
    for (const QString &line : provenance)
        if (line.contains(u'\n') || line.contains(u'\r') || !Unencodable_1252(line).isEmpty())
            return Problem(0, QStringLiteral("a source or status line holds a line break or characters the file cannot keep"));
    if (!list.Provenance.Status.isEmpty() && !list.Provenance.Verified() && !list.Provenance.Estimate())
        return Problem(0, QStringLiteral("the status must be \"verified\" or \"estimate\""));
    // Date, description, provenance, owner, columns comment and the records.
    if (2 + provenance.size() + 2 + list.Count() > Long_Table_Lines)
        return Problem(0, QStringLiteral("the sources and meters take more than %1 lines").arg(Long_Table_Lines));
    for (int m = 1; m <= list.Count(); ++m) {
        const Meter_Entry &e = list.Entries[m - 1];
        if (e.Size_Label.trimmed().isEmpty())
            return Problem(m, QStringLiteral("the size is empty"));
        for (const QString &p : {Text_Problem(QStringLiteral("the size"), e.Size_Label, Size_Width, true),
                                 Text_Problem(QStringLiteral("the make"), e.Make, Text_Width, false),
                                 Text_Problem(QStringLiteral("the model"), e.Model, Text_Width, false)})
            if (!p.isEmpty())
                return Problem(m, p);
        const QString names[8] = {QStringLiteral("the maximum flow"), QStringLiteral("the continuous flow"),
                                  QStringLiteral("loss flow 1"), QStringLiteral("loss 1"), QStringLiteral("loss flow 2"),
                                  QStringLiteral("loss 2"), QStringLiteral("loss flow 3"), QStringLiteral("loss 3")};
        const double values[8] = {e.Max_Flow, e.Max_Continuous_Flow, e.Loss_Point_Flow[0], e.Loss_Point_Loss[0],
                                  e.Loss_Point_Flow[1], e.Loss_Point_Loss[1], e.Loss_Point_Flow[2], e.Loss_Point_Loss[2]};
        for (int v = 0; v < 8; ++v)
            if (QString p = Number_Problem(names[v], values[v]); !p.isEmpty())
                return Problem(m, p);
        if (QString p = Number_Problem(QStringLiteral("the nominal size"), e.Value_4); !p.isEmpty())
            return Problem(m, p);
        if (!(e.Max_Flow > 0))
            return Problem(m, QStringLiteral("the maximum flow must be above 0 gpm"));
        if (!(e.Max_Continuous_Flow > 0) || e.Max_Continuous_Flow > e.Max_Flow)
            return Problem(m, QStringLiteral("the continuous flow (%1 gpm) must be above 0 and no more than the maximum flow (%2 gpm)")
                                  .arg(Number_Text(e.Max_Continuous_Flow), Number_Text(e.Max_Flow)));
        double q = 0, h = 0;
        for (int p = 0; p < 3; ++p) {
            if (!(e.Loss_Point_Flow[p] > q))
                return Problem(m, QStringLiteral("the loss curve does not rise: loss flow %1 (%2 gpm) is not above %3 gpm")
                                      .arg(p + 1).arg(Number_Text(e.Loss_Point_Flow[p]), Number_Text(q)));
            if (!(e.Loss_Point_Loss[p] > h))
                return Problem(m, QStringLiteral("the loss curve falls: loss %1 (%2 psi at %3 gpm) is not above %4 psi")
                                      .arg(p + 1)
                                      .arg(Number_Text(e.Loss_Point_Loss[p]), Number_Text(e.Loss_Point_Flow[p]),
                                           Number_Text(h)));
            q = e.Loss_Point_Flow[p];
            h = e.Loss_Point_Loss[p];
        }
    }
    return Rising_Rule_Problem(list);
}

QByteArray Meter_List_File_Text(const Meter_List &list)
{
    QStringList lines;
    lines << QStringLiteral("Date: ") + list.Date.toString(QStringLiteral("MM/dd/yyyy"));
    lines << QStringLiteral("Desc: ") + list.Description;
    lines << Provenance_Lines(list.Provenance);
    lines << User_List_Marker + QStringLiteral(" (written by the meter list editor; updates leave it alone)");
    lines << QStringLiteral("' Columns: size; make; model; nominal; max gpm; continuous gpm; 3 x (loss flow gpm, loss psi)");
    for (const Meter_Entry &e : list.Entries) {
        QString line = e.Size_Label.leftJustified(Size_Width) + e.Make.leftJustified(Text_Width)
                       + e.Model.leftJustified(Text_Width);
        for (double v : {e.Value_4, e.Max_Flow, e.Max_Continuous_Flow, e.Loss_Point_Flow[0], e.Loss_Point_Loss[0],
                         e.Loss_Point_Flow[1], e.Loss_Point_Loss[1], e.Loss_Point_Flow[2], e.Loss_Point_Loss[2]})
            line += Column_Number(v).leftJustified(Number_Width);
        lines << line;
    }
    return Encode_1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

namespace {

bool Same_Entries(const Meter_List &a, const Meter_List &b)
{
    if (a.Count() != b.Count() || a.Description != b.Description || a.Date != b.Date
        || a.Provenance.Sources != b.Provenance.Sources || a.Provenance.Status != b.Provenance.Status)
        return false;
    for (int k = 0; k < a.Count(); ++k) {
        const Meter_Entry &x = a.Entries[k], &y = b.Entries[k];
        if (x.Size_Label != y.Size_Label || x.Make != y.Make || x.Model != y.Model || x.Value_4 != y.Value_4
            || x.Max_Flow != y.Max_Flow || x.Max_Continuous_Flow != y.Max_Continuous_Flow)
            return false;
        for (int p = 0; p < 3; ++p)
            if (x.Loss_Point_Flow[p] != y.Loss_Point_Flow[p] || x.Loss_Point_Loss[p] != y.Loss_Point_Loss[p])
                return false;
    }
    return true;
}

} // namespace

bool Save_Meter_List(const Meter_List &list, const QString &path, QString *error)
{
    if (const Meter_List_Problem p = Check_Meter_List(list); !p.Ok()) {
        *error = p.Meter > 0 ? QStringLiteral("row %1%2: %3").arg(p.Meter).arg(Label(list, p.Meter), p.Reason) : p.Reason;
        return false;
    }
    const QByteArray bytes = Meter_List_File_Text(list);
    // Stage beside the target, read it back as the program will, then swap.
    QTemporaryFile stage(QFileInfo(path).absolutePath() + QStringLiteral("/.meter-list-XXXXXX.mtr"));
    if (!stage.open() || stage.write(bytes) != bytes.size() || !stage.flush()) {
        *error = QStringLiteral("cannot write in %1: %2").arg(QFileInfo(path).absolutePath(), Reason_Text(stage.errorString()));
        return false;
    }
    Meter_List back;
    back.Date = QDate(); // a list without a date line must not pass on an earlier one
    Load_Meter_List(back, stage.fileName());
    if (!Same_Entries(list, back)) {
        *error = QStringLiteral("the written list does not read back to the same values");
        return false;
    }
    return Write_User_File(path, bytes, error);
}

namespace {

// RFC 4180 records of a text; false with the reason on a quote left open.
bool Csv_Records(const QString &text, QList<QStringList> &records, QList<int> &rows, QString *error)
{
    QStringList record;
    QString field;
    bool quoted = false, was_quoted = false;
    int row = 1, record_row = 1;
    const auto end_field = [&] {
        record << (was_quoted ? field : field.trimmed());
        field.clear();
        was_quoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                if (c == u'\n')
                    ++row;
                field += c;
            }
        } else if (c == u'"' && field.trimmed().isEmpty()) {
            quoted = was_quoted = true;
            field.clear();
        } else if (c == u',') {
            end_field();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            end_field();
            records << record;
            rows << record_row;
            record.clear();
            record_row = ++row;
        } else {
            field += c;
        }
    }
    if (quoted) {
        *error = QStringLiteral("row %1: a quote is not closed").arg(record_row);
        return false;
    }
    if (!field.isEmpty() || !record.isEmpty()) {
        end_field();
        records << record;
        rows << record_row;
    }
    return true;
}

bool Blank(const QStringList &record)
{
    for (const QString &f : record)
        if (!f.trimmed().isEmpty())
            return false;
    return true;
}

QString Csv_Field(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

} // namespace

bool Meter_List_From_Csv(const QByteArray &bytes, Meter_List &list, QString *error)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(body);
    if (decode.hasError()) {
        *error = QStringLiteral("the file is not UTF-8 text: save it as \"CSV UTF-8 (comma delimited)\"");
        return false;
    }
    QList<QStringList> records;
    QList<int> rows;
    if (!Csv_Records(text, records, rows, error))
        return false;
    while (!records.isEmpty() && Blank(records.first())) {
        records.removeFirst();
        rows.removeFirst();
    }
    if (records.isEmpty()) {
        *error = QStringLiteral("the file is empty: a header row and a meter a row are expected");
        return false;
    }
    const QStringList header = records.first();
    if (header.size() == 1 && header.first().contains(u';')) {
        *error = QStringLiteral("row %1: the values are separated by semicolons; save the file as comma-separated CSV")
                     .arg(rows.first());
        return false;
    }
    for (int c = 0; c < Meter_Csv_Columns.size(); ++c) {
        if (c >= header.size() || header[c].compare(Meter_Csv_Columns[c], Qt::CaseInsensitive) != 0) {
            const bool elsewhere = header.contains(Meter_Csv_Columns[c], Qt::CaseInsensitive);
            *error = elsewhere ? QStringLiteral("row %1: column %2 must be \"%3\", found \"%4\" (the columns are: %5)")
                                     .arg(rows.first()).arg(c + 1).arg(Meter_Csv_Columns[c], header.value(c),
                                                                        Meter_Csv_Columns.join(QStringLiteral(", ")))
                               : QStringLiteral("row %1: the column \"%2\" is missing (the columns are: %3)")
                                     .arg(rows.first()).arg(Meter_Csv_Columns[c], Meter_Csv_Columns.join(QStringLiteral(", ")));
            return false;
        }
    }
    if (header.size() > Meter_Csv_Columns.size()) {
        *error = QStringLiteral("row %1: %2 columns where %3 are expected").arg(rows.first()).arg(header.size()).arg(Meter_Csv_Columns.size());
        return false;
    }
    QVector<Meter_Entry> entries;
    QList<int> entry_rows;
    for (int r = 1; r < records.size(); ++r) {
        const QStringList &f = records[r];
        if (Blank(f))
            continue;
        if (f.size() != Meter_Csv_Columns.size()) {
            *error = QStringLiteral("row %1: %2 values where %3 are expected").arg(rows[r]).arg(f.size()).arg(Meter_Csv_Columns.size());
            return false;
        }
        Meter_Entry e;
        QString reason;
        if (!Meter_Entry_From_Cells(f, e, &reason)) {
            *error = QStringLiteral("row %1 (%2): %3").arg(rows[r]).arg(f[0].trimmed(), reason);
            return false;
        }
        entries << e;
        entry_rows << rows[r];
    }
    Meter_List checked = list;
    checked.Entries = entries;
    if (const Meter_List_Problem p = Check_Meter_List(checked); !p.Ok()) {
        *error = p.Meter > 0 ? QStringLiteral("row %1 (%2): %3").arg(entry_rows[p.Meter - 1]).arg(entries[p.Meter - 1].Size_Label, p.Reason)
                             : p.Reason;
        return false;
    }
    list.Entries = entries;
    return true;
}

bool Meter_Entry_From_Cells(const QStringList &cells, Meter_Entry &e, QString *error)
{
    e = Meter_Entry();
    e.Size_Label = cells.value(0).trimmed();
    e.Make = cells.value(1).trimmed();
    e.Model = cells.value(2).trimmed();
    double v[8];
    for (int c = 0; c < 8; ++c) {
        bool ok = false;
        const QString text = cells.value(3 + c).trimmed();
        v[c] = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(v[c])) {
            *error = QStringLiteral("%1 \"%2\" is not a number").arg(Meter_Csv_Columns[3 + c], text);
            return false;
        }
    }
    e.Max_Flow = v[0];
    e.Max_Continuous_Flow = v[1];
    for (int p = 0; p < 3; ++p) {
        e.Loss_Point_Flow[p] = v[2 + 2 * p];
        e.Loss_Point_Loss[p] = v[3 + 2 * p];
    }
    return true;
}

QStringList Meter_Entry_Cells(const Meter_Entry &e)
{
    QStringList f = {e.Size_Label, e.Make, e.Model};
    for (double v : {e.Max_Flow, e.Max_Continuous_Flow, e.Loss_Point_Flow[0], e.Loss_Point_Loss[0], e.Loss_Point_Flow[1],
                     e.Loss_Point_Loss[1], e.Loss_Point_Flow[2], e.Loss_Point_Loss[2]})
        f << Number_Text(v);
    return f;
}

QByteArray Meter_List_Csv(const Meter_List &list)
{
    QStringList lines;
    QStringList header;
    for (const QString &c : Meter_Csv_Columns)
        header << Csv_Field(c);
    lines << header.join(u',');
    for (const Meter_Entry &e : list.Entries) {
        QStringList f;
        for (const QString &cell : Meter_Entry_Cells(e))
            f << Csv_Field(cell);
        lines << f.join(u',');
    }
    return QByteArray("\xEF\xBB\xBF") + (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

bool Is_User_Meter_List(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (int n = 0; n < Long_Table_Lines && !file.atEnd(); ++n)
        if (Decode_1252(file.readLine(64 * 1024)).startsWith(User_List_Marker))
            return true;
    return false;
}

QList<Meter_List_Place> Meter_List_Places(const Program_State &state)
{
    QList<Meter_List_Place> places;
    QStringList names;
    const auto add = [&](const QString &folder, bool user_folder) {
        for (const Meter_List_File &f : Scan_Meter_List_Files(folder)) {
            if (names.contains(f.Name, Qt::CaseInsensitive))
                continue;
            names << f.Name;
            const QString path = (folder.isEmpty() ? QString() : folder) + u'/' + f.Name;
            places.append({f.Name, path, f.Description, Read_Provenance(path, Long_Table_Lines).Status_Word(),
                           user_folder || Is_User_Meter_List(path)});
        }
    };
    add(state.App_Path, false);
    if (User_Meter_List_Folder(state) != state.App_Path)
        add(User_Meter_List_Folder(state), true);
    return places;
}

QString User_List_Name_Problem(const Program_State &state, const QString &name)
{
    if (!name.endsWith(QStringLiteral(".mtr"), Qt::CaseInsensitive) || name.size() <= 4)
        return QStringLiteral("a meter list's name ends in \".mtr\"");
    if (name.contains(u'/') || name.startsWith(u'.'))
        return QStringLiteral("a meter list's name holds no folder and does not begin with a point");
    for (const QString &entry : QDir(state.App_Path.isEmpty() ? QStringLiteral("/") : state.App_Path).entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0 && !Is_User_Meter_List(state.Program_File(entry)))
            return QStringLiteral("%1 is a list shipped with the program; give your list another name").arg(entry);
    return QString();
}

QList<Data_Source> Data_Sources(const Program_State &state)
{
    const auto file = [](const QString &path) { return QFileInfo(path).fileName(); };
    return {{QStringLiteral("private_fixtures"), QStringLiteral("Private fixture table"), file(state.File1),
             state.Table1.Date, state.Table1.Provenance},
            {QStringLiteral("public_fixtures"), QStringLiteral("Public fixture table"), file(state.File2),
             state.Table2.Date, state.Table2.Provenance},
            {QStringLiteral("conversion"), QStringLiteral("Fixture unit conversion table"), file(state.File3),
             state.Table3.Date, state.Table3.Provenance},
            {QStringLiteral("meter_list"), QStringLiteral("Meter list"), state.Settings.Set_Meter_Table,
             state.Meters.Date, state.Meters.Provenance}};
}
