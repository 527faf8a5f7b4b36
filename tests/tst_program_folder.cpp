// Where the program writes its own documents, and what Check for Update does,
// when its program folder can or cannot be written (a system install).
#include "command_line.h"
#include "program_documents.h"
#include "program_state.h"
#include "report.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

// A folder this process cannot write: as root a read-only bind mount (root
// ignores the permission bits), otherwise the bits alone.
class Read_Only_Folder {
public:
    explicit Read_Only_Folder(const QString &source, const QString &at) : at_(at)
    {
        QDir().mkpath(at);
        if (::geteuid() == 0) {
            mounted_ = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("--bind"), source, at}) == 0;
            ok_ = mounted_ && QProcess::execute(QStringLiteral("mount"),
                                                {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), at}) == 0;
        } else {
            QFile::remove(at);
            QDir().rmdir(at);
            ok_ = QFile::link(source, at)
                  && QFile::setPermissions(source, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                       | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
            source_ = source;
        }
    }
    ~Read_Only_Folder()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {at_});
        if (!source_.isEmpty())
            QFile::setPermissions(source_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool Ok() const { return ok_; }

private:
    QString at_, source_;
    bool mounted_ = false, ok_ = false;
};

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int Check_Update(const QString &program_folder, const QString &source, QString *printed)
{
    QTemporaryDir dir;
    const QByteArray out_path = QFile::encodeName(dir.filePath(QStringLiteral("out")));
    FILE *out = std::fopen(out_path.constData(), "w+");
    FILE *err = std::fopen("/dev/null", "w");
    const int status = Run_Command_Line({QStringLiteral("--check-update"), QStringLiteral("--source"), source},
                                        program_folder, out, err, dir.filePath(QStringLiteral("none.ini")));
    std::fclose(out);
    std::fclose(err);
    *printed = QString::fromUtf8(Read(QString::fromLocal8Bit(out_path)));
    return status;
}

} // namespace

class Tst_Program_Folder : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    QString data_home_;

private slots:
    void init()
    {
        data_home_ = home_.filePath(QStringLiteral("data"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data_home_));
        QDir(data_home_).removeRecursively();
    }

    // Every document the program writes goes to one folder: the program
    // folder when it can be written, else the user's data folder.
    void Documents_Go_Where_They_Can_Be_Written_data()
    {
        QTest::addColumn<bool>("read_only");
        QTest::addColumn<bool>("packaged");
        QTest::newRow("writable program folder") << false << false;
        QTest::newRow("system install") << true << false;
        // A package's folder that this user could write (root, say) is still the package manager's.
        QTest::newRow("package marker in a writable folder") << true << true;
    }
    void Documents_Go_Where_They_Can_Be_Written()
    {
        QFETCH(bool, read_only);
        QFETCH(bool, packaged);
        QTemporaryDir base;
        const QString real = base.filePath(QStringLiteral("real"));
        QVERIFY(QDir().mkpath(real));
        QString program = real;
        std::unique_ptr<Read_Only_Folder> guard;
        if (packaged)
            QVERIFY(Write_File(real + u'/' + QLatin1String(Package_Marker), {}));
        else if (read_only) {
            program = base.filePath(QStringLiteral("usr lib quorvel"));
            guard = std::make_unique<Read_Only_Folder>(real, program);
            QVERIFY2(guard->Ok(), "could not make a read-only folder");
        }
        QCOMPARE(Program_Folder_Writable(program), !read_only);
        const QString expected = read_only ? data_home_ + QStringLiteral("/Quorvel") : program;
        QCOMPARE(Document_Folder(program), expected);
        QVERIFY(QFileInfo(expected).isDir());

        Program_State state;
        Set_Program_Paths(state, program + u'/');
        QCOMPARE(state.App_Path, program);
        QCOMPARE(state.Document_Path, read_only ? expected : QString());
        QCOMPARE(Report_Path(state), expected + QStringLiteral("/Quorvel.prn"));
        QCOMPARE(state.Document_File(QStringLiteral("License.txt")), expected + QStringLiteral("/License.txt"));
        // The tables are still read from the program folder.
        QCOMPARE(state.File1, program + QStringLiteral("/Table-1.dat"));

        QString error;
        QVERIFY2(Write_Report(state, Report_Path(state), &error), qPrintable(error));
        QVERIFY2(Write_License(QFileInfo(state.Document_File(QStringLiteral("License.txt"))).path(), &error),
                 qPrintable(error));
        QVERIFY(Read(expected + QStringLiteral("/Quorvel.prn")).contains("Calculated Fixture Units"));
        QVERIFY(!Read(expected + QStringLiteral("/License.txt")).isEmpty());
        QCOMPARE(QFileInfo::exists(real + QStringLiteral("/Quorvel.prn")), !read_only);
        QCOMPARE(QFileInfo::exists(data_home_), read_only); // nothing in the user's folder otherwise
    }

    // The command line's update check on a system install says that the
    // package manager updates it and does not even read the source.
    void Check_Update_On_A_System_Install()
    {
        QTemporaryDir base;
        const QString real = base.filePath(QStringLiteral("real"));
        QVERIFY(QDir().mkpath(real));
        QString printed;
        // From a writable folder the source is read, and found missing.
        QCOMPARE(Check_Update(real, base.filePath(QStringLiteral("no source")), &printed), 1);
        const QString program = base.filePath(QStringLiteral("ro"));
        Read_Only_Folder guard(real, program);
        QVERIFY2(guard.Ok(), "could not make a read-only folder");
        QCOMPARE(Check_Update(program, base.filePath(QStringLiteral("no source")), &printed), 0);
        QVERIFY2(printed.contains(QStringLiteral("system's package manager")), qPrintable(printed));
        QVERIFY(printed.contains(program));
        QCOMPARE(QDir(real).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
};

QTEST_GUILESS_MAIN(Tst_Program_Folder)
#include "tst_program_folder.moc"
