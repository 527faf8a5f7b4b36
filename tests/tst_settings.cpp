#include "fault_folder.h"
#include "settings_store.h"

#include <QDir>
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

const QString Message = QStringLiteral(
    "Your startup options have been reset to default, either because the configuration was missing or because the "
    "program has been updated.  Please check the settings under 'Options'.");

// The keys in order, what the reset writes, and a user's own complete
// configuration in which every text differs from the factory one.
struct Key_Row {
    const char *Key, *Factory, *User;
};
const Key_Row Keys[24] = {
    {"Version", "1.02.0808", "1.02.0808"},
    {"OkINI", "True", "True"},
    {"Use Sound", "False", "True"},
    {"Large Buttons", "True", "False"},
    {"Use Code", "False", "True"},
    {"Use Private Fixture", "True", "False"},
    {"Use Quick Flush Fixture", "False", "True"},
    {"Editor", "Notepad.exe", "gedit"},
    {"Default Name", "", "Pat Lee"},
    {"Server Name", "http://update.quorvel.example/programs/Quorvel/Update/", "//nas/share/update/"},
    {"Default Use Pressure", "False", "True"},
    {"Default Meter Location", "Inside", "Outside"},
    {"Default Calc Flow", "True", "False"},
    {"Default Min Main Pressure", "", "55"},
    {"Default Service Diameter", "", "1.049"},
    {"Default C Factor Service", "130", "120"},
    {"Default Plumbing Diameter", "", "0.824"},
    {"Default C Factor Plumbing", "130", "140"},
    {"Default Length Factor", "1.5", "1.25"},
    {"Default Treatment Pressure Loss", "", "15"},
    {"Default Fixture Pressure Required", "20", "8"},
    {"Default No Upsizing", "False", "True"},
    {"Default Path", "", "/home/pat/jobs"},
    {"Set Meter Table", "AWWA-Standard.mtr", "Mine.mtr"},
};

QStringList Column(const char *Key_Row::*column)
{
    QStringList texts;
    for (const Key_Row &row : Keys)
        texts << QString::fromUtf8(row.*column);
    return texts;
}

// The in-memory fields as texts, in key order.
QStringList Memory_Texts(const Settings_Fields &s)
{
    const auto b = [](bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); };
    return {s.INIVersion, b(s.OkINI), b(s.Sound1), b(s.Large_Buttons), b(s.Code), b(s.Fixture), b(s.Flush),
            s.Editor, s.Default_DefaultName, s.ServerName, b(s.Default_Use_Pressure), s.Default_Meter_Location,
            s.Default_Calc_Flow.Text(), s.Default_Pressure_Min_Main.Text(), s.Default_Dia_Service.Text(),
            s.Default_C_Service.Text(), s.Default_Dia_Plumbing.Text(), s.Default_C_Plumbing.Text(),
            s.Default_Len_Factor.Text(), s.Default_Pressure_Treatment.Text(), s.Default_Pressure_Fixture.Text(),
            s.Default_No_Upsize.Text(), s.Default_Path, s.Set_Meter_Table};
}

QByteArray Bytes_Of(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The 24 texts as a fresh QSettings finds them on disk: read from a copy,
// so that nothing this process holds in memory can answer.
QStringList Texts_On_Disk(const QString &file)
{
    static int copies = 0;
    const QString copy = file + QStringLiteral(".copy%1.ini").arg(++copies);
    QFile::copy(file, copy);
    QSettings raw(copy, QSettings::IniFormat);
    QStringList texts;
    for (const Key_Row &row : Keys)
        texts << raw.value(QStringLiteral("Config/") + QString::fromUtf8(row.Key)).toString();
    return texts;
}

// An INI file as a user would type it: keys with plain blanks, values in
// quotes; a null text leaves the key out.
void Write_By_Hand(const QString &file, const QStringList &texts)
{
    QByteArray ini = "[Config]\n";
    for (int i = 0; i < texts.size(); ++i)
        if (!texts[i].isNull())
            ini += QByteArray(Keys[i].Key) + "=\"" + texts[i].toUtf8() + "\"\n";
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
}

void Age(const QString &file)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(12, 0)), QFileDevice::FileModificationTime));
}

int Key_Index(const QString &key)
{
    for (int i = 0; i < 24; ++i)
        if (key == QLatin1String(Keys[i].Key))
            return i;
    return -1;
}

} // namespace

Q_DECLARE_METATYPE(Loose_Value)

class Test_Settings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    int counter_ = 0;
    QString Fresh_File() { return dir_.filePath(QStringLiteral("store-%1.ini").arg(++counter_)); }

private slots:
    void initTestCase()
    {
        // Before anything asks QSettings for the per-user folder.
        QVERIFY(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    void Keys_In_Order() { QCOMPARE(Settings_Keys, Column(&Key_Row::Key)); }

    void First_And_Second_Start()
    {
        const QString file = dir_.filePath(QStringLiteral("config/Quorvel/Quorvel.ini"));
        QCOMPARE(Settings_Store::Default_Location(), file);
        QVERIFY(!QFile::exists(file));

        Recording_Prompt first;
        Settings_Store store;
        const Settings_Fields s = Startup_Load(store, first);
        QCOMPARE(first.Messages, QStringList{Message});
        QCOMPARE(Texts_On_Disk(file), Column(&Key_Row::Factory));
        QCOMPARE(Memory_Texts(s), Column(&Key_Row::Factory));
        QCOMPARE(s.Default_C_Service, Loose_Value::Of_Number(130));
        QCOMPARE(s.Default_Calc_Flow, Loose_Value::Of_Boolean(true));

        Age(file);
        const QDateTime aged = QFileInfo(file).lastModified();
        const QByteArray bytes = Bytes_Of(file);
        Recording_Prompt second;
        Settings_Store again;
        const Settings_Fields t = Startup_Load(again, second);
        again.Flush();
        QCOMPARE(second.Messages, QStringList());
        QCOMPARE(QFileInfo(file).lastModified(), aged);
        QCOMPARE(Bytes_Of(file), bytes);
        QCOMPARE(Memory_Texts(t), Column(&Key_Row::Factory));
        QVERIFY(t.Default_C_Service.Is_Text()); // the stored text, as read
    }

    void Reset_Rule_data()
    {
        QTest::addColumn<QString>("version"); // null: no such key
        QTest::addColumn<QString>("ok");
        QTest::addColumn<bool>("message");
        QTest::addColumn<bool>("reset");
        const QString none;
        QTest::newRow("no version") << none << "True" << true << true;
        QTest::newRow("another version") << "1.02.0627" << "True" << true << true;
        QTest::newRow("version with a blank") << "1.02.0808 " << "True" << true << true;
        QTest::newRow("another version, no OkINI") << "1.01.0101" << none << true << true;
        QTest::newRow("OkINI missing") << "1.02.0808" << none << false << true;
        QTest::newRow("OkINI False") << "1.02.0808" << "False" << false << true;
        QTest::newRow("OkINI zero") << "1.02.0808" << "0" << false << true;
        QTest::newRow("OkINI yes") << "1.02.0808" << "yes" << false << true;
        QTest::newRow("OkINI minus one") << "1.02.0808" << "-1" << false << false;
        QTest::newRow("complete") << "1.02.0808" << "True" << false << false;
    }
    void Reset_Rule()
    {
        QFETCH(QString, version);
        QFETCH(QString, ok);
        QFETCH(bool, message);
        QFETCH(bool, reset);
        const QString file = Fresh_File();
        QStringList texts = Column(&Key_Row::User);
        texts[0] = version;
        texts[1] = ok;
        Write_By_Hand(file, texts);
        const QByteArray bytes = Bytes_Of(file);

        Recording_Prompt prompt;
        Settings_Store store(file);
        const Settings_Fields s = Startup_Load(store, prompt);
        QCOMPARE(prompt.Messages, message ? QStringList{Message} : QStringList());
        if (reset) {
            QCOMPARE(Memory_Texts(s), Column(&Key_Row::Factory));
            QCOMPARE(Texts_On_Disk(file), Column(&Key_Row::Factory));
        } else {
            QCOMPARE(Memory_Texts(s).mid(2), Column(&Key_Row::User).mid(2));
            QCOMPARE(Bytes_Of(file), bytes);
        }
    }

    void Boolean_Keys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("value");
        QTest::newRow("True") << "True" << true;
        QTest::newRow("TRUE") << "TRUE" << true;
        QTest::newRow("false") << "false" << false;
        QTest::newRow("yes") << "yes" << false;
        QTest::newRow("no") << "no" << false;
        QTest::newRow("maybe") << "maybe" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("minus one") << "-1" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("fraction") << "0.5" << true;
    }
    void Boolean_Keys()
    {
        // Every Boolean key but OkINI holds the text; an odd text reads as
        // false and does not reset anything.
        QFETCH(QString, text);
        QFETCH(bool, value);
        const QString file = Fresh_File();
        QStringList texts = Column(&Key_Row::User);
        for (int i : {2, 3, 4, 5, 6, 10})
            texts[i] = text;
        Write_By_Hand(file, texts);
        Recording_Prompt prompt;
        Settings_Store store(file);
        const Settings_Fields s = Startup_Load(store, prompt);
        QVERIFY(prompt.Messages.isEmpty());
        QCOMPARE(s.Set_Meter_Table, QStringLiteral("Mine.mtr"));
        for (bool field : {s.Sound1, s.Large_Buttons, s.Code, s.Fixture, s.Flush, s.Default_Use_Pressure})
            QCOMPARE(field, value);
    }

    void Boolean_Key_Mapping_data()
    {
        QTest::addColumn<QString>("key");
        for (const char *key : {"Use Sound", "Large Buttons", "Use Code", "Use Private Fixture",
                                "Use Quick Flush Fixture", "Default Use Pressure"})
            QTest::newRow(key) << key;
    }
    void Boolean_Key_Mapping()
    {
        // One Boolean key true, the others false: read into its own field
        // and written back under its own key.
        QFETCH(QString, key);
        const int index = Key_Index(key);
        QStringList expected = Column(&Key_Row::User);
        for (int i : {2, 3, 4, 5, 6, 10})
            expected[i] = i == index ? QStringLiteral("True") : QStringLiteral("False");
        const QString file = Fresh_File();
        Write_By_Hand(file, expected);
        const Settings_Fields s = Read_Settings(Settings_Store(file));
        QCOMPARE(Memory_Texts(s), expected);

        const QString saved = Fresh_File();
        Settings_Store store(saved);
        Write_Settings(store, s);
        QCOMPARE(Texts_On_Disk(saved), expected);
    }

    void Text_Keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text"); // null: no such key
        QTest::newRow("C factor zero") << "Default C Factor Service" << "0";
        QTest::newRow("C factor empty") << "Default C Factor Service" << "";
        QTest::newRow("C factor missing") << "Default C Factor Service" << QString();
        QTest::newRow("C factor with comma") << "Default C Factor Service" << "1,5";
        QTest::newRow("calc flow yes") << "Default Calc Flow" << "yes";
        QTest::newRow("no upsizing one") << "Default No Upsizing" << "1";
        QTest::newRow("location lower") << "Default Meter Location" << "outside";
        QTest::newRow("editor empty") << "Editor" << "";
    }
    void Text_Keys()
    {
        // Keys that are not Boolean keep the text read, odd or empty, and
        // never cause a reset.
        QFETCH(QString, key);
        QFETCH(QString, text);
        const int index = Key_Index(key);
        QStringList texts = Column(&Key_Row::User);
        texts[index] = text;
        const QString file = Fresh_File();
        Write_By_Hand(file, texts);
        Recording_Prompt prompt;
        Settings_Store store(file);
        const Settings_Fields s = Startup_Load(store, prompt);
        QVERIFY(prompt.Messages.isEmpty());
        texts[index] = text.isNull() ? QStringLiteral("") : text;
        QCOMPARE(Memory_Texts(s), texts);
        QVERIFY(s.Default_C_Service.Is_Text());
    }

    void Exact_Texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("comma") << "C:\\Tools\\ed.exe, second";
        QTest::newRow("bare comma") << "a,b";
        QTest::newRow("lone comma") << ",";
        QTest::newRow("backslashes") << "\\\\server\\share\\update\\";
        QTest::newRow("semicolon") << "a;b ; c";
        QTest::newRow("hash") << "#1 designer";
        QTest::newRow("quotes") << "\"quoted\" text \"";
        QTest::newRow("blanks around") << "  padded  ";
        QTest::newRow("only blanks") << "   ";
        QTest::newRow("non ascii") << QString::fromUtf8("Jos\u00e9 M\u00fcller \u20ac \u2018q'");
        QTest::newRow("at sign") << "@Variant(x)";
        QTest::newRow("equals and brackets") << "[Config]=y";
        QTest::newRow("tab and line feed") << "a\tb\nc\r\n";
        QTest::newRow("boolean name") << "true";
        QTest::newRow("long") << QString(5000, u'x') + u',';
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
        const QString copy = file + QStringLiteral(".read.ini"); // read from disk, not from memory
        QVERIFY(QFile::copy(file, copy));
        const Settings_Store store(copy);
        QCOMPARE(store.Read(QStringLiteral("Default Name")), text);
        QCOMPARE(store.Read(QStringLiteral("Never Written")), QString());
    }

    void Hand_Edited_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("text");
        QTest::newRow("bare comma") << QByteArray("Default Name=Lee, Pat") << "Lee, Pat";
        QTest::newRow("encoded key") << QByteArray("Default%20Name=Pat") << "Pat";
        QTest::newRow("comment") << QByteArray("Default Name=Pat ; the designer") << "Pat";
        QTest::newRow("rectangle") << QByteArray("Default Name=@Rect(0 0 1 1)") << "";
        QTest::newRow("invalid") << QByteArray("Default Name=@Invalid()") << "";
        QTest::newRow("half a UTF-16 pair") << QByteArray("Default Name=Pat\\xdefa") << QStringLiteral("Pat\ufffd");
        QTest::newRow("list claiming a huge length")
            << QByteArray("Default Name=@Variant(\\0\\0\\0\\v7f\\0\\0\\0-\\x10)") << "";
    }
    void Hand_Edited()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, text);
        const QString file = Fresh_File();
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Config]\n" + line + "\n");
        f.close();
        QCOMPARE(Settings_Store(file).Read(QStringLiteral("Default Name")), text);
        // What was read is written and read back as it was.
        {
            Settings_Store store(file);
            store.Write(QStringLiteral("Default Name"), text);
            QVERIFY(store.Flush());
        }
        QCOMPARE(Settings_Store(file).Read(QStringLiteral("Default Name")), text);
    }

    void Options_Save_data()
    {
        QTest::addColumn<Loose_Value>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << Loose_Value::Of_Number(130) << "130";
        QTest::newRow("fraction") << Loose_Value::Of_Number(1.5) << "1.5";
        QTest::newRow("below one") << Loose_Value::Of_Number(0.25) << "0.25";
        QTest::newRow("zero") << Loose_Value::Of_Number(0) << "0";
        QTest::newRow("large") << Loose_Value::Of_Number(1000000) << "1000000";
        QTest::newRow("true") << Loose_Value::Of_Boolean(true) << "True";
        QTest::newRow("false") << Loose_Value::Of_Boolean(false) << "False";
        QTest::newRow("text unread") << Loose_Value(u"12 psi") << "12 psi";
        QTest::newRow("empty text") << Loose_Value() << "";
    }
    void Options_Save()
    {
        // Every loose field holds the value; the next start reads back the
        // texts written, without a reset.
        QFETCH(Loose_Value, value);
        QFETCH(QString, text);
        Settings_Fields s = Settings_Fields::Factory();
        s.INIVersion = QStringLiteral("0.9");
        s.OkINI = false;
        for (Loose_Value *field : {&s.Default_Calc_Flow, &s.Default_Pressure_Min_Main, &s.Default_Dia_Service,
                                   &s.Default_C_Service, &s.Default_Dia_Plumbing, &s.Default_C_Plumbing,
                                   &s.Default_Len_Factor, &s.Default_Pressure_Treatment,
                                   &s.Default_Pressure_Fixture, &s.Default_No_Upsize})
            *field = value;
        const QString file = Fresh_File();
        Settings_Store store(file);
        Write_Settings(store, s);

        QStringList expected = Column(&Key_Row::Factory);
        for (int i = 12; i <= 21; ++i)
            expected[i] = text;
        QCOMPARE(Texts_On_Disk(file), expected);
        const QString copy = file + QStringLiteral(".next.ini"); // read from disk, not from memory
        QVERIFY(QFile::copy(file, copy));
        Recording_Prompt prompt;
        Settings_Store next(copy);
        QCOMPARE(Memory_Texts(Startup_Load(next, prompt)), expected);
        QVERIFY(prompt.Messages.isEmpty());
    }

    void Unusable_Store_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("repaired");
        QTest::newRow("folder in its place") << "folder" << false;
        QTest::newRow("file in its path") << "path" << false;
        QTest::newRow("binary") << "binary" << true;
    }
    void Unusable_Store()
    {
        // Reading fails as the empty texts, writing fails silently: the
        // program goes on with the factory settings.
        QFETCH(QString, kind);
        QFETCH(bool, repaired);
        QString file = Fresh_File();
        QFile f(file);
        if (kind == u"folder") {
            QVERIFY(QDir().mkpath(file));
        } else if (kind == u"path") {
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            file += QStringLiteral("/Quorvel/Quorvel.ini");
        } else {
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < 4096; ++i)
                f.putChar(char(i * 37 % 256));
            f.close();
        }
        Recording_Prompt prompt;
        {
            Settings_Store store(file);
            const Settings_Fields s = Startup_Load(store, prompt);
            QCOMPARE(prompt.Messages, QStringList{Message});
            QCOMPARE(Memory_Texts(s), Column(&Key_Row::Factory));
        }
        // A file that could be rewritten now holds the factory settings.
        QCOMPARE(QFileInfo(file).isFile(), repaired);
        if (repaired)
            QCOMPARE(Texts_On_Disk(file), Column(&Key_Row::Factory));
    }

    void Read_Only_Load_data()
    {
        QTest::addColumn<QString>("version"); // null: no file at all
        QTest::addColumn<QString>("ok");
        QTest::addColumn<bool>("complete");
        QTest::newRow("no file") << QString() << QString() << false;
        QTest::newRow("another version") << "1.02.0627" << "True" << false;
        QTest::newRow("OkINI False") << "1.02.0808" << "False" << false;
        QTest::newRow("OkINI missing") << "1.02.0808" << QString() << false;
        QTest::newRow("complete") << "1.02.0808" << "True" << true;
    }
    void Read_Only_Load()
    {
        QFETCH(QString, version);
        QFETCH(QString, ok);
        QFETCH(bool, complete);
        const QString folder = dir_.filePath(QStringLiteral("read-only-%1").arg(++counter_));
        const QString file = folder + QStringLiteral("/Quorvel.ini");
        if (!version.isNull()) {
            QVERIFY(QDir().mkpath(folder));
            QStringList texts = Column(&Key_Row::User);
            texts[0] = version;
            texts[1] = ok;
            Write_By_Hand(file, texts);
        }
        const QByteArray bytes = Bytes_Of(file);
        Settings_Fields s;
        s.Set_Meter_Table = QStringLiteral("untouched");
        QCOMPARE(Load_Complete_Configuration(Settings_Store(file), s), complete);
        QCOMPARE(s.Set_Meter_Table, complete ? QStringLiteral("Mine.mtr") : QStringLiteral("untouched"));
        QCOMPARE(QFileInfo::exists(folder), !version.isNull());
        QCOMPARE(Bytes_Of(file), bytes);
    }

    void Applied_To_A_Fresh_Job()
    {
        Settings_Fields s = Read_Settings(Settings_Store(Fresh_File()));
        s.Default_Path = QStringLiteral("/jobs");
        s.Default_DefaultName = QStringLiteral("Designer");
        s.Default_Meter_Location = QStringLiteral("Outside"); // kept at startup, not for a new job
        s.Set_Meter_Table = QStringLiteral("Mine.mtr");
        Program_State state;
        state.Job.Location = QStringLiteral("left over");
        Apply_Startup_Settings(state, s, QDate(2026, 12, 9));
        QCOMPARE(state.Current_Path, QStringLiteral("/jobs"));
        QCOMPARE(state.Settings.Set_Meter_Table, QStringLiteral("Mine.mtr"));
        QCOMPARE(state.Job.Calculated_By, QStringLiteral("Designer"));
        QCOMPARE(state.Job.Calc_Date, QDate(2026, 12, 9));
        QCOMPARE(state.Job.Meter_Location, QStringLiteral("Outside"));
        QCOMPARE(state.Job.Location, QString());
    }
    // The store is written all or nothing: a full disk or a read-only file
    // keeps the earlier settings and gives the reason; a folder that
    // refuses new files still takes them.
    void Store_Write_Failures_data()
    {
        QTest::addColumn<int>("fault");
        for (const Fault f : {Fault::Full_Disk, Fault::Read_Only_File, Fault::Folder_Refuses_New})
            QTest::newRow(Fault_Name(f)) << int(f);
    }
    void Store_Write_Failures()
    {
        QFETCH(int, fault);
        Fault_Folder folder{Fault(fault)};
        if (!folder.Skip_Reason.isEmpty())
            QSKIP(qPrintable(folder.Skip_Reason));
        const QString name = QStringLiteral("Quorvel.ini");
        const QByteArray earlier("[Config]\nVersion=1.01.0315\nEditor=ed\n");
        QVERIFY(folder.Place(name, earlier));
        if (!folder.Arm(name)) {
            if (!folder.Skip_Reason.isEmpty())
                QSKIP(qPrintable(folder.Skip_Reason));
            QFAIL("the fault could not be made");
        }
        QString error;
        bool written = false;
        {
            Settings_Store store(folder.Path(name));
            Settings_Fields s = Settings_Fields::Factory();
            s.Editor = QStringLiteral("kate, with a comma; and \"quotes\"");
            written = Write_Settings(store, s, &error);
            QCOMPARE(store.Read(QStringLiteral("Editor")), s.Editor); // in memory either way
        } // nothing more is written when the store goes
        folder.Disarm();
        if (folder.Write_Succeeds()) {
            QVERIFY2(written, qPrintable(error));
            Settings_Store again(folder.Path(name));
            QCOMPARE(again.Read(QStringLiteral("Editor")), QStringLiteral("kate, with a comma; and \"quotes\""));
            QCOMPARE(again.Read(QStringLiteral("Version")), Program_Version);
        } else {
            QVERIFY(!written);
            QVERIFY2(error.contains(folder.Reason()), qPrintable(error));
            QCOMPARE(folder.Read(name), earlier);
        }
        QCOMPARE(folder.Strays(name), QStringList());
    }
};

QTEST_GUILESS_MAIN(Test_Settings)
#include "tst_settings.moc"
