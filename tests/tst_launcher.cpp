#include "distribution.h"
#include "shell_run.h"

#include <QDir>
#include <QFileInfo>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class Test_Launcher : public QObject {
    Q_OBJECT

    static QString Write(const QTemporaryDir &dir, const QByteArray &text)
    {
        QFile f(dir.filePath(QStringLiteral("Version.txt")));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
    }

private slots:
    void Newest_Release_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("in release order") << QByteArray("Header\r\n\r\nv. 1.00.1219  19 Dec 00  First\r\n"
                                                        "                  1) detail\r\n\r\n"
                                                        "v. 1.02.0808  08 Aug 02  Latest\r\n")
                                          << "1.02.0808  ";
        QTest::newRow("capital V is no entry") << QByteArray("v. 1.01.0101  01 Jan 01  a\r\nV. 1.02.0808  08 Aug 02  b\r\n")
                                               << "1.01.0101  ";
        QTest::newRow("no entry") << QByteArray("Please read License.txt\r\n") << "File Error";
        QTest::newRow("empty") << QByteArray() << "File Error";
        QTest::newRow("entry after a comma") << QByteArray("note, v. 1.02.0627  27 Jun 02  x\r\n") << "1.02.0627  ";
        QByteArray many;
        for (int i = 0; i < 499; ++i)
            many += "x,";
        many += "v. 1.00.0001  01 Jan 00  seen\r\nv. 9.99.9999  01 Jan 00  past the 500th value\r\n";
        QTest::newRow("only 500 values") << many << "1.00.0001  ";
    }
    void Newest_Release()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        QCOMPARE(::Newest_Release(Write(dir, text)), shown);
    }

    void Missing_File()
    {
        QCOMPARE(::Newest_Release(QStringLiteral("/no/such/Version.txt")), QStringLiteral("File Error"));
    }

    void Buttons()
    {
        QTemporaryDir dir;
        Write(dir, "v. 1.02.0808  08 Aug 02  Latest\r\n");
        QStringList runs, messages;
        Frm_Distribution window(
            dir.path(),
            [&runs](const QString &command, int show) {
                runs << QStringLiteral("%1|%2").arg(command).arg(show);
                return QString();
            },
            [&messages](const QString &m) { messages << m; });
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvel Distribution"));
        QCOMPARE(window.Lab_Version->text(), QStringLiteral("1.02.0808  "));
        for (const char *name : {"Button_Setup", "Button_Version", "Button_License", "Button_Help", "Button_Update"})
            window.findChild<QPushButton *>(QLatin1String(name))->click();
        QCOMPARE(runs, (QStringList{QStringLiteral("\"%1/setup\"|1").arg(dir.path()),
                                    QStringLiteral("notepad.exe \"%1/Version.txt\"|1").arg(dir.path()),
                                    QStringLiteral("notepad.exe \"%1/License.txt\"|1").arg(dir.path()),
                                    QStringLiteral("\"%1/QV-Help.htm\"|4").arg(dir.path())}));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().startsWith(QStringLiteral("To update an existing installed version of Quorvel")));
    }

    // A button whose program or document cannot be started says so.
    void Failures_Are_Reported_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("setup") << "Button_Setup" << "Setup could not be started: gone";
        QTest::newRow("version") << "Button_Version" << "Version.txt could not be opened: gone";
        QTest::newRow("license") << "Button_License" << "License.txt could not be opened: gone";
        QTest::newRow("help") << "Button_Help" << "QV-Help.htm could not be opened: gone";
    }
    void Failures_Are_Reported()
    {
        QFETCH(QString, button);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QStringList messages;
        Frm_Distribution window(
            dir.path(), [](const QString &, int) { return QStringLiteral("gone"); },
            [&messages](const QString &m) { messages << m; });
        window.findChild<QPushButton *>(button)->click();
        QCOMPARE(messages, QStringList{message});
    }

    // With the real launcher of programs: setup on a medium whose path holds
    // blanks is the medium's own and runs in the medium's folder, not in
    // the folder above it.
    void Setup_Runs_In_The_Medium_Folder()
    {
        QTemporaryDir base;
        QVERIFY(QDir().mkpath(base.filePath(QStringLiteral("CD ROM/disc 1"))));
        const QString medium = base.filePath(QStringLiteral("CD ROM/disc 1"));
        const QString trap = base.filePath(QStringLiteral("CD"));
        for (const QString &script : {medium + QStringLiteral("/setup"), trap}) {
            QFile f(script);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("#!/bin/sh\npwd > \"") + QFile::encodeName(base.path()) + "/ran-" +
                    (script == trap ? "trap" : "setup") + "\"\n");
            f.close();
            QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        QStringList messages;
        Frm_Distribution window(
            medium,
            [](const QString &command, int show) {
                QString error;
                Shell_Run(command, show, &error);
                return error;
            },
            [&messages](const QString &m) { messages << m; });
        window.findChild<QPushButton *>(QStringLiteral("Button_Setup"))->click();
        const QString ran = base.filePath(QStringLiteral("ran-setup"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(ran).size() > 0, 10000);
        QFile f(ran);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(f.readAll()).trimmed(), medium);
        QVERIFY(!QFileInfo::exists(base.filePath(QStringLiteral("ran-trap"))));
        QCOMPARE(messages, QStringList());
    }
};

QTEST_MAIN(Test_Launcher)
#include "tst_launcher.moc"
