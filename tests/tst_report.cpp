#include "report.h"

#include "engine_test_support.h"

#include "number_format.h"
#include "program_state.h"
#include "prompt.h"
#include "text_codec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Edit = void (*)(Program_State &);

// 66 hyphens: the rule between the parts of the report.
const QString D = QStringLiteral("------------------------------------------------------------------");

Fixture_Row Row(const QString &code, const QString &plain, double fixture_units, bool note_a = false)
{
    Fixture_Row row;
    row.Code_Description = code;
    row.Plain_Description = plain;
    row.Fixture_Units = fixture_units;
    row.Note_A = note_a;
    return row;
}

Meter_Entry Meter(const char16_t *size, const char16_t *make, const char16_t *model, double max_flow,
                  double continuous, double loss_10, double loss_20, double loss_40)
{
    Meter_Entry m;
    m.Size_Label = QString::fromUtf16(size);
    m.Make = QString::fromUtf16(make);
    m.Model = QString::fromUtf16(model);
    m.Max_Flow = max_flow;
    m.Max_Continuous_Flow = continuous;
    m.Loss_Point_Flow[0] = 10;
    m.Loss_Point_Flow[1] = 20;
    m.Loss_Point_Flow[2] = 40;
    m.Loss_Point_Loss[0] = loss_10;
    m.Loss_Point_Loss[1] = loss_20;
    m.Loss_Point_Loss[2] = loss_40;
    return m;
}

// A private job of 10 fixture units (2 x 1, 3 x 2.5, 1 x 0.5): 20 gpm in the
// tank column, the "Small" meter. The private table has labels of 20, 40,
// 39 and 17 characters and one row without a label.
Program_State Make_State()
{
    Program_State s;
    s.App_Path = QStringLiteral("/nonexistent-quorvel-folder");
    s.Settings = Settings_Fields::Factory();
    s.Table1.Rows = {
        Row(u"LAV"_s, u"Lavatory 1.5 gpm max"_s, 1),
        Row(u"WC-FT"_s, Pad(u"Water Closet, Flush Tank"_s, 40), 2.5),
        Row(u"BS"_s, Pad(u"Bar Sink"_s, 39), -1),
        Row(u"UNUSED"_s, u""_s, 3),
        Row(u"DF"_s, u"Drinking Fountain"_s, 0.5),
    };
    s.Table2.Rows = {
        Row(Pad(u"LAV-1"_s, 39), Pad(u"Lavatory"_s, 40), 2),
        Row(Pad(u"WC-FV"_s, 39), Pad(u"Water Closet, Flushometer Valve"_s, 40), 10, true),
        Row(Pad(u"HB"_s, 39), Pad(u"Hose Bibb"_s, 40), 2.5, true),
    };
    s.Table3.Rows = {{10, 30, 20}, {20, 45, 35}};
    s.Meters.Entries = {
        Meter(u"Small", u"MakeA", u"M1", 25, 12, 2, 5, 12),
        Meter(u"Medium", u"MakeB", u"M2", 50, 25, 1, 2, 6),
        Meter(u"Large", u"MakeC", u"M3", 100, 50, 0.5, 1, 3),
    };
    s.Meters.File_Name = QStringLiteral("Test-List.mtr");
    s.Meters.Date = QDate(2024, 3, 5);
    Reset_Job(s.Job, s.Settings, Reset_Kind::Startup, QDate(2026, 12, 9));
    s.Job.Location = QStringLiteral("12 Main Street");
    s.Job.Calculated_By = QStringLiteral("J. Smith");
    s.Job.Fixture_Count[0] = QStringLiteral("2");
    s.Job.Fixture_Count[1] = QStringLiteral("3");
    s.Job.Fixture_Count[3] = QStringLiteral("");
    s.Job.Fixture_Count[4] = QStringLiteral("1");
    s.Refresh_Grid();
    return s;
}

// The worked pressure example: 20 gpm through 50 ft and 10 ft of 1.5 in
// lateral, 60 ft of 1 in plumbing with a length factor of 1.5, the meter
// 5 ft above the main and the fixture 10 ft above the meter. The Small
// meter gives 34.6 psi at the fixture, Medium 37.6, Large 38.6.
void Set_Pressure(Program_State &s)
{
    Set_Example_Pressure(s.Job);
}

void Set_Public(Program_State &s)
{
    Sizing_Job &j = s.Job;
    j.Use_Type = Use_Kind::Public;
    j.Description_Mode = 1;
    j.Flush_Type = Flush_Kind::Quick_Flush;
    j.Flow_Basis = Flow_Kind::Continuous;
    j.Fixture_Count[0] = QStringLiteral("4");
    j.Fixture_Count[1] = QStringLiteral("7");
    j.Fixture_Count[2] = QString();
    j.NoteA_Flow = QStringLiteral("6");
    s.Refresh_Grid();
}

// Lines 1 to 25 of the private job of Make_State().
QStringList Private_Header()
{
    return {
        D,
        u"  Date:     12/9/2026"_s,
        u"  Location: 12 Main Street"_s,
        u"  Calc By:  J. Smith"_s,
        D,
        u"Calculation used private use fixtures"_s,
        u"Predominately tank fixtures at this location"_s,
        D,
        u""_s,
        u"Fixture Type                            Count        FU per Count"_s,
        u"----------------------------            -----        ------------"_s,
        u"Lavatory 1.5 gpm max        2              1 "_s,
        u"Water Closet, Flush Tank                  3              2.5 "_s,
        u"Bar Sink                                                -1 "_s,
        u"Drinking Fountain           1              .5 "_s,
        u"Irrigation Flow Rating                    "_s,
        u"Total Rated Flow from Note A              "_s,
        u""_s,
        u"Calculated Fixture Units:    10."_s,
        u"Calculated Maximum Flow:     20. gpm"_s,
        u"Calculated Meter Size:       Small MakeA"_s,
        u"Calculated Meter Make/Model: MakeA / M1"_s,
        u"Meter Table Used:            Test-List.mtr"_s,
        u"Meter Flow Calculation Type: Maximum Flow"_s,
        u"Date of Meter Table Used:    3/5/2024"_s,
        D,
    };
}

QStringList Public_Header()
{
    return {
        D,
        u"  Date:     12/9/2026"_s,
        u"  Location: 12 Main Street"_s,
        u"  Calc By:  J. Smith"_s,
        D,
        u"Calculation used public use fixtures"_s,
        u"Predominately flushometer fixtures at this location"_s,
        D,
        u""_s,
        u"Fixture Type                            Count        FU per Count"_s,
        u"----------------------------            -----        ------------"_s,
        u"LAV-1                                     4              2 "_s,
        u"WC-FV                                     Note A         10 "_s,
        u"HB                                        Note A         2.5 "_s,
        u"Irrigation Flow Rating                    "_s,
        u"Total Rated Flow from Note A              6"_s,
        u""_s,
        u"Calculated Fixture Units:    8."_s,
        u"Calculated Maximum Flow:     30. gpm"_s,
        u"Calculated Meter Size:       Large MakeC"_s,
        u"Calculated Meter Make/Model: MakeC / M3"_s,
        u"Meter Table Used:            Test-List.mtr"_s,
        u"Meter Flow Calculation Type: Maximum Continuous Flow"_s,
        u"Date of Meter Table Used:    3/5/2024"_s,
        D,
    };
}

QStringList Inside_Pressure()
{
    return {
        u"Minimum Main Pressure at Water Main:               60.0 psi"_s,
        u"Elevation between Water Main and Meter:            5.0 ft"_s,
        u"Service Lateral Internal Diameter (Main to CB):    1.500 in"_s,
        u"Service Lateral Length (Main to CB):               50 ft"_s,
        u"Service Lateral C Factor (Main to CB):             130"_s,
        u"Service Lateral Internal Diameter (CB to Meter):   1.500 in"_s,
        u"Service Lateral Length (CB to Meter):              10 ft"_s,
        u"Service Lateral C Factor (CB to Meter):            130"_s,
        u"Elevation between Meter and Fixture:               10.0 ft"_s,
        u"Plumbing Pipe Internal Diameter After Meter:       1.000 in"_s,
        u"Developed Plumbing Length to Controlling Fixture:  90 ft"_s,
        u"Internal Plumbing C Factor:                        130"_s,
        u"Required Pressure at Controlling Fixture:          20.0 psi"_s,
        u"Design Flow Through Plumbing (without Irrigation): 20.0 gpm"_s,
        u"Calculated A Value Based on Uniform Pressure Calc: 14.1 psi/100ft"_s,
        u""_s,
        u"Loss - Elevation Change Water Main to Meter:  2.2 psi"_s,
        u"Loss - Service Lateral (Main to CB):          1.0 psi"_s,
        u"Loss - Service Lateral (CB to Meter):         0.2 psi"_s,
        u"Loss - Meter:                                 5.0 psi"_s,
        u"Pressure Available after Meter:               51.7 psi"_s,
        u"Loss - Treatment Devices to Fixture:           psi"_s,
        u"Loss - Elevation Change Meter to Fixture:     4.3 psi"_s,
        u"Loss - Plumbing to Controlling Fixture (UPC): 12.7 psi"_s,
        u"Pressure Available at Controlling Fixture:    34.6 psi"_s,
        D,
        u"----------Pressure Available Meets Required----------"_s,
        D,
    };
}

QStringList Outside_Pressure()
{
    return {
        u"Minimum Main Pressure at Water Main:               60.0 psi"_s,
        u"Elevation between Water Main and Meter:            5.0 ft"_s,
        u"Service Lateral Internal Diameter (Main to Meter): 1.500 in"_s,
        u"Service Lateral Length (Main to Meter):            50 ft"_s,
        u"Service Lateral C Factor (Main to Meter):          130"_s,
        u"Service Lateral Internal Diameter (Meter to Bldg): 1.500 in"_s,
        u"Service Lateral Length (Meter to Bldg):            10 ft"_s,
        u"Service Lateral C Factor (Meter to Bldg):          130"_s,
        u"Elevation between Meter and Fixture:               10.0 ft"_s,
        u"Plumbing Pipe Internal Diameter After Meter:       1.000 in"_s,
        u"Developed Plumbing Length to Controlling Fixture:  90 ft"_s,
        u"Internal Plumbing C Factor:                        130"_s,
        u"Required Pressure at Controlling Fixture:          20.0 psi"_s,
        u"Design Flow Through Plumbing (without Irrigation): 20.0 gpm"_s,
        u"Calculated A Value Based on Uniform Pressure Calc: 14.1 psi/100ft"_s,
        u""_s,
        u"Loss - Elevation Change Water Main to Meter:  2.2 psi"_s,
        u"Loss - Service Lateral (Main to Meter):       1.0 psi"_s,
        u"Loss - Meter:                                 5.0 psi"_s,
        u"Pressure Available after Meter:               51.9 psi"_s,
        u"Loss - Service Lateral (Meter to Bldg):       0.2 psi"_s,
        u"Loss - Treatment Devices to Fixture:           psi"_s,
        u"Loss - Elevation Change Meter to Fixture:     4.3 psi"_s,
        u"Loss - Plumbing to Controlling Fixture (UPC): 12.7 psi"_s,
        u"Pressure Available at Controlling Fixture:    34.6 psi"_s,
        D,
        u"----------Pressure Available Meets Required----------"_s,
        D,
    };
}

// The expected file text: every line ended by CR LF.
QString Crlf(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n"_s;
    return text;
}

QStringList Report_Lines(Program_State &state)
{
    QString text = Report_Text(state);
    if (!text.endsWith(u"\r\n"))
        return {QStringLiteral("<report without a final line end>")};
    text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

// The first report line that starts with the prefix; the prefix itself when
// no line does, so that a comparison shows what was missing.
QString Line_Starting(const QStringList &lines, const QString &prefix)
{
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            return line;
    }
    return QStringLiteral("<no line starting with \"%1\">").arg(prefix);
}

class Fake_Prompt : public Prompt {
public:
    QStringList Messages;
    int Questions = 0;
    void Show_Message(const QString &text) override { Messages << text; }
    Answer Ask_Yes_No(const QString &) override { ++Questions; return Answer::No; }
    Answer Ask_Yes_No_Cancel(const QString &) override { ++Questions; return Answer::Cancel; }
    QString Choose_Open_File(const QString &, const QString &, const QString &, int) override { ++Questions; return {}; }
    QString Choose_Save_File(const QString &, const QString &, const QString &, int) override { ++Questions; return {}; }
};

struct Launch_Record {
    QStringList Commands;
    QList<int> Show_Codes;
    Report_Launcher Launcher()
    {
        return [this](const QString &command, int show) {
            Commands << command;
            Show_Codes << show;
        };
    }
};

QByteArray Read_All(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Loose_Value)

class Test_Report : public QObject {
    Q_OBJECT

private slots:
    // Whole reports, line for line.
    void Report_Lays_Out_Job_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("pressure off ends after the header and fixture part")
            << Edit([](Program_State &) {}) << Private_Header();
        QTest::newRow("pressure off with a note: the note part follows")
            << Edit([](Program_State &s) { s.Job.Note = QStringLiteral("12345678\r\nX"); })
            << Private_Header() + QStringList{u"Note:"_s, u"12345678\r"_s, D};
        QTest::newRow("public job with Note A rows and code labels")
            << Edit([](Program_State &s) { Set_Public(s); }) << Public_Header();
        QTest::newRow("meter inside: second lateral before the meter loss")
            << Edit([](Program_State &s) { Set_Pressure(s); }) << Private_Header() + Inside_Pressure();
        QTest::newRow("meter outside: second lateral after the meter, then the note")
            << Edit([](Program_State &s) {
                   Set_Pressure(s);
                   s.Job.Meter_Location = QStringLiteral("Outside");
                   s.Job.Note = QStringLiteral("0123456789").repeated(13);
               })
            << Private_Header() + Outside_Pressure()
                   + QStringList{
                       u"Note:"_s,
                       u"012345678901234567890123456789012345678901234567890123456789012345"_s,
                       u"6789012345678901234567890123456789012345678901234567890123456789"_s,
                       D,
                   };
    }
    void Report_Lays_Out_Job()
    {
        QFETCH(Edit, edit);
        QFETCH(QStringList, expected);
        Program_State state = Make_State();
        edit(state);
        const QString text = Report_Text(state);
        if (text != Crlf(expected)) {
            // Show the first line that differs rather than two long texts.
            const QStringList got = text.split(QStringLiteral("\r\n"));
            for (int i = 0; i < expected.size(); ++i)
                QCOMPARE(got.value(i, QStringLiteral("<missing>")), expected[i]);
        }
        QCOMPARE(text, Crlf(expected));
    }

    // One fixture row: label, zone, count, zone, fixture units in print form.
    void Fixture_Row_Zones_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("count");
        QTest::addColumn<double>("fixture_units");
        QTest::addColumn<QString>("expected");
        // Columns:      0         1         2         3         4         5         6
        //               0123456789012345678901234567890123456789012345678901234567890123
        QTest::newRow("20 characters, one digit: count at 28, units at 42")
            << u"Lavatory 1.5 gpm max"_s << u"5"_s << 4.0
            << u"Lavatory 1.5 gpm max        5              4 "_s;
        QTest::newRow("39 characters: count at 42, digits at 57")
            << Pad(u"Urinal, Wall"_s, 39) << u"2"_s << 3.0
            << u"Urinal, Wall                              2              3 "_s;
        QTest::newRow("40 characters: count at 42, digits at 57")
            << Pad(u"Shower Head"_s, 40) << u"12"_s << 2.0
            << u"Shower Head                               12             2 "_s;
        QTest::newRow("empty count still moves on two zones")
            << Pad(u"Shower Head"_s, 40) << u""_s << 2.0
            << u"Shower Head                                              2 "_s;
        QTest::newRow("label of exactly 28 moves on to 42")
            << u"Kitchen Sink, Commercial Use"_s << u"1"_s << 1.5
            << u"Kitchen Sink, Commercial Use              1              1.5 "_s;
        QTest::newRow("count ending on 42 moves on to 56")
            << u"Lavatory 1.5 gpm max"_s << u"12 in basement"_s << 1.0
            << u"Lavatory 1.5 gpm max        12 in basement               1 "_s;
        QTest::newRow("count as typed, units below one")
            << u"Bidet"_s << u"3 bidets"_s << 0.25
            << u"Bidet         3 bidets       .25 "_s;
        QTest::newRow("negative units start with the sign")
            << u"Bidet"_s << u"1"_s << -1.5
            << u"Bidet         1             -1.5 "_s;
        QTest::newRow("zero units")
            << u"Bidet"_s << u""_s << 0.0
            << u"Bidet                        0 "_s;
    }
    void Fixture_Row_Zones()
    {
        QFETCH(QString, label);
        QFETCH(QString, count);
        QFETCH(double, fixture_units);
        QFETCH(QString, expected);
        Program_State state = Make_State();
        state.Table1.Rows = {Row(u"CODE"_s, label, fixture_units)};
        state.Job.Fixture_Count.fill(QString());
        state.Job.Fixture_Count[0] = count;
        const QStringList lines = Report_Lines(state);
        QCOMPARE(lines.value(11), expected);
        // The only fixture row: the irrigation line follows it.
        QCOMPARE(lines.value(12), u"Irrigation Flow Rating                    "_s);
    }

    // Single lines of the header and result part.
    void Header_Lines_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("date with one-digit month and day")
            << Edit([](Program_State &s) { s.Job.Calc_Date = QDate(2027, 1, 2); })
            << u"  Date:"_s << u"  Date:     1/2/2027"_s;
        QTest::newRow("no date")
            << Edit([](Program_State &s) { s.Job.Calc_Date = QDate(); })
            << u"  Date:"_s << u"  Date:     "_s;
        QTest::newRow("meter list without a date")
            << Edit([](Program_State &s) { s.Meters.Date = QDate(); })
            << u"Date of Meter"_s << u"Date of Meter Table Used:    "_s;
        QTest::newRow("irrigation as typed")
            << Edit([](Program_State &s) { s.Job.Irrigation_Flow = QStringLiteral("5 gpm"); })
            << u"Irrigation"_s << u"Irrigation Flow Rating                    5 gpm"_s;
        QTest::newRow("irrigation adds to the flow")
            << Edit([](Program_State &s) { s.Job.Irrigation_Flow = QStringLiteral("5 gpm"); })
            << u"Calculated Maximum Flow:"_s << u"Calculated Maximum Flow:     25. gpm"_s;
        QTest::newRow("continuous basis chooses by continuous flow")
            << Edit([](Program_State &s) { s.Job.Flow_Basis = Flow_Kind::Continuous; })
            << u"Calculated Meter Make"_s << u"Calculated Meter Make/Model: MakeB / M2"_s;
        QTest::newRow("too many fixtures: flow marker")
            << Edit([](Program_State &s) { s.Job.Fixture_Count[0] = QStringLiteral("1000"); })
            << u"Calculated Maximum Flow:"_s << u"Calculated Maximum Flow:     Oops gpm"_s;
        QTest::newRow("too many fixtures: meter marker")
            << Edit([](Program_State &s) { s.Job.Fixture_Count[0] = QStringLiteral("1000"); })
            << u"Calculated Meter Size:"_s << u"Calculated Meter Size:       Oops"_s;
        QTest::newRow("no meter: empty make and model")
            << Edit([](Program_State &s) { s.Job.Fixture_Count[0] = QStringLiteral("1000"); })
            << u"Calculated Meter Make"_s << u"Calculated Meter Make/Model:  / "_s;
    }
    void Header_Lines()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, prefix);
        QFETCH(QString, expected);
        Program_State state = Make_State();
        edit(state);
        QCOMPARE(Line_Starting(Report_Lines(state), prefix), expected);
    }

    // Single lines of the pressure part: patterns, empty values, texts.
    void Pressure_Lines_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty length: label blanks then ft")
            << Edit([](Program_State &s) { s.Job.Len_Main_CB = QString(); })
            << u"Service Lateral Length (Main"_s << u"Service Lateral Length (Main to CB):                ft"_s;
        QTest::newRow("length 0 prints nothing")
            << Edit([](Program_State &s) { s.Job.Len_CB_Meter = Loose_Value::Of_Number(0); })
            << u"Service Lateral Length (CB"_s << u"Service Lateral Length (CB to Meter):               ft"_s;
        QTest::newRow("C factor 0 prints nothing")
            << Edit([](Program_State &s) { s.Job.C_Plumbing = QStringLiteral("0"); })
            << u"Internal Plumbing"_s << u"Internal Plumbing C Factor:                        "_s;
        QTest::newRow("non-numeric text printed as typed")
            << Edit([](Program_State &s) { s.Job.Pressure_Min_Main = QStringLiteral("60 psi"); })
            << u"Minimum Main"_s << u"Minimum Main Pressure at Water Main:               60 psi psi"_s;
        QTest::newRow("diameter text in three places")
            << Edit([](Program_State &s) { s.Job.Dia_Plumbing = QStringLiteral("0.75"); })
            << u"Plumbing Pipe"_s << u"Plumbing Pipe Internal Diameter After Meter:       0.750 in"_s;
        QTest::newRow("negative elevation")
            << Edit([](Program_State &s) { s.Job.Elev_Main_Meter = QStringLiteral("-4.62"); })
            << u"Elevation between Water"_s << u"Elevation between Water Main and Meter:            -4.6 ft"_s;
        QTest::newRow("negative elevation in psi")
            << Edit([](Program_State &s) { s.Job.Elev_Main_Meter = QStringLiteral("-4.62"); })
            << u"Loss - Elevation Change Water"_s << u"Loss - Elevation Change Water Main to Meter:  -2.0 psi"_s;
        QTest::newRow("elevation text counts as its leading number")
            << Edit([](Program_State &s) { s.Job.Elev_Meter_Fixture = QStringLiteral("23.1 ft up"); })
            << u"Loss - Elevation Change Meter"_s << u"Loss - Elevation Change Meter to Fixture:     10.0 psi"_s;
        QTest::newRow("developed length rounds half away from zero")
            << Edit([](Program_State &s) { s.Job.Len_Meter_Fixture = QStringLiteral("33"); })
            << u"Developed"_s << u"Developed Plumbing Length to Controlling Fixture:  50 ft"_s;
        QTest::newRow("developed length with a length factor text")
            << Edit([](Program_State &s) { s.Job.Len_Factor = QStringLiteral("2 x"); })
            << u"Developed"_s << u"Developed Plumbing Length to Controlling Fixture:  120 ft"_s;
        QTest::newRow("empty length factor: no developed length")
            << Edit([](Program_State &s) { s.Job.Len_Factor = QString(); })
            << u"Developed"_s << u"Developed Plumbing Length to Controlling Fixture:   ft"_s;
        QTest::newRow("empty required pressure")
            << Edit([](Program_State &s) { s.Job.Pressure_Fixture = QString(); })
            << u"Required Pressure"_s << u"Required Pressure at Controlling Fixture:           psi"_s;
        QTest::newRow("treatment loss rounds half away from zero")
            << Edit([](Program_State &s) { s.Job.Pressure_Treatment = QStringLiteral("2.25"); })
            << u"Loss - Treatment"_s << u"Loss - Treatment Devices to Fixture:          2.3 psi"_s;
        QTest::newRow("plumbing flow without irrigation")
            << Edit([](Program_State &s) { s.Job.Irrigation_Flow = QStringLiteral("5 gpm"); })
            << u"Design Flow Through"_s << u"Design Flow Through Plumbing (without Irrigation): 20.0 gpm"_s;
        QTest::newRow("plumbing flow read from the rounded flow text")
            << Edit([](Program_State &s) {
                   // 10.03 FU: 20.045 gpm, with the irrigation 20.065 gpm, shown as 20.1;
                   // 20.1 - 0.02 gives 20.1 where 20.045 would give 20.0.
                   s.Job.Fixture_Count[4] = QStringLiteral("1.06");
                   s.Job.Irrigation_Flow = QStringLiteral("0.02");
               })
            << u"Design Flow Through"_s << u"Design Flow Through Plumbing (without Irrigation): 20.1 gpm"_s;
        QTest::newRow("location other than Inside uses the outside labels")
            << Edit([](Program_State &s) { s.Job.Meter_Location = QStringLiteral("inside"); })
            << u"Service Lateral Internal Diameter (Main"_s
            << u"Service Lateral Internal Diameter (Main to Meter): 1.500 in"_s;
    }
    void Pressure_Lines()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, prefix);
        QFETCH(QString, expected);
        Program_State state = Make_State();
        Set_Pressure(state);
        edit(state);
        QCOMPARE(Line_Starting(Report_Lines(state), prefix), expected);
    }

    // A location other than "Inside" is evaluated, and printed, as outside:
    // the second lateral's loss comes after the pressure after the meter.
    void Other_Location_Orders_As_Outside()
    {
        Program_State state = Make_State();
        Set_Pressure(state);
        state.Job.Meter_Location = QString();
        const QStringList lines = Report_Lines(state);
        const qsizetype after_meter = lines.indexOf(u"Pressure Available after Meter:               51.9 psi"_s);
        QVERIFY(after_meter > 0);
        QCOMPARE(lines.value(after_meter + 1), u"Loss - Service Lateral (Meter to Bldg):       0.2 psi"_s);
        QCOMPARE(lines.filter(u"Loss - Service Lateral (Meter to Bldg)"_s).size(), 1);
    }

    // The end of the pressure part: verdict and up-sizing lines.
    void Pressure_Verdict_data()
    {
        QTest::addColumn<double>("required");
        QTest::addColumn<int>("meters");
        QTest::addColumn<int>("no_upsize");
        QTest::addColumn<QString>("meter_line");
        QTest::addColumn<QStringList>("tail");
        const QString meets = u"----------Pressure Available Meets Required----------"_s;
        const QString fails = u"------------Pressure Available Does Not Meets Required------------"_s;
        QTest::newRow("first meter meets") << 20.0 << 3 << 0 << u"Small MakeA"_s
            << QStringList{u"Pressure Available at Controlling Fixture:    34.6 psi"_s, D, meets, D};
        QTest::newRow("up sized once") << 35.0 << 3 << 0 << u"Medium [Upsized] MakeB"_s
            << QStringList{u"Pressure Available at Controlling Fixture:    37.6 psi"_s, D, meets,
                           u"----Meter up sized 1 meter size to meet pressure requirements-----"_s, D};
        QTest::newRow("up sized twice") << 38.0 << 3 << 0 << u"Large [Upsized] MakeC"_s
            << QStringList{u"Pressure Available at Controlling Fixture:    38.6 psi"_s, D, meets,
                           u"----Meter up sized 2 meter sizes to meet pressure requirements----"_s, D};
        QTest::newRow("two up-sizings fail") << 40.0 << 3 << 0 << u"Large [Fail] MakeC"_s
            << QStringList{u"Pressure Available at Controlling Fixture:    38.6 psi"_s, D, fails,
                           u"--Up sizing meter two times failed to achieve required pressure--"_s, D};
        QTest::newRow("no larger meter after one up-sizing") << 40.0 << 2 << 0 << u"Medium [Fail] MakeB"_s
            << QStringList{u"Pressure Available at Controlling Fixture:    37.6 psi"_s, D, fails,
                           u"---------No larger meter in the meter list to up size to----------"_s, D};
        QTest::newRow("no larger meter than the first") << 40.0 << 1 << 0 << u"Small [Fail] MakeA"_s
            << QStringList{u"Pressure Available at Controlling Fixture:    34.6 psi"_s, D, fails,
                           u"---------No larger meter in the meter list to up size to----------"_s, D};
        QTest::newRow("up-sizing disabled") << 35.0 << 3 << 1 << u"Small [Fail] MakeA"_s
            << QStringList{u"Pressure Available at Controlling Fixture:    34.6 psi"_s, D, fails, D};
    }
    void Pressure_Verdict()
    {
        QFETCH(double, required);
        QFETCH(int, meters);
        QFETCH(int, no_upsize);
        QFETCH(QString, meter_line);
        QFETCH(QStringList, tail);
        Program_State state = Make_State();
        Set_Pressure(state);
        state.Meters.Entries.resize(meters);
        state.Job.Pressure_Fixture = Loose_Value::Of_Number(required);
        state.Job.No_Upsize = Loose_Value::Of_Number(no_upsize);
        const QStringList lines = Report_Lines(state);
        QCOMPARE(lines.mid(lines.size() - tail.size()), tail);
        QCOMPARE(Line_Starting(lines, u"Calculated Meter Size:"_s), u"Calculated Meter Size:       "_s + meter_line);
    }

    // Without an evaluation the results are empty and count as 0.
    void Verdict_Without_Evaluation_data()
    {
        QTest::addColumn<QString>("required");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("0 required: met")
            << u"0"_s << u"----------Pressure Available Meets Required----------"_s;
        QTest::newRow("empty required counts as 0: met")
            << u""_s << u"----------Pressure Available Meets Required----------"_s;
        QTest::newRow("20 required: not met")
            << u"20"_s << u"------------Pressure Available Does Not Meets Required------------"_s;
    }
    void Verdict_Without_Evaluation()
    {
        QFETCH(QString, required);
        QFETCH(QString, verdict);
        Program_State state = Make_State();
        Set_Pressure(state);
        state.Job.Dia_Plumbing = QString(); // no plumbing diameter: not evaluated
        state.Job.Pressure_Fixture = required;
        const QStringList lines = Report_Lines(state);
        QCOMPARE(lines.mid(lines.size() - 4),
                 (QStringList{u"Pressure Available at Controlling Fixture:    0.0 psi"_s, D, verdict, D}));
    }

    void Note_Wrapping_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QStringList>("expected");
        const QString ten = u"0123456789"_s;
        QTest::newRow("130 characters: 66 and 64") << ten.repeated(13)
            << QStringList{u"012345678901234567890123456789012345678901234567890123456789012345"_s,
                           u"6789012345678901234567890123456789012345678901234567890123456789"_s};
        QTest::newRow("66 characters: one line") << ten.repeated(6) + u"ABCDEF"_s
            << QStringList{u"012345678901234567890123456789012345678901234567890123456789ABCDEF"_s};
        QTest::newRow("67 characters: last character dropped") << ten.repeated(6) + u"ABCDEFG"_s
            << QStringList{u"012345678901234567890123456789012345678901234567890123456789ABCDEF"_s};
        QTest::newRow("8, line break, 1: first with its CR, last dropped") << u"12345678\r\nX"_s
            << QStringList{u"12345678\r"_s};
        QTest::newRow("two characters after a break are kept") << u"abc\r\nde"_s
            << QStringList{u"abc\r"_s, u"de"_s};
        QTest::newRow("break at the end") << u"abc\r\n"_s << QStringList{u"abc\r"_s};
        QTest::newRow("empty line between") << u"ab\r\n\r\ncd"_s
            << QStringList{u"ab\r"_s, u"\r"_s, u"cd"_s};
        QTest::newRow("line feed counts toward the next 66")
            << ten.repeated(6) + u"ABCD\r\n"_s + ten.repeated(7)
            << QStringList{u"012345678901234567890123456789012345678901234567890123456789ABCD\r"_s,
                           u"01234567890123456789012345678901234567890123456789012345678901234"_s,
                           u"56789"_s};
        QTest::newRow("break on the 66th character is cut without its CR")
            << ten.repeated(6) + u"ABCDE\r\nhello"_s
            << QStringList{u"012345678901234567890123456789012345678901234567890123456789ABCDE"_s, u"hello"_s};
        QTest::newRow("one character only") << u"x"_s << QStringList{};
        QTest::newRow("only one leading line feed dropped") << u"\n\nab"_s << QStringList{u"\nab"_s};
        QTest::newRow("empty") << u""_s << QStringList{};
    }
    void Note_Wrapping()
    {
        QFETCH(QString, note);
        QFETCH(QStringList, expected);
        QCOMPARE(Wrap_Note(note), expected);
    }

    // The note part in bytes: the line that keeps its CR ends in CR CR LF.
    void Note_Part_Bytes()
    {
        Program_State state = Make_State();
        state.Job.Note = QStringLiteral("Shared pit.\r\nSee sheet 4.\r\nX");
        const QByteArray bytes = Encode_1252(Report_Text(state));
        const QByteArray dashes(66, '-');
        QVERIFY2(bytes.endsWith(dashes + "\r\nNote:\r\nShared pit.\r\r\nSee sheet 4.\r\r\n" + dashes + "\r\n"),
                 bytes.right(120).constData());
    }

    // The four zero-fills of the pressure part, and only those.
    void Zero_Fills_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("use_pressure");
        QTest::addColumn<Loose_Value>("before");
        QTest::addColumn<Loose_Value>("after");
        const Loose_Value empty, zero = Loose_Value::Of_Number(0);
        QTest::newRow("Elev_Main_Meter filled") << u"Elev_Main_Meter"_s << true << empty << zero;
        QTest::newRow("Len_Meter_Fixture filled") << u"Len_Meter_Fixture"_s << true << empty << zero;
        QTest::newRow("Len_Factor filled") << u"Len_Factor"_s << true << empty << zero;
        QTest::newRow("Elev_Meter_Fixture filled") << u"Elev_Meter_Fixture"_s << true << empty << zero;
        QTest::newRow("not without pressure") << u"Elev_Main_Meter"_s << false << empty << empty;
        QTest::newRow("text kept") << u"Elev_Main_Meter"_s << true << Loose_Value(u"abc"_s)
                                   << Loose_Value(u"abc"_s);
        QTest::newRow("blank is not empty") << u"Len_Factor"_s << true << Loose_Value(u" "_s)
                                            << Loose_Value(u" "_s);
        QTest::newRow("Len_Main_CB stays empty") << u"Len_Main_CB"_s << true << empty << empty;
        QTest::newRow("Pressure_Treatment stays empty") << u"Pressure_Treatment"_s << true << empty << empty;
        QTest::newRow("Dia_Service_1 becomes 0 by Calculate") << u"Dia_Service_1"_s << false << empty << zero;
    }
    void Zero_Fills()
    {
        QFETCH(QString, field);
        QFETCH(bool, use_pressure);
        QFETCH(Loose_Value, before);
        QFETCH(Loose_Value, after);
        Loose_Value Sizing_Job::*member = nullptr;
        for (const Pressure_Field &f : Pressure_Fields) {
            if (field == QLatin1String(f.Name))
                member = f.Member;
        }
        QVERIFY(member);
        for (const int flag : {0, 1}) {
            Program_State state = Make_State();
            Set_Pressure(state);
            state.Job.Use_Pressure = use_pressure;
            state.Job.*member = before;
            state.Flag_Save = flag;
            Report_Text(state);
            const Loose_Value &got = state.Job.*member;
            QVERIFY2(got == after, qPrintable(QStringLiteral("kind %1, text \"%2\"").arg(int(got.Type())).arg(got.Text())));
            QCOMPARE(state.Flag_Save, flag);
        }
    }

    // The labels come from the grid, but the report must not refresh the
    // job's grid: in public use that would lose the counts kept for the
    // Note A rows.
    void Report_Keeps_Note_A_Counts()
    {
        Program_State state = Make_State();
        Set_Public(state);
        Report_Text(state);
        Report_Text(state);
        QCOMPARE(state.Job.Fixture_Count[1], u"Note A"_s);
        state.Job.Use_Type = Use_Kind::Private;
        state.Refresh_Grid();
        QCOMPARE(state.Job.Fixture_Count[1], u"7"_s);
        QCOMPARE(state.Job.Fixture_Count[2], u""_s);
    }

    // Calculate runs first: results of an earlier, different job never show.
    void Report_Calculates_First()
    {
        Program_State state = Make_State();
        state.Job.Fixture_Units_Text = QStringLiteral("999.");
        state.Job.Meter_Index = 3;
        Calc_Outcome outcome;
        outcome.Messages << QStringLiteral("stale");
        const QStringList lines = Report_Text(state, &outcome).split(QStringLiteral("\r\n"));
        QCOMPARE(Line_Starting(lines, u"Calculated Fixture Units:"_s), u"Calculated Fixture Units:    10."_s);
        QCOMPARE(Line_Starting(lines, u"Calculated Meter Make"_s), u"Calculated Meter Make/Model: MakeA / M1"_s);
        QCOMPARE(outcome.Messages, QStringList());
    }

    void Report_Path_data()
    {
        QTest::addColumn<QString>("app_path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << u"/opt/quorvel"_s << u"/opt/quorvel/Quorvel.prn"_s;
        QTest::newRow("root") << u""_s << u"/Quorvel.prn"_s;
    }
    void Report_Path()
    {
        QFETCH(QString, app_path);
        QFETCH(QString, expected);
        Program_State state;
        state.App_Path = app_path;
        QCOMPARE(::Report_Path(state), expected);
    }

    // The written file, byte for byte: Windows-1252, CR LF, replacing a
    // longer earlier report.
    void Write_Report_Bytes()
    {
        const QByteArray data = qgetenv("QUORVEL_TEST_DATA");
        QVERIFY2(!data.isEmpty(), "QUORVEL_TEST_DATA is not set");
        const QByteArray expected = Read_All(QString::fromLocal8Bit(data) + u"/report/inside_pressure.prn"_s);
        QVERIFY(expected.size() > 1000);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("Quorvel.prn"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(5000, 'x'));
        }
        Program_State state = Make_State();
        Set_Pressure(state);
        state.Job.Location = QStringLiteral("Caf\u00e9 M\u00fcller, 12 Main Street");
        state.Job.Calculated_By = QStringLiteral("J. Smith \u20ac");
        state.Job.Note = QStringLiteral("Meter pit shared with No. 14.\r\nSee sheet 4.");
        QString error = QStringLiteral("untouched");
        QVERIFY(Write_Report(state, path, &error));
        QCOMPARE(error, u"untouched"_s);
        QCOMPARE(Read_All(path), expected);
    }

    void Print_Preview_Opens_Editor()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Program_State state = Make_State();
        state.App_Path = dir.path();
        state.Settings.Editor = QStringLiteral("Notepad.exe");
        Fake_Prompt prompt;
        Launch_Record launched;
        Calc_Outcome outcome;
        QVERIFY(Print_Preview(state, prompt, launched.Launcher(), &outcome));
        const QString path = dir.path() + u"/Quorvel.prn"_s;
        QCOMPARE(launched.Commands, QStringList{u"Notepad.exe \""_s + path + u'"'});
        QCOMPARE(launched.Show_Codes, QList<int>{5});
        QCOMPARE(prompt.Messages, QStringList());
        QCOMPARE(prompt.Questions, 0);
        QCOMPARE(Read_All(path), Encode_1252(Crlf(Private_Header())));
        QCOMPARE(outcome.Meter_Font_Points, 12);
    }

    // Whatever Calculate reports, the report is written and opened.
    void Print_Preview_Shows_Calculate_Messages()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Program_State state = Make_State();
        state.App_Path = dir.path();
        state.Settings.Editor = QStringLiteral("/usr/bin/editor");
        state.Job.Fixture_Count[0] = QStringLiteral("1000");
        Fake_Prompt prompt;
        Launch_Record launched;
        QVERIFY(Print_Preview(state, prompt, launched.Launcher()));
        QCOMPARE(prompt.Messages, (QStringList{u"Sorry, too many fixtures to calculate!"_s,
                                               u"Sorry, a meter is not large enough!"_s}));
        QCOMPARE(launched.Commands.size(), 1);
        const QByteArray report = Read_All(dir.path() + u"/Quorvel.prn"_s);
        QVERIFY(report.contains("\r\nCalculated Maximum Flow:     Oops gpm\r\n"));
        QVERIFY(report.contains("\r\nCalculated Meter Size:       Oops\r\n"));
    }

    void Print_Preview_Unwritable_Folder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Program_State state = Make_State();
        state.App_Path = dir.filePath(QStringLiteral("no such folder"));
        Fake_Prompt prompt;
        Launch_Record launched;
        QVERIFY(!Print_Preview(state, prompt, launched.Launcher()));
        QCOMPARE(launched.Commands, QStringList());
        QCOMPARE(prompt.Messages.size(), 1);
        const QString message = prompt.Messages.value(0);
        QVERIFY2(message.startsWith(u"The report could not be written to "_s + state.App_Path + u"/Quorvel.prn: "_s),
                 qPrintable(message));
        QVERIFY2(message.endsWith(u". Check that the program folder can be written."_s), qPrintable(message));
        QVERIFY2(!message.contains(u".."_s), qPrintable(message));
        // Calculated all the same, and nothing created on the way.
        QCOMPARE(state.Job.Meter_Size_Text, u"Small MakeA"_s);
        QVERIFY(!QFile::exists(state.App_Path));
    }
};

QTEST_GUILESS_MAIN(Test_Report)
#include "tst_report.moc"
