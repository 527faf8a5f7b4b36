#include "fault_folder.h"
#include "job_file.h"
#include "job_lifecycle.h"
#include "number_format.h"
#include "program_documents.h"
#include "report.h"
#include "text_codec.h"
#include "user_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#include <sys/stat.h>

// Time bounds in a build with the sanitizers, which read some thirty times slower.
#ifdef QUORVEL_CHECKED_BUILD
constexpr int Slowdown = 40;
#else
constexpr int Slowdown = 1;
#endif

namespace {

// Answers from a script; records every message and dialog.
class Scripted_Prompt : public Prompt {
public:
    QStringList Messages;
    QList<Answer> Answers;
    QStringList Paths;       // file dialog answers; "" cancels
    QStringList Dialogs;     // "open|folder|name" or "save|folder|name"
    QStringList Questions;   // "ync|text" or "yn|text"

    void Show_Message(const QString &text) override { Messages << text; }
    Answer Ask_Yes_No(const QString &text) override
    {
        Questions << QStringLiteral("yn|") + text;
        return Answers.isEmpty() ? Answer::No : Answers.takeFirst();
    }
    Answer Ask_Yes_No_Cancel(const QString &text) override
    {
        Questions << QStringLiteral("ync|") + text;
        return Answers.isEmpty() ? Answer::Cancel : Answers.takeFirst();
    }
    QString Choose_Open_File(const QString &folder, const QString &name, const QString &filters, int index) override
    {
        Dialogs << QStringLiteral("open|%1|%2|%3|%4").arg(folder, name, filters).arg(index);
        return Paths.isEmpty() ? QString() : Paths.takeFirst();
    }
    QString Choose_Save_File(const QString &folder, const QString &name, const QString &filters, int index) override
    {
        Dialogs << QStringLiteral("save|%1|%2|%3|%4").arg(folder, name, filters).arg(index);
        return Paths.isEmpty() ? QString() : Paths.takeFirst();
    }
};

// A program state with small tables: a two-row private table and a public
// table whose second row is a Note A row.
Program_State Small_State()
{
    Program_State s;
    Set_Program_Paths(s, QStringLiteral("/nowhere"));
    s.Settings = Settings_Fields::Factory();
    Fixture_Row a, b;
    a.Plain_Description = QStringLiteral("Lavatory");
    a.Fixture_Units = 1;
    b.Plain_Description = QStringLiteral("Flush valve closet");
    b.Fixture_Units = 10;
    s.Table1.Rows = {a, b};
    b.Note_A = true;
    s.Table2.Rows = {a, b};
    s.Table3.Rows = {{10, 20, 15}, {100, 80, 60}};
    s.Meters.Entries = {{QStringLiteral("3/4\""), QStringLiteral("Acme"), QStringLiteral("D1"), 0, 30, 15,
                         {10, 20, 30}, {1, 4, 9}}};
    Reset_Job(s.Job, s.Settings, Reset_Kind::Startup, QDate(2026, 12, 9));
    return s;
}

QByteArray Lines(const QStringList &lines)
{
    return Encode_1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// Fields 1-48 of a file written by hand: version, header, options, counts
// ("2" in row 0, "0" in row 1, "03" in row 2), flows, results, use pressure.
QStringList Head(const QString &version)
{
    QStringList f{QStringLiteral("\"%1\"").arg(version), "\"3/15/2002\"", "\"Elm St\"", "\"A. Smith\"", " 1 ",
                  "False", "True", "True", "False", "\"2\"", "\"0\"", "\"03\""};
    for (int r = 3; r < 33; ++r)
        f << "\"\"";
    f << "\"12.50\"" << "\"\"" << "20." << "35.4 gpm" << "1\" Acme" << " 1 ";
    return f;
}

QString Write_File(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

} // namespace

class Test_Documents : public QObject {
    Q_OBJECT

private slots:
    void Round_Trip_Of_Every_Field()
    {
        Program_State s = Small_State();
        Sizing_Job &j = s.Job;
        j.Location = QStringLiteral("12 \"Main\" St, Unit 4");
        j.Calculated_By = QStringLiteral("R. O'Neil");
        j.Calc_Date = QDate(2026, 2, 3);
        j.Note = QStringLiteral("Line one \"quoted\"\r\nline two, with chr(34) typed\r\n");
        j.Description_Mode = 1;
        j.Use_Type = Use_Kind::Private;
        j.Flush_Type = Flush_Kind::Quick_Flush;
        j.Flow_Basis = Flow_Kind::Continuous;
        j.Use_Pressure = true;
        j.Fixture_Count[0] = QStringLiteral("03");
        j.Fixture_Count[1] = QStringLiteral("2.50");
        j.Fixture_Count[2] = QStringLiteral("0");
        j.Fixture_Count[32] = QStringLiteral("7 chairs");
        j.Irrigation_Flow = QStringLiteral("12");
        j.NoteA_Flow = QStringLiteral("3.5");
        for (int i = 0; i < int(Pressure_Fields.size()); ++i)
            j.*(Pressure_Fields[i].Member) = i % 2 ? Loose_Value::Of_Number(i + 0.5) : Loose_Value(QString::number(i));
        j.No_Upsize = Loose_Value::Of_Number(1);
        j.Meter_Location = QStringLiteral("Outside");
        j.Fixture_Units_Text = QStringLiteral("28.");
        j.Design_Flow_Text = QStringLiteral("Oops gpm");
        j.Meter_Size_Text = QStringLiteral("Oops");
        j.Pressure_Fixture_Text = QStringLiteral("-3.3 psi");
        j.Pressure_Color = 255;

        const QByteArray bytes = Job_File_Bytes(s);
        QCOMPARE(bytes.count("\r\n"), 69 + 2); // 69 fields, two line breaks inside the note
        QVERIFY(!bytes.contains("\n\n"));

        Program_State back = Small_State();
        back.Flag_Save = 1;
        const Job_Read_Result read = Apply_Job_File(back, bytes);
        QVERIFY(read.Messages.isEmpty());
        const Sizing_Job &b = back.Job;
        QCOMPARE(b.Location, QStringLiteral("12 ''Main'' St, Unit 4")); // a quote comes back as two apostrophes
        QCOMPARE(b.Calculated_By, j.Calculated_By);
        QCOMPARE(b.Calc_Date, j.Calc_Date);
        QCOMPARE(b.Note, j.Note.replace(QStringLiteral("chr(34)"), QStringLiteral("\"")));
        QCOMPARE(b.Description_Mode, 1);
        QCOMPARE(b.Use_Type, Use_Kind::Private);
        QCOMPARE(b.Flush_Type, Flush_Kind::Quick_Flush);
        QCOMPARE(b.Flow_Basis, Flow_Kind::Continuous);
        QVERIFY(b.Use_Pressure);
        QCOMPARE(b.Fixture_Count[0], QStringLiteral("3"));
        QCOMPARE(b.Fixture_Count[1], QStringLiteral("2.5"));
        QCOMPARE(b.Fixture_Count[2], QString());
        QCOMPARE(b.Fixture_Count[32], QStringLiteral("7"));
        QCOMPARE(b.Irrigation_Flow, QStringLiteral("12"));
        QCOMPARE(b.NoteA_Flow, QStringLiteral("3.5"));
        for (int i = 0; i < int(Pressure_Fields.size()); ++i)
            QCOMPARE((b.*(Pressure_Fields[i].Member)).Text(), (j.*(Pressure_Fields[i].Member)).Text());
        QCOMPARE(b.No_Upsize.Number(), 1.0);
        QCOMPARE(b.Meter_Location, QStringLiteral("Outside"));
        QCOMPARE(b.Fixture_Units_Text, QStringLiteral("28."));
        QCOMPARE(b.Design_Flow_Text, QStringLiteral("Oops gpm"));
        QCOMPARE(b.Meter_Size_Text, QStringLiteral("Oops"));
        QCOMPARE(b.Pressure_Fixture_Text, QStringLiteral("-3.3 psi"));
        QCOMPARE(b.Pressure_Color, 255);
        QCOMPARE(back.File_Version, QStringLiteral("1.02.0808"));
        QCOMPARE(back.Flag_Save, 0);
        // What was read writes and reads back unchanged.
        const QByteArray again = Job_File_Bytes(back);
        Program_State third = Small_State();
        Apply_Job_File(third, again);
        QCOMPARE(Job_File_Bytes(third), again);
    }

    void Empty_Texts_Stay_In_Place()
    {
        // An empty loose value or result text must not vanish and shift the fields after it.
        Program_State s = Small_State();
        s.Job.No_Upsize = QString();
        s.Job.Meter_Size_Text.clear();
        s.Job.Meter_Location = QStringLiteral("Outside");
        s.Job.Note = QStringLiteral("kept");
        s.Job.Flow_Basis = Flow_Kind::Continuous;
        Program_State back = Small_State();
        Apply_Job_File(back, Job_File_Bytes(s));
        QCOMPARE(back.Job.Meter_Location, QStringLiteral("Outside"));
        QCOMPARE(back.Job.Flow_Basis, Flow_Kind::Continuous);
        QCOMPARE(back.Job.Note, QStringLiteral("kept"));
        QVERIFY(back.Job.No_Upsize.Text().isEmpty());
    }

    void Note_Encoding_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("note");
        QTest::newRow("marker") << "a chr(34)b" << "a \"b";
        QTest::newRow("upper case is text") << "CHR(34)" << "CHR(34)";
        QTest::newRow("partial") << "chr(34" << "chr(34";
        QTest::newRow("adjacent") << "chr(34)chr(34)" << "\"\"";
        QTest::newRow("line breaks") << "a\r\nb" << "a\r\nb";
    }
    void Note_Encoding()
    {
        QFETCH(QString, field);
        QFETCH(QString, note);
        QCOMPARE(Decode_Note(field), note);
    }

    void Oldest_Layout()
    {
        QStringList f = Head(QStringLiteral("1.02.0202"));
        f << "\"55\"" << "\"-4\"" << "\"1.5\"" << "\"40\"" << "\"120\"" << "\"8\"" << "\"1\"" << "\"60\""
          << "\"1.4\"" << "\"140\"" << "\"2\"" << "\"25\"" << "\"0\"" << "33.1 psi" << "0"
          << "\"old \"\"note\"";
        QCOMPARE(f.size(), 64);
        Program_State s = Small_State();
        s.Job.Meter_Location = QStringLiteral("Outside");
        s.Job.Flow_Basis = Flow_Kind::Continuous;
        s.Job.Dia_Service_2 = QStringLiteral("9");
        const Job_Read_Result r = Apply_Job_File(s, Lines(f));
        QCOMPARE(r.Messages, QStringList{Earlier_Version_Message});
        const Sizing_Job &j = s.Job;
        QCOMPARE(j.Calc_Date, QDate(2002, 3, 15));
        QCOMPARE(j.Use_Type, Use_Kind::Public);
        QCOMPARE(j.Flush_Type, Flush_Kind::Quick_Flush);
        QCOMPARE(j.Fixture_Count[0], QStringLiteral("2"));
        QCOMPARE(j.Fixture_Count[1], Note_A_Marker); // public Note A row after the grid refresh
        QCOMPARE(j.Fixture_Count[2], QStringLiteral("3"));
        QCOMPARE(j.Irrigation_Flow, QStringLiteral("12.5"));
        QCOMPARE(j.Pressure_Min_Main.Text(), QStringLiteral("55"));
        QCOMPARE(j.Elev_Main_Meter.Text(), QStringLiteral("-4"));
        QCOMPARE(j.Dia_Service_1.Text(), QStringLiteral("1.5"));
        QCOMPARE(j.Len_Main_CB.Text(), QStringLiteral("40"));
        QCOMPARE(j.C_Service_1.Text(), QStringLiteral("120"));
        QCOMPARE(j.Pressure_Fixture.Text(), QStringLiteral("25"));
        QVERIFY(j.Dia_Service_2.Is_Empty_Text() && j.Len_CB_Meter.Is_Empty_Text() && j.C_Service_2.Is_Empty_Text());
        QCOMPARE(j.Meter_Location, QStringLiteral("Outside")); // not in this layout: unchanged
        QCOMPARE(j.Flow_Basis, Flow_Kind::Maximum);
        QCOMPARE(j.Pressure_Fixture_Text, QStringLiteral("33.1 psi"));
        QCOMPARE(j.Note, QStringLiteral("old ")); // a raw quote ends the note field
    }

    void Middle_Layout()
    {
        QStringList f = Head(QStringLiteral("1.02.0627"));
        for (int i = 1; i <= 15; ++i)
            f << QStringLiteral("\"%1\"").arg(i);
        f << "\"255\"" << "2.0 psi" << "1" << "Outside" << "\"note chr(34)x\"";
        QCOMPARE(f.size(), 68);
        Program_State s = Small_State();
        s.Job.Flow_Basis = Flow_Kind::Continuous;
        const Job_Read_Result r = Apply_Job_File(s, Lines(f));
        QCOMPARE(r.Messages, QStringList{Earlier_Version_Message});
        for (int i = 0; i < 15; ++i)
            QCOMPARE((s.Job.*(Pressure_Fields[i].Member)).Text(), QString::number(i + 1));
        QCOMPARE(s.Job.Meter_Location, QStringLiteral("Outside"));
        QCOMPARE(s.Job.No_Upsize.Number(), 1.0);
        QCOMPARE(s.Job.Pressure_Color, 255);
        QCOMPARE(s.Job.Flow_Basis, Flow_Kind::Maximum);
        QCOMPARE(s.Job.Note, QStringLiteral("note \"x"));
    }

    void Current_Layout_Flow_Basis_data()
    {
        QTest::addColumn<QString>("field68");
        QTest::addColumn<int>("basis");
        QTest::newRow("False") << "False" << int(Flow_Kind::Continuous);
        QTest::newRow("true lower") << "true" << int(Flow_Kind::Maximum);
        QTest::newRow("number") << "0" << int(Flow_Kind::Continuous);
        QTest::newRow("unreadable keeps") << "maybe" << -1;
    }
    void Current_Layout_Flow_Basis()
    {
        QFETCH(QString, field68);
        QFETCH(int, basis);
        QStringList f = Head(QStringLiteral("1.02.0808"));
        for (int i = 1; i <= 15; ++i)
            f << "\"\"";
        f << "\"0\"" << "n/a" << " 0 " << "Inside" << field68 << "\"\"";
        QCOMPARE(f.size(), 69);
        for (const Flow_Kind before : {Flow_Kind::Maximum, Flow_Kind::Continuous}) {
            Program_State s = Small_State();
            s.Job.Flow_Basis = before;
            const Job_Read_Result r = Apply_Job_File(s, Lines(f));
            QVERIFY(r.Messages.isEmpty());
            QCOMPARE(int(s.Job.Flow_Basis), basis < 0 ? int(before) : basis);
        }
    }

    void Version_Between_Layouts_data()
    {
        QTest::addColumn<int>("fields");
        QTest::addColumn<QString>("second_lateral");
        QTest::newRow("64 fields: oldest layout") << 64 << "";
        QTest::newRow("68 fields: middle layout") << 68 << "4";
    }
    void Version_Between_Layouts()
    {
        QFETCH(int, fields);
        QFETCH(QString, second_lateral);
        QStringList f = Head(QStringLiteral("1.02.0400"));
        while (f.size() < fields)
            f << QStringLiteral("\"%1\"").arg(f.size() - 47);
        Program_State s = Small_State();
        const Job_Read_Result r = Apply_Job_File(s, Lines(f));
        QCOMPARE(r.Messages, QStringList{Earlier_Version_Message});
        QCOMPARE(s.Job.Dia_Service_2.Text(), second_lateral);
        QCOMPARE(s.Job.Pressure_Min_Main.Text(), QStringLiteral("1")); // applied whole either way
    }

    void Failed_Conversions_Keep_State()
    {
        QStringList f = Head(QStringLiteral("1.02.0808"));
        f[1] = QStringLiteral("\"31/31/2002\"");
        f[4] = QStringLiteral("many");
        f[5] = QStringLiteral("perhaps");
        f[6] = QStringLiteral("perhaps");
        f[47] = QStringLiteral("7");
        for (int i = 1; i <= 15; ++i)
            f << "\"\"";
        f << "\"red\"" << "n/a" << " 0 " << "Inside" << "True" << "\"\"";
        Program_State s = Small_State();
        s.Job.Description_Mode = 1;
        s.Job.Use_Pressure = true;
        s.Job.Pressure_Color = 255;
        s.Job.Use_Type = Use_Kind::Private;
        Apply_Job_File(s, Lines(f));
        QCOMPARE(s.Job.Calc_Date, QDate(2026, 12, 9));
        QCOMPARE(s.Job.Description_Mode, 1);
        QCOMPARE(s.Job.Use_Type, Use_Kind::Private);
        QVERIFY(s.Job.Use_Pressure);
        QCOMPARE(s.Job.Pressure_Color, 255);
        QCOMPARE(s.Job.Location, QStringLiteral("Elm St")); // the other items still applied
    }

    void More_Than_Seventy_Fields()
    {
        QStringList f = Head(QStringLiteral("1.02.0808"));
        for (int i = 1; i <= 15; ++i)
            f << "\"\"";
        f << "\"0\"" << "n/a" << " 0 " << "Inside" << "True" << "\"the note\"";
        for (int i = 0; i < 20; ++i)
            f << "\"extra\"";
        int present = 0;
        const QStringList fields = Job_File_Fields(Lines(f), &present);
        QCOMPARE(fields.size(), 70);
        QCOMPARE(present, 71);
        Program_State s = Small_State();
        QVERIFY(Apply_Job_File(s, Lines(f)).Messages.isEmpty());
        QCOMPARE(s.Job.Note, QStringLiteral("the note"));
    }

    void Field_Reading_Rules()
    {
        const QStringList f = Job_File_Fields("  \"a,b\" tail, next\r\n\t bare text ,\"multi\r\nline\"\n\n\nlast");
        QCOMPARE(f.mid(0, 5), (QStringList{"a,b", "next", "bare text", "multi\r\nline", "last"}));
        QCOMPARE(f[5], QString());
    }

    void Hostile_Files_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("text"); // read; otherwise refused, the job unchanged
        QByteArray binary(3000, 0);
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 97 + 13) % 256);
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("binary") << binary << false;
        QTest::newRow("byte undefined in the code page") << QByteArray("\"1.02.0808\"\r\n\"1/1/2020\"\r\n\"\x9d\"\r\n") << false;
        QTest::newRow("ten megabytes without line breaks") << QByteArray(10 * 1024 * 1024, 'x') << true;
        QTest::newRow("unterminated quote") << QByteArray("\"1.02.0808\"\r\n\"1/1/2020\"\r\n\"never closed\r\n") << true;
        QTest::newRow("only commas") << QByteArray(100000, ',') << true;
        QTest::newRow("only quotes") << QByteArray(100001, '"') << true;
    }
    void Hostile_Files()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, text);
        QTemporaryDir dir;
        const QString path = Write_File(dir, QStringLiteral("bad.qvl"), bytes);
        Program_State s = Small_State();
        s.Flag_Save = 1;
        QElapsedTimer clock;
        clock.start();
        const Job_Read_Result r = Read_Job_File(s, path);
        QVERIFY(clock.elapsed() < 2000 * Slowdown);
        QCOMPARE(r.Opened, text);
        if (!text) {
            QVERIFY(r.Error.contains(QStringLiteral("not a job file")));
            QCOMPARE(s.Flag_Save, 1);
            QCOMPARE(s.Job.Location, Small_State().Job.Location);
            return;
        }
        QCOMPARE(s.Flag_Save, 0);
        QVERIFY(Job_File_Bytes(s).size() < 4 * 1024 * 1024); // it can be written again
    }

    void Empty_File_Blanks_The_Job()
    {
        Program_State s = Small_State();
        s.Job.Location = QStringLiteral("old");
        s.Job.Fixture_Count[0] = QStringLiteral("4");
        s.Job.Flow_Basis = Flow_Kind::Continuous;
        s.Job.Note = QStringLiteral("old note");
        s.Job.Use_Pressure = true;
        const Job_Read_Result r = Apply_Job_File(s, QByteArray());
        QCOMPARE(r.Messages, QStringList{Earlier_Version_Message});
        QVERIFY(s.Job.Location.isEmpty());
        QVERIFY(s.Job.Fixture_Count[0].isEmpty());
        QVERIFY(s.Job.Note.isEmpty());
        QCOMPARE(s.Job.Flow_Basis, Flow_Kind::Maximum);
        QVERIFY(s.Job.Use_Pressure);                     // an empty text is no number: kept
        QCOMPARE(s.Job.Calc_Date, QDate(2026, 12, 9)); // no date: kept
    }

    void Missing_File_Changes_Nothing()
    {
        Program_State s = Small_State();
        s.Job.Location = QStringLiteral("kept");
        const Job_Read_Result r = Read_Job_File(s, QStringLiteral("/no/such/job.qvl"));
        QVERIFY(!r.Opened);
        QVERIFY(!r.Error.isEmpty());
        QCOMPARE(s.Job.Location, QStringLiteral("kept"));
    }

    // A file past the limit is refused unread; a pipe, whose size is not
    // known, is read to its end, over more than one piece.
    void Size_Limit_And_Pipes()
    {
        QTemporaryDir dir;
        QFile big(dir.filePath(QStringLiteral("big.qvl")));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(Max_Job_File_Bytes + 1));
        big.close();
        Program_State s = Small_State();
        s.Job.Location = QStringLiteral("kept");
        Job_Read_Result r = Read_Job_File(s, big.fileName());
        QVERIFY(!r.Opened);
        QVERIFY2(r.Error.contains(QStringLiteral("more than")), qPrintable(r.Error));
        QCOMPARE(s.Job.Location, QStringLiteral("kept"));

        Program_State source = Small_State();
        source.Job.Location = QStringLiteral("through a pipe");
        source.Job.Note = QString(200000, u'n');
        const QByteArray bytes = Job_File_Bytes(source);
        const QString fifo = dir.filePath(QStringLiteral("pipe.qvl"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        std::thread writer([&] {
            QFile w(fifo);
            if (w.open(QIODevice::WriteOnly))
                w.write(bytes);
        });
        r = Read_Job_File(s, fifo);
        writer.join();
        QVERIFY(r.Opened);
        QCOMPARE(s.Job.Location, source.Job.Location);
        QCOMPARE(s.Job.Note, source.Job.Note);
    }

    void Failed_Write_Keeps_The_Earlier_File()
    {
        QTemporaryDir dir;
        const QString path = Write_File(dir, QStringLiteral("job.qvl"), "earlier contents");
        Program_State s = Small_State();
        QString error;
        // A folder without write rights stops the write; an administrator is
        // not stopped by that, so the file is then made immutable instead.
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        bool written = Write_Job_File(s, path, &error);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        bool immutable = false;
        if (written) {
            Write_File(dir, QStringLiteral("job.qvl"), "earlier contents");
            immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
            if (!immutable)
                QSKIP("no way to make a write fail here (administrator without chattr)");
            written = Write_Job_File(s, path, &error);
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
        }
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("earlier contents"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("job.qvl")}); // no leftovers
        QVERIFY(!Write_Job_File(s, QStringLiteral("/no/such/folder/job.qvl")));
    }

    // The commands, driven through the scripted prompt.
    void Clean_Job_Asks_Nothing()
    {
        Program_State s = Small_State();
        Scripted_Prompt p;
        QVERIFY(Job_New(s, p));
        QVERIFY(!Job_Open(s, p)); // the dialog is cancelled
        QVERIFY(Job_Quit(s, p));
        QVERIFY(p.Questions.isEmpty());
        QCOMPARE(p.Dialogs.size(), 1);
    }

    void Cancel_Changes_Nothing()
    {
        Program_State s = Small_State();
        s.Job.Location = QStringLiteral("edited");
        s.Flag_Save = 1;
        Scripted_Prompt p;
        p.Answers = {Prompt::Answer::Cancel, Prompt::Answer::Cancel, Prompt::Answer::Cancel};
        QVERIFY(!Job_Open(s, p));
        QVERIFY(!Job_New(s, p));
        QVERIFY(!Job_Quit(s, p));
        QVERIFY(p.Dialogs.isEmpty());
        QCOMPARE(s.Job.Location, QStringLiteral("edited"));
        QCOMPARE(s.Flag_Save, 1);
        QCOMPARE(p.Questions.first(), QStringLiteral("ync|Would you like to save your changes?"));
    }

    void Yes_Then_Cancelled_Save_Still_Clears()
    {
        Program_State s = Small_State();
        s.Job.Location = QStringLiteral("edited");
        s.Flag_Save = 1;
        Scripted_Prompt p;
        p.Answers = {Prompt::Answer::Yes};
        p.Paths = {QString()}; // the save dialog is cancelled
        QVERIFY(Job_New(s, p));
        QVERIFY(s.Job.Location.isEmpty());
        QCOMPARE(s.Flag_Save, 0);
        QCOMPARE(p.Dialogs.size(), 1);
        QVERIFY(p.Dialogs.first().startsWith(QStringLiteral("save|")));
    }

    void Save_Always_Shows_The_Dialog()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("one.qvl"));
        Program_State s = Small_State();
        s.Current_Path = dir.path();
        s.Flag_Save = 1;
        Scripted_Prompt p;
        p.Paths = {path, path};
        bool saved = false;
        Job_Save(s, p, &saved);
        QVERIFY(saved);
        QCOMPARE(s.Flag_Save, 0);
        QCOMPARE(s.Current_Path, path);
        QCOMPARE(s.Job_File_Name, path);
        QCOMPARE(s.filename, dir.path()); // taken from Current_Path before the first dialog
        QVERIFY(p.Messages.contains(QStringLiteral("Saved")));
        Job_Save(s, p, &saved);
        QCOMPARE(p.Dialogs.size(), 2);
        QCOMPARE(p.Dialogs[1], QStringLiteral("save|%1|%2|%3|1").arg(dir.path(), path, Job_File_Filters));
        QCOMPARE(s.filename, dir.path()); // set once only

        // A write that fails: "Bad file name or path", still modified, and
        // still the job of the file it was saved in.
        s.Flag_Save = 1;
        p.Paths = {QStringLiteral("/no/such/folder/x.qvl")};
        Job_Save(s, p, &saved);
        QVERIFY(!saved);
        QVERIFY(p.Messages.last().startsWith(QStringLiteral("Bad file name or path")));
        QCOMPARE(s.Flag_Save, 1);
        QCOMPARE(s.Job_File_Name, path);
        QCOMPARE(s.Current_Path, path);
    }

    // Every writer of a user file against real faults: the earlier bytes
    // stay, the message names the system's reason, the job stays modified,
    // no staging file is left behind. A folder that refuses new files still
    // takes the file, written in place.
    void Write_Failures_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("writer");
        for (const Fault f : {Fault::Full_Disk, Fault::Read_Only_File, Fault::Folder_Refuses_New, Fault::Folder_Refuses_Full})
            for (const char *w : {"job save", "report", "license", "version", "helper"}) {
                // The documents are smaller than the page the earlier file
                // holds: written in place they fit, and rightly succeed.
                if (f == Fault::Folder_Refuses_Full && (w[0] == 'l' || w[0] == 'v'))
                    continue;
                QTest::addRow("%s, %s", Fault_Name(f), w) << int(f) << QString::fromLatin1(w);
            }
    }
    void Write_Failures()
    {
        QFETCH(int, fault);
        QFETCH(QString, writer);
        Fault_Folder folder{Fault(fault)};
        if (!folder.Skip_Reason.isEmpty())
            QSKIP(qPrintable(folder.Skip_Reason));
        const QString name = writer == u"job save"  ? QStringLiteral("job.qvl")
                             : writer == u"report"  ? Report_File_Name
                             : writer == u"license" ? QStringLiteral("License.txt")
                             : writer == u"version" ? QStringLiteral("Version.txt")
                                                    : QStringLiteral("any.txt");
        const QByteArray earlier("the earlier content\r\n");
        QVERIFY(folder.Place(name, earlier));
        if (!folder.Arm(name)) {
            if (!folder.Skip_Reason.isEmpty())
                QSKIP(qPrintable(folder.Skip_Reason));
            QFAIL("the fault could not be made");
        }

        Program_State s = Small_State();
        Set_Program_Paths(s, folder.Folder());
        // More than the page the earlier file holds on the tmpfs, so that
        // writing in place needs new space as well.
        s.Job.Note = QString(3000, u'n') + QStringLiteral("\r\n") + QString(3000, u'm');
        s.Flag_Save = 1;
        Scripted_Prompt p;
        QString reported; // the message or error text the writer gave
        QByteArray expected;
        bool ok = false;
        if (writer == u"job save") {
            p.Paths = {folder.Path(name)};
            Job_Save(s, p, &ok);
            reported = p.Messages.isEmpty() ? QString() : p.Messages.last();
            expected = Job_File_Bytes(s);
        } else if (writer == u"report") {
            // A program folder that takes no new file is read-only to the
            // program: the report goes to the user's data folder instead.
            if (fault == int(Fault::Folder_Refuses_New) || fault == int(Fault::Folder_Refuses_Full)) {
                QTemporaryDir data_home;
                qputenv("XDG_DATA_HOME", QFile::encodeName(data_home.path()));
                Set_Program_Paths(s, folder.Folder());
                qunsetenv("XDG_DATA_HOME");
                QStringList launched;
                QVERIFY(Print_Preview(s, p, [&launched](const QString &c, int) { launched << c; }));
                folder.Disarm();
                QCOMPARE(folder.Read(name), earlier);
                QVERIFY(Report_Path(s).startsWith(data_home.path() + u'/'));
                QCOMPARE(launched.size(), 1);
                QVERIFY(launched[0].contains(Report_Path(s)));
                QVERIFY(QFileInfo(Report_Path(s)).size() > 6000);
                return;
            }
            QStringList launched;
            ok = Print_Preview(s, p, [&launched](const QString &c, int) { launched << c; });
            reported = p.Messages.isEmpty() ? QString() : p.Messages.last();
            QCOMPARE(launched.isEmpty(), !ok);
            Program_State again = Small_State();
            again.Job.Note = s.Job.Note;
            expected = Encode_1252(Report_Text(again));
        } else if (writer == u"license") {
            ok = Write_License(folder.Folder(), &reported);
            expected = Encode_1252(License_Text());
        } else if (writer == u"version") {
            ok = Write_Version_Information(folder.Folder(), &reported);
            expected = Encode_1252(Version_Text());
        } else {
            expected = QByteArray(9000, 'z');
            ok = Write_User_File(folder.Path(name), expected, &reported);
        }
        folder.Disarm();

        if (folder.Write_Succeeds()) {
            QVERIFY2(ok, qPrintable(reported));
            QCOMPARE(folder.Read(name).size(), expected.size());
            if (writer != u"report") // the report carries the day's date and time
                QCOMPARE(folder.Read(name), expected);
            if (writer == u"job save") {
                QCOMPARE(s.Flag_Save, 0);
                QCOMPARE(p.Messages.last(), QStringLiteral("Saved"));
            }
        } else {
            QVERIFY(!ok);
            QCOMPARE(folder.Read(name), earlier);
            QVERIFY2(reported.contains(folder.Reason()), qPrintable(reported + QStringLiteral(" / ") + folder.Reason()));
            if (writer == u"job save") {
                QVERIFY(reported.startsWith(QStringLiteral("Bad file name or path")));
                QCOMPARE(s.Flag_Save, 1);
            }
        }
        QCOMPARE(folder.Strays(name), QStringList());
    }

    // What a job file cannot hold is said before saving, never written as
    // "?"; a job whose file the reader would cut is refused.
    void Save_Refuses_What_Would_Not_Come_Back()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("job.qvl"));
        Program_State s = Small_State();
        s.Job.Note = QStringLiteral("pressure \u2265 20 psi, \u03c0 r\u00b2, \U0001F6B0");
        s.Flag_Save = 1;
        Scripted_Prompt p;
        p.Paths = {path};
        bool saved = true;
        Job_Save(s, p, &saved);
        QVERIFY(!saved);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(s.Flag_Save, 1);
        // Said before the save dialog, naming the field.
        QCOMPARE(p.Dialogs.size(), 0);
        QCOMPARE(p.Paths.size(), 1);
        p.Paths.clear();
        QVERIFY(p.Messages.last().contains(QStringLiteral("Calculation Note: \"\u2265\" (U+2265), \"\u03c0\" (U+03C0)")));
        QVERIFY(p.Messages.last().contains(QStringLiteral("(U+1F6B0)")));

        // The largest job file the writer takes is read back whole; one
        // character more is refused with the reason.
        s.Job.Note.clear();
        const qint64 room = Max_Job_File_Bytes - Job_File_Bytes(s).size();
        s.Job.Note = QString(room - 2, u'x') + QStringLiteral("\r\n") + u'y' + u'\u00a0';
        s.Job.Note.chop(2);
        QCOMPARE(Job_File_Bytes(s).size(), Max_Job_File_Bytes);
        p.Paths = {path};
        Job_Save(s, p, &saved);
        QVERIFY(saved);
        Program_State back = Small_State();
        QVERIFY(Read_Job_File(back, path).Opened);
        QCOMPARE(back.Job.Note.size(), s.Job.Note.size());
        QVERIFY(back.Job.Note == s.Job.Note);

        const QByteArray before = Job_File_Bytes(s);
        s.Job.Note += u'z';
        s.Flag_Save = 1;
        p.Paths = {path};
        Job_Save(s, p, &saved);
        QVERIFY(!saved);
        QCOMPARE(s.Flag_Save, 1);
        QVERIFY(p.Messages.last().contains(QStringLiteral("shorten the note")));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == before);
    }

    // The note keeps every character of the code page: non-breaking
    // spaces, tabs, CR LF, quotes and every other Windows-1252 character
    // (the five bytes it leaves undefined are no characters).
    void Note_Round_Trip_Keeps_Every_Character()
    {
        QString every;
        for (int b = 1; b < 256; ++b)
            if (!QByteArray("\x81\x8d\x8f\x90\x9d").contains(char(b)))
                every += Decode_1252(QByteArray(1, char(b)));
        const QString note = QStringLiteral("a\u00a0b\tc\r\n\"quoted\"\u00a0\r\n") + every + QStringLiteral("\r\nend");
        QVERIFY(Unencodable_1252(note).isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("note.qvl"));
        Program_State s = Small_State();
        s.Job.Note = note;
        QString error;
        QVERIFY2(Write_Job_File(s, path, &error), qPrintable(error));
        Program_State back = Small_State();
        QVERIFY(Read_Job_File(back, path).Opened);
        QCOMPARE(back.Job.Note, note);
        QCOMPARE(back.Job.Location, s.Job.Location);
    }

    void Open_From_The_Command_Line()
    {
        QTemporaryDir dir;
        Program_State written = Small_State();
        written.Job.Location = QStringLiteral("From file");
        const QString path = dir.filePath(QStringLiteral("job.qvl"));
        QVERIFY(Write_Job_File(written, path));

        Program_State s = Small_State();
        s.Current_Path = QStringLiteral("/start/here");
        s.Load_Command = path;
        Scripted_Prompt p;
        QVERIFY(Job_Open(s, p));
        QVERIFY(p.Dialogs.isEmpty());
        QCOMPARE(s.Job.Location, QStringLiteral("From file"));
        QCOMPARE(s.Job_File_Name, path);
        QCOMPARE(s.Current_Path, QStringLiteral("/start/here"));
        QVERIFY(s.Load_Command.isEmpty());
        // The next Open shows the dialog, starting at the job's name.
        Job_Open(s, p);
        QCOMPARE(p.Dialogs.size(), 1);
        QVERIFY(p.Dialogs.first().startsWith(QStringLiteral("open|/start/here|") + path));

        // A job file that cannot be opened says so and leaves the job.
        s.Load_Command = dir.filePath(QStringLiteral("gone.qvl"));
        QVERIFY(!Job_Open(s, p));
        QVERIFY(p.Messages.last().contains(QStringLiteral("gone.qvl")));
        QCOMPARE(s.Job.Location, QStringLiteral("From file"));
    }

    void Window_Close_Offers_Yes_And_No()
    {
        Program_State s = Small_State();
        s.Flag_Save = 1;
        Scripted_Prompt p;
        p.Answers = {Prompt::Answer::No};
        Job_Window_Close(s, p);
        QCOMPARE(p.Questions, QStringList{QStringLiteral("yn|Would you like to save your changes?")});
        QVERIFY(p.Dialogs.isEmpty());
        p.Answers = {Prompt::Answer::Yes};
        Job_Window_Close(s, p);
        QCOMPARE(p.Dialogs.size(), 1);
    }

    void Version_Numbers_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<double>("number");
        QTest::newRow("current") << "1.02.0808" << 1020808.0;
        QTest::newRow("older") << "1.02.0627" << 1020627.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("short") << "1.0" << 101.0; // "1", "0" and "1.0" joined
    }
    void Version_Numbers()
    {
        QFETCH(QString, version);
        QFETCH(double, number);
        QCOMPARE(Version_Number(version), number);
    }
};

QTEST_GUILESS_MAIN(Test_Documents)
#include "tst_documents.moc"
