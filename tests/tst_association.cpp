#include "associate.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

Cla_Associate Quorvel_Type(const QString &program)
{
    Cla_Associate a;
    a.Title = QStringLiteral("Quorvel Data File");
    a.Class = QStringLiteral("Quorvel_File");
    a.Extension = QStringLiteral(".qvl");
    a.AppCommand = program;
    a.DefaultIcon = program + QStringLiteral(",0");
    return a;
}

} // namespace

class Test_Association : public QObject {
    Q_OBJECT

    QTemporaryDir home_;

private slots:
    void init()
    {
        // Every test works in fresh per-user folders.
        QDir(home_.path()).removeRecursively();
        QDir().mkpath(home_.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_.filePath(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral("config"))));
    }

    void Missing_Properties_Raise_In_Order_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("klass");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::newRow("all missing") << "" << "" << "" << 922 << "Associate Class - Application title not specified";
        QTest::newRow("class missing") << "T" << "" << "/p" << 926
                                       << "Associate Class - Application Class name not specified";
        QTest::newRow("command missing") << "T" << "C" << "" << 930
                                         << "Associate Class - Command line of the program not specified";
    }
    void Missing_Properties_Raise_In_Order()
    {
        QFETCH(QString, title);
        QFETCH(QString, klass);
        QFETCH(QString, command);
        QFETCH(int, number);
        QFETCH(QString, description);
        Cla_Associate a;
        a.Title = title;
        a.Class = klass;
        a.AppCommand = command;
        const Cla_Associate::Error e = a.Associate();
        QCOMPARE(e.Number, number);
        QCOMPARE(e.Source, QStringLiteral("Associate Class"));
        QCOMPARE(e.Description, description);
        // Nothing was written.
        QVERIFY(QDir(home_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    void Registration_Files()
    {
        Cla_Associate a = Quorvel_Type(QStringLiteral("/opt/quorvel/Quorvel"));
        QCOMPARE(a.Associate().Number, 0);
        QCOMPARE(a.Mime_Type(), QStringLiteral("application/x-quorvel"));
        const QString mime = QString::fromUtf8(Read_File(home_.filePath(QStringLiteral("data/mime/packages/x-quorvel.xml"))));
        QVERIFY(mime.contains(QStringLiteral("<mime-type type=\"application/x-quorvel\">")));
        QVERIFY(mime.contains(QStringLiteral("<glob pattern=\"*.qvl\"/>")));
        QVERIFY(mime.contains(QStringLiteral("<comment>Quorvel Data File</comment>")));
        const QString entry = QString::fromUtf8(Read_File(home_.filePath(QStringLiteral("data/applications/quorvel.desktop"))));
        QVERIFY(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(entry.contains(QStringLiteral("\nExec=/opt/quorvel/Quorvel %f\n")));
        QVERIFY(entry.contains(QStringLiteral("\nMimeType=application/x-quorvel;\n")));
        const QString apps = QString::fromUtf8(Read_File(home_.filePath(QStringLiteral("config/mimeapps.list"))));
        QVERIFY(apps.contains(QStringLiteral("[Default Applications]\napplication/x-quorvel=quorvel.desktop\n")));
    }

    void Moving_The_Program_Rewrites_Only_What_Changed()
    {
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/a/Quorvel")).Associate().Number == 0);
        const QString mime_path = home_.filePath(QStringLiteral("data/mime/packages/x-quorvel.xml"));
        // An hour in the past: a rewrite, however quick, gives another time.
        const QDateTime mime_time = QDateTime::currentDateTime().addSecs(-3600);
        {
            QFile mime(mime_path);
            QVERIFY(mime.open(QIODevice::ReadWrite) && mime.setFileTime(mime_time, QFileDevice::FileModificationTime));
        }
        // Another folder, with a blank in its name: the entry starts the
        // launcher script, which starts the program there.
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/new place/Quorvel")).Associate().Number == 0);
        const QString entry = QString::fromUtf8(Read_File(home_.filePath(QStringLiteral("data/applications/quorvel.desktop"))));
        QVERIFY(entry.contains(QStringLiteral("\nExec=%1 %f\n").arg(home_.filePath(QStringLiteral("data/Quorvel/quorvel-open")))));
        QVERIFY(Read_File(home_.filePath(QStringLiteral("data/Quorvel/quorvel-open"))).contains("exec '/opt/new place/Quorvel' \"$@\"\n"));
        QCOMPARE(QFileInfo(mime_path).lastModified(), mime_time);
    }

    void Other_Defaults_Are_Kept()
    {
        const QString list = home_.filePath(QStringLiteral("config/mimeapps.list"));
        QVERIFY(Write_File(list, "[Added Associations]\ntext/plain=ed.desktop;\n\n[Default Applications]\n"
                                 "text/html=web.desktop\napplication/x-quorvel=old.desktop\n"));
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/q/Quorvel")).Associate().Number == 0);
        QCOMPARE(Read_File(list), QByteArray("[Added Associations]\ntext/plain=ed.desktop;\n\n[Default Applications]\n"
                                        "text/html=web.desktop\napplication/x-quorvel=quorvel.desktop\n"));
    }

    // A program in a package's folder registers nothing per user, and takes
    // away what an earlier start wrote for a program in that folder; a
    // registration of a program elsewhere (the user's own install) stays.
    void Package_Install_Leaves_No_User_Registration_data()
    {
        QTest::addColumn<QString>("package"); // the package's program folder
        QTest::addColumn<QString>("earlier"); // folder of the earlier start's program, "" for none
        QTest::addColumn<bool>("removed");
        QTest::newRow("none") << "usr/lib/quorvel" << "" << false;
        QTest::newRow("into the package") << "usr/lib/quorvel" << "usr/lib/quorvel" << true;
        QTest::newRow("through the launcher script") << "opt/my apps" << "opt/my apps" << true;
        QTest::newRow("into the package, by a link") << "usr/lib/quorvel" << "link" << true;
        QTest::newRow("the user's own install") << "usr/lib/quorvel" << "opt/my apps" << false;
        QTest::newRow("a folder beside the package's") << "usr/lib/quorvel" << "usr/lib/quorvel2" << false;
    }
    void Package_Install_Leaves_No_User_Registration()
    {
        QFETCH(QString, package);
        QFETCH(QString, earlier);
        QFETCH(bool, removed);
        const QString folder = home_.filePath(package);
        QVERIFY(Write_File(folder + QStringLiteral("/package-managed")));
        QVERIFY(Write_File(folder + QStringLiteral("/Quorvel"), "#!/bin/sh\n", true));
        QVERIFY(QFile::link(folder, home_.filePath(QStringLiteral("link"))));
        const QString list = home_.filePath(QStringLiteral("config/mimeapps.list"));
        const QByteArray others = "[Default Applications]\ntext/html=web.desktop\n";
        QVERIFY(Write_File(list, others));
        if (!earlier.isEmpty())
            QCOMPARE(Quorvel_Association(home_.filePath(earlier + QStringLiteral("/Quorvel"))).Associate().Number, 0);
        const Cla_Associate type = Quorvel_Association(folder + QStringLiteral("/Quorvel"));
        const auto existing = [&type] {
            QStringList files;
            for (const QString &f : {type.Desktop_Entry_Path(), type.Mime_Package_Path(), type.Launcher_Script_Path()})
                if (QFile::exists(f))
                    files << f;
            return files;
        };
        const QStringList before = existing();
        const QByteArray list_before = Read_File(list);

        Register_Quorvel_At_Start(folder + QStringLiteral("/Quorvel"));
        QCOMPARE(existing(), removed ? QStringList() : before);
        QCOMPARE(Read_File(list), removed ? others : list_before);
        QCOMPARE(before.isEmpty(), earlier.isEmpty());
    }

    // One Exec argument, escaped by hand: quoted where a reserved character
    // stands, " ` $ \\ escaped inside the quotes, % doubled, and backslashes
    // doubled once more as in every string value.
    void Exec_Arguments_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/opt/q/Quorvel" << "/opt/q/Quorvel";
        QTest::newRow("blank") << "/opt/a b/Q" << "\"/opt/a b/Q\"";
        QTest::newRow("double quotes") << "/opt/say\"hi\"/Q" << "\"/opt/say\\\\\"hi\\\\\"/Q\"";
        QTest::newRow("dollar and backquote") << "/opt/$x`y`/Q" << "\"/opt/\\\\$x\\\\`y\\\\`/Q\"";
        QTest::newRow("backslash") << "/opt/a\\b/Q" << "\"/opt/a\\\\\\\\b/Q\"";
        QTest::newRow("percent") << "/opt/100%/Q" << "\"/opt/100%%/Q\"";
        QTest::newRow("apostrophe, parentheses, ampersand, semicolon") << "/opt/it's (a) & b;/Q"
                                                                        << "\"/opt/it's (a) & b;/Q\"";
    }
    void Exec_Arguments()
    {
        QFETCH(QString, argument);
        QFETCH(QString, exec);
        QCOMPARE(Exec_Argument(argument), exec);
    }

    // The program in folders whose names hold every character that needs
    // care: the desktop entry is valid, and double-click through the real
    // xdg-open starts the program there with the job.
    void Any_Folder_Name_Opens_Jobs_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "quorvel";
        QTest::newRow("blanks") << "Quorvel Program Files";
        QTest::newRow("ampersand and apostrophe") << "Smith & Jones' tools";
        QTest::newRow("parentheses and semicolon") << "Quorvel (x86); old";
        QTest::newRow("dollar and backquote") << "$HOME `id` $(id)";
        QTest::newRow("percent") << "100% %f %u";
        QTest::newRow("double quote") << "say \"cheese\" \" --evil";
        QTest::newRow("backslash and tab") << "back\\slash\there";
        QTest::newRow("all") << "& ' ( ) ; $ ` % \" \\ end";
    }
    void Any_Folder_Name_Opens_Jobs()
    {
        QFETCH(QString, folder);
        for (const char *tool : {"desktop-file-validate", "xdg-open", "xdg-mime", "update-mime-database", "mimetype"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("%1 is not installed (tools/deps.sh installs it)").arg(QLatin1String(tool))));
        QTemporaryDir place;
        const QString program_folder = place.filePath(folder);
        QVERIFY(QDir().mkpath(program_folder));
        // The program: records its arguments and working folder.
        const QString record = place.filePath(QStringLiteral("started.txt"));
        const QString program = program_folder + QStringLiteral("/Quorvel");
        QVERIFY(Write_File(program,
                           "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + QFile::encodeName(record)
                               + ".tmp'\nmv '" + QFile::encodeName(record) + ".tmp' '" + QFile::encodeName(record) + "'\n",
                           true));

        Cla_Associate a = Quorvel_Type(program);
        QCOMPARE(a.Associate().Number, 0);
        const QString entry = a.Desktop_Entry_Path();
        QVERIFY(QFile::exists(entry));
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY(validate.waitForFinished(20000));
        const QString said = QString::fromUtf8(validate.readAllStandardOutput() + validate.readAllStandardError());
        QVERIFY2(validate.exitCode() == 0 && !said.contains(QStringLiteral("error")), qPrintable(said + Read_File(entry)));

        // Double-click: xdg-open as a desktop without its own opener runs it.
        const QString job = program_folder + QStringLiteral("/job.qvl");
        QVERIFY(Write_File(job, "\"1.02.0808\"\r\n"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "DISPLAY", "WAYLAND_DISPLAY", "BROWSER",
                                 "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home_.path());
        // xdg-open looks at the type's handlers only with a display; the
        // program started here needs none, so a name is enough.
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
        QProcess open;
        open.setProcessEnvironment(env);
        open.start(QStringLiteral("xdg-open"), {job});
        QVERIFY(open.waitForFinished(20000));
        QVERIFY2(open.exitCode() == 0, open.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
        QCOMPARE(QString::fromLocal8Bit(Read_File(record)), job + u'\n');
    }

    // An entry that could not be written is never made the default.
    void No_Default_For_An_Entry_Not_Written()
    {
        // A file where the applications folder belongs: no entry can be written.
        QFile blocker(home_.filePath(QStringLiteral("data/applications")));
        QVERIFY(Write_File(blocker.fileName()));
        QCOMPARE(Quorvel_Type(QStringLiteral("/opt/q/Quorvel")).Associate().Number, 0);
        QVERIFY(!QFile::exists(home_.filePath(QStringLiteral("config/mimeapps.list"))));
        // The same for a launcher script that cannot be written.
        QVERIFY(blocker.remove());
        QVERIFY(Write_File(home_.filePath(QStringLiteral("data/Quorvel"))));
        QCOMPARE(Quorvel_Type(QStringLiteral("/opt/a b/Quorvel")).Associate().Number, 0);
        QVERIFY(!QFile::exists(home_.filePath(QStringLiteral("data/applications/quorvel.desktop"))));
        QVERIFY(!QFile::exists(home_.filePath(QStringLiteral("config/mimeapps.list"))));
    }

    // A desktop that parses Exec lines fully (GLib's gio launch) starts the
    // program through an entry whose launcher script itself lies in a
    // folder that needs quoting.
    void Quoted_Exec_Line_Opens_Jobs_data()
    {
        QTest::addColumn<QString>("data_home");
        QTest::newRow("blanks") << "my data";
        QTest::newRow("quotes, dollar, backquote, backslash") << "it's \"my\" $data `x` \\here";
        QTest::newRow("ampersand, parentheses, semicolon") << "a & b (c); d";
    }
    void Quoted_Exec_Line_Opens_Jobs()
    {
        QFETCH(QString, data_home);
        if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
            QFAIL("gio is not installed (libglib2.0-bin; tools/deps.sh installs it)");
        const QString data = home_.filePath(data_home);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        QTemporaryDir place;
        const QString program_folder = place.filePath(QStringLiteral("100% \"odd\" $place"));
        QVERIFY(QDir().mkpath(program_folder));
        const QString record = place.filePath(QStringLiteral("started.txt"));
        const QString program = program_folder + QStringLiteral("/Quorvel");
        QVERIFY(Write_File(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n", true));
        Cla_Associate a = Quorvel_Type(program);
        QCOMPARE(a.Associate().Number, 0);
        const QString entry = QString::fromUtf8(Read_File(a.Desktop_Entry_Path()));
        QVERIFY2(entry.contains(QStringLiteral("\nExec=\"")), qPrintable(entry)); // the script's path is quoted
        const QString job = place.filePath(QStringLiteral("a job.qvl"));
        QProcess launch;
        launch.start(QStringLiteral("gio"), {QStringLiteral("launch"), a.Desktop_Entry_Path(), job});
        QVERIFY(launch.waitForFinished(20000));
        QVERIFY2(launch.exitCode() == 0, launch.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record) && !Read_File(record).isEmpty(), 5000);
        QCOMPARE(QString::fromLocal8Bit(Read_File(record)), job + u'\n');
    }

    void Desktop_Knows_The_Type()
    {
        const QString xdg_mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (xdg_mime.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("mimetype")).isEmpty())
            QSKIP("xdg-mime, update-mime-database or mimetype is not installed");
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/q/Quorvel")).Associate().Number == 0);
        const QString job = home_.filePath(QStringLiteral("job.qvl"));
        QVERIFY(Write_File(job, "\"1.02.0808\"\r\n"));
        QProcess query;
        query.start(xdg_mime, {QStringLiteral("query"), QStringLiteral("filetype"), job});
        QVERIFY(query.waitForFinished(20000));
        QCOMPARE(QString::fromUtf8(query.readAllStandardOutput()).trimmed(), QStringLiteral("application/x-quorvel"));
    }

    // The entry names the theme icon once a theme holds it, else the SVG
    // beside the program, else the program itself.
    void Icon_Of_The_Entry_data()
    {
        QTest::addColumn<QString>("theme_at"); // "", "data home" or "data dirs"
        QTest::addColumn<bool>("beside");
        QTest::addColumn<QString>("expected"); // "theme", "beside" or "program"
        QTest::newRow("user theme") << "data home" << true << "theme";
        QTest::newRow("system theme") << "data dirs" << false << "theme";
        QTest::newRow("beside the program") << "" << true << "beside";
        QTest::newRow("nowhere") << "" << false << "program";
    }
    void Icon_Of_The_Entry()
    {
        QFETCH(QString, theme_at);
        QFETCH(bool, beside);
        QFETCH(QString, expected);
        const QString icon_path = QStringLiteral("/icons/hicolor/scalable/apps/quorvel.svg");
        const QString system = home_.filePath(QStringLiteral("system share"));
        const Scoped_Env data_dirs("XDG_DATA_DIRS", home_.filePath(QStringLiteral("none")) + u':' + system);
        if (theme_at == u"data home")
            QVERIFY(Write_File(home_.filePath(QStringLiteral("data")) + icon_path, "<svg/>"));
        if (theme_at == u"data dirs")
            QVERIFY(Write_File(system + icon_path, "<svg/>"));
        const QString program = home_.filePath(QStringLiteral("my apps/Quorvel"));
        if (beside)
            QVERIFY(Write_File(home_.filePath(QStringLiteral("my apps/quorvel.svg")), "<svg/>"));
        const QString want = expected == u"theme"    ? QStringLiteral("quorvel")
                             : expected == u"beside" ? home_.filePath(QStringLiteral("my apps/quorvel.svg"))
                                                     : program;
        QCOMPARE(Quorvel_Icon(program), want);
        const Cla_Associate type = Quorvel_Association(program);
        QCOMPARE(type.Mime_Type(), QStringLiteral("application/x-quorvel"));
        QVERIFY(type.Desktop_Entry_Text().contains(QStringLiteral("\nIcon=") + want + u'\n'));
        QVERIFY(type.Desktop_Entry_Text().contains(QStringLiteral("\nName=Quorvel\n")));
    }

    // The registration as written is a valid desktop entry.
    void Entry_Passes_Desktop_File_Validate()
    {
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validate.isEmpty())
            QFAIL("desktop-file-validate is not installed (tools/deps.sh)");
        QVERIFY(Quorvel_Association(QStringLiteral("/opt/new place/Quorvel")).Associate().Number == 0);
        QProcess run;
        run.start(validate, {home_.filePath(QStringLiteral("data/applications/quorvel.desktop"))});
        QVERIFY(run.waitForFinished(20000));
        QVERIFY2(run.exitCode() == 0, run.readAllStandardOutput().constData());
    }
};

QTEST_GUILESS_MAIN(Test_Association)
#include "tst_association.moc"
