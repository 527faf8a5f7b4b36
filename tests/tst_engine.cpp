#include "calculate.h"
#include "data_file.h"
#include "leading_number.h"
#include "meter_comparison.h"
#include "pressure_profile.h"
#include "number_format.h"
#include "program_state.h"
#include "tables.h"
#include "text_codec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

// Time bounds in a build with the sanitizers, which read some thirty times slower.
#ifdef QUORVEL_CHECKED_BUILD
constexpr int Slowdown = 40;
#else
constexpr int Slowdown = 1;
#endif

namespace {

QString Pad(const QString &text, int width)
{
    return text.leftJustified(width, u' ', true);
}

// A fixture table record cut at the columns 1-39, 40-79, 80-89, 90-99, 100-109.
QString Fixture_Line(const QString &code, const QString &plain, const QString &v3, const QString &v4,
                     const QString &fu)
{
    return Pad(code, 39) + Pad(plain, 40) + Pad(v3, 10) + Pad(v4, 10) + Pad(fu, 10);
}

QString Meter_Line(const QString &label, const QString &make, double max_flow, double cont_flow,
                   std::array<double, 6> loss = {10, 2, 20, 5, 40, 12})
{
    QString line = Pad(label, 19) + Pad(make, 20) + Pad(QStringLiteral("Model"), 20) + Pad(QStringLiteral("1"), 10)
                   + Pad(QString::number(max_flow), 10) + Pad(QString::number(cont_flow), 10);
    for (double v : loss)
        line += Pad(QString::number(v), 10);
    return line;
}

QString Write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write test file");
    f.write(bytes);
    return path;
}

QByteArray Lines(const QStringList &lines)
{
    return Encode_1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// Tables of the worked pressure example: one fixture of 10 fixture units is
// 20 gpm in the tank column.
struct Example {
    Fixture_Table priv, pub;
    Flow_Conversion_Table conv;
    Meter_List meters;
    Sizing_Job job;

    Example()
    {
        Fixture_Row row;
        row.Plain_Description = QStringLiteral("Ten unit fixture");
        row.Fixture_Units = 10;
        priv.Rows = {row};
        pub.Rows = {row};
        conv.Rows = {{10, 30, 20}, {20, 45, 35}};
        Meter_Entry small{QStringLiteral("Small"), QStringLiteral("MakeA"), QStringLiteral("M1"), 0, 25, 12,
                          {10, 20, 40}, {2, 5, 12}};
        Meter_Entry medium{QStringLiteral("Medium"), QStringLiteral("MakeB"), QStringLiteral("M2"), 0, 50, 25,
                           {10, 20, 40}, {1, 2, 6}};
        Meter_Entry large{QStringLiteral("Large"), QStringLiteral("MakeC"), QStringLiteral("M3"), 0, 100, 50,
                          {10, 20, 40}, {0.5, 1, 3}};
        meters.Entries = {small, medium, large};
        Reset_Job(job, Settings_Fields::Factory(), Reset_Kind::Startup, QDate(2026, 12, 9));
        job.Fixture_Count[0] = QStringLiteral("1");
        job.Use_Pressure = true;
        job.Pressure_Min_Main = QStringLiteral("60");
        job.Elev_Main_Meter = QStringLiteral("5");
        job.Dia_Service_1 = job.Dia_Service_2 = Loose_Value::Of_Number(1.5);
        job.Len_Main_CB = QStringLiteral("50");
        job.Len_CB_Meter = QStringLiteral("10");
        job.Dia_Plumbing = QStringLiteral("1");
        job.Len_Meter_Fixture = QStringLiteral("60");
        job.Elev_Meter_Fixture = QStringLiteral("10");
        job.Meter_Location = QStringLiteral("Inside");
    }
    Calc_Outcome Run() { return Calculate(job, priv, pub, conv, meters, false); }
};

// Why a meter list does not rise, or the empty text: every entry must be a
// larger meter than the one before it, with a strictly higher maximum flow
// and no more loss at the earlier meter's maximum flow, or an up-sizing
// step would gain nothing or lose pressure.
QString Rising_Fault(const Meter_List &list)
{
    for (int k = 1; k < list.Count(); ++k) {
        const Meter_Entry &before = list.Entries[k - 1];
        const Meter_Entry &after = list.Entries[k];
        if (!(after.Max_Flow > before.Max_Flow))
            return QStringLiteral("%1 (%2 gpm) does not rate above %3 (%4 gpm)")
                .arg(after.Size_Label).arg(after.Max_Flow).arg(before.Size_Label).arg(before.Max_Flow);
        const double loss_before = Meter_Loss(before, before.Max_Flow);
        const double loss_after = Meter_Loss(after, before.Max_Flow);
        if (loss_after > loss_before)
            return QStringLiteral("%1 loses %2 psi at %3 gpm where %4 loses %5 psi")
                .arg(after.Size_Label).arg(loss_after).arg(before.Max_Flow).arg(before.Size_Label).arg(loss_before);
    }
    return QString();
}

} // namespace

class Test_Engine : public QObject {
    Q_OBJECT

private slots:
    void Leading_Number_Reads_Prefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("plain") << "12" << 12.0;
        QTest::newRow("blank inside") << "1 2" << 12.0;
        QTest::newRow("tabs and line feeds") << "\t 7\n5" << 75.0;
        QTest::newRow("word after") << "3 chairs" << 3.0;
        QTest::newRow("word first") << "abc 3" << 0.0;
        QTest::newRow("marker") << "Note A" << 0.0;
        QTest::newRow("negative") << "-3.25" << -3.25;
        QTest::newRow("blank after sign") << "- 5" << -5.0;
        QTest::newRow("plus") << "+4" << 4.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("exponent") << "1.5E-2" << 0.015;
        QTest::newRow("exponent lower") << "2e3" << 2000.0;
        QTest::newRow("incomplete exponent") << "12e" << 12.0;
        QTest::newRow("incomplete signed exponent") << "12e-x" << 12.0;
        QTest::newRow("comma ends") << "1,5" << 1.0;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("minus ends") << "5-3" << 5.0;
        QTest::newRow("currency") << "$5" << 0.0;
        QTest::newRow("hex") << "&HFF" << 255.0;
        QTest::newRow("hex lower") << "&hff" << 255.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("ampersand only") << "&" << 0.0;
        QTest::newRow("not hex") << "&X1" << 0.0;
        QTest::newRow("c style hex") << "0x10" << 0.0;
        // Beyond a double: too large is the largest number (a count of
        // 1e999 is too many fixtures, never none), too small is 0.
        QTest::newRow("overflow") << "1e999" << std::numeric_limits<double>::max();
        QTest::newRow("negative overflow") << "-1e999" << -std::numeric_limits<double>::max();
        QTest::newRow("overflow by digits") << QString(400, u'9') << std::numeric_limits<double>::max();
        QTest::newRow("overflow, small exponent") << QStringLiteral("123") + QString(320, u'0') + QStringLiteral("e-5")
                                                  << std::numeric_limits<double>::max();
        QTest::newRow("underflow") << "1e-999" << 0.0;
        QTest::newRow("underflow by fraction") << QStringLiteral("0.") + QString(400, u'0') + u'7' << 0.0;
        QTest::newRow("underflow, large exponent") << "0.00001e-320" << 0.0;
        QTest::newRow("hex beyond a double") << QStringLiteral("&H") + QString(300, u'F') << std::numeric_limits<double>::max();
        QTest::newRow("carriage return ends") << "4\r5" << 4.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("sign alone") << "-" << 0.0;
    }
    void Leading_Number_Reads_Prefix()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(Leading_Number(text), expected);
    }

    // Every number the program writes in the general form reads back, the
    // largest doubles included (their 15-digit rounding lies beyond them).
    void General_Form_Reads_Back_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("exact"); // must come back bit for bit
        const double max = std::numeric_limits<double>::max();
        QTest::newRow("largest") << max << true;
        QTest::newRow("largest negative") << -max << true;
        QTest::newRow("just below the largest") << std::nextafter(max, 0.0) << true;
        QTest::newRow("1.79769313486231e308") << 1.79769313486231e308 << false;
        QTest::newRow("1e308") << 1e308 << false;
        QTest::newRow("smallest normal") << std::numeric_limits<double>::min() << false;
        QTest::newRow("smallest") << std::numeric_limits<double>::denorm_min() << false;
        QTest::newRow("plain") << 123.456 << false;
        QTest::newRow("tenth") << 0.1 << false;
        QTest::newRow("1e15") << 1e15 << false;
        QTest::newRow("1e16") << 1e16 << false;
    }
    void General_Form_Reads_Back()
    {
        QFETCH(double, value);
        QFETCH(bool, exact);
        for (const QString &text : {General_Number(value), Print_Number(value)}) {
            const double back = Leading_Number(text);
            QVERIFY2(std::isfinite(back), qPrintable(text));
            if (exact)
                QVERIFY2(back == value, qPrintable(text));
            else if (value >= std::numeric_limits<double>::min())
                QVERIFY2(std::fabs(back - value) <= 1e-14 * std::fabs(value), qPrintable(text));
            else
                QVERIFY2(back >= 0 && back < 1e-300, qPrintable(text));
        }
    }
    void General_Form_Of_The_Largest()
    {
        QCOMPARE(General_Number(std::numeric_limits<double>::max()), QStringLiteral("1.7976931348623157E+308"));
        QCOMPARE(Print_Number(-std::numeric_limits<double>::max()), QStringLiteral("-1.7976931348623157E+308 "));
        QCOMPARE(General_Number(1e308), QStringLiteral("1E+308"));
        QCOMPARE(General_Number(2.5), QStringLiteral("2.5"));
    }

    void Number_Patterns_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QString>("expected");
        const int opt = int(Number_Pattern::Optional_1), f1 = int(Number_Pattern::Fixed_1),
                  f3 = int(Number_Pattern::Fixed_3), whole = int(Number_Pattern::Whole);
        QTest::newRow("###.# twelve") << 12.0 << opt << "12.";
        QTest::newRow("###.# half") << 0.5 << opt << ".5";
        QTest::newRow("###.# 12.46") << 12.46 << opt << "12.5";
        QTest::newRow("###.# 12.45 half up") << 12.45 << opt << "12.5";
        QTest::newRow("###.# 12.44") << 12.44 << opt << "12.4";
        QTest::newRow("###.# zero") << 0.0 << opt << ".";
        QTest::newRow("###.# tiny") << 0.04 << opt << ".";
        QTest::newRow("###.# 0.05") << 0.05 << opt << ".1";
        QTest::newRow("###.# carry") << 99.96 << opt << "100.";
        QTest::newRow("###.# negative") << -0.5 << opt << "-.5";
        QTest::newRow("###.# negative half away") << -2.25 << opt << "-2.3";
        QTest::newRow("0.0 five") << 5.0 << f1 << "5.0";
        QTest::newRow("0.0 -3.25") << -3.25 << f1 << "-3.3";
        QTest::newRow("0.0 2.25") << 2.25 << f1 << "2.3";
        QTest::newRow("0.0 0.15") << 0.15 << f1 << "0.2";
        QTest::newRow("0.0 34.639") << 34.639 << f1 << "34.6";
        QTest::newRow("0.0 negative zero") << -0.04 << f1 << "0.0";
        QTest::newRow("0.0 carry") << 9.96 << f1 << "10.0";
        QTest::newRow("0.000 1.5") << 1.5 << f3 << "1.500";
        QTest::newRow("0.000 half") << 0.0005 << f3 << "0.001";
        QTest::newRow("0.000 10.4") << 10.4 << f3 << "10.400";
        QTest::newRow("0.000 0.9995") << 0.9995 << f3 << "1.000";
        QTest::newRow("# half") << 12.5 << whole << "13";
        QTest::newRow("# zero") << 0.0 << whole << "";
        QTest::newRow("# small") << 0.4 << whole << "";
        QTest::newRow("# 0.5") << 0.5 << whole << "1";
        QTest::newRow("# negative half") << -2.5 << whole << "-3";
        QTest::newRow("# large") << 1e20 << whole << "100000000000000000000";
        QTest::newRow("nan") << std::nan("") << f1 << "";
        QTest::newRow("infinity") << HUGE_VAL << opt << "";
    }
    void Number_Patterns()
    {
        QFETCH(double, value);
        QFETCH(int, pattern);
        QFETCH(QString, expected);
        QCOMPARE(Format_Number(value, Number_Pattern(pattern)), expected);
    }

    void Text_Patterns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("marker passes") << "Oops" << "Oops";
        QTest::newRow("empty stays") << "" << "";
        QTest::newRow("number text") << " 60 " << "60.0";
        QTest::newRow("number and word") << "12 psi" << "12 psi";
        QTest::newRow("exponent") << "1e1" << "10.0";
        QTest::newRow("sign only") << "-" << "-";
    }
    void Text_Patterns()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Format_Text(text, Number_Pattern::Fixed_1), expected);
    }

    void General_And_Print_Forms_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("general");
        QTest::addColumn<QString>("print");
        QTest::newRow("zero") << 0.0 << "0" << " 0 ";
        QTest::newRow("one") << 1.0 << "1" << " 1 ";
        QTest::newRow("2.5") << 2.5 << "2.5" << " 2.5 ";
        QTest::newRow("half") << 0.5 << "0.5" << " .5 ";
        QTest::newRow("negative half") << -0.5 << "-0.5" << "-.5 ";
        QTest::newRow("130") << 130.0 << "130" << " 130 ";
        QTest::newRow("third") << 1.0 / 3 << "0.333333333333333" << " .333333333333333 ";
        QTest::newRow("0.1 plus 0.2") << 0.1 + 0.2 << "0.3" << " .3 ";
        QTest::newRow("large") << 1.5e20 << "1.5E+20" << " 1.5E+20 ";
        QTest::newRow("small") << 2e-7 << "2E-07" << " 2E-07 ";
    }
    void General_And_Print_Forms()
    {
        QFETCH(double, value);
        QFETCH(QString, general);
        QFETCH(QString, print);
        QCOMPARE(General_Number(value), general);
        QCOMPARE(Print_Number(value), print);
    }

    void Date_Texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("us long") << "6/27/2002" << QDate(2002, 6, 27);
        QTest::newRow("us padded") << " 06/27/2002 " << QDate(2002, 6, 27);
        QTest::newRow("two digit year is 20yy") << "12/9/26" << QDate(2026, 12, 9);
        QTest::newRow("two digit 99 is 2099") << "1/2/99" << QDate(2099, 1, 2);
        QTest::newRow("iso") << "2002-08-08" << QDate(2002, 8, 8);
        QTest::newRow("day month year") << "21 Dec 2000" << QDate(2000, 12, 21);
        QTest::newRow("invalid day") << "2/30/2002" << QDate();
        // Years the M/d/yyyy form cannot write and read back are no dates.
        QTest::newRow("signed year, day month year") << "17 May -2024" << QDate();
        QTest::newRow("signed year, iso") << "-2024-05-17" << QDate();
        QTest::newRow("signed two digit year") << "5/17/-1" << QDate();
        QTest::newRow("signed four character year") << "5/17/-202" << QDate();
        QTest::newRow("word") << "soon" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void Date_Texts()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(Parse_Date_Text(text), expected);
        if (expected.isValid())
            QCOMPARE(Parse_Date_Text(Short_Date_Text(expected)), expected);
    }

    void Windows_1252_Round_Trip()
    {
        const QByteArray bytes("\x80 \x93quoted\x94 caf\xe9 \x81", 17);
        const QString text = Decode_1252(bytes);
        QCOMPARE(text, QString::fromUtf8("\u20AC \u201Cquoted\u201D caf\u00E9 \u0081"));
        QCOMPARE(Encode_1252(text), bytes);
        QCOMPARE(Encode_1252(QString::fromUtf8("\u4E2D!")), QByteArray("?!"));
    }

    void Value_Reader_Items()
    {
        QTemporaryDir dir;
        const QString path = Write(dir, QStringLiteral("items.txt"),
                                   "  first , second\r\n\"quoted, with comma\" tail, next\n'comment, more\nlast");
        Data_File_Reader items(path);
        QStringList got;
        QString v;
        while (items.Next_Value(v))
            got << v;
        QCOMPARE(got, (QStringList{"first", "second", "quoted, with comma", "next", "'comment", "more", "last"}));

        Data_File_Reader lines(path);
        got.clear();
        while (lines.Next_Line_Value(v))
            got << v;
        QCOMPARE(got, (QStringList{"first ", "quoted, with comma", "'comment", "last"}));
    }

    void Fixture_Table_Layout()
    {
        QTemporaryDir dir;
        const QStringList lines = {
            QStringLiteral("Date: 6/27/2002"),
            QStringLiteral("' private fixtures"),
            QStringLiteral("'"),
            QString(),
            // Written out by hand: code text to column 39, plain text to 79, then 10-column numbers.
            QStringLiteral("Lavatory                               Wash basin                              0.5       0.5       0.7       "),
            Fixture_Line(QStringLiteral("Water closet - flush tank"), QStringLiteral("Toilet"), QStringLiteral("b"),
                         QStringLiteral("0"), QStringLiteral("2.2")),
            QStringLiteral("Short line only"),
        };
        const QString path = Write(dir, QStringLiteral("Table-1.dat"), Lines(lines));
        const Fixture_Table priv = Load_Fixture_Table(path, false);
        QCOMPARE(priv.Row_Count(), 3);
        QCOMPARE(priv.Date, QDate(2002, 6, 27));
        QCOMPARE(priv.Rows[0].Code_Description, QStringLiteral("Lavatory").leftJustified(39));
        QCOMPARE(priv.Rows[0].Plain_Description, QStringLiteral("Wash basin").leftJustified(40));
        QCOMPARE(priv.Rows[0].Value_3, 0.5);
        QCOMPARE(priv.Rows[0].Fixture_Units, 0.7);
        QVERIFY(!priv.Rows[1].Note_A); // "b" means nothing in the private table
        QCOMPARE(priv.Rows[1].Value_3, 0.0);
        QCOMPARE(priv.Rows[2].Code_Description, QStringLiteral("Short line only"));
        QCOMPARE(priv.Rows[2].Fixture_Units, 0.0);

        const Fixture_Table pub = Load_Fixture_Table(path, true);
        QVERIFY(pub.Rows[1].Note_A);

        Sizing_Job job;
        const Grid_View view = Refresh_Fixture_Grid(job, priv, pub);
        for (int r = 0; r < Grid_Rows; ++r) {
            QCOMPARE(view.Enabled[r], r < 3);
            QCOMPARE(view.Button_Face[r], r >= 3);
            if (r != 2) // row 3 of the file has no plain description
                QCOMPARE(view.Labels[r].isEmpty(), r >= 3);
        }
    }

    void Table_Line_Limits()
    {
        QTemporaryDir dir;
        QStringList lines;
        for (int i = 1; i <= 49; ++i)
            lines << QStringLiteral("' comment %1").arg(i);
        lines << Fixture_Line(QStringLiteral("Fiftieth"), QStringLiteral("Fiftieth"), "1", "1", "1");
        lines << Fixture_Line(QStringLiteral("Fifty-first"), QStringLiteral("Fifty-first"), "1", "1", "1");
        const Fixture_Table t = Load_Fixture_Table(Write(dir, QStringLiteral("t.dat"), Lines(lines)), false);
        QCOMPARE(t.Row_Count(), 1);
        QCOMPARE(t.Rows[0].Code_Description.trimmed(), QStringLiteral("Fiftieth"));

        // 60 records: only 50 fit a table; the grid shows 33 of them.
        lines.clear();
        for (int i = 1; i <= 60; ++i)
            lines << Fixture_Line(QStringLiteral("Row %1").arg(i), QStringLiteral("Row %1").arg(i), "0", "0", "1");
        const QString many = Write(dir, QStringLiteral("many.dat"), Lines(lines));
        QCOMPARE(Load_Fixture_Table(many, false).Row_Count(), 50);
        QCOMPARE(Load_Flow_Conversion_Table(many).Row_Count(), 50);
        Meter_List list;
        Load_Meter_List(list, many);
        QCOMPARE(list.Count(), 50);
        Sizing_Job job;
        job.Fixture_Count.fill(QStringLiteral("1"));
        QCOMPARE(Total_Fixture_Units(job, Load_Fixture_Table(many, false)), 33.0);
    }

    void Hostile_Files_Do_Not_Crash_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray binary(4096, 0);
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 131 + 7) % 256);
        QByteArray long_lines;
        for (int i = 0; i < 5; ++i)
            long_lines += QByteArray(100 * 1024, 'x') + "\r\n";
        QByteArray many_lines;
        for (int i = 0; i < 10000; ++i)
            many_lines += "1         2         3\n";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << binary;
        QTest::newRow("no line ends") << QByteArray(3 * 1024 * 1024, '7');
        QTest::newRow("lines of 100 kB") << long_lines;
        QTest::newRow("10000 lines") << many_lines;
        QTest::newRow("commas and quotes") << QByteArray(",,,\n\"\n\"a,b\"c,d\n\",\"\n,\"Date:\n\"Desc: x\n");
        QTest::newRow("bad date") << QByteArray("Date: 99/99/9999\nDate:\nDesc:\n");
        QTest::newRow("only carriage returns") << QByteArray(200000, '\r');
    }
    void Hostile_Files_Do_Not_Crash()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = Write(dir, QStringLiteral("hostile.dat"), bytes);
        QElapsedTimer timer;
        timer.start();
        const Fixture_Table fixtures = Load_Fixture_Table(path, true);
        const Flow_Conversion_Table conversion = Load_Flow_Conversion_Table(path);
        Meter_List list;
        list.Description = QStringLiteral("kept");
        Load_Meter_List(list, path);
        QVERIFY(fixtures.Row_Count() <= Max_Table_Records);
        QVERIFY(conversion.Row_Count() <= Max_Table_Records);
        QVERIFY(list.Count() <= Max_Table_Records);
        QVERIFY(!fixtures.Date.isValid());
        for (const Meter_Entry &e : list.Entries)
            QVERIFY(e.Size_Label.size() <= 19 && e.Make.size() <= 20 && e.Model.size() <= 20);
        QVERIFY2(timer.elapsed() < 2000 * Slowdown, "reading a hostile file took too long");
        // A calculation on whatever was read stays finite.
        Sizing_Job job;
        job.Fixture_Count.fill(QStringLiteral("3"));
        Calculate(job, fixtures, fixtures, conversion, list, false);
        QVERIFY(!job.Fixture_Units_Text.contains(QStringLiteral("nan")));
        QVERIFY(!job.Fixture_Units_Text.contains(QStringLiteral("inf")));
    }

    void Missing_Files_Give_Empty_Tables()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("none.dat"));
        QCOMPARE(Load_Fixture_Table(missing, false).Row_Count(), 0);
        QCOMPARE(Load_Flow_Conversion_Table(missing).Row_Count(), 0);
        Meter_List list;
        list.Entries.resize(3);
        list.Description = QStringLiteral("Old list");
        list.Date = QDate(2001, 1, 1);
        Load_Meter_List(list, missing);
        QCOMPARE(list.Count(), 0);
        QCOMPARE(list.Description, QStringLiteral("Old list"));
        QCOMPARE(list.Date, QDate(2001, 1, 1));
    }

    void Meter_List_Fields()
    {
        QTemporaryDir dir;
        const QStringList twelve_lines = [] {
            QStringList l{QStringLiteral("Date: 1/15/2002"), QStringLiteral("Desc: Twelve test meters")};
            for (int i = 1; i <= 12; ++i)
                l << Meter_Line(QStringLiteral("Size %1").arg(i), QStringLiteral("Make"), 10 * i, 5 * i);
            return l;
        }();
        Meter_List list;
        Load_Meter_List(list, Write(dir, QStringLiteral("twelve.mtr"), Lines(twelve_lines)));
        QCOMPARE(list.Count(), 12);
        QCOMPARE(list.Description, QStringLiteral("Twelve test meters"));
        QCOMPARE(list.Date, QDate(2002, 1, 15));

        QStringList eight;
        eight << Meter_Line(QStringLiteral("5/8\""), QStringLiteral("Abc"), 20, 10);
        eight << Meter_Line(QStringLiteral("3/4\""), QStringLiteral("Nineteen letters ok"), 30, 15);
        for (int i = 3; i <= 8; ++i)
            eight << Meter_Line(QStringLiteral("S%1").arg(i), QString(), 10 * i, 5 * i);
        Load_Meter_List(list, Write(dir, QStringLiteral("eight.mtr"), Lines(eight)));
        QCOMPARE(list.Count(), 8);
        QCOMPARE(list.Description, QStringLiteral("Twelve test meters")); // no "Desc:" line: kept
        QCOMPARE(list.Entries[0].Size_Label, QStringLiteral("5/8\""));
        QCOMPARE(list.Entries[0].Make, QStringLiteral("Abc"));
        QCOMPARE(list.Entries[1].Make, QStringLiteral("Nineteen letters ok"));
        QCOMPARE(list.Entries[2].Make, QString());
        QCOMPARE(list.Entries[0].Max_Flow, 20.0);
        QCOMPARE(list.Entries[0].Max_Continuous_Flow, 10.0);
        QCOMPARE(list.Entries[0].Loss_Point_Flow[2], 40.0);
        QCOMPARE(list.Entries[0].Loss_Point_Loss[2], 12.0);
        QVERIFY(list.Entry(9) == nullptr);

        // Only the eight entries take part in the selection.
        Example ex;
        ex.meters = list;
        ex.job.Use_Pressure = false;
        ex.job.Irrigation_Flow = QStringLiteral("85"); // 20 + 85 = 105 gpm, above the largest of eight (80)
        ex.Run();
        QCOMPARE(ex.job.Meter_Label, Oops_Marker);
    }

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
        for (const Trace_Step &step : out.Trace) {
            QVERIFY2(std::isfinite(step.Result), qPrintable(step.Key));
            if (step.Key == QStringLiteral("fixture_units"))
                QVERIFY(step.Result > 0 && step.Result == ex.job.Fixture_Units);
            for (const Trace_Input &input : step.Inputs)
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
            QHash<QString, double> last;
            int evaluations = 0;
            for (const Trace_Step &s : out.Trace) {
                last.insert(s.Key, s.Result);
                evaluations = std::max(evaluations, s.Evaluation);
            }
            QCOMPARE(last.value(QStringLiteral("fixture_units")), ex.job.Fixture_Units);
            // The fixture rows: count times units each, adding up to the total;
            // a row without units or without a count is left out.
            double rows_total = 0;
            QList<int> rows_seen;
            for (const Trace_Step &s : out.Trace) {
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
                for (const Trace_Step &s : out.Trace) {
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
            for (const Trace_Step &s : out.Trace) {
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
            for (const Trace_Step &s : out.Trace) {
                if (s.Key != QStringLiteral("upsize"))
                    continue;
                ++upsizes;
                QVERIFY(s.Inputs[0].Value < s.Inputs[1].Value);
                QCOMPARE(s.Result, s.Inputs[2].Value + 1);
            }
            QCOMPARE(upsizes, evaluations - 1);
            // Each term of the chain adds up from its recorded inputs.
            for (const Trace_Step &s : out.Trace) {
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

    void Job_Reset_Variants()
    {
        Settings_Fields s = Settings_Fields::Factory();
        s.Default_Meter_Location = QStringLiteral("Outside");
        s.Default_DefaultName = QStringLiteral("R. Engineer");
        s.Default_Calc_Flow = QStringLiteral("False");
        s.Default_No_Upsize = QStringLiteral("True");
        s.Code = true;
        s.Fixture = false;
        s.Flush = true;
        Sizing_Job job;
        job.Fixture_Count[4] = QStringLiteral("9");
        job.Note = QStringLiteral("old");
        job.Meter_Size_Text = QStringLiteral("old result");
        Reset_Job(job, s, Reset_Kind::Startup, QDate(2026, 12, 9));
        QCOMPARE(job.Meter_Location, QStringLiteral("Outside"));
        QCOMPARE(job.Calculated_By, QStringLiteral("R. Engineer"));
        QCOMPARE(job.Flow_Basis, Flow_Kind::Continuous);
        QCOMPARE(job.No_Upsize.Number(), 1.0);
        QCOMPARE(job.Description_Mode, 1);
        QCOMPARE(job.Use_Type, Use_Kind::Public);
        QCOMPARE(job.Flush_Type, Flush_Kind::Quick_Flush);
        QCOMPARE(job.C_Service_2.Number(), 130.0);
        QCOMPARE(job.Len_Factor.Number(), 1.5);
        QVERIFY(job.Dia_Plumbing.Is_Empty_Text());
        QVERIFY(job.Fixture_Count[4].isEmpty());
        QVERIFY(job.Note.isEmpty());
        QVERIFY(job.Meter_Size_Text.isEmpty());
        Reset_Job(job, s, Reset_Kind::New_Job, QDate(2026, 12, 9));
        QCOMPARE(job.Meter_Location, QStringLiteral("Inside"));
    }

    void Program_Paths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("app_path");
        QTest::addColumn<QString>("file1");
        QTest::newRow("plain") << "/opt/quorvel" << "/opt/quorvel" << "/opt/quorvel/Table-1.dat";
        QTest::newRow("trailing separator") << "/opt/quorvel/" << "/opt/quorvel" << "/opt/quorvel/Table-1.dat";
        QTest::newRow("root") << "/" << "" << "/Table-1.dat";
    }
    void Program_Paths()
    {
        QFETCH(QString, folder);
        QFETCH(QString, app_path);
        QFETCH(QString, file1);
        Program_State state;
        Set_Program_Paths(state, folder);
        QCOMPARE(state.App_Path, app_path);
        QCOMPARE(state.File1, file1);
        QCOMPARE(state.File5, app_path + QStringLiteral("/Update.txt"));
        QCOMPARE(state.Version, QStringLiteral("1.02.0808"));
    }

    // Every shipped meter list rises; the rule itself rejects the two
    // faults lists have had: a duplicate meter, and a meter of another kind
    // with more loss slipped between two sizes.
    void Shipped_Meter_Lists_Rise_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text"); // a list made here when path is empty
        QTest::addColumn<bool>("rises");
        const QString folder = QCoreApplication::applicationDirPath();
        const QStringList lists = QDir(folder).entryList({QStringLiteral("*.mtr")}, QDir::Files, QDir::Name);
        QTest::newRow("three lists shipped") << QString() << QString::number(lists.size()) << true;
        for (const QString &name : lists)
            QTest::newRow(qPrintable(name)) << folder + u'/' + name << QString() << true;
        const auto line = [](const char *size, double max, double q1, double h1, double q2, double h2, double q3,
                             double h3) {
            QString l = Pad(QString::fromLatin1(size), 19) + Pad(QStringLiteral("Make"), 20) + Pad(QString(), 20)
                        + Pad(QStringLiteral("0"), 10);
            for (double v : {max, max / 2, q1, h1, q2, h2, q3, h3})
                l += Pad(QString::number(v), 10);
            return l;
        };
        QTest::newRow("rising") << QString()
                                << line("A", 20, 10, 3.7, 15, 8.3, 20, 15) + u'\n' + line("B", 30, 10, 1.6, 20, 6.5, 30, 15)
                                << true;
        QTest::newRow("duplicate meter") << QString()
                                         << line("A", 20, 10, 3.7, 15, 8.3, 20, 15) + u'\n'
                                                + line("A x B", 20, 10, 3.7, 15, 8.3, 20, 15)
                                         << false;
        QTest::newRow("more loss at the smaller meter's rating")
            << QString()
            << line("Turbine", 200, 50, 0.25, 100, 1, 200, 4) + u'\n' + line("Compound", 320, 80, 1.25, 160, 5, 320, 20)
            << false;
    }
    void Shipped_Meter_Lists_Rise()
    {
        QFETCH(QString, path);
        QFETCH(QString, text);
        QFETCH(bool, rises);
        if (path.isEmpty() && text.toInt() > 0) { // the count row
            QCOMPARE(text.toInt(), 3);
            return;
        }
        if (path.isEmpty() && text == u"0")
            QFAIL("no meter list beside the test");
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath(QStringLiteral("made.mtr"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text.toLatin1());
        }
        Meter_List list;
        Load_Meter_List(list, path);
        QVERIFY(list.Count() >= 2);
        const QString fault = Rising_Fault(list);
        if (rises)
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        else
            QVERIFY(!fault.isEmpty());
    }

    // With the shipped displacement list each up-sizing step gains: a job
    // that the 5/8" x 3/4" and the 3/4" meter fail on pressure and the 1"
    // meets ends on the 1" after two steps (with the duplicate 5/8" entry
    // the second step changed nothing and the job ended "3/4" [Fail]").
    void Shipped_List_Upsizes_To_A_Larger_Meter()
    {
        const QString list = QCoreApplication::applicationDirPath() + QStringLiteral("/AWWA-Standard.mtr");
        if (!QFile::exists(list))
            QFAIL("AWWA-Standard.mtr is not beside the test");
        Example ex;
        Load_Meter_List(ex.meters, list);
        ex.conv.Rows = {{10, 17, 17}}; // the one 10-unit fixture asks for 17 gpm
        // Only the meter loses pressure: 60 psi at the main, 57 psi required.
        ex.job.Elev_Main_Meter = ex.job.Elev_Meter_Fixture = QStringLiteral("0");
        ex.job.Len_Main_CB = ex.job.Len_CB_Meter = ex.job.Len_Meter_Fixture = QStringLiteral("0");
        ex.job.Pressure_Treatment = QStringLiteral("0");
        ex.job.Pressure_Fixture = QStringLiteral("57");
        ex.job.No_Upsize = Loose_Value::Of_Number(0);
        ex.Run();
        QCOMPARE(ex.job.Design_Flow, 17.0);
        // 5/8" x 3/4": 11.0 psi lost; 3/4": 5.0 psi; 1": 1.9 psi.
        QCOMPARE(ex.job.Upsize_Count, 3); // three evaluations: two steps up
        QVERIFY(ex.job.Meter_Size_Text.startsWith(QStringLiteral("1\" [Upsized]")));
        QCOMPARE(ex.meters.Entry(ex.job.Meter_Index)->Size_Label, QStringLiteral("1\""));
        QVERIFY(!ex.job.Pressure_Failed);
        QVERIFY(std::fabs(ex.job.Pressure_At_Fixture - (60 - 2.2 * 17 / 20)) < 1e-9);
    }

    // The shipped tables load, label the grid and size a small house.
    void Shipped_Data()
    {
        const QString folder = QCoreApplication::applicationDirPath();
        if (!QFile::exists(folder + QStringLiteral("/Table-1.dat")))
            QFAIL("shipped data not beside the test");
        Program_State state;
        Set_Program_Paths(state, folder);
        state.Settings = Settings_Fields::Factory();
        Load_Tables(state);
        QVERIFY(state.Table1.Row_Count() > 0 && state.Table1.Row_Count() <= Grid_Rows);
        QVERIFY(state.Table2.Row_Count() > 0 && state.Table2.Row_Count() <= Grid_Rows);
        QVERIFY(state.Table3.Row_Count() > 1);
        QVERIFY(state.Table1.Date.isValid() && state.Table2.Date.isValid() && state.Table3.Date.isValid());
        QVERIFY(state.Meters.Count() > 1);
        QVERIFY(!state.Meters.Description.isEmpty());
        QVERIFY(state.Meters.Date.isValid());
        bool any_note_a = false;
        for (const Fixture_Row &row : state.Table2.Rows)
            any_note_a = any_note_a || row.Note_A;
        QVERIFY(any_note_a);
        // Conversion points rise strictly, and the meters grow.
        for (int k = 1; k < state.Table3.Row_Count(); ++k)
            QVERIFY(state.Table3.Rows[k].Fixture_Units > state.Table3.Rows[k - 1].Fixture_Units);
        for (int k = 1; k < state.Meters.Count(); ++k)
            QVERIFY(state.Meters.Entries[k].Max_Flow >= state.Meters.Entries[k - 1].Max_Flow);

        Reset_Job(state.Job, state.Settings, Reset_Kind::Startup, QDate::currentDate());
        state.Refresh_Grid();
        state.Job.Fixture_Count[0] = QStringLiteral("2");
        const Calc_Outcome out = state.Calculate_Job();
        QVERIFY(out.Messages.isEmpty());
        QVERIFY(state.Job.Fixture_Units > 0);
        QVERIFY(state.Job.Meter_Index >= 1);
    }
};

QTEST_GUILESS_MAIN(Test_Engine)
#include "tst_engine.moc"
