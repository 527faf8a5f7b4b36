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
        l.Open_Document = [this](const QString &d, const Shell_Failure &) {
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

// The processes this one started that are still running or not yet reaped.
QStringList Child_Processes()
{
    QStringList children;
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue; // ended meanwhile
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == self)
            children << pid;
    }
    return children;
}

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
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 20000);
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(result.readAll()).trimmed(),
                 QStringLiteral("first|second arg|%1").arg(dir.filePath(QStringLiteral("bin dir"))));
    }

    // A document is opened by its type, whatever its execute bit says (every
    // file of a vfat, NTFS, SMB or ISO mount has it); a script or a binary
    // with the bit is run.
    void Execute_Bit_Does_Not_Make_A_Program_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("program");
        for (const char *name : {"QV-Help.htm", "License.txt", "Table-1.dat", "AWWA-Standard.mtr", "Quorvel.prn", "job.qvl"})
            QTest::newRow(name) << QString::fromLatin1(name) << QByteArray("plain text\r\n") << false;
        QTest::newRow("text that looks like a script") << "notes.txt" << QByteArray("#!/bin/sh\necho hi\n") << false;
        QTest::newRow("plain text without extension") << "README" << QByteArray("read me\n") << false;
        QTest::newRow("script") << "tool" << QByteArray("#!/bin/sh\nexit 0\n") << true;
        QFile self(QCoreApplication::applicationFilePath());
        QVERIFY(self.open(QIODevice::ReadOnly));
        QTest::newRow("binary") << "prog" << self.read(1 << 20) << true;
    }
    void Execute_Bit_Does_Not_Make_A_Program()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, program);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
        QCOMPARE(Is_Program_File(path), program);
        Recorder r;
        Set_Shell_Launcher(r.Launcher());
        QString error;
        QVERIFY(Shell_Run(u'"' + path + u'"', Show_No_Activate, &error) >= 32);
        QCOMPARE(r.documents, program ? QStringList() : QStringList{path});
        QCOMPARE(r.programs.size(), program ? 1 : 0);
    }

    // The desktop's own opener, for real: a document no program is set to
    // open, or whose program fails, is reported as started at once and its
    // failure arrives later through the caller's handler; the fallback (a
    // plain process) cannot start a document either.
    void Document_Without_Working_Handler_Fails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("handler"); // Exec of the text handler, or empty
        QTest::newRow("no handler for the type") << "data.zzq" << "";
        QTest::newRow("the handler fails") << "notes.txt" << "false %f";
        QTest::newRow("a handler that works") << "notes.txt" << "cp %f COPY";
    }
    void Document_Without_Working_Handler_Fails()
    {
        QFETCH(QString, name);
        QFETCH(QString, handler);
        const bool works = handler.startsWith(u"cp");
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
            QFAIL("xdg-open is not installed (xdg-utils)");
        QTemporaryDir home;
        const QStringList names = {QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("DESKTOP_SESSION"),
                                   QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("BROWSER"),
                                   QStringLiteral("KDE_FULL_SESSION"), QStringLiteral("GNOME_DESKTOP_SESSION_ID")};
        QMap<QString, QByteArray> saved;
        for (const QString &n : names + QStringList{QStringLiteral("HOME"), QStringLiteral("XDG_DATA_HOME"),
                                                    QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("XDG_DATA_DIRS")})
            saved.insert(n, qgetenv(qPrintable(n)));
        for (const QString &n : names)
            qunsetenv(qPrintable(n));
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
        // The system's types, but none of its programs.
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("system"))));
        QVERIFY(QFile::link(QStringLiteral("/usr/share/mime"), home.filePath(QStringLiteral("system/mime"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(home.filePath(QStringLiteral("system"))));
        // xdg-open looks for the type's handler only with a display; no
        // handler started here connects to it.
        qputenv("DISPLAY", ":97");
        const auto restore = qScopeGuard([&saved] {
            for (auto it = saved.cbegin(); it != saved.cend(); ++it)
                it.value().isNull() ? qunsetenv(qPrintable(it.key())) : qputenv(qPrintable(it.key()), it.value());
        });
        const QString copy = home.filePath(QStringLiteral("copy.txt"));
        handler.replace(QStringLiteral("COPY"), copy);
        if (!handler.isEmpty()) {
            QDir().mkpath(home.filePath(QStringLiteral("data/applications")));
            QDir().mkpath(home.filePath(QStringLiteral("config")));
            QFile entry(home.filePath(QStringLiteral("data/applications/failing.desktop")));
            QVERIFY(entry.open(QIODevice::WriteOnly));
            entry.write("[Desktop Entry]\nType=Application\nName=Failing\nExec=" + handler.toUtf8()
                        + "\nMimeType=text/plain;\n");
            entry.close();
            QFile apps(home.filePath(QStringLiteral("config/mimeapps.list")));
            QVERIFY(apps.open(QIODevice::WriteOnly));
            apps.write("[Default Applications]\ntext/plain=failing.desktop\n");
        }
        const QString doc = home.filePath(name);
        QFile f(doc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(handler.isEmpty() ? QByteArray("\x01\x02\xff\xfe binary", 12) : QByteArray("some notes\n"));
        f.close();

        QStringList later;
        QString error;
        QElapsedTimer clock;
        clock.start();
        const int code = Shell_Run(u'"' + doc + u'"', Show_No_Activate, &error,
                                   [&later](const QString &reason) { later << reason; });
        QVERIFY2(clock.elapsed() < 1000, "Shell_Run waited for the opener");
        QVERIFY(code >= 32);
        QVERIFY(error.isEmpty());
        if (works) {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 20000);
            // The opener's exit status is seen when it is reaped: once this
            // process has no child left, a failure would have been reported.
            QTRY_VERIFY_WITH_TIMEOUT(Child_Processes().isEmpty(), 20000);
            QVERIFY(later.isEmpty());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(later.size(), 1, 20000);
        QVERIFY2(later.first().contains(QStringLiteral("no program is set")) || later.first().contains(QStringLiteral("failed")),
                 qPrintable(later.first()));
    }

    // Program paths with blanks and quotes: the right program starts in its
    // own folder with the right arguments.
    void Program_Path_With_Blanks_And_Quotes_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("quoted");
        QTest::newRow("blanks, quoted") << "my tools (2) & more" << true;
        QTest::newRow("apostrophe and dollar, quoted") << "it's $HOME `x` ;" << true;
        QTest::newRow("double quote, no blank") << "say\"hi\"" << false;
        QTest::newRow("percent and apostrophe, no blank") << "100%'s" << false;
    }
    void Program_Path_With_Blanks_And_Quotes()
    {
        QFETCH(QString, folder);
        QFETCH(bool, quoted);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(folder));
        const QString script = dir.filePath(folder + QStringLiteral("/record"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nprintf '%s|%s|%s\\n' \"$1\" \"$2\" \"$(pwd)\" > \"$3.tmp\" && mv \"$3.tmp\" \"$3\"\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // A decoy of the same name one folder up must not be the one started.
        QFile::copy(script, dir.filePath(QStringLiteral("record")));
        const QString program = quoted ? u'"' + script + u'"' : script;
        QString error;
        const int code = Shell_Run(QStringLiteral("%1 first \"second arg\" \"%2\"").arg(program, out), Show_Normal, &error);
        QVERIFY2(code >= 32, qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 5000);
        QFile result(out);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(result.readAll()).trimmed(),
                 QStringLiteral("first|second arg|%1").arg(dir.filePath(folder)));
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
