// The installer against real faults: a full disk, hostile manifests, a
// command of the same name that is not Quorvel's, a dropped file on upgrade;
// and its window.
#include "frm_setup.h"
#include "setup_core.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

bool Write(const QString &path, const QByteArray &bytes, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    return !executable || f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file and link below a folder, relative to it, sorted.
QStringList Files_Below(const QString &folder)
{
    QStringList all;
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all << QDir(folder).relativeFilePath(it.next());
    all.sort();
    return all;
}

} // namespace

class Tst_Setup : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString home_, medium_;
    QByteArray saved_home_;

    Setup_Paths Paths(const QString &prefix) const { return Default_Setup_Paths(medium_, prefix); }

    // A medium with a program of the given text and one table.
    void Make_Medium(const QByteArray &program, const QByteArray &table = "table v1\n")
    {
        QDir(medium_).removeRecursively();
        QVERIFY(Write(medium_ + QStringLiteral("/program/Quorvel"), program, true));
        QVERIFY(Write(medium_ + QStringLiteral("/program/Table-1.dat"), table));
        QVERIFY(Write(medium_ + QStringLiteral("/program/quorvel.svg"), "<svg xmlns='http://www.w3.org/2000/svg'/>"));
        QVERIFY(Write(medium_ + QStringLiteral("/program/icons/hicolor/48x48/apps/quorvel.png"), "png"));
    }

private slots:
    void initTestCase() { saved_home_ = qgetenv("HOME"); }
    void cleanupTestCase() { qputenv("HOME", saved_home_); }

    void init()
    {
        home_ = root_.filePath(QStringLiteral("home"));
        medium_ = root_.filePath(QStringLiteral("CD ROM"));
        QDir(home_).removeRecursively();
        QDir().mkpath(home_);
        qputenv("HOME", QFile::encodeName(home_));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_ + QStringLiteral("/.local/share")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_ + QStringLiteral("/.config")));
        Make_Medium("#!/bin/sh\necho v1\n");
    }

    void Install_Then_Uninstall_Leaves_Only_Settings()
    {
        const QString prefix = home_ + QStringLiteral("/opt/My Quorvel");
        QVERIFY(Write(home_ + QStringLiteral("/.config/Quorvel/Quorvel.ini"), "[Config]\n"));
        const Setup_Result r = Setup_Install(Paths(prefix));
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QVERIFY(!r.Upgrade);
        QCOMPARE(Read(prefix + QStringLiteral("/Table-1.dat")), QByteArray("table v1\n"));
        QVERIFY(QFileInfo(prefix + QStringLiteral("/Quorvel")).isExecutable());
        QCOMPARE(QFileInfo(home_ + QStringLiteral("/.local/bin/quorvel")).symLinkTarget(), prefix + QStringLiteral("/Quorvel"));
        QVERIFY(QFileInfo::exists(home_ + QStringLiteral("/.local/share/icons/hicolor/scalable/apps/quorvel.svg")));
        QVERIFY(QFileInfo::exists(home_ + QStringLiteral("/.local/share/icons/hicolor/48x48/apps/quorvel.png")));
        const QByteArray entry = Read(home_ + QStringLiteral("/.local/share/applications/quorvel.desktop"));
        QVERIFY(entry.contains("\nIcon=quorvel\n"));
        // A program folder with a blank is reached through the launcher script.
        QVERIFY(entry.contains("Exec=" + QFile::encodeName(home_) + "/.local/share/Quorvel/quorvel-open %f\n"));
        QVERIFY(Read(home_ + QStringLiteral("/.local/share/Quorvel/quorvel-open")).contains(QFile::encodeName(prefix)));
        QVERIFY(Read(home_ + QStringLiteral("/.config/mimeapps.list")).contains("application/x-quorvel=quorvel.desktop"));

        const Setup_Result u = Setup_Uninstall(Paths(prefix));
        QVERIFY2(u.Ok, qPrintable(u.Error));
        QCOMPARE(Files_Below(home_), QStringList{QStringLiteral(".config/Quorvel/Quorvel.ini")});
        QVERIFY(!QFileInfo::exists(home_ + QStringLiteral("/opt")));
        QVERIFY(!QFileInfo::exists(home_ + QStringLiteral("/.local")));
    }

    // What setup reports is what is so: the command is offered by its name only
    // when its folder is on PATH, and settings are named as kept only when
    // there are any.
    void Reports_Path_And_Settings_Truthfully_data()
    {
        QTest::addColumn<bool>("on_path");
        QTest::addColumn<bool>("settings");
        QTest::newRow("on PATH, with settings") << true << true;
        QTest::newRow("not on PATH, no settings") << false << false;
    }
    void Reports_Path_And_Settings_Truthfully()
    {
        QFETCH(bool, on_path);
        QFETCH(bool, settings);
        const QByteArray saved_path = qgetenv("PATH");
        qputenv("PATH", on_path ? QFile::encodeName(home_) + "/.local/bin:/usr/bin:/bin" : QByteArray("/usr/bin:/bin"));
        if (settings)
            QVERIFY(Write(home_ + QStringLiteral("/.config/Quorvel/Quorvel.ini"), "[Config]\n"));
        const QString prefix = home_ + QStringLiteral("/q");
        const Setup_Result r = Setup_Install(Paths(prefix));
        qputenv("PATH", saved_path);
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QCOMPARE(r.Command_On_Path, on_path);
        QCOMPARE(r.Done.join(u'\n').contains(QStringLiteral("is not on your PATH")), !on_path);
        const Setup_Result u = Setup_Uninstall(Paths(prefix));
        QVERIFY2(u.Ok, qPrintable(u.Error));
        QCOMPARE(u.Done.contains(QStringLiteral("Your settings in ~/.config/Quorvel/Quorvel.ini were kept.")), settings);
    }

    // Another program's defaults, icons and menu entries are not touched.
    void Uninstall_Keeps_What_Others_Put_There()
    {
        const QString prefix = home_ + QStringLiteral("/q");
        QVERIFY(Write(home_ + QStringLiteral("/.config/mimeapps.list"),
                      "[Default Applications]\ntext/plain=ed.desktop\n"));
        QVERIFY(Write(home_ + QStringLiteral("/.local/share/applications/ed.desktop"),
                      "[Desktop Entry]\nType=Application\nName=ed\nExec=ed %f\n"));
        QVERIFY(Write(home_ + QStringLiteral("/.local/share/icons/hicolor/scalable/apps/ed.svg"), "<svg/>"));
        QVERIFY(Write(home_ + QStringLiteral("/.local/bin/tool"), "#!/bin/sh\n", true));
        QVERIFY(Setup_Install(Paths(prefix)).Ok);
        QVERIFY(Setup_Uninstall(Paths(prefix)).Ok);
        QStringList left = Files_Below(home_);
        left.removeAll(QStringLiteral(".local/share/applications/mimeinfo.cache")); // rebuilt for ed.desktop
        QCOMPARE(left, (QStringList{QStringLiteral(".config/mimeapps.list"), QStringLiteral(".local/bin/tool"),
                                    QStringLiteral(".local/share/applications/ed.desktop"),
                                    QStringLiteral(".local/share/icons/hicolor/scalable/apps/ed.svg")}));
        QCOMPARE(Read(home_ + QStringLiteral("/.config/mimeapps.list")),
                 QByteArray("[Default Applications]\ntext/plain=ed.desktop\n"));
    }

    // A "quorvel" command that is someone else's stays as it was.
    void Foreign_Command_Is_Kept()
    {
        const QString prefix = home_ + QStringLiteral("/q");
        const QString command = home_ + QStringLiteral("/.local/bin/quorvel");
        QVERIFY(Write(command, "#!/bin/sh\necho mine\n", true));
        const Setup_Result r = Setup_Install(Paths(prefix));
        QVERIFY(r.Ok);
        QVERIFY(r.Done.join(u'\n').contains(QStringLiteral("is not Quorvel's")));
        QCOMPARE(Read(command), QByteArray("#!/bin/sh\necho mine\n"));
        QVERIFY(Setup_Uninstall(Paths(prefix)).Ok);
        QCOMPARE(Read(command), QByteArray("#!/bin/sh\necho mine\n"));
    }

    // An upgrade replaces the program files, removes what the new release
    // no longer has, and keeps the user's jobs in the program folder.
    void Upgrade_In_Place()
    {
        const QString prefix = home_ + QStringLiteral("/q");
        QVERIFY(Write(medium_ + QStringLiteral("/program/Old-List.mtr"), "old\n"));
        QVERIFY(Setup_Install(Paths(prefix)).Ok);
        QVERIFY(Write(prefix + QStringLiteral("/My job.qvl"), "job\n"));
        Make_Medium("#!/bin/sh\necho v2\n", "table v2\n");
        const Setup_Result r = Setup_Install(Paths(prefix));
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QVERIFY(r.Upgrade);
        QCOMPARE(Read(prefix + QStringLiteral("/Quorvel")), QByteArray("#!/bin/sh\necho v2\n"));
        QCOMPARE(Read(prefix + QStringLiteral("/Table-1.dat")), QByteArray("table v2\n"));
        QVERIFY(!QFileInfo::exists(prefix + QStringLiteral("/Old-List.mtr")));
        QCOMPARE(Read(prefix + QStringLiteral("/My job.qvl")), QByteArray("job\n"));
        const Setup_Result u = Setup_Uninstall(Paths(prefix));
        QVERIFY(u.Ok);
        QCOMPARE(Files_Below(prefix), QStringList{QStringLiteral("My job.qvl")});
        QVERIFY(u.Done.join(u'\n').contains(QStringLiteral("My job.qvl")));
    }

    // A manifest that names files outside the install: those are not removed.
    void Hostile_Manifest_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("outside the home") << QByteArray("file OUTSIDE");
        QTest::newRow("climbing out") << QByteArray("file PREFIX/../../OUTSIDE_NAME");
        QTest::newRow("relative") << QByteArray("file victim.txt");
        QTest::newRow("the home itself") << QByteArray("file HOME");
        QTest::newRow("binary junk") << QByteArray("file \x01\xff\xfe\x00zz", 9);
        QTest::newRow("no kind") << QByteArray("OUTSIDE");
    }
    void Hostile_Manifest()
    {
        QFETCH(QByteArray, line);
        const QString prefix = home_ + QStringLiteral("/q");
        const QString outside = root_.filePath(QStringLiteral("victim.txt"));
        QVERIFY(Write(outside, "keep me\n"));
        QVERIFY(Setup_Install(Paths(prefix)).Ok);
        line.replace("OUTSIDE_NAME", "victim.txt").replace("OUTSIDE", QFile::encodeName(outside));
        line.replace("PREFIX", QFile::encodeName(prefix)).replace("HOME", QFile::encodeName(home_));
        QFile m(Setup_Manifest_Path(prefix));
        QVERIFY(m.open(QIODevice::Append));
        m.write(line + '\n');
        m.close();
        QVERIFY(Setup_Uninstall(Paths(prefix)).Ok);
        QCOMPARE(Read(outside), QByteArray("keep me\n"));
        QVERIFY(QFileInfo(home_).isDir());
    }

    void Manifest_That_Is_Not_One()
    {
        const QString prefix = home_ + QStringLiteral("/q");
        QVERIFY(Write(prefix + QStringLiteral("/keep.dat"), "x"));
        // Empty, huge, binary: nothing listed, nothing removed.
        for (const QByteArray &bytes : {QByteArray(), QByteArray(3 * 1024 * 1024, 'f'), QByteArray("\0\0\0\xff", 4)}) {
            QVERIFY(Write(Setup_Manifest_Path(prefix), bytes));
            QVERIFY(Setup_Uninstall(Paths(prefix)).Ok);
            QCOMPARE(Read(prefix + QStringLiteral("/keep.dat")), QByteArray("x"));
        }
        const Setup_Result none = Setup_Uninstall(Paths(home_ + QStringLiteral("/nothing")));
        QVERIFY(!none.Ok);
        QVERIFY(none.Error.contains(QStringLiteral("No Quorvel installed by setup")));
    }

    void Missing_Program_Changes_Nothing()
    {
        QFile::remove(medium_ + QStringLiteral("/program/Quorvel"));
        const Setup_Result r = Setup_Install(Paths(home_ + QStringLiteral("/q")));
        QVERIFY(!r.Ok);
        QVERIFY(r.Error.contains(QStringLiteral("not found")));
        QCOMPARE(Files_Below(home_), QStringList());
        QCOMPARE(QDir(home_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    // A disk that fills during the upgrade: the earlier install stays whole.
    void Full_Disk_Keeps_The_Earlier_Install()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        const QString prefix = root_.filePath(QStringLiteral("small disk"));
        QVERIFY(QDir().mkpath(prefix));
        QCOMPARE(QProcess::execute(QStringLiteral("mount"),
                                   {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                    QStringLiteral("size=64k"), QStringLiteral("tmpfs"), prefix}),
                 0);
        const auto unmount = qScopeGuard([&prefix] { QProcess::execute(QStringLiteral("umount"), {prefix}); });
        QVERIFY(Setup_Install(Paths(prefix)).Ok);
        const QByteArray manifest = Read(Setup_Manifest_Path(prefix));
        Make_Medium("#!/bin/sh\necho v2\n" + QByteArray(200 * 1024, '#'), "table v2\n");
        const Setup_Result r = Setup_Install(Paths(prefix));
        QVERIFY(!r.Ok);
        QVERIFY2(r.Error.contains(QStringLiteral("Nothing was changed")), qPrintable(r.Error));
        QCOMPARE(Read(prefix + QStringLiteral("/Quorvel")), QByteArray("#!/bin/sh\necho v1\n"));
        QCOMPARE(Read(prefix + QStringLiteral("/Table-1.dat")), QByteArray("table v1\n"));
        QCOMPARE(Read(Setup_Manifest_Path(prefix)), manifest);
        QVERIFY(!QFileInfo::exists(prefix + QStringLiteral("/.setup-stage")));
    }

    // The window: install, what was done, the offer to start Quorvel; then
    // the same window finds the install and uninstalls it.
    void Window_Installs_And_Offers_To_Start()
    {
        const QString prefix = home_ + QStringLiteral("/win");
        QStringList started;
        Frm_Setup window(medium_, prefix, false, [&started](const QString &program) {
            started << program;
            return true;
        });
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvel Setup"));
        QCOMPARE(window.Txt_Prefix->text(), prefix);
        QVERIFY(!window.Button_Uninstall->isEnabled());
        QVERIFY(window.Button_Start->isHidden());
        window.Button_Install->click();
        QVERIFY2(window.Txt_Log->toPlainText().contains(QStringLiteral("Installed the program folder")),
                 qPrintable(window.Lab_Status->text()));
        QCOMPARE(window.Lab_Status->text(), QStringLiteral("Quorvel was installed. Start it now?"));
        QVERIFY(window.Button_Start->isVisible());
        window.Button_Start->click();
        QCOMPARE(started, QStringList{prefix + QStringLiteral("/Quorvel")});

        Frm_Setup again(medium_, prefix, true, [](const QString &) { return false; });
        QVERIFY(again.Button_Uninstall->isEnabled());
        QCOMPARE(again.Button_Install->text(), QStringLiteral("Upgrade"));
        again.Button_Uninstall->click();
        QCOMPARE(again.Lab_Status->text(), QStringLiteral("Quorvel was uninstalled."));
        QVERIFY(!QFileInfo::exists(prefix));
    }

    void Window_Reports_A_Missing_Program()
    {
        QFile::remove(medium_ + QStringLiteral("/program/Quorvel"));
        Frm_Setup window(medium_, home_ + QStringLiteral("/q"), false, [](const QString &) { return true; });
        QVERIFY(window.Lab_Status->text().contains(QStringLiteral("missing")));
        window.Button_Install->click();
        QVERIFY(window.Lab_Status->text().startsWith(QStringLiteral("Setup failed: ")));
        QVERIFY(window.Button_Start->isHidden());
    }
};

QTEST_MAIN(Tst_Setup)
#include "tst_setup.moc"
