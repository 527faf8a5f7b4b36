#include "job_file.h"

#include "leading_number.h"
#include "number_format.h"
#include "text_codec.h"
#include "user_file.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int Fields_Read = 70;

const QString Crlf = QStringLiteral("\r\n");

// A single-line quoted field cannot hold a double quote: it would end the
// field and shift every later one. It is written as two apostrophes.
QString Quoted(const QString &text)
{
    QString t = text;
    t.replace(u'"', QStringLiteral("''"));
    return u'"' + t + u'"';
}

// A bare field runs to the next comma or line end and loses blanks around
// it; an empty line would not count as a field at all. Such texts are
// written so that they read back as one field.
QString Bare(const QString &text)
{
    QString t = text.trimmed();
    t.replace(u',', u';');
    t.replace(u'\r', u' ').replace(u'\n', u' ');
    if (t.isEmpty() || t.startsWith(u'"'))
        return Quoted(t);
    return t;
}

QString Boolean(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// A whole number in range, rounded as the conversion to an integer does.
std::optional<qint64> To_Integer(const QString &text, qint64 low, qint64 high)
{
    if (!Is_Numeric_Text(text))
        return std::nullopt;
    const double v = std::nearbyint(Leading_Number(text)); // halves to even
    if (v < double(low) || v > double(high))
        return std::nullopt;
    return qint64(v);
}

// Counts: the number in general decimal form, or an empty box.
QString Count_Text(const QString &field)
{
    const double n = Leading_Number(field);
    return n != 0 ? General_Number(n) : QString();
}

} // namespace

QString Encode_Note(const QString &note)
{
    QString t = note;
    t.replace(u'"', QStringLiteral("chr(34)"));
    return t;
}

QString Decode_Note(const QString &field)
{
    QString out;
    out.reserve(field.size());
    const QLatin1StringView marker("chr(34)");
    for (qsizetype i = 0; i < field.size();) {
        if (QStringView(field).mid(i, 7) == marker) {
            out += u'"';
            i += 7;
        } else {
            out += field[i];
            ++i;
        }
    }
    return out;
}

double Version_Number(const QString &version)
{
    return Leading_Number(version.left(1) + version.mid(2, 2) + version.right(4));
}

QByteArray Job_File_Bytes(const Program_State &state)
{
    const Sizing_Job &j = state.Job;
    QStringList f;
    f.reserve(69);
    f << Quoted(state.Version) << Quoted(Short_Date_Text(j.Calc_Date)) << Quoted(j.Location)
      << Quoted(j.Calculated_By) << Print_Number(j.Description_Mode) << Boolean(j.Use_Type == Use_Kind::Private)
      << Boolean(j.Use_Type == Use_Kind::Public) << Boolean(j.Flush_Type == Flush_Kind::Quick_Flush)
      << Boolean(j.Flush_Type == Flush_Kind::Tank);
    for (const QString &count : j.Fixture_Count)
        f << Quoted(count);
    f << Quoted(j.Irrigation_Flow) << Quoted(j.NoteA_Flow) << Bare(j.Fixture_Units_Text) << Bare(j.Design_Flow_Text)
      << Bare(j.Meter_Size_Text) << Print_Number(j.Use_Pressure ? 1 : 0);
    for (const Pressure_Field &p : Pressure_Fields)
        f << Quoted((j.*(p.Member)).Text());
    f << Quoted(QString::number(j.Pressure_Color)) << Bare(j.Pressure_Fixture_Text);
    const QString no_upsize = j.No_Upsize.Loose_Form();
    f << (j.No_Upsize.Is_Text() ? Bare(no_upsize) : no_upsize) << Bare(j.Meter_Location)
      << Boolean(j.Flow_Basis == Flow_Kind::Maximum) << u'"' + Encode_Note(j.Note) + u'"';
    // Field 70, only for a job sized by the Water Demand Calculator: a job
    // sized by Hunter's method keeps the 69-field file.
    if (j.Demand_Method == Demand_Kind::Wdc)
        f << Quoted(Wdc_Field_Value);
    return Encode_1252(f.join(Crlf) + Crlf);
}

namespace {

// What the file cannot hold: characters outside the code page, NUL, and
// the five bytes the code page leaves undefined (a file holding them is
// not read as a job file).
QStringList Unheld(QStringView text)
{
    QStringList out = Unencodable_1252(text);
    for (const char16_t c : {u'\u0000', u'\u0081', u'\u008D', u'\u008F', u'\u0090', u'\u009D'})
        if (text.contains(QChar(c)) && !out.contains(QString(QChar(c))))
            out << QString(QChar(c));
    return out;
}

} // namespace

QStringList Unsaveable_Characters(const Sizing_Job &j)
{
    QString all = j.Location + j.Calculated_By + j.Irrigation_Flow + j.NoteA_Flow + j.Meter_Location + j.Note
                  + j.No_Upsize.Text() + j.Fixture_Units_Text + j.Design_Flow_Text + j.Meter_Size_Text
                  + j.Pressure_Fixture_Text;
    for (const QString &count : j.Fixture_Count)
        all += count;
    for (const Pressure_Field &p : Pressure_Fields)
        all += (j.*(p.Member)).Text();
    return Unheld(all);
}

QStringList Unsaveable_Fields(const Sizing_Job &j)
{
    QList<std::pair<QString, QString>> fields = {
        {QStringLiteral("Location"), j.Location},
        {QStringLiteral("Calculated By"), j.Calculated_By},
        {QStringLiteral("Irrigation System flow"), j.Irrigation_Flow},
        {QStringLiteral("Note A flow"), j.NoteA_Flow},
        {QStringLiteral("Meter location"), j.Meter_Location},
        {QStringLiteral("Calculation Note"), j.Note},
        {QStringLiteral("No up-sizing"), j.No_Upsize.Text()},
    };
    for (int r = 0; r < Grid_Rows; ++r)
        fields.append({QStringLiteral("Count, row %1").arg(r + 1), j.Fixture_Count[r]});
    for (const Pressure_Field &p : Pressure_Fields)
        fields.append({QStringLiteral("Pressure Details"), (j.*(p.Member)).Text()});
    QStringList out;
    for (const auto &[name, text] : std::as_const(fields)) {
        const QStringList held = Unheld(text);
        if (held.isEmpty())
            continue;
        QStringList shown;
        for (const QString &c : std::as_const(held))
            shown << QStringLiteral("\"%1\" (U+%2)")
                         .arg(c.at(0).isPrint() ? c : QString(),
                              QString::number(c.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
        out << name + QStringLiteral(": ") + shown.join(QStringLiteral(", "));
    }
    return out;
}

QString Not_Text_Reason(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0)
            return QStringLiteral("it holds a NUL byte at offset %1, so it is not a job file (a job file is text)").arg(i);
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            return QStringLiteral("its byte 0x%1 at offset %2 is no character of the job file's code page "
                                  "(Windows-1252), so it is not a job file")
                .arg(QString::number(b, 16).toUpper())
                .arg(i);
    }
    return QString();
}

bool Write_Job_File(const Program_State &state, const QString &path, QString *error)
{
    const QByteArray bytes = Job_File_Bytes(state);
    if (bytes.size() > Max_Job_File_Bytes) {
        if (error)
            *error = QStringLiteral("the job file would hold %1 bytes, more than the %2 a job file may hold; "
                                    "shorten the note")
                         .arg(bytes.size())
                         .arg(Max_Job_File_Bytes);
        return false;
    }
    return Write_User_File(path, bytes, error);
}

QStringList Job_File_Fields(const QByteArray &bytes, int *present)
{
    const QString text = Decode_1252(bytes);
    QStringList fields;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    const auto is_break = [](QChar c) { return c == u'\r' || c == u'\n'; };
    int count = 0;
    while (count <= Fields_Read) {
        while (pos < n && (text[pos] == u' ' || text[pos] == u'\t' || is_break(text[pos])))
            ++pos;
        if (pos >= n)
            break;
        QString value;
        if (text[pos] == u'"') {
            const qsizetype close = text.indexOf(u'"', pos + 1);
            const qsizetype end = close < 0 ? n : close;
            value = text.mid(pos + 1, end - pos - 1);
            pos = end + 1;
            while (pos < n && text[pos] != u',' && !is_break(text[pos]))
                ++pos;
            if (pos < n && text[pos] == u',')
                ++pos;
        } else {
            qsizetype end = pos;
            while (end < n && text[end] != u',' && !is_break(text[end]))
                ++end;
            value = text.mid(pos, end - pos).trimmed();
            pos = end < n && text[end] == u',' ? end + 1 : end;
        }
        ++count;
        if (count <= Fields_Read)
            fields << value;
    }
    if (present)
        *present = count;
    while (fields.size() < Fields_Read)
        fields << QString();
    return fields;
}

Job_Read_Result Apply_Job_File(Program_State &state, const QByteArray &bytes)
{
    Job_Read_Result result;
    result.Opened = true;
    int present = 0;
    const QStringList f = Job_File_Fields(bytes, &present);
    const auto field = [&f](int number) { return f[number - 1]; };
    Sizing_Job &j = state.Job;

    state.File_Version = field(1);
    enum class Layout { Oldest, Middle, Current } layout;
    const QString &v = state.File_Version;
    if (QString::compare(v, QStringLiteral("1.02.0202")) <= 0)
        layout = Layout::Oldest;
    else if (v == u"1.02.0627")
        layout = Layout::Middle;
    else if (QString::compare(v, QStringLiteral("1.02.0627")) > 0)
        layout = Layout::Current;
    else // between the two earlier versions: the layout the file's length fits
        layout = present == 64 ? Layout::Oldest : Layout::Middle;

    const QDate date = Parse_Date_Text(field(2));
    if (date.isValid())
        j.Calc_Date = date;
    j.Location = field(3);
    j.Calculated_By = field(4);
    if (const auto mode = To_Integer(field(5), -32768, 32767); mode && (*mode == 0 || *mode == 1))
        j.Description_Mode = int(*mode);
    if (Text_To_Boolean(field(6)).value_or(false))
        j.Use_Type = Use_Kind::Private;
    if (Text_To_Boolean(field(7)).value_or(false))
        j.Use_Type = Use_Kind::Public;
    if (Text_To_Boolean(field(8)).value_or(false))
        j.Flush_Type = Flush_Kind::Quick_Flush;
    if (Text_To_Boolean(field(9)).value_or(false))
        j.Flush_Type = Flush_Kind::Tank;
    for (int r = 0; r < Grid_Rows; ++r)
        j.Fixture_Count[r] = Count_Text(field(10 + r));
    j.Irrigation_Flow = Count_Text(field(43));
    j.NoteA_Flow = Count_Text(field(44));
    j.Fixture_Units_Text = field(45);
    j.Design_Flow_Text = field(46);
    j.Meter_Size_Text = field(47);
    if (const auto use = To_Integer(field(48), -32768, 32767); use && (*use == 0 || *use == 1))
        j.Use_Pressure = *use == 1;

    const auto colour = [&j](const QString &text) {
        if (const auto c = To_Integer(text, INT32_MIN, INT32_MAX)) {
            j.Pressure_Color = int(*c);
            j.Pressure_Failed = *c == 255;
        }
    };
    int note_field = 69;
    if (layout == Layout::Oldest) {
        const std::array<Loose_Value Sizing_Job::*, 12> single = {
            &Sizing_Job::Pressure_Min_Main, &Sizing_Job::Elev_Main_Meter, &Sizing_Job::Dia_Service_1,
            &Sizing_Job::Len_Main_CB,       &Sizing_Job::C_Service_1,     &Sizing_Job::Elev_Meter_Fixture,
            &Sizing_Job::Dia_Plumbing,      &Sizing_Job::Len_Meter_Fixture, &Sizing_Job::Len_Factor,
            &Sizing_Job::C_Plumbing,        &Sizing_Job::Pressure_Treatment, &Sizing_Job::Pressure_Fixture};
        for (int i = 0; i < 12; ++i)
            j.*(single[i]) = field(49 + i);
        j.Dia_Service_2 = j.Len_CB_Meter = j.C_Service_2 = QString();
        colour(field(61));
        j.Pressure_Fixture_Text = field(62);
        j.No_Upsize = field(63);
        j.Flow_Basis = Flow_Kind::Maximum;
        note_field = 64;
    } else {
        for (int i = 0; i < int(Pressure_Fields.size()); ++i)
            j.*(Pressure_Fields[i].Member) = field(49 + i);
        colour(field(64));
        j.Pressure_Fixture_Text = field(65);
        j.No_Upsize = field(66);
        j.Meter_Location = field(67);
        if (layout == Layout::Middle) {
            j.Flow_Basis = Flow_Kind::Maximum;
            note_field = 68;
        } else if (const auto max = Text_To_Boolean(field(68))) {
            j.Flow_Basis = *max ? Flow_Kind::Maximum : Flow_Kind::Continuous;
        }
    }
    j.Note = Decode_Note(field(note_field));
    j.Demand_Method = layout == Layout::Current && field(70).compare(Wdc_Field_Value, Qt::CaseInsensitive) == 0
                          ? Demand_Kind::Wdc
                          : Demand_Kind::Hunter;

    state.Refresh_Grid();
    state.Flag_Save = 0;
    if (Version_Number(state.File_Version) < Version_Number(state.Version))
        result.Messages << Earlier_Version_Message;
    return result;
}

Job_Read_Result Read_Job_File(Program_State &state, const QString &path)
{
    QFile file(path);
    Job_Read_Result refused;
    if (!file.open(QIODevice::ReadOnly)) {
        refused.Error = file.errorString();
        return refused;
    }
    const auto too_large = [&] {
        refused.Error = QStringLiteral("the file holds more than the %1 bytes a job file may hold").arg(Max_Job_File_Bytes);
        return refused;
    };
    // Read by the file's size, never allocating the limit; a pipe or a file
    // whose size is not known (0) is read in pieces until its end.
    const qint64 known = file.isSequential() ? 0 : file.size();
    if (known > Max_Job_File_Bytes)
        return too_large();
    constexpr qint64 Piece = 64 * 1024;
    QByteArray bytes;
    bytes.reserve(qsizetype(known));
    for (;;) {
        const qint64 want = std::min(bytes.size() < known ? known - bytes.size() : Piece,
                                     Max_Job_File_Bytes + 1 - bytes.size());
        const QByteArray piece = file.read(want);
        if (piece.isEmpty())
            break;
        bytes += piece;
        if (bytes.size() > Max_Job_File_Bytes)
            return too_large();
    }
    if (file.error() != QFileDevice::NoError) {
        refused.Error = file.errorString();
        return refused;
    }
    refused.Error = Not_Text_Reason(bytes);
    if (!refused.Error.isEmpty())
        return refused;
    return Apply_Job_File(state, bytes);
}
