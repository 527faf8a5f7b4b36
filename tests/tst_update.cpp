#include "frm_update.h"
#include "update_check.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
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
                                      {QDate(2026, 12, 9), QDate(2026, 12, 9), QDate(2026, 12, 9)}};
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

QTEST_MAIN(Test_Update)
#include "tst_update.moc"
