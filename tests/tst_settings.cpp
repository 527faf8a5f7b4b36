#include "settings_store.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class Recording_Prompt : public Prompt {
public:
    QStringList Messages;
    void Show_Message(const QString &text) override { Messages << text; }
    Answer Ask_Yes_No(const QString &) override { return Answer::No; }
    Answer Ask_Yes_No_Cancel(const QString &) override { return Answer::Cancel; }
    QString Choose_Open_File(const QString &, const QString &, const QString &, int) override { return {}; }
    QString Choose_Save_File(const QString &, const QString &, const QString &, int) override { return {}; }
};

// The factory texts of the 24 keys, in order, as the reset writes them.
const QStringList Factory_Texts = {
    "1.02.0808", "True", "False", "True", "False", "True", "False", "Notepad.exe", "",
    "http://update.quorvel.example/programs/Quorvel/Update/", "False", "Inside", "True", "", "", "130", "", "130",
    "1.5", "", "20", "False", "", "AWWA-Standard.mtr"};

QStringList Stored_Texts(const QString &file)
{
    QSettings raw(file, QSettings::IniFormat);
    QStringList texts;
    for (const QString &key : Settings_Keys)
        texts << raw.value(QStringLiteral("Config/") + key).toString();
    return texts;
}

} // namespace

class Test_Settings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int counter_ = 0;
    QString Fresh_File() { return dir_.filePath(QStringLiteral("store-%1.ini").arg(++counter_)); }

private slots:
    void First_Start_Resets_Once()
    {
        const QString file = Fresh_File();
        Settings_Store store(file);
        Recording_Prompt prompt;
        const Settings_Fields s = Startup_Load(store, prompt);
        QCOMPARE(prompt.Messages, QStringList{Reset_Message});
        QVERIFY(prompt.Messages.first().contains(QStringLiteral("updated.  Please")));
        QCOMPARE(Stored_Texts(file), Factory_Texts);
        QVERIFY(s.OkINI && s.Large_Buttons && s.Fixture && !s.Sound1);
        QCOMPARE(s.Default_C_Service.Number(), 130.0);
        QCOMPARE(s.Set_Meter_Table, QStringLiteral("AWWA-Standard.mtr"));

        // A second start: no message, and the file is not rewritten.
        const QDateTime written = QFileInfo(file).lastModified();
        QTest::qWait(20);
        Settings_Store again(file);
        Recording_Prompt second;
        const Settings_Fields t = Startup_Load(again, second);
        QVERIFY(second.Messages.isEmpty());
        QCOMPARE(QFileInfo(file).lastModified(), written);
        QCOMPARE(t.Default_C_Service.Text(), QStringLiteral("130")); // now the stored text
        QCOMPARE(t.ServerName, Factory_Texts[9]);
    }

    void Reset_Rule_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("ok");
        QTest::addColumn<bool>("message");
        QTest::addColumn<bool>("reset");
        QTest::newRow("another version") << "1.02.0627" << "True" << true << true;
        QTest::newRow("version in other case") << "1.02.0808 " << "True" << true << true;
        QTest::newRow("OkINI missing") << "1.02.0808" << "" << false << true;
        QTest::newRow("OkINI False") << "1.02.0808" << "False" << false << true;
        QTest::newRow("OkINI odd") << "1.02.0808" << "yes" << false << true;
        QTest::newRow("complete") << "1.02.0808" << "True" << false << false;
        QTest::newRow("OkINI as number") << "1.02.0808" << "-1" << false << false;
    }
    void Reset_Rule()
    {
        QFETCH(QString, version);
        QFETCH(QString, ok);
        QFETCH(bool, message);
        QFETCH(bool, reset);
        const QString file = Fresh_File();
        {
            Settings_Store store(file);
            store.Write(QStringLiteral("Version"), version);
            if (!ok.isEmpty())
                store.Write(QStringLiteral("OkINI"), ok);
            store.Write(QStringLiteral("Set Meter Table"), QStringLiteral("Mine.mtr"));
            store.Write(QStringLiteral("Editor"), QStringLiteral("gedit"));
            store.Flush();
        }
        Settings_Store store(file);
        Recording_Prompt prompt;
        const Settings_Fields s = Startup_Load(store, prompt);
        QCOMPARE(prompt.Messages.size(), message ? 1 : 0);
        QCOMPARE(s.Set_Meter_Table, reset ? QStringLiteral("AWWA-Standard.mtr") : QStringLiteral("Mine.mtr"));
        QCOMPARE(Stored_Texts(file)[23], s.Set_Meter_Table);
        QCOMPARE(Stored_Texts(file)[0], reset ? QStringLiteral("1.02.0808") : version);
        Settings_Fields read_only;
        QCOMPARE(Load_Complete_Configuration(Settings_Store(file), read_only), true); // complete after the load
    }

    void Boolean_Texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("prior");
        QTest::addColumn<bool>("value");
        QTest::newRow("True") << "True" << false << true;
        QTest::newRow("upper") << "TRUE" << false << true;
        QTest::newRow("false lower") << "false" << true << false;
        QTest::newRow("minus one") << "-1" << false << true;
        QTest::newRow("zero") << "0" << true << false;
        QTest::newRow("yes keeps") << "yes" << false << false;
        QTest::newRow("no keeps") << "no" << true << true;
        QTest::newRow("maybe keeps") << "maybe" << false << false;
        QTest::newRow("empty keeps") << "" << true << true;
    }
    void Boolean_Texts()
    {
        QFETCH(QString, text);
        QFETCH(bool, prior);
        QFETCH(bool, value);
        QCOMPARE(Settings_Boolean(text, prior), value);
    }

    void Odd_Boolean_Does_Not_Reset()
    {
        const QString file = Fresh_File();
        Settings_Store store(file);
        Recording_Prompt prompt;
        Startup_Load(store, prompt);
        store.Write(QStringLiteral("Large Buttons"), QStringLiteral("sometimes"));
        store.Write(QStringLiteral("Default C Factor Service"), QStringLiteral("0"));
        store.Flush();
        Settings_Store again(file);
        Recording_Prompt second;
        const Settings_Fields s = Startup_Load(again, second);
        QVERIFY(second.Messages.isEmpty());
        QVERIFY(!s.Large_Buttons);
        QCOMPARE(s.Default_C_Service.Text(), QStringLiteral("0"));
    }

    void Exact_Texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("comma") << "C:\\Tools\\ed.exe, second";
        QTest::newRow("backslashes") << "\\\\server\\share\\update\\";
        QTest::newRow("semicolon") << "a;b ; c";
        QTest::newRow("quotes") << "\"quoted\" text";
        QTest::newRow("blanks around") << "  padded  ";
        QTest::newRow("non ascii") << QString::fromUtf8("Jos\u00e9 M\u00fcller \u20ac");
        QTest::newRow("at sign") << "@Variant(x)";
        QTest::newRow("equals and brackets") << "[x]=y";
    }
    void Exact_Texts()
    {
        QFETCH(QString, text);
        const QString file = Fresh_File();
        {
            Settings_Store store(file);
            store.Write(QStringLiteral("Default Name"), text);
            QVERIFY(store.Flush());
        }
        QCOMPARE(Settings_Store(file).Read(QStringLiteral("Default Name")), text);
        QCOMPARE(Settings_Store(file).Read(QStringLiteral("Never Written")), QString());
    }

    void Options_Save_Texts()
    {
        Settings_Fields s = Settings_Fields::Factory();
        s.Sound1 = true;
        s.Default_Calc_Flow = Loose_Value::Of_Boolean(false);
        s.Default_Pressure_Min_Main = Loose_Value::Of_Number(0);
        s.Default_Len_Factor = Loose_Value::Of_Number(1.25);
        s.Default_No_Upsize = QStringLiteral("True");
        s.Default_Meter_Location = QStringLiteral("Outside");
        const QString file = Fresh_File();
        Settings_Store store(file);
        Write_Settings(store, s);
        const QStringList texts = Stored_Texts(file);
        QCOMPARE(texts[2], QStringLiteral("True"));
        QCOMPARE(texts[11], QStringLiteral("Outside"));
        QCOMPARE(texts[12], QStringLiteral("False"));
        QCOMPARE(texts[13], QStringLiteral("0"));
        QCOMPARE(texts[18], QStringLiteral("1.25"));
        QCOMPARE(texts[21], QStringLiteral("True"));
    }

    void Read_Only_Load_Never_Writes()
    {
        const QString file = Fresh_File();
        Settings_Fields s;
        QVERIFY(!Load_Complete_Configuration(Settings_Store(file), s));
        QVERIFY(!QFile::exists(file));
    }

    void Applied_To_A_Fresh_Job()
    {
        Settings_Fields s = Settings_Fields::Factory();
        s.Default_Path = QStringLiteral("/jobs");
        s.Default_DefaultName = QStringLiteral("Designer");
        Program_State state;
        Apply_Startup_Settings(state, s, QDate(2026, 12, 9));
        QCOMPARE(state.Current_Path, QStringLiteral("/jobs"));
        QCOMPARE(state.Job.Calculated_By, QStringLiteral("Designer"));
        QCOMPARE(state.Job.Calc_Date, QDate(2026, 12, 9));
        QCOMPARE(state.Settings.Default_Path, QStringLiteral("/jobs"));
    }
};

QTEST_GUILESS_MAIN(Test_Settings)
#include "tst_settings.moc"
