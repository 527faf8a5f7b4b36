#include "associate.h"

#include <QFile>
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
        // Another folder, with a blank in its name: the entry starts the
        // launcher script, which starts the program there.
        QVERIFY(Quorvel_Type(QStringLiteral("/opt/new place/Quorvel")).Associate().Number == 0);
        const QString entry = QString::fromUtf8(Read(home_.filePath(QStringLiteral("data/applications/quorvel.desktop"))));
        QVERIFY(entry.contains(QStringLiteral("\nExec=%1 %f\n").arg(home_.filePath(QStringLiteral("data/Quorvel/quorvel-open")))));
        QVERIFY(Read(home_.filePath(QStringLiteral("data/Quorvel/quorvel-open"))).contains("exec '/opt/new place/Quorvel' \"$@\"\n"));
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
};

QTEST_GUILESS_MAIN(Test_Association)
#include "tst_association.moc"
