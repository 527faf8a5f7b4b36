#include "shell_run.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

namespace {

// Records what would be started instead of starting it.
struct Recorder {
    QStringList documents;
    QStringList programs;
    bool open_ok = true;
    bool start_ok = true;
    Shell_Launcher Launcher()
    {
        Shell_Launcher l;
        l.Open_Document = [this](const QString &d) {
            documents << d;
            return open_ok;
        };
        l.Start_Program = [this](const QString &p, const QStringList &a, const QString &f) {
            programs << QStringLiteral("%1|%2|%3").arg(p, a.join(u','), f);
            return start_ok;
        };
        return l;
    }
};

} // namespace

class Test_Shell : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Set_Shell_Launcher({}); }

    void Split_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("folder");
        const QString here = QDir::currentPath();
        QTest::newRow("quoted document") << "\"/data/jobs/report.prn\"" << "/data/jobs/report.prn" << ""
                                         << "/data/jobs";
        QTest::newRow("editor and quoted file") << "Notepad.exe \"/opt/q/Table-1.dat\"" << "Notepad.exe"
                                                << "\"/opt/q/Table-1.dat\"" << here;
        QTest::newRow("unclosed quote taken whole") << "\"/opt/ed -x" << "\"/opt/ed -x" << "" << "\"/opt";
        QTest::newRow("unquoted path with blank") << "/opt/my ed/ed file.txt" << "/opt/my" << "ed/ed file.txt"
                                                  << "/opt";
        QTest::newRow("root folder") << "/tool arg" << "/tool" << "arg" << "/";
        QTest::newRow("no folder") << "tool" << "tool" << "" << here;
        QTest::newRow("blanks before parameters") << "\"/a b/c\"   x" << "/a b/c" << "x" << "/a b";
    }
    void Split()
    {
        QFETCH(QString, line);
        QFETCH(QString, program);
        QFETCH(QString, parameters);
        QFETCH(QString, folder);
        const Shell_Command c = Shell_Split(line);
        QCOMPARE(c.Program, program);
        QCOMPARE(c.Parameters, parameters);
        QCOMPARE(c.Working_Folder, folder);
    }

    void Arguments_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("plain") << "a b" << QStringList{"a", "b"};
        QTest::newRow("quoted blank") << "\"/x y/z.txt\" -n" << QStringList{"/x y/z.txt", "-n"};
        QTest::newRow("empty quotes") << "\"\"" << QStringList{""};
        QTest::newRow("nothing") << "  " << QStringList{};
    }
    void Arguments()
    {
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QCOMPARE(Split_Arguments(parameters), arguments);
    }

    void Documents_Programs_And_Fallback()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(QStringLiteral("report.prn"));
        QFile(doc).open(QIODevice::WriteOnly);
        Recorder r;
        Set_Shell_Launcher(r.Launcher());

        QString error;
        QVERIFY(Shell_Run(u'"' + doc + u'"', Show_No_Activate, &error) >= 32);
        QCOMPARE(r.documents, QStringList{doc});
        QVERIFY(error.isEmpty());

        // The factory editor opens the document with the desktop when there is no such program.
        r.documents.clear();
        QVERIFY(Shell_Run(QStringLiteral("Notepad.exe \"%1\"").arg(doc), Show_Current, &error) >= 32);
        QCOMPARE(r.documents, QStringList{doc});

        // A real program starts with its arguments and folder.
        const QString sh = QStandardPaths::findExecutable(QStringLiteral("sh"));
        QVERIFY(Shell_Run(QStringLiteral("\"%1\" -c \"exit 0\"").arg(sh), Show_Normal, &error) >= 32);
        QCOMPARE(r.programs.last(), QStringLiteral("%1|-c,exit 0|%2").arg(sh, QFileInfo(sh).path()));

        // The desktop fails: the plain process start runs the command line.
        r.programs.clear();
        r.open_ok = false;
        QVERIFY(Shell_Run(u'"' + doc + u'"', Show_Normal, &error) < 32);
        QVERIFY(!error.isEmpty()); // a document is no program: the fallback fails too

        // Nothing to start at all: the failure reaches the caller.
        error.clear();
        QVERIFY(Shell_Run(QStringLiteral("/no/such/editor \"x\""), Show_Current, &error) < 32);
        QVERIFY(error.contains(QStringLiteral("/no/such/editor")));
    }

    void Unquoted_Program_Path_With_Blank_Runs_By_Fallback()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("my ed"));
        const QString ed = dir.filePath(QStringLiteral("my ed/ed"));
        QFile f(ed);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Recorder r;
        Set_Shell_Launcher(r.Launcher());
        QString error;
        QVERIFY(Shell_Run(ed + QStringLiteral(" notes.txt"), Show_Normal, &error) < 32);
        QVERIFY(error.isEmpty());
        QCOMPARE(r.programs.size(), 1);
        QVERIFY(r.programs.first().startsWith(ed + QStringLiteral("|notes.txt|")));
    }

    // One real start: a script writes its arguments and working folder.
    void Real_Start_Of_A_Script()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("bin dir"));
        const QString script = dir.filePath(QStringLiteral("bin dir/record.sh"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nprintf '%s|%s|%s\\n' \"$1\" \"$2\" \"$(pwd)\" > \"$3.tmp\" && mv \"$3.tmp\" \"$3\"\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QString error;
        const int code = Shell_Run(QStringLiteral("\"%1\" first \"second arg\" \"%2\"").arg(script, out), Show_Normal, &error);
        QVERIFY2(code >= 32, qPrintable(error));
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(out) && clock.elapsed() < 5000)
            QTest::qWait(20);
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(result.readAll()).trimmed(),
                 QStringLiteral("first|second arg|%1").arg(dir.filePath(QStringLiteral("bin dir"))));
    }

    void Os_Names_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("name");
        QTest::newRow("3 nt") << 3 << 51 << 2 << "Windows NT 3.x";
        QTest::newRow("3") << 3 << 10 << 1 << "Windows 3.x";
        QTest::newRow("4 nt") << 4 << 0 << 2 << "Windows NT 4.0";
        QTest::newRow("95") << 4 << 0 << 1 << "Windows 95";
        QTest::newRow("98") << 4 << 10 << 1 << "Windows 98";
        QTest::newRow("5 any") << 5 << 1 << 2 << "Windows 2000";
        QTest::newRow("6") << 6 << 0 << 2 << "Unknown Windows Version";
    }
    void Os_Names()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, platform);
        QFETCH(QString, name);
        QCOMPARE(OS_Version_Name(major, minor, platform), name);
    }

    void System_Info_Missing()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        QStringList messages;
        Start_System_Info([&messages](const QString &m) { messages << m; });
        qputenv("PATH", path);
        QCOMPARE(messages, QStringList{QStringLiteral("System Information Is Unavailable At This Time")});
        QCOMPARE(OS_Version_Name(), QStringLiteral("Unknown Windows Version"));
    }

    void Key_Values()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("machine.ini"));
        {
            QSettings s(file, QSettings::IniFormat);
            s.setValue(QStringLiteral("Tools/PATH"), QStringLiteral("/usr/bin/sysinfo"));
        }
        QString value = QStringLiteral("old");
        QVERIFY(Get_Key_Value(file, QStringLiteral("Tools"), QStringLiteral("PATH"), value));
        QCOMPARE(value, QStringLiteral("/usr/bin/sysinfo"));
        QVERIFY(!Get_Key_Value(file, QStringLiteral("Tools"), QStringLiteral("MISSING"), value));
        QVERIFY(value.isEmpty());
        QVERIFY(!Get_Key_Value(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("Tools"), QStringLiteral("PATH"), value));
        QCOMPARE(Number_Value_Text(0x0A0B0C0D), QStringLiteral("&habcd"));
        QCOMPARE(Number_Value_Text(0x00001001), QStringLiteral("&h00101"));
    }
};

QTEST_GUILESS_MAIN(Test_Shell)
#include "tst_shell.moc"
