#include "associate.h"

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

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        const QString mime = QString::fromUtf8(Read(home_.filePath(QStringLiteral("data/mime/packages/x-quorvel.xml"))));
        QVERIFY(mime.contains(QStringLiteral("<mime-type type=\"application/x-quorvel\">")));
        QVERIFY(mime.contains(QStringLiteral("<glob pattern=\"*.qvl\"/>")));
        QVERIFY(mime.contains(QStringLiteral("<comment>Quorvel Data File</comment>")));
        const QString entry = QString::fromUtf8(Read(home_.filePath(QStringLiteral("data/applications/quorvel.desktop"))));
        QVERIFY(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(entry.contains(QStringLiteral("\nExec=/opt/quorvel/Quorvel %f\n")));
        QVERIFY(entry.contains(QStringLiteral("\nMimeType=application/x-quorvel;\n")));
        const QString apps = QString::fromUtf8(Read(home_.filePath(QStringLiteral("config/mimeapps.list"))));
        QVERIFY(apps.contains(QStringLiteral("[Default Applications]\napplication/x-quorvel=quorvel.desktop\n")));
    }

    void Moving_The_Program_Rewrites_Only_What_Changed()
    {
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/a/Quorvel")).Associate().Number == 0);
        const QString mime_path = home_.filePath(QStringLiteral("data/mime/packages/x-quorvel.xml"));
        const QDateTime mime_time = QFileInfo(mime_path).lastModified();
        QTest::qWait(20);
        // Another folder, with a blank in its name: the Exec program is quoted.
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/new place/Quorvel")).Associate().Number == 0);
        const QString entry = QString::fromUtf8(Read(home_.filePath(QStringLiteral("data/applications/quorvel.desktop"))));
        QVERIFY(entry.contains(QStringLiteral("\nExec=\"/opt/new place/Quorvel\" %f\n")));
        QCOMPARE(QFileInfo(mime_path).lastModified(), mime_time);
    }

    void Other_Defaults_Are_Kept()
    {
        const QString list = home_.filePath(QStringLiteral("config/mimeapps.list"));
        QDir().mkpath(QFileInfo(list).absolutePath());
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Added Associations]\ntext/plain=ed.desktop;\n\n[Default Applications]\ntext/html=web.desktop\n"
                "application/x-quorvel=old.desktop\n");
        f.close();
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/q/Quorvel")).Associate().Number == 0);
        QCOMPARE(Read(list), QByteArray("[Added Associations]\ntext/plain=ed.desktop;\n\n[Default Applications]\n"
                                        "text/html=web.desktop\napplication/x-quorvel=quorvel.desktop\n"));
    }

    void Desktop_Knows_The_Type()
    {
        const QString xdg_mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (xdg_mime.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("mimetype")).isEmpty())
            QSKIP("xdg-mime, update-mime-database or mimetype is not installed");
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/q/Quorvel")).Associate().Number == 0);
        const QString job = home_.filePath(QStringLiteral("job.qvl"));
        QFile f(job);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"1.02.0808\"\r\n");
        f.close();
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
        const QByteArray saved_dirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_DIRS", QFile::encodeName(home_.filePath(QStringLiteral("none")) + u':' + system));
        const auto restore = qScopeGuard([&saved_dirs] { qputenv("XDG_DATA_DIRS", saved_dirs); });
        const auto touch = [](const QString &path) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write("<svg/>") == 6;
        };
        if (theme_at == u"data home")
            QVERIFY(touch(home_.filePath(QStringLiteral("data")) + icon_path));
        if (theme_at == u"data dirs")
            QVERIFY(touch(system + icon_path));
        const QString program = home_.filePath(QStringLiteral("my apps/Quorvel"));
        if (beside)
            QVERIFY(touch(home_.filePath(QStringLiteral("my apps/quorvel.svg"))));
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
