#include "frm_update.h"
#include "update_check.h"
#include "update_run.h"
#include "frm_download.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QApplication>
#include <QDir>
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
        const QList<Update_List_Row> local = {{"b.mtr", "12/01/2001", "", false},
                                              {"A-Long-Name-Of-Twenty-Six.mtr", "01/01/2002", "", false},
                                              {"only-here.MTR", "01/01/2002", "", false}};
        const QList<Server_List_Entry> server = {{"B.MTR", "01/15/2002"}, {"a-long-name-of-twenty-six.mtr", "02/01/2002"},
                                                 {"new.mtr", "03/01/2002"}, {"", "x"}};
        const QList<Update_List_Row> rows = Build_Update_List(local, server);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0].Name, QStringLiteral("A-Long-Name-Of-Twenty-Six.mtr"));
        QCOMPARE(rows[1].Name, QStringLiteral("b.mtr"));
        QCOMPARE(rows[1].Server_Date, QStringLiteral("01/15/2002"));
        QCOMPARE(rows[2].Name, QStringLiteral("new.mtr"));
        QCOMPARE(rows[2].Local_Date, QStringLiteral("None"));
        QCOMPARE(rows[3].Server_Date, QStringLiteral("None"));
        // Dates compare as text: 12/01/2001 sorts after 01/15/2002, so no mark.
        QCOMPARE(Update_Row_Text(rows[1]), QStringLiteral("    b.mtr                     12/01/2001     01/15/2002"));
        QCOMPARE(Update_Row_Text(rows[0]), QStringLiteral(" << A-Long-Name-Of-Twenty-Six.mtr01/01/2002  02/01/2002"));
        QVERIFY(Update_Row_Text(rows[2]).startsWith(QStringLiteral("    new.mtr"))); // "None" sorts after a digit
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
        QByteArray bytes;
        QVERIFY(!Fetch_Source_File(server.Url(), QStringLiteral("Update.txt"), bytes, 3000));
        QVERIFY(bytes.isEmpty());
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

        Frm_Update::Local_State nowhere = state;
        nowhere.Server_Name = QStringLiteral("X:\\update");
        Frm_Update failed(nowhere);
        failed.Load();
        QCOMPARE(failed.Lab_Wait->text(), QStringLiteral("Oops Server Error"));
        // A list only on this computer cannot be ticked.
        QCOMPARE(failed.LB_Files->count(), 1);
        failed.LB_Files->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(failed.LB_Files->item(0)->checkState(), Qt::Unchecked);
        QVERIFY(!failed.Update_List[0].Update_Mark);
    }
};

namespace {

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
        c.Fetch = [this](const QString &name, QByteArray &bytes) {
            fetched << name;
            bytes = source.value(name);
            return source.contains(name);
        };
        c.Advance = [this] { ++advanced; };
        return Run_Update(c, choice);
    }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
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
        f.source[QStringLiteral("Table-2.dat")] = "new table 2";
        Update_Choice c;
        c.Table[1] = true;
        const Update_Run_Result r = f.Run(c);
        QVERIFY(r.Problems.isEmpty());
        QCOMPARE(f.Get(QStringLiteral("Table-2.dat")), QByteArray("new table 2"));
        QCOMPARE(f.Get(QStringLiteral("Table-2-062702.bak")), QByteArray("old Table-2.dat"));
        QVERIFY(!f.Files().contains(QStringLiteral("Table-2.tmp")));
        QCOMPARE(f.advanced, 1);
        QCOMPARE(r.Messages.first(), QStringLiteral("Backups of your files were placed in '%1' with the date and "
                                                    "extention of '.bak'.  You must restart Quorvel for the updates "
                                                    "to take effect.").arg(f.dir.path()));
        QCOMPARE(r.Messages.last(), QStringLiteral("Plase restart Quorvel for the updates to take effect."));
        QVERIFY(!r.Program_Replaced);

        // A second run the same day: its backup holds the state before it.
        f.source[QStringLiteral("Table-2.dat")] = "newer table 2";
        f.Run(c);
        QCOMPARE(f.Get(QStringLiteral("Table-2-062702.bak")), QByteArray("new table 2"));
        QCOMPARE(f.Get(QStringLiteral("Table-2.dat")), QByteArray("newer table 2"));
    }

    void Meter_Lists_And_Missing_Files()
    {
        Run_Fixture f;
        f.source[QStringLiteral("AWWA-Standard.mtr")] = "new list";
        f.source[QStringLiteral("New.mtr")] = "only at the source";
        Update_Choice c;
        c.Table[0] = true; // not at the source
        c.Meter_Lists = {QStringLiteral("AWWA-Standard.mtr"), QStringLiteral("New.mtr"), QStringLiteral("../evil.mtr")};
        const Update_Run_Result r = f.Run(c);
        QCOMPARE(f.Get(QStringLiteral("AWWA-Standard.mtr")), QByteArray("new list"));
        QCOMPARE(f.Get(QStringLiteral("AWWA-Standard.-062702.bak")), QByteArray("old AWWA-Standard.mtr"));
        QCOMPARE(f.Get(QStringLiteral("New.mtr")), QByteArray("only at the source"));
        QCOMPARE(f.Get(QStringLiteral("Table-1.dat")), QByteArray("old Table-1.dat")); // kept
        QVERIFY(!f.Files().contains(QStringLiteral("Table-1-062702.bak")));
        QVERIFY(!f.fetched.contains(QStringLiteral("../evil.mtr")));
        QCOMPARE(r.Problems.size(), 2);
    }

    void Program_Files()
    {
        Run_Fixture f;
        for (const char *name : {"Version.txt", "Quorvel", "License.txt", "QV-Help.htm", "Sample.qvl", "Quorvel.zip"})
            f.source[QLatin1String(name)] = QByteArray("new ") + name;
        Update_Choice c;
        c.Program = true;
        const Update_Run_Result r = f.Run(c);
        QVERIFY2(r.Problems.isEmpty(), qPrintable(r.Problems.join(u';')));
        QVERIFY(r.Program_Replaced);
        QCOMPARE(f.Get(QStringLiteral("Quorvel")), QByteArray("new Quorvel"));
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

    void Read_Only_Files_End_Up_Writable()
    {
        Run_Fixture f;
        QFile::setPermissions(f.dir.filePath(QStringLiteral("Table-3.dat")), QFile::ReadOwner);
        f.source[QStringLiteral("Table-3.dat")] = "new";
        Update_Choice c;
        c.Table[2] = true;
        QVERIFY(f.Run(c).Problems.isEmpty());
        QVERIFY(QFileInfo(f.dir.filePath(QStringLiteral("Table-3.dat"))).isWritable());
        QVERIFY(QFileInfo(f.dir.filePath(QStringLiteral("Table-3-062702.bak"))).isWritable());
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
