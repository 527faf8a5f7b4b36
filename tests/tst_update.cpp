#include "frm_update.h"
#include "update_check.h"
#include "update_fetch.h"
#include "update_run.h"
#include "update_staging.h"
#include "frm_download.h"
#include "update_verify.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QtTest>

namespace {

// A one-file web server on the loopback: answers every request with the
// given status line and body; a body may be cut short of its length.
class Tiny_Server : public QObject {
public:
    QByteArray Status = "200 OK";
    QByteArray Body;
    bool Cut_Short = false;
    QStringList Paths;

    Tiny_Server()
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = server_.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->readAll();
                Paths << QString::fromLatin1(request.split(' ').value(1));
                const qsizetype length = Body.size() + (Cut_Short ? 100 : 0);
                socket->write("HTTP/1.1 " + Status + "\r\nContent-Length: " + QByteArray::number(length)
                              + "\r\nConnection: close\r\n\r\n" + Body);
                socket->disconnectFromHost();
            });
        });
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/programs/Quorvel/Update/").arg(server_.serverPort()); }

private:
    QTcpServer server_;
};

const QByteArray Manifest_Text =
    "' Quorvel update source, test copy\r\n"
    "Server Version = 1.02.0900\r\n"
    "table-1 = 01/15/2027\r\n"
    "Table-2 = 12/09/2026\r\n"
    "METERLIST\r\nAWWA-Standard.mtr\r\n12/31/2026\r\n"
    "MeterList, New-List.mtr, 01/02/2027\r\n";

} // namespace

class Test_Update : public QObject {
    Q_OBJECT

private slots:
    void Source_Kinds_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("kind");
        QTest::newRow("lower drive") << "d:\\update" << int(Update_Source_Kind::Drive);
        QTest::newRow("drive W") << "W:\\update" << int(Update_Source_Kind::None);
        QTest::newRow("folder") << "/media/cdrom/update" << int(Update_Source_Kind::Drive);
        QTest::newRow("share") << "\\\\server\\share" << int(Update_Source_Kind::Share);
        QTest::newRow("share slashes") << "//server/share" << int(Update_Source_Kind::Share);
        QTest::newRow("http") << "http://example.net/u/" << int(Update_Source_Kind::Http);
        QTest::newRow("https") << "https://example.net/u/" << int(Update_Source_Kind::Http);
        QTest::newRow("upper scheme") << "HTTP://example.net/" << int(Update_Source_Kind::None);
        QTest::newRow("empty") << "" << int(Update_Source_Kind::None);
    }
    void Source_Kinds()
    {
        QFETCH(QString, server);
        QFETCH(int, kind);
        QCOMPARE(int(Source_Kind(server)), kind);
    }

    void Locations()
    {
        QCOMPARE(Source_Location(QStringLiteral("http://h/u/"), QStringLiteral("Update.txt")), QStringLiteral("http://h/u/Update.txt"));
        QCOMPARE(Source_Location(QStringLiteral("http://h/u"), QStringLiteral("Update.txt")), QStringLiteral("http://h/u/Update.txt"));
        QCOMPARE(Source_Location(QStringLiteral("D:\\up\\"), QStringLiteral("a")), QStringLiteral("D:\\up\\a"));
        QCOMPARE(Source_Location(QStringLiteral("/media/up"), QStringLiteral("a")), QStringLiteral("/media/up/a"));
    }

    void Manifest_Items()
    {
        const Update_Manifest m = Parse_Manifest(Manifest_Text);
        QCOMPARE(m.Server_Version, QStringLiteral("1.02.0900"));
        QCOMPARE(m.Table_Date[0], QStringLiteral("01/15/2027")); // key in lower case
        QCOMPARE(m.Table_Date[1], QStringLiteral("12/09/2026"));
        QCOMPARE(m.Table_Date[2], QString());
        QCOMPARE(m.Lists.size(), 2);
        QCOMPARE(m.Lists[1].Name, QStringLiteral("New-List.mtr"));
        QCOMPARE(m.Lists[1].Date, QStringLiteral("01/02/2027"));
    }

    void Manifest_Edge_Cases_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("version");
        QTest::newRow("no blanks around =") << QByteArray("Server Version=1.02.0900\r\n") << "";
        QTest::newRow("comment with comma") << QByteArray("' note, Server Version = 9.99.9999\r\n") << "9.99.9999";
        QTest::newRow("later wins") << QByteArray("Server Version = 1\r\nServer Version = 2\r\n") << "2";
        QTest::newRow("after 50 reads") << QByteArray(QByteArray("x\r\n").repeated(50) + "Server Version = 3\r\n") << "";
        QTest::newRow("binary") << QByteArray("\x00\xff\x01,\"\r\n\"", 8) << "";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void Manifest_Edge_Cases()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, version);
        QCOMPARE(Parse_Manifest(text).Server_Version, version);
    }

    void Update_List_Rows()
    {
        const QList<Update_List_Row> local = {{"b.mtr", "12/01/2001", "", false, ""},
                                              {"A-Long-Name-Of-Twenty-Six.mtr", "01/01/2002", "", false, ""},
                                              {"only-here.MTR", "01/01/2002", "", false, ""}};
        const QList<Server_List_Entry> server = {{"B.MTR", "01/15/2002"}, {"a-long-name-of-twenty-six.mtr", "02/01/2002"},
                                                 {"new.mtr", "03/01/2002"}, {"", "x"}};
        const QList<Update_List_Row> rows = Build_Update_List(local, server);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0].Name, QStringLiteral("A-Long-Name-Of-Twenty-Six.mtr"));
        QCOMPARE(rows[1].Name, QStringLiteral("b.mtr"));
        QCOMPARE(rows[1].Server_Name, QStringLiteral("B.MTR")); // fetched by the source's spelling
        QCOMPARE(rows[1].Server_Date, QStringLiteral("01/15/2002"));
        QCOMPARE(rows[2].Name, QStringLiteral("new.mtr"));
        QCOMPARE(rows[2].Local_Date, QStringLiteral("None"));
        QCOMPARE(rows[3].Server_Date, QStringLiteral("None"));
        QVERIFY(rows[3].Server_Name.isEmpty());
        // Dates compare as dates: 01/15/2002 is later than 12/01/2001.
        QCOMPARE(Update_Row_Text(rows[1]), QStringLiteral(" << b.mtr                     12/01/2001     01/15/2002"));
        QCOMPARE(Update_Row_Text(rows[0]), QStringLiteral(" << A-Long-Name-Of-Twenty-Six.mtr01/01/2002  02/01/2002"));
        QVERIFY(Update_Row_Text(rows[2]).startsWith(QStringLiteral("    new.mtr"))); // nothing here to be newer than
    }

    void List_Dates_data()
    {
        QTest::addColumn<QString>("here");
        QTest::addColumn<QString>("there");
        QTest::addColumn<bool>("newer");
        QTest::newRow("into the new year") << "12/10/2026" << "01/20/2027" << true;
        QTest::newRow("back over the new year") << "01/20/2027" << "12/10/2026" << false;
        QTest::newRow("same day") << "01/20/2027" << "01/20/2027" << false;
        QTest::newRow("source date unreadable") << "01/20/2027" << "2027-13-45x" << false;
        QTest::newRow("no date here") << "" << "01/20/2027" << false;
    }
    void List_Dates()
    {
        QFETCH(QString, here);
        QFETCH(QString, there);
        QFETCH(bool, newer);
        const Update_List_Row row{QStringLiteral("x.mtr"), here, there, false, QStringLiteral("x.mtr")};
        QCOMPARE(Server_List_Newer(row), newer);
        QCOMPARE(Update_Row_Text(row).startsWith(QStringLiteral(" << ")), newer);
    }

    void Http_Fetch()
    {
        Tiny_Server server;
        server.Body = Manifest_Text;
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("Update.txt"));
        Update_Manifest m = Fetch_Manifest(server.Url(), copy, 5000);
        QCOMPARE(m.Server_Version, QStringLiteral("1.02.0900"));
        QCOMPARE(server.Paths, QStringList{QStringLiteral("/programs/Quorvel/Update/Update.txt")});
        QVERIFY(!QFile::exists(copy)); // the copy is never kept

        server.Status = "404 Not Found";
        server.Body = "<html>Server Version = 9.99.9999</html>";
        QCOMPARE(Fetch_Manifest(server.Url(), copy, 5000).Server_Version, QString());

        server.Status = "200 OK";
        server.Body = Manifest_Text;
        server.Cut_Short = true;
        Fetch_Options options;
        options.Inactivity_Ms = 3000;
        const Fetch_Outcome cut = Fetch_To_File(server.Url(), QStringLiteral("Update.txt"), copy, options);
        QVERIFY(!cut.Ok);
        QVERIFY(!cut.Missing);
        QVERIFY(!QFile::exists(copy)); // nothing of a cut body is left
    }

    void Dialog_From_A_Folder_Source()
    {
        QTemporaryDir source, program;
        QFile m(source.filePath(QStringLiteral("Update.txt")));
        QVERIFY(m.open(QIODevice::WriteOnly));
        m.write(Manifest_Text);
        m.close();
        QFile local(program.filePath(QStringLiteral("AWWA-Standard.mtr")));
        QVERIFY(local.open(QIODevice::WriteOnly));
        local.write("Date: 12/09/2026\r\nDesc: local\r\n");
        local.close();
        Frm_Update::Local_State state{source.path(), program.path(), QStringLiteral("1.02.0808"),
                                      {QDate(2026, 12, 9), QDate(2026, 12, 9), QDate(2026, 12, 9)}, {}, {}};
        Frm_Update dialog(state);
        dialog.Load();
        QCOMPARE(dialog.Lab_Wait->text(), QStringLiteral("Ready"));
        QCOMPARE(dialog.Lab_Serv_Program->text(), QStringLiteral("1.02.0900"));
        QVERIFY(!dialog.Image_Newer[0]->isHidden());  // 1.02.0900 is newer than 1.02.0808
        QVERIFY(!dialog.Image_Newer[1]->isHidden());  // Table-1 01/15/2027
        QVERIFY(dialog.Image_Newer[2]->isHidden());   // the same date
        QVERIFY(dialog.Image_Newer[3]->isHidden());   // not at the source
        QCOMPARE(dialog.LB_Files->count(), 2);
        QVERIFY(dialog.LB_Files->item(0)->text().startsWith(QStringLiteral(" << AWWA-Standard.mtr")));
        QVERIFY(!QFile::exists(program.filePath(QStringLiteral("Update.txt"))));

        // A drive letter: the user is told the folder form instead.
        QStringList told;
        Frm_Update::Local_State drive = state;
        drive.Server_Name = QStringLiteral("D:\\update");
        drive.Show_Message = [&told](const QString &m) { told << m; };
        Frm_Update lettered(drive);
        lettered.Load();
        QCOMPARE(lettered.Lab_Wait->text(), QStringLiteral("Oops Server Error"));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QStringLiteral("/media/cdrom/update")), qPrintable(told.value(0)));

        Frm_Update::Local_State nowhere = state;
        nowhere.Server_Name = QStringLiteral("X:\\update");
        Frm_Update failed(nowhere);
        failed.Load();
        QCOMPARE(failed.Lab_Wait->text(), QStringLiteral("Oops Server Error"));
        QVERIFY(!failed.Lab_Error->isHidden()); // and why, under it
        QVERIFY2(failed.Lab_Error->text().contains(QStringLiteral("is neither a folder")), qPrintable(failed.Lab_Error->text()));
        QVERIFY(dialog.Lab_Error->isHidden());
        // A list only on this computer cannot be ticked.
        QCOMPARE(failed.LB_Files->count(), 1);
        failed.LB_Files->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(failed.LB_Files->item(0)->checkState(), Qt::Unchecked);
        QVERIFY(!failed.Update_List[0].Update_Mark);
    }
};

namespace {

// A shipped file beside the test program, with a line that marks this copy.
QByteArray Shipped(const QString &name, const QByteArray &marker)
{
    QFile f(QCoreApplication::applicationDirPath() + u'/' + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("the shipped file %s is missing", qPrintable(name));
    return f.readAll() + "' " + marker + "\r\n";
}

// An executable of this computer: the test program itself, marked.
QByteArray Program_Bytes(const QByteArray &marker)
{
    QFile f(QCoreApplication::applicationFilePath());
    if (!f.open(QIODevice::ReadOnly))
        qFatal("the test program cannot be read");
    return f.readAll() + marker;
}

// A program folder with current files, and a source held in memory.
struct Run_Fixture {
    QTemporaryDir dir;
    QMap<QString, QByteArray> source;
    QStringList fetched;
    int advanced = 0;

    Run_Fixture()
    {
        for (const char *name : {"Table-1.dat", "Table-2.dat", "Table-3.dat", "AWWA-Standard.mtr", "Quorvel",
                                 "Version.txt", "Quorvel.vmf"})
            Put(QLatin1String(name), QByteArray("old ") + name);
    }
    void Put(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    QByteArray Get(const QString &name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    Update_Run_Result Run(const Update_Choice &choice)
    {
        Update_Run_Context c;
        c.App_Path = dir.path();
        c.Today = QDate(2002, 6, 27);
        c.Fetch = [this](const QString &name, const QString &destination, const Fetch_Options &) {
            Fetch_Outcome outcome;
            if (!name.startsWith(QStringLiteral("SHA256SUMS")))
                fetched << name;
            outcome.Missing = !source.contains(name);
            QFile f(destination);
            outcome.Ok = !outcome.Missing && f.open(QIODevice::WriteOnly) && f.write(source.value(name)) == source.value(name).size();
            return outcome;
        };
        c.Advance = [this] { ++advanced; };
        return Run_Update(c, choice);
    }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
    QStringList Staging() const
    {
        return QDir(dir.path()).entryList({Staging_Folder_Name + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

} // namespace

class Test_Update_Run : public QObject {
    Q_OBJECT

private slots:
    void Step_Counts_data()
    {
        QTest::addColumn<bool>("program");
        QTest::addColumn<int>("tables");
        QTest::addColumn<int>("lists");
        QTest::addColumn<int>("steps");
        QTest::newRow("program, Table-2 and two lists") << true << 1 << 2 << 9;
        QTest::newRow("only Table-1") << false << 1 << 0 << 1;
        QTest::newRow("nothing") << false << 0 << 0 << 1;
    }
    void Step_Counts()
    {
        QFETCH(bool, program);
        QFETCH(int, tables);
        QFETCH(int, lists);
        QFETCH(int, steps);
        Update_Choice c;
        c.Program = program;
        for (int t = 0; t < tables; ++t)
            c.Table[t + 1] = true;
        for (int l = 0; l < lists; ++l)
            c.Meter_Lists << QStringLiteral("L%1.mtr").arg(l);
        QCOMPARE(Update_Step_Count(c), steps);
        Frm_Download progress(steps, QStringLiteral("/no/such/folder"));
        QCOMPARE(progress.Lab_Total->text(), QString::number(steps));
        QVERIFY(!progress.Label3->isHidden()); // no clip: the text shows through
    }

    void Only_Table_2()
    {
        Run_Fixture f;
        const QByteArray new_2 = Shipped(QStringLiteral("Table-2.dat"), "new table 2");
        f.source[QStringLiteral("Table-2.dat")] = new_2;
        Update_Choice c;
        c.Table[1] = true;
        const Update_Run_Result r = f.Run(c);
        QVERIFY(r.Problems.isEmpty());
        QCOMPARE(f.Get(QStringLiteral("Table-2.dat")), new_2);
        QCOMPARE(f.Get(QStringLiteral("Table-2-062702.bak")), QByteArray("old Table-2.dat"));
        QVERIFY(!f.Files().contains(QStringLiteral("Table-2.tmp")));
        QCOMPARE(f.advanced, 1);
        QCOMPARE(r.Messages.first(), QStringLiteral("Backups of your files were placed in '%1' with the date and "
                                                    "extention of '.bak'.  You must restart Quorvel for the updates "
                                                    "to take effect.").arg(f.dir.path()));
        QCOMPARE(r.Messages.last(), QStringLiteral("Plase restart Quorvel for the updates to take effect."));
        QVERIFY(!r.Program_Replaced);

        // A second run the same day keeps the first backup and makes another.
        const QByteArray newer_2 = Shipped(QStringLiteral("Table-2.dat"), "newer table 2");
        f.source[QStringLiteral("Table-2.dat")] = newer_2;
        QCOMPARE(f.Run(c).Files.value(0).Note, QStringLiteral("backup Table-2-062702-2.bak"));
        QCOMPARE(f.Get(QStringLiteral("Table-2-062702.bak")), QByteArray("old Table-2.dat"));
        QCOMPARE(f.Get(QStringLiteral("Table-2-062702-2.bak")), new_2);
        QCOMPARE(f.Get(QStringLiteral("Table-2.dat")), newer_2);
    }

    void Meter_Lists_And_Missing_Files()
    {
        Run_Fixture f;
        const QByteArray list = Shipped(QStringLiteral("AWWA-Standard.mtr"), "new list");
        const QByteArray only = Shipped(QStringLiteral("AWWA-Standard.mtr"), "only at the source");
        f.source[QStringLiteral("AWWA-Standard.mtr")] = list;
        f.source[QStringLiteral("New.mtr")] = only;
        const QStringList before = f.Files();
        // A ticked item missing at the source: all or nothing, so nothing.
        Update_Choice c;
        c.Table[0] = true; // not at the source
        c.Meter_Lists = {QStringLiteral("AWWA-Standard.mtr"), QStringLiteral("New.mtr")};
        Update_Run_Result r = f.Run(c);
        QVERIFY(!r.Anything_Replaced());
        QCOMPARE(f.Files(), before);
        QCOMPARE(f.Get(QStringLiteral("AWWA-Standard.mtr")), QByteArray("old AWWA-Standard.mtr"));
        QCOMPARE(r.Problems.size(), 1);
        QVERIFY(r.Problems.first().startsWith(QStringLiteral("Table-1.dat could not be fetched")));
        QCOMPARE(r.Messages.size(), 1); // no backup or restart message
        QCOMPARE(f.advanced, 3);        // the bar reaches its total all the same
        // A name that is not a plain file name: nothing is fetched at all.
        c.Table[0] = false;
        c.Meter_Lists << QStringLiteral("../evil.mtr");
        f.fetched.clear();
        r = f.Run(c);
        QVERIFY(!r.Anything_Replaced());
        QVERIFY(f.fetched.isEmpty());
        QCOMPARE(f.Files(), before);
        // The lists alone.
        c.Meter_Lists.removeLast();
        r = f.Run(c);
        QVERIFY2(r.Problems.isEmpty(), qPrintable(r.Problems.join(u';')));
        QCOMPARE(f.Get(QStringLiteral("AWWA-Standard.mtr")), list);
        QCOMPARE(f.Get(QStringLiteral("AWWA-Standard.-062702.bak")), QByteArray("old AWWA-Standard.mtr"));
        QCOMPARE(f.Get(QStringLiteral("New.mtr")), only);
        QCOMPARE(f.Get(QStringLiteral("Table-1.dat")), QByteArray("old Table-1.dat"));
        QVERIFY(!f.Files().contains(QStringLiteral("Table-1-062702.bak")));
    }

    void Program_Files()
    {
        Run_Fixture f;
        for (const char *name : {"Version.txt", "License.txt", "QV-Help.htm", "Sample.qvl", "Quorvel.zip"})
            f.source[QLatin1String(name)] = QByteArray("new ") + name;
        f.source[QStringLiteral("Quorvel")] = Program_Bytes("new Quorvel");
        Update_Choice c;
        c.Program = true;
        const Update_Run_Result r = f.Run(c);
        QVERIFY2(r.Problems.isEmpty(), qPrintable(r.Problems.join(u';')));
        QVERIFY(r.Program_Replaced);
        QCOMPARE(f.Get(QStringLiteral("Quorvel")), Program_Bytes("new Quorvel"));
        QCOMPARE(f.Get(QStringLiteral("Quorvel-062702.bak")), QByteArray("old Quorvel"));
        QCOMPARE(f.Get(QStringLiteral("Quorvel.vmf")), QByteArray("new Quorvel.zip"));
        QCOMPARE(f.Get(QStringLiteral("Version.txt")), QByteArray("new Version.txt"));
        QVERIFY(QFileInfo(f.dir.filePath(QStringLiteral("Quorvel"))).isExecutable());
        QVERIFY(!f.Files().contains(QStringLiteral("Quorvel.tmp")));
        QCOMPARE(f.advanced, 6);
    }

    void Program_File_Missing_Changes_Nothing()
    {
        Run_Fixture f;
        for (const char *name : {"Version.txt", "Quorvel", "License.txt", "QV-Help.htm", "Sample.qvl"})
            f.source[QLatin1String(name)] = "new";
        const QStringList before = f.Files();
        Update_Choice c;
        c.Program = true;
        const Update_Run_Result r = f.Run(c);
        QVERIFY(!r.Program_Replaced);
        QCOMPARE(r.Problems.size(), 1);
        QCOMPARE(f.Files(), before);
        QCOMPARE(f.Get(QStringLiteral("Version.txt")), QByteArray("old Version.txt"));
    }

    // A user's own list is not the update's: not offered, never replaced,
    // while a shipped list of the same run is.
    void User_List_Is_Never_Replaced()
    {
        Run_Fixture f;
        const QByteArray mine = "Date: 01/01/2026\r\nDesc: mine\r\n' Owner: user\r\n";
        f.Put(QStringLiteral("Mine.mtr"), mine);
        for (const char *name : {"Mine.mtr", "AWWA-Standard.mtr"})
            f.source[QLatin1String(name)] = Shipped(QStringLiteral("AWWA-Standard.mtr"), "new");
        for (const Update_List_Row &row : Local_Meter_Lists(f.dir.path()))
            QVERIFY(row.Name != u"Mine.mtr");
        Update_Choice c;
        c.Meter_Lists = {QStringLiteral("Mine.mtr"), QStringLiteral("AWWA-Standard.mtr")};
        const Update_Run_Result r = f.Run(c);
        QVERIFY2(r.Problems.isEmpty(), qPrintable(r.Problems.join(u' ')));
        QCOMPARE(f.Get(QStringLiteral("Mine.mtr")), mine);
        QVERIFY(f.Get(QStringLiteral("AWWA-Standard.mtr")).endsWith("' new\r\n"));
        QVERIFY(!f.Files().contains(QStringLiteral("Mine-062702.bak")));
    }

    void Read_Only_Files_End_Up_Writable()
    {
        Run_Fixture f;
        QFile::setPermissions(f.dir.filePath(QStringLiteral("Table-3.dat")), QFile::ReadOwner);
        f.source[QStringLiteral("Table-3.dat")] = Shipped(QStringLiteral("Table-3.dat"), "new");
        Update_Choice c;
        c.Table[2] = true;
        QVERIFY(f.Run(c).Problems.isEmpty());
        QVERIFY(QFileInfo(f.dir.filePath(QStringLiteral("Table-3.dat"))).isWritable());
        QVERIFY(QFileInfo(f.dir.filePath(QStringLiteral("Table-3-062702.bak"))).isWritable());
    }

    void Swap_Failure_Puts_Back_Every_File()
    {
        Run_Fixture f;
        f.source[QStringLiteral("Table-1.dat")] = Shipped(QStringLiteral("Table-1.dat"), "new");
        f.source[QStringLiteral("Zz.mtr")] = Shipped(QStringLiteral("AWWA-Standard.mtr"), "new");
        // Table-1 is swapped first; the list's name is taken by a folder.
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("Zz.mtr/inside")));
        f.Put(QStringLiteral("Table-1-062702.bak"), "the day's earlier backup");
        Update_Choice c;
        c.Table[0] = true;
        c.Meter_Lists = {QStringLiteral("Zz.mtr")};
        const Update_Run_Result r = f.Run(c);
        QVERIFY(!r.Anything_Replaced());
        QCOMPARE(f.Get(QStringLiteral("Table-1.dat")), QByteArray("old Table-1.dat"));
        QCOMPARE(f.Get(QStringLiteral("Table-1-062702.bak")), QByteArray("the day's earlier backup"));
        QVERIFY2(r.Problems.value(0).startsWith(QStringLiteral("Zz.mtr could not be replaced")), qPrintable(r.Problems.value(0)));
        QVERIFY(f.Staging().isEmpty());
    }

    // A run cut short at every step of its swap (a crash or a kill: nothing
    // after that step is done), then the next start of the program or the
    // next run: the folder holds all the old files or all the new ones, and
    // every dated backup holds the file it was made from.
    void Crash_In_The_Swap_data()
    {
        QTest::addColumn<bool>("earlier_backup"); // a backup of the day is there already
        QTest::addColumn<bool>("next_is_run");    // else the program's start finds it
        QTest::newRow("program start after the crash") << false << false;
        QTest::newRow("next run after the crash") << false << true;
        QTest::newRow("earlier backup of the day, next run") << true << true;
    }
    void Crash_In_The_Swap()
    {
        QFETCH(bool, earlier_backup);
        QFETCH(bool, next_is_run);
        struct Killed {};
        const QStringList data = {QStringLiteral("Table-1.dat"), QStringLiteral("Table-2.dat"), QStringLiteral("Table-3.dat"),
                                  QStringLiteral("AWWA-Standard.mtr"), QStringLiteral("New.mtr")};
        const QStringList documents = {QStringLiteral("Version.txt"), QStringLiteral("License.txt"), QStringLiteral("QV-Help.htm"),
                                       QStringLiteral("Sample.qvl"), QStringLiteral("Quorvel.vmf"), QStringLiteral("Quorvel")};
        int kills = 0, all_old = 0, all_new = 0, backups = 0;
        for (int kill_at = 1;; ++kill_at) {
            Run_Fixture f;
            QMap<QString, QByteArray> old_files, new_files;
            for (const QString &name : data) {
                new_files[name] = Shipped(name == u"New.mtr" ? QStringLiteral("AWWA-Standard.mtr") : name, "new " + name.toLatin1());
                f.source[name] = new_files[name];
            }
            for (const QString &name : documents) {
                new_files[name] = name == u"Quorvel" ? Program_Bytes("new") : "new " + name.toLatin1();
                f.source[name == u"Quorvel.vmf" ? QStringLiteral("Quorvel.zip") : name] = new_files[name];
            }
            for (const QString &name : f.Files())
                old_files[name] = f.Get(name);
            if (earlier_backup)
                f.Put(QStringLiteral("Table-1-062702.bak"), "the day's earlier backup");
            Update_Choice c;
            c.Program = true;
            c.Table[0] = c.Table[1] = c.Table[2] = true;
            c.Meter_Lists = {QStringLiteral("AWWA-Standard.mtr"), QStringLiteral("New.mtr")};
            bool killed = false;
            Swap_Step_Hook = [kill_at](int step) {
                if (step == kill_at)
                    throw Killed{};
            };
            try {
                f.Run(c);
            } catch (const Killed &) {
                killed = true;
            }
            Swap_Step_Hook = nullptr;
            if (!killed)
                break; // past the last step
            ++kills;
            if (next_is_run) {
                f.source.remove(QStringLiteral("Table-2.dat")); // a run that replaces nothing
                Update_Choice t2;
                t2.Table[1] = true;
                QVERIFY(!f.Run(t2).Anything_Replaced());
            } else {
                QVERIFY(Recover_Update_Folder(f.dir.path()).Problems.isEmpty());
            }
            QVERIFY(f.Staging().isEmpty());
            const bool is_new = f.Get(QStringLiteral("Table-1.dat")) == new_files.value(QStringLiteral("Table-1.dat"));
            for (auto it = new_files.begin(); it != new_files.end(); ++it)
                QVERIFY2(f.Get(it.key()) == (is_new ? it.value() : old_files.value(it.key(), "<missing>")),
                         qPrintable(QStringLiteral("%1 after a kill at step %2").arg(it.key()).arg(kill_at)));
            ++(is_new ? all_new : all_old);
            // Every backup holds the file it was made from.
            for (const QString &name : f.Files()) {
                if (!name.endsWith(QStringLiteral(".bak")))
                    continue;
                const QString of = name.startsWith(QStringLiteral("Quorvel-")) ? QStringLiteral("Quorvel")
                                   : name.contains(QStringLiteral(".-")) ? name.section(QStringLiteral(".-"), 0, 0) + QStringLiteral(".mtr")
                                                                         : name.left(7) + QStringLiteral(".dat");
                const QByteArray expected = earlier_backup && name == u"Table-1-062702.bak" ? QByteArray("the day's earlier backup")
                                                                                          : old_files.value(of);
                QVERIFY2(f.Get(name) == expected, qPrintable(name));
                ++backups;
            }
            if (earlier_backup)
                QCOMPARE(f.Get(QStringLiteral("Table-1-062702.bak")), QByteArray("the day's earlier backup"));
        }
        QVERIFY(kills >= 18); // a step for the plan, two for each replaced file, one for each new one, two at the end
        qInfo("kills %d, all old %d, all new %d, backups checked %d", kills, all_old, all_new, backups);
    }

    // A recovery that cannot put a file back says which file is left in
    // which state, keeps the plan, and no later run goes ahead over it.
    void Recovery_Names_What_It_Could_Not_Put_Back()
    {
        struct Killed {};
        Run_Fixture f;
        f.source[QStringLiteral("Table-1.dat")] = Shipped(QStringLiteral("Table-1.dat"), "new");
        f.source[QStringLiteral("Table-2.dat")] = Shipped(QStringLiteral("Table-2.dat"), "new");
        Update_Choice c;
        c.Table[0] = c.Table[1] = true;
        Swap_Step_Hook = [](int step) {
            if (step == 3) // the plan, Table-1's backup, Table-1 in place
                throw Killed{};
        };
        QVERIFY_THROWS_EXCEPTION(Killed, f.Run(c));
        Swap_Step_Hook = nullptr;
        QVERIFY(QFile::remove(f.dir.filePath(QStringLiteral("Table-1-062702.bak"))));
        const QString missing = QStringLiteral("Table-1.dat is the new version: its earlier version Table-1-062702.bak is missing");
        const QStringList problems = Recover_Update_Folder(f.dir.path()).Problems;
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().contains(missing), qPrintable(problems.first()));
        QCOMPARE(f.Staging().size(), 1);
        QCOMPARE(f.Get(QStringLiteral("Table-2.dat")), QByteArray("old Table-2.dat")); // not reached by the run
        const Update_Run_Result r = f.Run(c);
        QVERIFY(!r.Anything_Replaced());
        QVERIFY2(r.Problems.join(u' ').contains(missing), qPrintable(r.Problems.join(u' ')));
    }

    void Stale_Staging_And_Program_Permissions()
    {
        Run_Fixture f;
        const QString stale = f.dir.filePath(Staging_Folder_Name);
        QVERIFY(QDir().mkpath(stale + QStringLiteral("/deep")));
        QFile junk(stale + QStringLiteral("/0.new"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("a program file left by an interrupted run");
        junk.close();
        const QString program = f.dir.filePath(QStringLiteral("Quorvel"));
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser
                          | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(program, mode));
        for (const char *name : {"Version.txt", "License.txt", "QV-Help.htm", "Sample.qvl", "Quorvel.zip"})
            f.source[QLatin1String(name)] = QByteArray("new ") + name;
        // No program at the source: the stale one must not be installed.
        Update_Choice c;
        c.Program = true;
        Update_Run_Result r = f.Run(c);
        QVERIFY(!r.Anything_Replaced());
        QCOMPARE(f.Get(QStringLiteral("Quorvel")), QByteArray("old Quorvel"));
        QVERIFY(!QFileInfo::exists(stale));
        f.source[QStringLiteral("Quorvel")] = Program_Bytes("new");
        r = f.Run(c);
        QVERIFY2(r.Program_Replaced, qPrintable(r.Problems.join(u';')));
        QCOMPARE(QFile::permissions(program), QFile::permissions(f.dir.filePath(QStringLiteral("Quorvel-062702.bak"))));
        QVERIFY(QFile::permissions(program) & QFile::ExeOther);
        QVERIFY(QFile::permissions(program) & QFile::ExeGroup);
    }

    void Content_Checks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why"); // empty: passes
        const int t1 = int(Update_File_Kind::Fixture_Table), t3 = int(Update_File_Kind::Conversion_Table),
                  list = int(Update_File_Kind::Meter_List), program = int(Update_File_Kind::Program),
                  doc = int(Update_File_Kind::Document);
        const QByteArray table = Shipped(QStringLiteral("Table-1.dat"), "x");
        QTest::newRow("table") << t1 << table << QString();
        QTest::newRow("conversion") << t3 << Shipped(QStringLiteral("Table-3.dat"), "x") << QString();
        QTest::newRow("list") << list << Shipped(QStringLiteral("AWWA-Standard.mtr"), "x") << QString();
        QTest::newRow("empty table") << t1 << QByteArray() << "empty";
        QTest::newRow("html page as table") << t1 << QByteArray("<!DOCTYPE html>\r\n<html><body>Date: 01/01/2027</body></html>\r\n") << "web page";
        QTest::newRow("NUL in table") << t1 << QByteArray(table).insert(40, '\0') << "NUL";
        QTest::newRow("table cut mid-line") << t1 << table.left(table.size() - 40) << "cut off";
        QTest::newRow("binary as list") << list << Program_Bytes("").left(4096) << "NUL";
        QTest::newRow("comments only") << t1 << QByteArray("Date: 01/01/2027\r\n' nothing\r\n") << "no record";
        QTest::newRow("list without meters") << list << QByteArray("Date: 01/01/2027\r\nDesc: none\r\n") << "no meter";
        QTest::newRow("table without date") << t1 << table.mid(table.indexOf('\n') + 1) << "Date:";
        QTest::newRow("program") << program << Program_Bytes("") << QString();
        QTest::newRow("text as program") << program << QByteArray("#!/bin/sh\necho hi\n") << "ELF";
        QTest::newRow("foreign ELF") << program << QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x28\0", 20) << "another kind";
        QTest::newRow("document") << doc << QByteArray("Quorvel 1.02.0900\r\n") << QString();
        QTest::newRow("binary document") << doc << QByteArray("\x01\x02\x03") << "control";
    }
    void Content_Checks()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("file")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const QString problem = Check_Update_File(f.fileName(), Update_File_Kind(kind));
        if (why.isEmpty())
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        else
            QVERIFY2(problem.contains(why), qPrintable(problem));
    }

    void Sha256_Sums_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("files"); // -1: refused
        const QByteArray hex(64, 'a');
        QTest::newRow("two") << QByteArray(hex + "  Table-1.dat\n" + hex + " *Quorvel\r\n") << 2;
        QTest::newRow("dot slash") << QByteArray(hex + "  ./Quorvel\n") << 1;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("short digest") << QByteArray(hex.left(63) + "  x\n") << -1;
        QTest::newRow("one blank") << QByteArray(hex + " x\n") << -1;
        QTest::newRow("twice") << QByteArray(hex + "  x\n" + hex + "  x\n") << -1;
        QTest::newRow("garbage") << QByteArray("<html>404</html>") << -1;
    }
    void Sha256_Sums()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, files);
        QMap<QString, QByteArray> sums;
        QString error;
        QCOMPARE(Parse_Sha256_Sums(text, sums, error), files >= 0);
        if (files >= 0)
            QCOMPARE(int(sums.size()), files);
    }

    void Minisign_Signatures()
    {
        QTemporaryDir dir;
        const auto run = [&dir](const QStringList &args) {
            QProcess p;
            p.setWorkingDirectory(dir.path());
            p.start(QStringLiteral("minisign"), args);
            return p.waitForFinished(20000) && p.exitCode() == 0;
        };
        QVERIFY2(run({QStringLiteral("-G"), QStringLiteral("-W"), QStringLiteral("-p"), QStringLiteral("a.pub"),
                      QStringLiteral("-s"), QStringLiteral("a.key")}), "minisign is needed (tools/deps.sh)");
        QVERIFY(run({QStringLiteral("-G"), QStringLiteral("-W"), QStringLiteral("-p"), QStringLiteral("b.pub"),
                     QStringLiteral("-s"), QStringLiteral("b.key")}));
        const QByteArray index = QByteArray(64, 'b') + "  Table-1.dat\n";
        QFile m(dir.filePath(QStringLiteral("SHA256SUMS")));
        QVERIFY(m.open(QIODevice::WriteOnly));
        m.write(index);
        m.close();
        const auto read = [&dir](const QString &name) {
            QFile f(dir.filePath(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        // Prehashed with key a, legacy with key b.
        QVERIFY(run({QStringLiteral("-S"), QStringLiteral("-s"), QStringLiteral("a.key"), QStringLiteral("-m"),
                     QStringLiteral("SHA256SUMS"), QStringLiteral("-x"), QStringLiteral("ed.minisig")}));
        QVERIFY(run({QStringLiteral("-S"), QStringLiteral("-l"), QStringLiteral("-s"), QStringLiteral("b.key"),
                     QStringLiteral("-m"), QStringLiteral("SHA256SUMS"), QStringLiteral("-x"), QStringLiteral("legacy.minisig")}));
        const QByteArray ed = read(QStringLiteral("ed.minisig")), legacy = read(QStringLiteral("legacy.minisig"));
        QVERIFY(QByteArray::fromBase64(ed.split('\n').value(1)).startsWith("ED"));
        QVERIFY(QByteArray::fromBase64(legacy.split('\n').value(1)).startsWith("Ed"));
        const QList<Minisign_Key> both = Parse_Minisign_Keys(read(QStringLiteral("a.pub")) + read(QStringLiteral("b.pub")));
        const QList<Minisign_Key> only_b = Parse_Minisign_Keys(read(QStringLiteral("b.pub")));
        QCOMPARE(both.size(), 2);
        QCOMPARE(Verify_Minisign(index, ed, both), QString());
        QCOMPARE(Verify_Minisign(index, legacy, both), QString());
        QVERIFY(!Verify_Minisign(index, ed, only_b).isEmpty());             // not a trusted key
        QVERIFY(!Verify_Minisign(index, ed, {}).isEmpty());                 // no keys at all
        QVERIFY(!Verify_Minisign(index + "x", ed, both).isEmpty());         // the index changed
        QVERIFY(!Verify_Minisign(index + "x", legacy, both).isEmpty());
        QByteArray comment = ed;
        comment.replace("trusted comment: ", "trusted comment: changed ");
        QVERIFY(!Verify_Minisign(index, comment, both).isEmpty());          // the trusted comment changed
        QVERIFY(!Verify_Minisign(index, QByteArray(), both).isEmpty());
        QVERIFY(!Verify_Minisign(index, QByteArray(5000, 'A'), both).isEmpty());
        QVERIFY(Parse_Minisign_Keys(QByteArray("untrusted comment: x\ngarbage\n\0\xff")).isEmpty());
    }

    void Nothing_Selected()
    {
        Run_Fixture f;
        const Update_Run_Result r = f.Run(Update_Choice());
        QVERIFY(r.Nothing_Selected);
        QCOMPARE(r.Messages, QStringList{QStringLiteral("No files selected to update.")});
        QVERIFY(f.fetched.isEmpty());
    }

    void Safe_Names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << "AWWA-Standard.mtr" << true;
        QTest::newRow("upper") << "LIST.MTR" << true;
        QTest::newRow("parent") << "../x.mtr" << false;
        QTest::newRow("absolute") << "/etc/x.mtr" << false;
        QTest::newRow("backslash") << "..\\x.mtr" << false;
        QTest::newRow("other kind") << "Quorvel" << false;
        QTest::newRow("hidden") << ".x.mtr" << false;
    }
    void Safe_Names()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(Is_Safe_List_Name(name), safe);
    }

    void Date_Stamps()
    {
        QCOMPARE(Date_Stamp(QDate(2002, 6, 27)), QStringLiteral("062702"));
        QCOMPARE(Date_Stamp(QDate(2026, 12, 9)), QStringLiteral("120926"));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Test_Update check;
    Test_Update_Run run;
    return QTest::qExec(&check, argc, argv) | QTest::qExec(&run, argc, argv);
}
#include "tst_update.moc"
