// The update against a loopback web server that lies, stalls, redirects
// and dies, and against a program folder that cannot be written. Every row
// runs the command line's update (the code the update dialog runs too) and
// checks, by hash, that no file of the program folder changed unless the
// row expects it, and what the user was told. One row cancels the update
// dialog in the middle of a fetch.

#include "frm_download.h"
#include "frm_update.h"
#include "update_commands.h"
#include "program_state.h"
#include "update_run.h"
#include "update_staging.h"
#include "update_verify.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QCryptographicHash>
#include <QDir>
#include <QPointer>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QStringEncoder>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How the server answers one file.
struct Route {
    enum Mode { Normal, Cut_With_Length, Cut_Without_Length, Stall_After_Headers, Stall_Mid_Body, Slow, Dies, Huge, Endless, Redirect, Trickle };
    Mode How = Normal;
    QByteArray Status = "200 OK";
    QByteArray Body;
    QByteArray Location; // Redirect
};

// A web server on 127.0.0.1 only. Files not in its routes get a 404 with an
// HTML page. It closes every connection when destroyed and after two
// minutes at the latest.
class Fault_Server : public QObject {
public:
    QMap<QString, Route> Routes; // by file name
    QStringList Requests;
    std::function<void(const QString &)> On_Request;

    explicit Fault_Server(QTcpServer *server) : server_(server)
    {
        server_->setParent(this);
        server_->listen(QHostAddress::LocalHost);
        connect(server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *socket = server_->nextPendingConnection()) {
                sockets_ << socket;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
            }
        });
        watchdog_.setSingleShot(true);
        connect(&watchdog_, &QTimer::timeout, this, [this] {
            server_->close();
            for (auto &s : sockets_)
                if (s)
                    s->abort();
        });
        watchdog_.start(120000);
    }
    ~Fault_Server() override
    {
        for (auto &s : sockets_)
            if (s)
                s->abort();
    }
    QString Url(const QString &scheme = QStringLiteral("http")) const
    {
        return QStringLiteral("%1://127.0.0.1:%2/src/").arg(scheme).arg(server_->serverPort());
    }
    int Count(const QString &name) const { return int(Requests.count(name)); }

private:
    void Serve(QTcpSocket *socket)
    {
        QByteArray &request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(request.split(' ').value(1));
        request.clear();
        const QString name = QUrl::fromPercentEncoding(path.section(u'/', -1).toLatin1());
        Requests << name;
        if (On_Request)
            On_Request(name);
        Route route = Routes.value(name, Route{Route::Normal, "404 Not Found",
                                               "<html><body><h1>404 Not Found</h1>Server Version = 9.99.9999</body></html>", {}});
        const QByteArray &body = route.Body;
        const QByteArray half = body.left(body.size() / 2);
        const auto head = [&](qint64 length) {
            QByteArray h = "HTTP/1.1 " + route.Status + "\r\nConnection: close\r\nContent-Type: application/octet-stream\r\n";
            if (length >= 0)
                h += "Content-Length: " + QByteArray::number(length) + "\r\n";
            return h + "\r\n";
        };
        QPointer<QTcpSocket> guard(socket);
        switch (route.How) {
        case Route::Normal:
            socket->write(head(body.size()) + body);
            socket->disconnectFromHost();
            break;
        case Route::Cut_With_Length:
            socket->write(head(body.size()) + half);
            socket->disconnectFromHost();
            break;
        case Route::Cut_Without_Length:
            socket->write(head(-1) + half);
            socket->disconnectFromHost();
            break;
        case Route::Stall_After_Headers:
            socket->write(head(body.size()));
            break;
        case Route::Stall_Mid_Body:
            socket->write(head(body.size()) + half);
            break;
        case Route::Dies:
            socket->write(head(body.size()) + half);
            socket->flush();
            QTimer::singleShot(200, this, [guard] {
                if (guard)
                    guard->abort();
            });
            break;
        case Route::Redirect:
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + route.Location + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            break;
        case Route::Slow: {
            // The body in 12 pieces, one every 400 ms: still flowing after
            // 4 s, twice the 2 s inactivity timeout its row sets.
            socket->write(head(body.size()));
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            const qsizetype piece = (body.size() + 11) / 12;
            connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent, piece] {
                socket->write(body.mid(*sent, piece));
                *sent += piece;
                if (*sent >= body.size()) {
                    timer->stop();
                    socket->disconnectFromHost();
                }
            });
            timer->start(400);
            break;
        }
        case Route::Trickle: {
            // One byte every 300 ms: never quiet for a second, never done.
            socket->write(head(body.size()));
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            connect(timer, &QTimer::timeout, socket, [socket, body, sent] { socket->write(body.mid((*sent)++, 1)); });
            timer->start(300);
            break;
        }
        case Route::Huge:
        case Route::Endless: {
            // Announces 2 GB, or no length at all, and sends as fast as it is
            // read: 100 MB or 30 s at most.
            socket->write(head(route.How == Route::Huge ? qint64(2) * 1024 * 1024 * 1024 : -1));
            auto *timer = new QTimer(socket);
            auto ticks = std::make_shared<int>(0);
            auto sent = std::make_shared<qint64>(0);
            connect(timer, &QTimer::timeout, socket, [socket, timer, ticks, sent] {
                if (++*ticks > 3000 || *sent > 100 * 1024 * 1024 || socket->state() != QAbstractSocket::ConnectedState) {
                    timer->stop();
                    socket->abort();
                    return;
                }
                while (socket->bytesToWrite() < 2 * 1024 * 1024) {
                    socket->write(QByteArray(512 * 1024, 'x'));
                    *sent += 512 * 1024;
                }
            });
            timer->start(10);
            break;
        }
        }
    }

    QTcpServer *server_;
    QList<QPointer<QTcpSocket>> sockets_;
    QHash<QTcpSocket *, QByteArray> pending_;
    QTimer watchdog_;
};

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// name -> SHA-256 of every file of a folder.
QMap<QString, QByteArray> Hashes(const QString &folder)
{
    QMap<QString, QByteArray> hashes;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        hashes.insert(name, QCryptographicHash::hash(Read(folder + u'/' + name), QCryptographicHash::Sha256).toHex());
    return hashes;
}

QStringList Changed(const QMap<QString, QByteArray> &before, const QMap<QString, QByteArray> &after)
{
    QStringList changed;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            changed << it.key();
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()))
            changed << it.key();
    changed.sort();
    return changed;
}

long Peak_Rss_Kb()
{
    for (const QByteArray &line : Read(QStringLiteral("/proc/self/status")).split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

bool Run_Tool(const QString &program, const QStringList &args, const QString &folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

const QString Stamp = QDate::currentDate().toString(QStringLiteral("MMddyy"));

// The staging folders in a program folder.
QStringList Staging_Folders(const QString &folder)
{
    return QDir(folder).entryList({Staging_Folder_Name + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A manifest that offers only one meter list, and this program's own version.
QByteArray List_Manifest(const QByteArray &name, const QByteArray &date)
{
    return "Server Version = 1.02.0808\r\nMETERLIST, \"" + name + "\", " + date + "\r\n";
}

} // namespace

class Test_Update_Faults : public QObject {
    Q_OBJECT

    QTemporaryDir work_;
    QString bin_;                    // the build's program folder: the shipped files and the program
    QMap<QString, QByteArray> files_; // the update source's files
    QByteArray key_pub_, other_pub_;
    QSslConfiguration tls_;          // the loopback's certificate, trusted by this process
    QSslConfiguration system_client_; // a client that trusts only the system's certificate store

    QString Work(const QString &name) const { return work_.filePath(name); }

    // The update source: a newer release of every file.
    void Make_Source()
    {
        files_.clear();
        const auto shipped = [this](const QString &name) {
            const QByteArray bytes = Read(bin_ + u'/' + name);
            if (bytes.isEmpty())
                qFatal("the shipped file %s is missing beside the test", qPrintable(name));
            return bytes;
        };
        for (const char *name : {"Table-1.dat", "Table-2.dat", "Table-3.dat", "AWWA-Standard.mtr"})
            files_[QLatin1String(name)] = shipped(QLatin1String(name)) + "' release 1.02.0900\r\n";
        files_[QStringLiteral("Quorvel.mtr")] = shipped(QStringLiteral("AWWA-Compound.mtr")) + "' a list named like the program\r\n";
        files_[QStringLiteral("Quorvel")] = shipped(QStringLiteral("Quorvel")) + "release 1.02.0900";
        files_[QStringLiteral("Version.txt")] = "Quorvel 1.02.0900\r\n";
        files_[QStringLiteral("License.txt")] = "Quorvel 1.02.0900\r\nLicense text.\r\n";
        files_[QStringLiteral("QV-Help.htm")] = shipped(QStringLiteral("QV-Help.htm"));
        files_[QStringLiteral("Sample.qvl")] = shipped(QStringLiteral("Sample.qvl"));
        files_[QStringLiteral("Quorvel.zip")] = shipped(QStringLiteral("Quorvel.wav"));
        files_[QStringLiteral("Update.txt")] = "' test source\r\nServer Version = 1.02.0900\r\nTable-1 = 01/15/2099\r\n"
                                               "METERLIST, \"AWWA-Standard.mtr\", 12/31/2099\r\n";
    }
    QByteArray Sums(const QStringList &names) const
    {
        QByteArray text;
        for (const QString &name : names)
            text += QCryptographicHash::hash(files_.value(name), QCryptographicHash::Sha256).toHex() + "  " + name.toUtf8() + "\n";
        return text;
    }
    // Signs the index with the test key (or the other key).
    QByteArray Sign(const QByteArray &index, bool other_key = false)
    {
        Write(Work(QStringLiteral("SHA256SUMS")), index);
        QFile::remove(Work(QStringLiteral("SHA256SUMS.minisig")));
        if (!Run_Tool(QStringLiteral("minisign"),
                      {QStringLiteral("-S"), QStringLiteral("-s"), other_key ? QStringLiteral("other.key") : QStringLiteral("test.key"),
                       QStringLiteral("-m"), QStringLiteral("SHA256SUMS"), QStringLiteral("-t"), QStringLiteral("test release")},
                      work_.path()))
            qFatal("minisign could not sign");
        return Read(Work(QStringLiteral("SHA256SUMS.minisig")));
    }
    // A program folder as installed: the shipped tables, lists, documents and program.
    void Fill_Program_Folder(const QString &folder, bool with_program)
    {
        QStringList names = {QStringLiteral("Table-1.dat"), QStringLiteral("Table-2.dat"), QStringLiteral("Table-3.dat"),
                             QStringLiteral("AWWA-Standard.mtr"), QStringLiteral("AWWA-Compound.mtr"), QStringLiteral("AWWA-Turbine.mtr"),
                             QStringLiteral("QV-Help.htm"), QStringLiteral("Sample.qvl")};
        if (with_program)
            names << QStringLiteral("Quorvel");
        for (const QString &name : names)
            QVERIFY2(QFile::copy(bin_ + u'/' + name, folder + u'/' + name), qPrintable(name));
        QVERIFY(Write(folder + QStringLiteral("/Version.txt"), "Quorvel 1.02.0808\r\n"));
        QVERIFY(Write(folder + QStringLiteral("/License.txt"), "Quorvel 1.02.0808\r\n"));
    }

private slots:
    void initTestCase()
    {
        bin_ = QCoreApplication::applicationDirPath();
        QVERIFY(work_.isValid());
        QVERIFY2(Run_Tool(QStringLiteral("minisign"), {QStringLiteral("-G"), QStringLiteral("-W"), QStringLiteral("-p"), QStringLiteral("test.pub"),
                                                     QStringLiteral("-s"), QStringLiteral("test.key")}, work_.path()),
                 "minisign is needed (tools/deps.sh)");
        QVERIFY(Run_Tool(QStringLiteral("minisign"), {QStringLiteral("-G"), QStringLiteral("-W"), QStringLiteral("-p"), QStringLiteral("other.pub"),
                                                    QStringLiteral("-s"), QStringLiteral("other.key")}, work_.path()));
        key_pub_ = Read(Work(QStringLiteral("test.pub")));
        other_pub_ = Read(Work(QStringLiteral("other.pub")));
        // A certificate for https://127.0.0.1, trusted by this process only.
        QVERIFY2(Run_Tool(QStringLiteral("openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                           QStringLiteral("-nodes"), QStringLiteral("-keyout"), QStringLiteral("tls.key"), QStringLiteral("-out"),
                           QStringLiteral("tls.crt"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                           QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")},
                          work_.path()),
                 "openssl is needed to make the loopback's certificate");
        const QList<QSslCertificate> certs = QSslCertificate::fromPath(Work(QStringLiteral("tls.crt")));
        QCOMPARE(certs.size(), 1);
        tls_ = QSslConfiguration::defaultConfiguration();
        tls_.setLocalCertificate(certs.first());
        tls_.setPrivateKey(QSslKey(Read(Work(QStringLiteral("tls.key"))), QSsl::Rsa));
        QSslConfiguration client = QSslConfiguration::defaultConfiguration();
        system_client_ = client;
        client.addCaCertificates(certs);
        QSslConfiguration::setDefaultConfiguration(client);
    }

    void Faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QStringList>("changes"); // files of the program folder expected to change
        const QStringList t1 = {QStringLiteral("--table"), QStringLiteral("1")};
        const QStringList t1_short = t1 + QStringList{QStringLiteral("--timeout"), QStringLiteral("2")};
        const QStringList none;
        const QStringList table_1 = {QStringLiteral("Table-1-") + Stamp + QStringLiteral(".bak"), QStringLiteral("Table-1.dat")};
        QTest::newRow("404 with an HTML body") << "404" << t1 << 1 << "Table-1.dat could not be fetched: the update source answered 404" << none;
        QTest::newRow("200 with an HTML page for a table") << "html table" << t1 << 1 << "Table-1.dat was refused: it is a web page" << none;
        QTest::newRow("body cut short with Content-Length") << "cut length" << t1 << 1 << "Table-1.dat could not be fetched" << none;
        QTest::newRow("body cut short without Content-Length") << "cut no length" << t1 << 1 << "Table-1.dat was refused: its last line is cut off" << none;
        QTest::newRow("cut short without Content-Length, indexed") << "cut no length indexed" << t1 << 1 << "Table-1.dat does not match its checksum" << none;
        QTest::newRow("stall after the headers") << "stall headers" << t1_short << 1 << "sent nothing for 2 s" << none;
        QTest::newRow("stall mid-body") << "stall body" << t1_short << 1 << "sent nothing for 2 s" << none;
        QTest::newRow("slow transfer flowing past the timeout") << "slow" << t1_short << 0 << "replaced\tTable-1.dat\tbackup Table-1-" << table_1;
        QTest::newRow("2 GB announced") << "huge" << t1 << 1 << "announced 2048 MB, more than the 64 MB" << none;
        QTest::newRow("endless body without Content-Length") << "endless" << t1 << 1 << "sent more than the 64 MB" << none;
        QTest::newRow("redirect loop") << "redirect loop" << t1 << 1 << "redirected more than 5 times" << none;
        QTest::newRow("redirect to another server") << "redirect ok" << t1 << 0 << "replaced\tTable-1.dat" << table_1;
        QTest::newRow("https to http redirect") << "https to http" << t1 << 1 << "redirected from https to http://" << none;
        QTest::newRow("server dies mid-file") << "dies" << t1 << 1 << "Table-1.dat could not be fetched" << none;
        QTest::newRow("missing source file") << "missing" << QStringList{QStringLiteral("--table"), QStringLiteral("2")} << 1
                                             << "Table-2.dat could not be fetched: the update source answered 404" << none;
        QTest::newRow("manifest names ../evil.mtr") << "evil parent" << QStringList{QStringLiteral("--table"), QStringLiteral("1"), QStringLiteral("--meter-list"), QStringLiteral("../evil.mtr")} << 1 << "\"../evil.mtr\" at the update source is not a plain file name" << none;
        QTest::newRow("manifest names /tmp/x.mtr") << "evil absolute" << QStringList{QStringLiteral("--meter-list"), QStringLiteral("/tmp/x.mtr")} << 1 << "\"/tmp/x.mtr\" at the update source is not a plain file name" << none;
        QTest::newRow("manifest names Quorvel.mtr, with the program") << "program list"
            << QStringList{QStringLiteral("--program"), QStringLiteral("--table"), QStringLiteral("1"), QStringLiteral("--meter-list"),
                           QStringLiteral("AWWA-Standard.mtr"), QStringLiteral("--meter-list"), QStringLiteral("Quorvel.mtr")} << 0
            << "replaced\tQuorvel\tbackup Quorvel-"
            << QStringList{QStringLiteral("AWWA-Standard.-") + Stamp + QStringLiteral(".bak"), QStringLiteral("AWWA-Standard.mtr"),
                           QStringLiteral("License.txt"), QStringLiteral("Quorvel"), QStringLiteral("Quorvel-") + Stamp + QStringLiteral(".bak"),
                           QStringLiteral("Quorvel.mtr"), QStringLiteral("Quorvel.vmf"), QStringLiteral("Table-1-") + Stamp + QStringLiteral(".bak"),
                           QStringLiteral("Table-1.dat"), QStringLiteral("Version.txt")};
        QTest::newRow("garbage manifest") << "garbage manifest" << QStringList{QStringLiteral("--newer")} << 1 << "its manifest could not be read" << none;
        QTest::newRow("empty manifest") << "empty manifest" << QStringList{QStringLiteral("--newer")} << 1 << "its manifest could not be read" << none;
        QTest::newRow("checksum mismatch") << "checksum" << t1 << 1 << "Table-1.dat does not match its checksum in SHA256SUMS" << none;
        QTest::newRow("manifest other than the indexed one") << "manifest not indexed" << t1 << 1 << "Update.txt does not match its checksum in SHA256SUMS" << none;
        QTest::newRow("bad signature") << "bad signature" << t1 << 1 << "The update source's signature does not verify (it was made with a key that is not trusted here); nothing was replaced." << none;
        QTest::newRow("unsigned index, trusted key present") << "unsigned" << t1 << 1 << "SHA256SUMS is not signed" << none;
        QTest::newRow("program over http without a signed index") << "program unsigned" << QStringList{QStringLiteral("--program")} << 1 << "without a signed SHA256SUMS" << none;
        QTest::newRow("read-only program folder") << "read-only" << t1 << 1 << "cannot be written" << none;
        QTest::newRow("full file system") << "full" << t1 << 1 << "No space left on device" << none;
        QTest::newRow("stale staging folder") << "stale" << t1 << 0 << "replaced\tTable-1.dat" << table_1;
        const QStringList check = {QStringLiteral("--check-update")};
        const QStringList newer = {QStringLiteral("--newer")};
        const QStringList list = {QStringLiteral("AWWA-Standard.-") + Stamp + QStringLiteral(".bak"), QStringLiteral("AWWA-Standard.mtr")};
        QTest::newRow("signature stripped, key installed") << "stripped" << t1 << 1 << "this program takes only signed updates" << none;
        QTest::newRow("signature stripped, key installed, folder source") << "stripped folder" << QStringList{QStringLiteral("--program")} << 1 << "this program takes only signed updates" << none;
        QTest::newRow("signed index, no key installed") << "signed no key" << t1 << 0 << "signature could not be checked: no trusted key" << table_1;
        QTest::newRow("key id twice in the key file") << "key id twice" << t1 << 0 << "replaced\tTable-1.dat" << table_1;
        QTest::newRow("key file unreadable") << "key unreadable" << t1 << 1 << "Quorvel-Update.pub cannot be read" << none;
        QTest::newRow("key file without a key") << "key empty" << t1 << 1 << "holds no minisign public key" << none;
        QTest::newRow("list newer across the new year") << "year forward" << newer << 0 << "replaced\tAWWA-Standard.mtr" << list;
        QTest::newRow("list older across the new year") << "year back" << newer << 0 << "Nothing at the update source is newer" << none;
        QTest::newRow("list date unreadable") << "date unreadable" << newer << 0 << "Nothing at the update source is newer" << none;
        QTest::newRow("list named here in other case") << "twin" << newer << 0 << "replaced\tawwa-standard.mtr"
            << QStringList{QStringLiteral("awwa-standard.-") + Stamp + QStringLiteral(".bak"), QStringLiteral("awwa-standard.mtr")};
        QTest::newRow("backup name taken by a folder") << "backup folder" << t1 << 1 << "is taken by a folder" << none;
        QTest::newRow("second run of the day") << "second run" << t1 << 0 << "backup Table-1-" + Stamp + "-2.bak"
            << QStringList{QStringLiteral("Table-1-") + Stamp + QStringLiteral("-2.bak"), QStringLiteral("Table-1.dat")};
        QTest::newRow("staging folder planted with a link") << "planted" << t1 << 0 << "replaced\tTable-1.dat" << table_1;
        QTest::newRow("current file is a link") << "linked current" << t1 << 1 << "it is not a plain file" << none;
        QTest::newRow("two runs at once") << "locked" << t1 << 1 << "Another update of this folder is under way" << none;
        QTest::newRow("manifest one byte at a time") << "trickle manifest" << QStringList{QStringLiteral("--table"), QStringLiteral("1"), QStringLiteral("--timeout"), QStringLiteral("1")} << 1 << "took longer than the 4 s allowed" << none;
        QTest::newRow("file one byte at a time") << "trickle file" << QStringList{QStringLiteral("--table"), QStringLiteral("1"), QStringLiteral("--timeout"), QStringLiteral("1")} << 1 << "Table-1.dat could not be fetched: the update source took longer than" << none;
        QTest::newRow("share that never answers") << "share hangs" << check + QStringList{QStringLiteral("--timeout"), QStringLiteral("1")} << 1 << "sent nothing for 1 s" << none;
        QTest::newRow("UTF-8 manifest") << "utf-8" << check << 0 << "Z\u00e4hler-Liste.mtr\tNone\t01/15/2099" << none;
        QTest::newRow("UTF-16 manifest") << "utf-16" << check << 0 << "Z\u00e4hler-Liste.mtr\tNone\t01/15/2099" << none;
        QTest::newRow("manifest without a version") << "no version" << check << 1 << "the manifest has no \"Server Version = \" item" << none;
        QTest::newRow("CR in a list name") << "cr name" << QStringList{QStringLiteral("--meter-list"), QStringLiteral("Bad\rName.mtr")} << 1 << "is not a plain file name" << none;
        QTest::newRow("list the manifest does not name") << "own list" << QStringList{QStringLiteral("--meter-list"), QStringLiteral("AWWA-Turbine.mtr")} << 1 << "manifest does not name the meter list AWWA-Turbine.mtr" << none;
        QTest::newRow("certificate not trusted") << "untrusted tls" << t1 << 1 << "trusted by this computer's system certificate store" << none;
        QTest::newRow("package install, update") << "package" << t1 << 1 << "updated by the system's package manager" << none;
        QTest::newRow("package install, check") << "package" << check << 0 << "updated by the system's package manager" << none;
    }

    void Faults()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, args);
        QFETCH(int, exit_code);
        QFETCH(QString, told);
        QFETCH(QStringList, changes);
        Make_Source();
        QTemporaryDir parent;
        const QString folder = parent.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(folder));
        bool mounted = false;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
        });
        if (fault == u"full" || fault == u"read-only") {
            if (::geteuid() == 0) {
                mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=256k") == 0;
                if (!mounted && fault == u"full")
                    QSKIP("a small tmpfs cannot be mounted here (mount failed); the full file system row is skipped");
                QVERIFY2(mounted || fault != u"read-only", "the read-only folder needs a read-only mount when run as root");
            } else if (fault == u"full") {
                QSKIP("a small tmpfs can be mounted only as root; the full file system row is skipped");
            }
        }
        Fill_Program_Folder(folder, fault != u"full" && fault != u"read-only");

        const bool https = fault == u"https to http" || fault == u"untrusted tls";
        auto *tcp = https ? new QSslServer : new QTcpServer;
        if (auto *ssl = qobject_cast<QSslServer *>(tcp))
            ssl->setSslConfiguration(tls_);
        Fault_Server server(tcp);
        Fault_Server plain(new QTcpServer); // the target of cross-server redirects
        for (auto it = files_.begin(); it != files_.end(); ++it)
            server.Routes[it.key()].Body = it.value();
        QString source = server.Url(https ? QStringLiteral("https") : QStringLiteral("http"));
        Route &table = server.Routes[QStringLiteral("Table-1.dat")];
        const QByteArray html = "<!DOCTYPE html>\r\n<html><head><title>Error</title></head><body>Date: 01/15/2099\r\n1 2 3</body></html>\r\n";
        const auto index_all = [this] { return Sums(files_.keys()); };

        if (fault == u"404") {
            table = Route{Route::Normal, "404 Not Found", html, {}};
        } else if (fault == u"html table") {
            table.Body = html;
        } else if (fault == u"cut length") {
            table.How = Route::Cut_With_Length;
        } else if (fault == u"cut no length") {
            table.How = Route::Cut_Without_Length;
        } else if (fault == u"cut no length indexed") {
            table.How = Route::Cut_Without_Length;
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index_all();
        } else if (fault == u"stall headers") {
            table.How = Route::Stall_After_Headers;
        } else if (fault == u"stall body") {
            table.How = Route::Stall_Mid_Body;
        } else if (fault == u"slow") {
            table.How = Route::Slow;
        } else if (fault == u"huge") {
            table.How = Route::Huge;
        } else if (fault == u"endless") {
            table.How = Route::Endless;
        } else if (fault == u"redirect loop") {
            table = Route{Route::Redirect, {}, {}, "/src/Table-1.dat"};
        } else if (fault == u"redirect ok") {
            table = Route{Route::Redirect, {}, {}, "/elsewhere/Table-1.dat"};
            plain.Routes[QStringLiteral("Table-1.dat")].Body = files_.value(QStringLiteral("Table-1.dat"));
            table.Location = (plain.Url() + QStringLiteral("Table-1.dat")).toLatin1();
        } else if (fault == u"https to http") {
            plain.Routes[QStringLiteral("Table-1.dat")].Body = files_.value(QStringLiteral("Table-1.dat"));
            table = Route{Route::Redirect, {}, {}, (plain.Url() + QStringLiteral("Table-1.dat")).toLatin1()};
        } else if (fault == u"dies") {
            table.How = Route::Dies;
        } else if (fault == u"missing") {
            server.Routes.remove(QStringLiteral("Table-2.dat"));
        } else if (fault == u"evil parent" || fault == u"evil absolute") {
            const QString name = fault == u"evil parent" ? QStringLiteral("../evil.mtr") : QStringLiteral("/tmp/x.mtr");
            server.Routes[QStringLiteral("Update.txt")].Body += "METERLIST, \"" + name.toUtf8() + "\", 01/15/2099\r\n";
            server.Routes[name.section(u'/', -1)].Body = files_.value(QStringLiteral("AWWA-Standard.mtr"));
        } else if (fault == u"program list") {
            const QByteArray manifest = files_.value(QStringLiteral("Update.txt")) + "METERLIST, \"Quorvel.mtr\", 01/15/2099\r\n";
            server.Routes[QStringLiteral("Update.txt")].Body = manifest;
            QByteArray index = index_all(); // the index lists the manifest served
            index.replace(QCryptographicHash::hash(files_.value(QStringLiteral("Update.txt")), QCryptographicHash::Sha256).toHex(),
                          QCryptographicHash::hash(manifest, QCryptographicHash::Sha256).toHex());
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index;
            server.Routes[QStringLiteral("SHA256SUMS.minisig")].Body = Sign(index);
            QVERIFY(Write(folder + u'/' + Trusted_Keys_Name, other_pub_ + key_pub_)); // two trusted keys
        } else if (fault == u"garbage manifest") {
            QByteArray garbage(4096, '\0');
            for (int i = 0; i < garbage.size(); ++i)
                garbage[i] = char((i * 7919) % 251);
            server.Routes[QStringLiteral("Update.txt")].Body = garbage;
        } else if (fault == u"empty manifest") {
            server.Routes[QStringLiteral("Update.txt")].Body.clear();
        } else if (fault == u"checksum") {
            QByteArray index = index_all();
            const QByteArray good = QCryptographicHash::hash(files_.value(QStringLiteral("Table-1.dat")), QCryptographicHash::Sha256).toHex();
            index.replace(good, QByteArray(64, '0'));
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index;
        } else if (fault == u"manifest not indexed") {
            server.Routes[QStringLiteral("Update.txt")].Body.replace("Table-1 = 01/15/2099", "Table-1 = 01/16/2099");
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index_all();
        } else if (fault == u"bad signature") {
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index_all();
            server.Routes[QStringLiteral("SHA256SUMS.minisig")].Body = Sign(index_all(), true); // not a trusted key
            QVERIFY(Write(folder + u'/' + Trusted_Keys_Name, key_pub_));
        } else if (fault == u"unsigned") {
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index_all();
            QVERIFY(Write(folder + u'/' + Trusted_Keys_Name, key_pub_));
        } else if (fault == u"read-only") {
            if (mounted)
                QVERIFY(::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=256k") == 0);
            else
                QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        } else if (fault == u"full") {
            // Fill the file system to its last byte.
            QFile filler(folder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            filler.close();
        } else if (fault == u"stripped" || fault == u"stripped folder" || fault == u"share hangs") {
            if (fault != u"share hangs")
                QVERIFY(Write(folder + u'/' + Trusted_Keys_Name, key_pub_));
            if (fault != u"stripped") { // a folder source
                source = parent.filePath(QStringLiteral("source"));
                QVERIFY(QDir().mkpath(source));
                for (auto it = files_.begin(); it != files_.end(); ++it)
                    QVERIFY(Write(source + u'/' + it.key(), it.value()));
            }
            if (fault == u"share hangs") { // opening it waits for a writer that never comes
                QFile::remove(source + QStringLiteral("/Update.txt"));
                QCOMPARE(::mkfifo(QFile::encodeName(source + QStringLiteral("/Update.txt")).constData(), 0600), 0);
            }
        } else if (fault == u"signed no key") {
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index_all();
            server.Routes[QStringLiteral("SHA256SUMS.minisig")].Body = Sign(index_all());
        } else if (fault == u"key id twice") {
            // A second key of the same id after the right one.
            const QList<QByteArray> lines = key_pub_.trimmed().split('\n');
            QByteArray raw = QByteArray::fromBase64(lines.value(1));
            raw.replace(10, 32, QByteArray::fromBase64(other_pub_.trimmed().split('\n').value(1)).mid(10, 32));
            QVERIFY(Write(folder + u'/' + Trusted_Keys_Name, key_pub_ + "untrusted comment: same id\n" + raw.toBase64() + "\n"));
            server.Routes[QStringLiteral("SHA256SUMS")].Body = index_all();
            server.Routes[QStringLiteral("SHA256SUMS.minisig")].Body = Sign(index_all());
        } else if (fault == u"key unreadable") {
            QVERIFY(QDir().mkpath(folder + u'/' + Trusted_Keys_Name));
        } else if (fault == u"key empty") {
            QVERIFY(Write(folder + u'/' + Trusted_Keys_Name, "untrusted comment: no key here\n"));
        } else if (fault == u"year forward" || fault == u"year back" || fault == u"date unreadable" || fault == u"twin") {
            const QString here = folder + (fault == u"twin" ? QStringLiteral("/awwa-standard.mtr") : QStringLiteral("/AWWA-Standard.mtr"));
            QByteArray list = Read(folder + QStringLiteral("/AWWA-Standard.mtr"));
            list = (fault == u"year back" ? "Date: 01/20/2027" : "Date: 12/10/2026") + list.mid(list.indexOf('\r'));
            QVERIFY(QFile::remove(folder + QStringLiteral("/AWWA-Standard.mtr")));
            QVERIFY(Write(here, list));
            server.Routes[QStringLiteral("Update.txt")].Body =
                List_Manifest("AWWA-Standard.mtr", fault == u"year back" ? "12/10/2026" : fault == u"date unreadable" ? "soon" : "01/20/2027");
        } else if (fault == u"backup folder") {
            QVERIFY(QDir().mkpath(folder + QStringLiteral("/Table-1-") + Stamp + QStringLiteral(".bak")));
            QVERIFY(Write(folder + QStringLiteral("/Table-1-") + Stamp + QStringLiteral(".bak/mine"), "the user's own file"));
        } else if (fault == u"second run") {
            QVERIFY(Write(folder + QStringLiteral("/Table-1-") + Stamp + QStringLiteral(".bak"), "the day's earlier backup"));
        } else if (fault == u"planted") {
            // Another user's folder under a staging name: a link to a private
            // file of this user and a plan that would delete Table-1.dat.
            const QString planted = folder + u'/' + Staging_Folder_Name + QStringLiteral(".planted");
            QVERIFY(QDir().mkpath(planted));
            QVERIFY(Write(parent.filePath(QStringLiteral("private")), "this user's secret"));
            QVERIFY(QFile::setPermissions(parent.filePath(QStringLiteral("private")), QFile::ReadOwner | QFile::WriteOwner));
            QVERIFY(QFile::link(parent.filePath(QStringLiteral("private")), planted + QStringLiteral("/0.new")));
            QVERIFY(Write(planted + QStringLiteral("/journal"), "Quorvel update journal 1\nTable-1.dat\tgone\t\t\t0\n"));
            QVERIFY(QFile::setPermissions(planted, QFileDevice::Permissions(0x7777)));
            if (::geteuid() == 0)
                QCOMPARE(::lchown(QFile::encodeName(planted).constData(), 65534, 65534), 0);
        } else if (fault == u"linked current") {
            QVERIFY(QFile::rename(folder + QStringLiteral("/Table-1.dat"), parent.filePath(QStringLiteral("outside.dat"))));
            QVERIFY(QFile::setPermissions(parent.filePath(QStringLiteral("outside.dat")), QFile::ReadOwner | QFile::WriteOwner));
            QVERIFY(QFile::link(parent.filePath(QStringLiteral("outside.dat")), folder + QStringLiteral("/Table-1.dat")));
        } else if (fault == u"trickle manifest") {
            server.Routes[QStringLiteral("Update.txt")].How = Route::Trickle;
        } else if (fault == u"trickle file") {
            table.How = Route::Trickle;
        } else if (fault == u"utf-8" || fault == u"utf-16") {
            const QString manifest = QString::fromUtf8(List_Manifest("Z\xc3\xa4hler-Liste.mtr", "01/15/2099"));
            QByteArray bytes = manifest.toUtf8();
            if (fault == u"utf-16") {
                QStringEncoder encode(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
                bytes = encode(manifest);
            }
            server.Routes[QStringLiteral("Update.txt")].Body = bytes;
        } else if (fault == u"no version") {
            server.Routes[QStringLiteral("Update.txt")].Body = "' a manifest\r\nTable-1 = 01/15/2099\r\n";
        } else if (fault == u"cr name") {
            server.Routes[QStringLiteral("Update.txt")].Body += "METERLIST, \"Bad\rName.mtr\", 01/15/2099\r\n";
            server.Routes[QStringLiteral("Bad\rName.mtr")].Body = files_.value(QStringLiteral("AWWA-Standard.mtr"));
        } else if (fault == u"own list") { // served, but not named by the manifest
            server.Routes[QStringLiteral("AWWA-Turbine.mtr")].Body = files_.value(QStringLiteral("AWWA-Standard.mtr"));
        } else if (fault == u"package") {
            QVERIFY(Write(folder + u'/' + QLatin1String(Package_Marker), {}));
        } else if (fault == u"stale") {
            const QString stale = folder + u'/' + Staging_Folder_Name;
            QVERIFY(QDir().mkpath(stale + QStringLiteral("/old")));
            QVERIFY(Write(stale + QStringLiteral("/0.new"), "<html>a table cut short by an interrupted run"));
            QVERIFY(Write(stale + QStringLiteral("/old/Quorvel.tmp"), "not a program"));
        }

        const QMap<QString, QByteArray> before = Hashes(folder);
        const QByteArray evil_before = Read(parent.filePath(QStringLiteral("evil.mtr"))) + Read(QStringLiteral("/tmp/x.mtr"));
        const bool measure = fault == u"huge" || fault == u"endless";
        if (measure)
            QVERIFY(Write(QStringLiteral("/proc/self/clear_refs"), "5")); // the peak starts again here
        const long rss_before = Peak_Rss_Kb();

        FILE *out = std::tmpfile();
        FILE *err = std::tmpfile();
        QElapsedTimer clock;
        clock.start();
        const bool update = args.value(0) != u"--check-update";
        const QStringList staging_before = Staging_Folders(folder);
        const QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        if (fault == u"untrusted tls")
            QSslConfiguration::setDefaultConfiguration(system_client_);
        const auto trust_again = qScopeGuard([&trusting] { QSslConfiguration::setDefaultConfiguration(trusting); });
        std::optional<Update_Folder_Lock> other_run;
        if (fault == u"locked")
            other_run.emplace(folder);
        const int code = update ? Run_Update_Command(QStringList{QStringLiteral("--update")} + args, folder, source, out, err)
                                : Run_Check_Update(args, folder, source, out, err);
        other_run.reset();
        if (fault == u"share hangs") { // the reader still waiting is let go
            const int fd = ::open(QFile::encodeName(source + QStringLiteral("/Update.txt")).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        const qint64 ms = clock.elapsed();
        const auto text_of = [](FILE *f) {
            std::rewind(f);
            QByteArray bytes;
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                bytes.append(buffer, qsizetype(n));
            std::fclose(f);
            return QString::fromUtf8(bytes);
        };
        const QString told_user = text_of(out) + text_of(err);
        if (measure) {
            const long peak = Peak_Rss_Kb();
            qInfo("%s: peak RSS of the process during the run %ld kB (before it %ld kB), %lld ms", qPrintable(fault), peak,
                  rss_before, ms);
            QVERIFY2(peak - rss_before < 64 * 1024, "the refused body reached memory");
        }
        if (fault == u"read-only" && !mounted)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        qInfo("exit %d after %lld ms; told: %s", code, ms, qPrintable(told_user.trimmed().replace(u'\n', QStringLiteral(" | "))));
        QVERIFY2(told_user.contains(told), qPrintable(told_user));
        QCOMPARE(code, exit_code);
        const QMap<QString, QByteArray> after = Hashes(folder);
        QCOMPARE(Changed(before, after), changes);
        // A staging folder the run did not make is left alone; its own are gone.
        QCOMPARE(Staging_Folders(folder), fault == u"planted" ? staging_before : QStringList());
        QCOMPARE(Read(parent.filePath(QStringLiteral("evil.mtr"))) + Read(QStringLiteral("/tmp/x.mtr")), evil_before);
        if (exit_code == 0 && update) {
            // What changed is the source's file, and the backup the file that was here.
            for (const QString &name : changes) {
                if (name.endsWith(QStringLiteral(".bak"))) {
                    const QString original = name.startsWith(QStringLiteral("Quorvel-")) ? QStringLiteral("Quorvel")
                                             : name.contains(QStringLiteral(".-")) ? name.section(QStringLiteral(".-"), 0, 0) + QStringLiteral(".mtr")
                                                                                   : name.left(7) + QStringLiteral(".dat");
                    QCOMPARE(after.value(name), before.value(original));
                } else {
                    QString at_source = name == u"Quorvel.vmf" ? QStringLiteral("Quorvel.zip") : name;
                    for (const QString &key : files_.keys())
                        if (key.compare(at_source, Qt::CaseInsensitive) == 0)
                            at_source = key;
                    QCOMPARE(Read(folder + u'/' + name), files_.value(at_source));
                }
            }
        } else if (update) {
            QVERIFY2(told_user.contains(QStringLiteral("othing was replaced")) || told_user.contains(QStringLiteral("othing was changed")),
                     qPrintable(told_user));
            QVERIFY(!told_user.contains(QStringLiteral("Backups of your files")));
        }
        // Nothing outside the folder, nor what is not the run's, was touched.
        if (fault == u"backup folder")
            QCOMPARE(Read(folder + QStringLiteral("/Table-1-") + Stamp + QStringLiteral(".bak/mine")), QByteArray("the user's own file"));
        if (fault == u"planted") {
            QCOMPARE(Read(parent.filePath(QStringLiteral("private"))), QByteArray("this user's secret"));
            QCOMPARE(QFile::permissions(parent.filePath(QStringLiteral("private"))), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        }
        if (fault == u"linked current")
            QCOMPARE(QFile::permissions(parent.filePath(QStringLiteral("outside.dat"))), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        if (fault.startsWith(QStringLiteral("trickle")) || fault == u"share hangs")
            QVERIFY2(ms < 15000, "a fetch outlived its limits");
        if (fault == u"slow")
            QVERIFY2(ms > 4000, "the slow transfer was meant to take longer than twice its 2 s timeout");
        if (fault == u"stall headers" || fault == u"stall body")
            QVERIFY2(ms < 15000, "a 2 s timeout took far longer");
        if (fault == u"program list")
            QVERIFY(QFileInfo(folder + QStringLiteral("/Quorvel")).permissions() & QFile::ExeOther);
    }

    // The dialog's endings: a run that replaced nothing says why, keeps the
    // program running and the dialog open; one that replaced files shows the
    // backup and restart messages and ends the program. The bar reaches its
    // total either way.
    void Dialog_Endings_data()
    {
        QTest::addColumn<bool>("html");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("ends");
        QTest::newRow("HTML page for Table-1") << true << QStringList{QStringLiteral("Nothing was replaced: Table-1.dat was refused: it is a web page, not a data file.")} << false;
        QTest::newRow("good Table-1") << false << QStringList{QStringLiteral("Backups of your files were placed in '%1' with the date and extention of '.bak'.  You must restart Quorvel for the updates to take effect."),
                                                             QStringLiteral("Plase restart Quorvel for the updates to take effect.")} << true;
    }
    void Dialog_Endings()
    {
        QFETCH(bool, html);
        QFETCH(QStringList, messages);
        QFETCH(bool, ends);
        Make_Source();
        QTemporaryDir parent;
        const QString folder = parent.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(folder));
        Fill_Program_Folder(folder, false);
        Fault_Server server(new QTcpServer);
        for (auto it = files_.begin(); it != files_.end(); ++it)
            server.Routes[it.key()].Body = it.value();
        if (html)
            server.Routes[QStringLiteral("Table-1.dat")].Body = "<html><body>Table-1</body></html>\r\n";
        QStringList told;
        bool ended = false;
        Frm_Update::Local_State local{server.Url(), folder, QStringLiteral("1.02.0808"), {}, [&](const QString &m) { told << m; },
                                      [&] { ended = true; }};
        QWidget owner;
        QPointer<Frm_Update> dialog = new Frm_Update(local, &owner);
        dialog->Load();
        dialog->Chk_Table[0]->setChecked(true);
        dialog->Chk_Table[2]->setChecked(true);
        const QMap<QString, QByteArray> before = Hashes(folder);
        dialog->Run();
        auto *progress = dialog->findChild<Frm_Download *>();
        QVERIFY(progress);
        QCOMPARE(progress->ProgressBar1->maximum(), 2);
        QCOMPARE(progress->ProgressBar1->value(), 2);
        if (messages.size() == 2)
            messages[0] = messages[0].arg(folder);
        QCOMPARE(told, messages);
        QCOMPARE(ended, ends);
        QCOMPARE(Changed(before, Hashes(folder)).isEmpty(), !ends);
        if (!ends) {
            QCOMPARE(dialog->Lab_Wait->text(), QStringLiteral("Nothing was replaced"));
            // A close would have asked for the dialog's deletion: carry out
            // every deletion asked for, and it is still there.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(dialog); // still open: the user reads what failed
        }
        delete dialog;
    }

    // Cancel in the progress dialog while a fetch stalls: the run stops, the
    // dialogs close, nothing changes and the program goes on.
    void Cancel_Mid_Fetch_In_The_Dialog()
    {
        Make_Source();
        QTemporaryDir parent;
        const QString folder = parent.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(folder));
        Fill_Program_Folder(folder, true);
        Fault_Server server(new QTcpServer);
        for (auto it = files_.begin(); it != files_.end(); ++it)
            server.Routes[it.key()].Body = it.value();
        server.Routes[QStringLiteral("Table-2.dat")].How = Route::Stall_Mid_Body;
        QStringList messages;
        bool ended = false;
        Frm_Update::Local_State local{server.Url(), folder, QStringLiteral("1.02.0808"), {}, [&](const QString &m) { messages << m; },
                                      [&] { ended = true; }};
        QWidget owner; // the options dialog in the program
        QPointer<Frm_Update> dialog = new Frm_Update(local, &owner);
        dialog->show();
        dialog->Load();
        QCOMPARE(dialog->Lab_Wait->text(), QStringLiteral("Ready"));
        dialog->Chk_Table[0]->setChecked(true);
        dialog->Chk_Table[1]->setChecked(true);
        const QMap<QString, QByteArray> before = Hashes(folder);
        bool pressed = false;
        QString bytes_shown;
        server.On_Request = [&](const QString &name) {
            if (name != u"Table-2.dat")
                return;
            QTimer::singleShot(500, dialog, [&] {
                auto *progress = dialog->findChild<Frm_Download *>();
                QVERIFY(progress);
                bytes_shown = progress->Lab_Bytes->text();
                // A second Update, a close of the dialog and of its owner: all
                // wait for the run; then Cancel.
                dialog->Run();
                dialog->close();
                owner.close();
                QVERIFY(dialog);
                progress->findChild<QPushButton *>(QStringLiteral("Button_Cancel"))->click();
                pressed = true;
            });
        };
        QElapsedTimer clock;
        clock.start();
        dialog->Run();
        QVERIFY(pressed);
        QVERIFY2(clock.elapsed() < 10000, "Cancel did not stop the stalled fetch");
        QVERIFY(dialog->Last_Result.Cancelled);
        QTRY_VERIFY(dialog.isNull()); // closed and deleted once the run returned
        QVERIFY(!ended);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'\n')));
        QCOMPARE(Changed(before, Hashes(folder)), QStringList());
        QVERIFY(Staging_Folders(folder).isEmpty());
        QVERIFY2(bytes_shown.startsWith(QStringLiteral("Table-2.dat: ")) && bytes_shown.endsWith(QStringLiteral(" kB")),
                 qPrintable(bytes_shown));

        // Cancel while the manifest itself stalls: the load stops as well.
        server.Routes[QStringLiteral("Update.txt")].How = Route::Stall_Mid_Body;
        QPointer<Frm_Update> loading = new Frm_Update(local, &owner);
        loading->show();
        QTimer::singleShot(300, loading, [&] {
            QVERIFY(loading->Is_Busy());
            loading->findChild<QPushButton *>(QStringLiteral("Button_Cancel"))->click();
        });
        clock.restart();
        loading->Load();
        QVERIFY2(clock.elapsed() < 10000, "Cancel did not stop the stalled manifest");
        QTRY_VERIFY(loading.isNull());
        QVERIFY(!ended);
        QCOMPARE(Changed(before, Hashes(folder)), QStringList());

        // The same with a share that never answers (its manifest a pipe no
        // one writes): the window goes on and Cancel ends the load.
        const QString share = parent.filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkpath(share));
        QCOMPARE(::mkfifo(QFile::encodeName(share + QStringLiteral("/Update.txt")).constData(), 0600), 0);
        Frm_Update::Local_State hanging = local;
        hanging.Server_Name = share;
        QPointer<Frm_Update> waiting = new Frm_Update(hanging, &owner);
        waiting->show();
        int ticks = 0;
        QTimer ticker; // the window's own events are served meanwhile
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(50);
        QTimer::singleShot(500, waiting, [&] { waiting->findChild<QPushButton *>(QStringLiteral("Button_Cancel"))->click(); });
        clock.restart();
        waiting->Load();
        QVERIFY2(clock.elapsed() < 10000, "Cancel did not stop the load from a share that never answers");
        QVERIFY(ticks >= 5);
        QTRY_VERIFY(waiting.isNull());
        const int release = ::open(QFile::encodeName(share + QStringLiteral("/Update.txt")).constData(), O_WRONLY | O_NONBLOCK);
        if (release >= 0)
            ::close(release); // the reader still waiting is let go
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Test_Update_Faults faults;
    return QTest::qExec(&faults, argc, argv);
}
#include "tst_update_faults.moc"
