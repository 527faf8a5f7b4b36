#include "report.h"

#include "leading_number.h"
#include "number_format.h"
#include "prompt.h"
#include "text_codec.h"
#include "user_file.h"


namespace {

const QString Line_End = QStringLiteral("\r\n");
const QString Dashes = QString(66, u'-');

constexpr int Zone_Width = 14;    // print zones of the fixture rows
constexpr int Note_Width = 66;    // characters of the note per line
constexpr double Feet_Per_Psi = 2.31;

const QString Meets_Line = QStringLiteral("----------Pressure Available Meets Required----------");
const QString Fails_Line = QStringLiteral("------------Pressure Available Does Not Meets Required------------");
const QString Upsized_Once_Line = QStringLiteral("----Meter up sized 1 meter size to meet pressure requirements-----");
const QString Upsized_Twice_Line = QStringLiteral("----Meter up sized 2 meter sizes to meet pressure requirements----");
const QString Upsize_Failed_Line = QStringLiteral("--Up sizing meter two times failed to achieve required pressure--");
// Up-sizing stopped because the list ends, not after two steps.
const QString No_Larger_Meter_Line = QStringLiteral("---------No larger meter in the meter list to up size to----------");

// Fills the line with blanks up to the first zone start beyond its length:
// a line of exactly 28 characters moves on to 42.
void Next_Zone(QString &line)
{
    const qsizetype next = (line.size() / Zone_Width + 1) * Zone_Width;
    line = line.leftJustified(next, u' ');
}

// A pressure detail in a pattern: a text is read as a number when it is one
// and otherwise printed as typed; a stored number is formatted.
QString Pattern_Of(const Loose_Value &value, Number_Pattern pattern)
{
    return value.Is_Text() ? Format_Text(value.Text(), pattern) : Format_Number(value.Number(), pattern);
}

QString Fixed_1(double value)
{
    return Format_Number(value, Number_Pattern::Fixed_1);
}

struct Segment_Labels {
    QString S1, S2;
};

// Only "Inside" and "Outside" are meant to occur; every other text is
// evaluated as an outside meter, so it is labelled as one too.
Segment_Labels Labels_For(const Sizing_Job &job)
{
    if (job.Meter_Inside())
        return {QStringLiteral("(Main to CB):   "), QStringLiteral("(CB to Meter):  ")};
    return {QStringLiteral("(Main to Meter):"), QStringLiteral("(Meter to Bldg):")};
}

void Header_And_Fixtures(const Program_State &state, QStringList &out)
{
    const Sizing_Job &job = state.Job;
    out << Dashes;
    out << QStringLiteral("  Date:     ") + Short_Date_Text(job.Calc_Date);
    out << QStringLiteral("  Location: ") + job.Location;
    out << QStringLiteral("  Calc By:  ") + job.Calculated_By;
    out << Dashes;
    out << (job.Use_Type == Use_Kind::Private ? QStringLiteral("Calculation used private use fixtures")
                                              : QStringLiteral("Calculation used public use fixtures"));
    out << (job.Flush_Type == Flush_Kind::Quick_Flush
                ? QStringLiteral("Predominately flushometer fixtures at this location")
                : QStringLiteral("Predominately tank fixtures at this location"));
    out << Dashes;
    out << QString();
    out << QStringLiteral("Fixture Type                            Count        FU per Count");
    out << QStringLiteral("----------------------------            -----        ------------");

    // The labels as the grid shows them. The grid refresh also applies the
    // Note A rule to the counts, which must not happen here (a second
    // refresh in public use would lose the counts kept for the Note A
    // rows), so it runs on a copy; the counts are printed as they stand.
    Sizing_Job scratch = job;
    const Grid_View view = Refresh_Fixture_Grid(scratch, state.Table1, state.Table2);
    const Fixture_Table &table = Table_In_Force(job, state.Table1, state.Table2);
    for (int r = 0; r < Grid_Rows; ++r) {
        if (view.Labels[r].isEmpty())
            continue;
        QString line = view.Labels[r];
        Next_Zone(line);
        line += job.Fixture_Count[r];
        Next_Zone(line);
        line += Print_Number(r < table.Row_Count() ? table.Rows[r].Fixture_Units : 0.0);
        out << line;
    }

    QString irrigation = QStringLiteral("Irrigation Flow Rating");
    Next_Zone(irrigation);
    Next_Zone(irrigation);
    out << irrigation + job.Irrigation_Flow;
    QString note_a = QStringLiteral("Total Rated Flow from Note A");
    Next_Zone(note_a);
    out << note_a + job.NoteA_Flow;
    out << QString();

    const Meter_Entry *meter = state.Meters.Entry(job.Meter_Index);
    out << QStringLiteral("Calculated Fixture Units:    ") + job.Fixture_Units_Text;
    out << QStringLiteral("Calculated Maximum Flow:     ") + job.Design_Flow_Text;
    if (job.Sized_By_Wdc)
        out << QStringLiteral("Demand Method:               Water Demand Calculator (99th percentile)");
    out << QStringLiteral("Calculated Meter Size:       ") + job.Meter_Size_Text;
    out << QStringLiteral("Calculated Meter Make/Model: ") + (meter ? meter->Make : QString()) + QStringLiteral(" / ")
               + (meter ? meter->Model : QString());
    out << QStringLiteral("Meter Table Used:            ") + state.Meters.File_Name;
    out << (job.Flow_Basis == Flow_Kind::Maximum
                ? QStringLiteral("Meter Flow Calculation Type: Maximum Flow")
                : QStringLiteral("Meter Flow Calculation Type: Maximum Continuous Flow"));
    out << QStringLiteral("Date of Meter Table Used:    ") + Short_Date_Text(state.Meters.Date);
    out << Dashes;
}

void Pressure_Part(Sizing_Job &job, QStringList &out)
{
    // The report prints these as 0 from now on, and the job keeps the 0.
    for (Loose_Value *value : {&job.Elev_Main_Meter, &job.Len_Meter_Fixture, &job.Len_Factor, &job.Elev_Meter_Fixture}) {
        if (value->Is_Empty_Text())
            *value = Loose_Value::Of_Number(0);
    }

    const auto [s1, s2] = Labels_For(job);
    const QString psi = QStringLiteral(" psi");
    const QString ft = QStringLiteral(" ft");
    const QString in = QStringLiteral(" in");
    const QString pad12(12, u' ');
    const QString pad10(10, u' ');
    const QString pad7(7, u' ');
    using P = Number_Pattern;

    out << QStringLiteral("Minimum Main Pressure at Water Main:               ") + Pattern_Of(job.Pressure_Min_Main, P::Fixed_1) + psi;
    out << QStringLiteral("Elevation between Water Main and Meter:            ") + Pattern_Of(job.Elev_Main_Meter, P::Fixed_1) + ft;
    out << QStringLiteral("Service Lateral Internal Diameter ") + s1 + u' ' + Pattern_Of(job.Dia_Service_1, P::Fixed_3) + in;
    out << QStringLiteral("Service Lateral Length ") + s1 + pad12 + Pattern_Of(job.Len_Main_CB, P::Whole) + ft;
    out << QStringLiteral("Service Lateral C Factor ") + s1 + pad10 + Pattern_Of(job.C_Service_1, P::Whole);
    out << QStringLiteral("Service Lateral Internal Diameter ") + s2 + u' ' + Pattern_Of(job.Dia_Service_2, P::Fixed_3) + in;
    out << QStringLiteral("Service Lateral Length ") + s2 + pad12 + Pattern_Of(job.Len_CB_Meter, P::Whole) + ft;
    out << QStringLiteral("Service Lateral C Factor ") + s2 + pad10 + Pattern_Of(job.C_Service_2, P::Whole);
    out << QStringLiteral("Elevation between Meter and Fixture:               ") + Pattern_Of(job.Elev_Meter_Fixture, P::Fixed_1) + ft;
    out << QStringLiteral("Plumbing Pipe Internal Diameter After Meter:       ") + Pattern_Of(job.Dia_Plumbing, P::Fixed_3) + in;
    out << QStringLiteral("Developed Plumbing Length to Controlling Fixture:  ")
               + Format_Number(job.Len_Meter_Fixture.Number() * job.Len_Factor.Number(), P::Whole) + ft;
    out << QStringLiteral("Internal Plumbing C Factor:                        ") + Pattern_Of(job.C_Plumbing, P::Whole);
    out << QStringLiteral("Required Pressure at Controlling Fixture:          ") + Pattern_Of(job.Pressure_Fixture, P::Fixed_1) + psi;
    // The flow as the window shows it (rounded), less the irrigation that
    // does not run through the building plumbing.
    out << QStringLiteral("Design Flow Through Plumbing (without Irrigation): ")
               + Fixed_1(Leading_Number(job.Design_Flow_Text) - Leading_Number(job.Irrigation_Flow)) + QStringLiteral(" gpm");
    out << QStringLiteral("Calculated A Value Based on Uniform Pressure Calc: ") + Fixed_1(job.A_Value) + QStringLiteral(" psi/100ft");
    out << QString();

    const QString second_lateral = QStringLiteral("Loss - Service Lateral ") + s2 + pad7 + Fixed_1(job.Loss_Service_2) + psi;
    const bool inside = job.Meter_Inside();
    out << QStringLiteral("Loss - Elevation Change Water Main to Meter:  ") + Fixed_1(job.Elev_Main_Meter.Number() / Feet_Per_Psi) + psi;
    out << QStringLiteral("Loss - Service Lateral ") + s1 + pad7 + Fixed_1(job.Loss_Service_1) + psi;
    if (inside)
        out << second_lateral;
    out << QStringLiteral("Loss - Meter:                                 ") + Fixed_1(job.Loss_Meter) + psi;
    out << QStringLiteral("Pressure Available after Meter:               ") + Fixed_1(job.Pressure_After_Meter) + psi;
    if (!inside)
        out << second_lateral;
    out << QStringLiteral("Loss - Treatment Devices to Fixture:          ") + Pattern_Of(job.Pressure_Treatment, P::Fixed_1) + psi;
    out << QStringLiteral("Loss - Elevation Change Meter to Fixture:     ") + Fixed_1(job.Elev_Meter_Fixture.Number() / Feet_Per_Psi) + psi;
    out << QStringLiteral("Loss - Plumbing to Controlling Fixture (UPC): ") + Fixed_1(job.Loss_Plumbing) + psi;
    out << QStringLiteral("Pressure Available at Controlling Fixture:    ") + Fixed_1(job.Pressure_At_Fixture) + psi;
    out << Dashes;

    out << (job.Pressure_At_Fixture >= job.Pressure_Fixture.Number() ? Meets_Line : Fails_Line);
    if (job.No_Larger_Meter)
        out << No_Larger_Meter_Line;
    else if (job.Upsize_Count > 1 && job.Pressure_Failed)
        out << Upsize_Failed_Line;
    else if (job.Upsize_Count == 2)
        out << Upsized_Once_Line;
    else if (job.Upsize_Count == 3)
        out << Upsized_Twice_Line;
    out << Dashes;
}

// The report of the job as it stands after Calculate.
QString Compose(Program_State &state)
{
    QStringList lines;
    Header_And_Fixtures(state, lines);
    if (state.Job.Use_Pressure)
        Pressure_Part(state.Job, lines);
    if (!state.Job.Note.isEmpty()) {
        lines << QStringLiteral("Note:");
        lines << Wrap_Note(state.Job.Note);
        lines << Dashes;
    }
    return lines.join(Line_End) + Line_End;
}

} // namespace

QStringList Wrap_Note(const QString &note)
{
    QStringList lines;
    qsizetype k = 0; // characters taken since the last piece
    int j = 0;       // 1: cut here, 2: cut after a CR
    for (qsizetype m = 0; m < note.size(); ++m) {
        ++k;
        if (note[m] == u'\r')
            j = 2;
        if (k == Note_Width || m == note.size() - 1)
            j = 1;
        if (j == 0)
            continue;
        QString piece = note.mid(m - k + 1, k);
        if (j == 1)
            piece.remove(u'\r');
        if (piece.startsWith(u'\n'))
            piece.remove(0, 1);
        if (j == 2 || piece.size() > 1)
            lines << piece;
        k = 0;
        j = 0;
    }
    return lines;
}

QString Report_Text(Program_State &state, Calc_Outcome *outcome)
{
    Calc_Outcome calculated = state.Calculate_Job();
    if (outcome)
        *outcome = calculated;
    return Compose(state);
}

QString Report_Path(const Program_State &state)
{
    return state.Document_File(Report_File_Name);
}

bool Write_Report(Program_State &state, const QString &path, QString *error, Calc_Outcome *outcome)
{
    Calc_Outcome calculated = state.Calculate_Job(outcome != nullptr);
    if (outcome)
        *outcome = calculated;

    return Write_User_File(path, Encode_1252(Compose(state)), error);
}

bool Print_Preview(Program_State &state, Prompt &prompt, const Report_Launcher &launch, Calc_Outcome *outcome)
{
    const QString path = Report_Path(state);
    QString error;
    Calc_Outcome calculated;
    const bool written = Write_Report(state, path, &error, &calculated);
    for (const QString &message : std::as_const(calculated.Messages))
        prompt.Show_Message(message);
    if (outcome)
        *outcome = calculated;

    if (!written) {
        const QString reason = Reason_Text(error);
        prompt.Show_Message(QStringLiteral("The report could not be written to %1: %2. Check that the program folder can be written.")
                                .arg(path, reason));
        return false;
    }
    if (!launch)
        return false;
    launch(state.Settings.Editor + QStringLiteral(" \"") + path + u'"', Report_Show_Normal);
    return true;
}
