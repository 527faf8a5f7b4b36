#include "update_fetch.h"

#include "update_source.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr qint64 Chunk = 64 * 1024;

QString Size_Text(qint64 bytes)
{
    return bytes >= 10 * 1024 * 1024 ? QStringLiteral("%1 MB").arg(bytes / (1024 * 1024))
                                     : QStringLiteral("%1 bytes").arg(bytes);
}

// The destination, written as the body arrives; any failure of the disk
// (a full file system, a folder that became read-only) is caught here.
class Sink {
public:
    explicit Sink(const QString &path) : file_(path) {}
    // Created new; a second Open (after a redirect) empties it again.
    bool Open()
    {
        if (file_.isOpen()) {
            if (file_.resize(0) && file_.seek(0))
                return true;
            error_ = QStringLiteral("it could not be written here (%1)").arg(file_.errorString());
            return false;
        }
        if (!file_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            error_ = QStringLiteral("it could not be written here (%1)").arg(file_.errorString());
            return false;
        }
        return true;
    }
    bool Write(const QByteArray &bytes)
    {
        if (file_.write(bytes) != bytes.size()) {
            error_ = QStringLiteral("it could not be written here (%1)").arg(file_.errorString());
            return false;
        }
        return true;
    }
    // Everything written reached the disk.
    bool Finish()
    {
        if (!file_.flush() || ::fsync(file_.handle()) != 0) {
            error_ = QStringLiteral("it could not be written here (%1)").arg(file_.errorString());
            return false;
        }
        file_.close();
        return true;
    }
    void Discard()
    {
        file_.close();
        QFile::remove(file_.fileName());
    }
    QString Error() const { return error_; }

private:
    QFile file_;
    QString error_;
};

Fetch_Outcome Fail(Sink &sink, Fetch_Outcome outcome, const QString &error)
{
    sink.Discard();
    outcome.Ok = false;
    outcome.Error = error;
    return outcome;
}

// What the reading thread of a folder source hands over.
struct File_Transfer {
    std::mutex Lock;
    std::condition_variable Wake;
    QList<QByteArray> Chunks;
    qint64 Queued = 0;
    qint64 Total = -1;
    bool Done = false;
    bool Abandoned = false;
    bool Missing = false;
    QString Error;
};

// Runs on its own thread: a share that stops answering blocks it, not the
// caller. It reads ahead at most a few chunks.
void Read_Source_File(const std::shared_ptr<File_Transfer> &t, const QByteArray &path, qint64 most)
{
    const auto finish = [&t](const QString &error, bool missing = false) {
        const std::lock_guard<std::mutex> hold(t->Lock);
        t->Error = error;
        t->Missing = missing;
        t->Done = true;
        t->Wake.notify_all();
    };
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR)
            return finish(QStringLiteral("it is not at the update source (%1)").arg(QFile::decodeName(path)), true);
        return finish(QStringLiteral("it could not be read at the source (%1)").arg(QString::fromLocal8Bit(std::strerror(e))));
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return finish(QStringLiteral("it is not a plain file at the update source (%1)").arg(QFile::decodeName(path)));
    }
    if (st.st_size > most) {
        ::close(fd);
        return finish(QStringLiteral("it is %1, more than the %2 an update file may have").arg(Size_Text(st.st_size), Size_Text(most)));
    }
    {
        const std::lock_guard<std::mutex> hold(t->Lock);
        t->Total = st.st_size;
    }
    qint64 read_in_all = 0;
    QString error;
    while (true) {
        QByteArray chunk(Chunk, Qt::Uninitialized);
        const ssize_t got = ::read(fd, chunk.data(), size_t(Chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = QStringLiteral("it could not be read at the source (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
            break;
        }
        if (got == 0)
            break;
        read_in_all += got;
        if (read_in_all > most) {
            error = QStringLiteral("it is more than the %1 an update file may have").arg(Size_Text(most));
            break;
        }
        chunk.truncate(got);
        std::unique_lock<std::mutex> hold(t->Lock);
        t->Wake.wait(hold, [&t] { return t->Abandoned || t->Queued < 4 * Chunk; });
        if (t->Abandoned)
            break;
        t->Queued += got;
        t->Chunks.append(chunk);
        t->Wake.notify_all();
    }
    ::close(fd);
    if (error.isEmpty() && read_in_all != st.st_size)
        error = QStringLiteral("it changed while it was read (%1 of %2 bytes)").arg(read_in_all).arg(st.st_size);
    finish(error);
}

Fetch_Outcome Fetch_File(const QString &path, Sink &sink, const Fetch_Options &o)
{
    Fetch_Outcome outcome;
    auto t = std::make_shared<File_Transfer>();
    std::thread reader(Read_Source_File, t, QFile::encodeName(path), o.Max_Bytes);
    QElapsedTimer clock, quiet;
    clock.start();
    quiet.start();
    QString failure;
    while (true) {
        QList<QByteArray> chunks;
        bool done = false;
        qint64 total = -1;
        {
            std::unique_lock<std::mutex> hold(t->Lock);
            t->Wake.wait_for(hold, std::chrono::milliseconds(20), [&t] { return t->Done || !t->Chunks.isEmpty(); });
            chunks.swap(t->Chunks);
            t->Queued = 0;
            done = t->Done;
            total = t->Total;
            t->Wake.notify_all();
        }
        for (const QByteArray &bytes : std::as_const(chunks)) {
            outcome.Bytes += bytes.size();
            quiet.restart();
            if (failure.isEmpty() && !sink.Write(bytes))
                failure = sink.Error();
        }
        if (!chunks.isEmpty() && o.Progress)
            o.Progress(outcome.Bytes, total);
        if (done || !failure.isEmpty())
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (o.Cancelled && o.Cancelled()) {
            outcome.Cancelled = true;
            failure = QStringLiteral("the update was cancelled");
        } else if (quiet.elapsed() > o.Inactivity_Ms) {
            failure = QStringLiteral("the update source sent nothing for %1 s").arg(o.Inactivity_Ms / 1000.0);
        } else if (clock.elapsed() > Fetch_Deadline_Ms(o, total)) {
            failure = QStringLiteral("the update source took longer than the %1 s allowed for it").arg(QString::number(Fetch_Deadline_Ms(o, total) / 1000.0, 'f', 0));
        }
        if (!failure.isEmpty())
            break;
    }
    bool finished = false;
    {
        const std::lock_guard<std::mutex> hold(t->Lock);
        t->Abandoned = true;
        finished = t->Done;
        t->Wake.notify_all();
        if (failure.isEmpty()) {
            failure = t->Error;
            outcome.Missing = t->Missing;
        }
    }
    // A reader stuck in a source that stopped answering is left to end on
    // its own; what it holds is its own.
    if (finished)
        reader.join();
    else
        reader.detach();
    if (!failure.isEmpty())
        return Fail(sink, outcome, failure);
    if (!sink.Finish())
        return Fail(sink, outcome, sink.Error());
    outcome.Ok = true;
    return outcome;
}

// One request and its answer. A redirect is returned in `redirect`
// without following it.
Fetch_Outcome Fetch_Once(QNetworkAccessManager &manager, const QUrl &url, Sink &sink, const Fetch_Options &o,
                         QUrl &redirect)
{
    Fetch_Outcome outcome;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply *reply = manager.get(request);
    reply->setReadBufferSize(4 * Chunk); // the socket is read no faster than the disk is written
    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(o.Inactivity_Ms);
    QTimer poll;
    poll.setInterval(100);
    QString failure; // set when this side stops the transfer
    qint64 announced = -1;
    bool headers_seen = false;
    qint64 discarded = 0;

    const auto stop = [&](const QString &why) {
        if (failure.isEmpty())
            failure = why;
        if (!reply->isFinished())
            reply->abort();
    };
    const auto headers = [&] {
        if (headers_seen || !reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
            return;
        headers_seen = true;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 300 && status < 400 && reply->hasRawHeader("Location")) {
            redirect = url.resolved(QUrl(QString::fromLatin1(reply->rawHeader("Location"))));
            stop(QStringLiteral("redirect"));
            return;
        }
        if (status < 200 || status > 299) {
            const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            outcome.Missing = status == 404 || status == 410;
            // The error page is read to its end and dropped (a reply in
            // error is not aborted a second time), unless it is long.
            failure = QStringLiteral("the update source answered %1 %2").arg(status).arg(reason).trimmed();
            return;
        }
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) {
            announced = length.toLongLong();
            if (announced > o.Max_Bytes)
                stop(QStringLiteral("the update source announced %1, more than the %2 an update file may have")
                         .arg(Size_Text(announced), Size_Text(o.Max_Bytes)));
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        idle.start();
        headers();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        idle.start();
        headers();
        if (!failure.isEmpty()) {
            discarded += reply->readAll().size();
            if (discarded > Chunk * 16 && !reply->isFinished())
                reply->abort();
            return;
        }
        while (reply->bytesAvailable() > 0) {
            const QByteArray bytes = reply->read(Chunk);
            outcome.Bytes += bytes.size();
            if (outcome.Bytes > o.Max_Bytes) {
                stop(QStringLiteral("the update source sent more than the %1 an update file may have").arg(Size_Text(o.Max_Bytes)));
                return;
            }
            if (!sink.Write(bytes)) {
                stop(sink.Error());
                return;
            }
        }
        if (o.Progress)
            o.Progress(outcome.Bytes, announced);
    });
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
        stop(QStringLiteral("the update source sent nothing for %1 s").arg(o.Inactivity_Ms / 1000.0));
    });
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (o.Cancelled && o.Cancelled()) {
            outcome.Cancelled = true;
            stop(QStringLiteral("the update was cancelled"));
        } else if (clock.elapsed() > Fetch_Deadline_Ms(o, announced)) {
            stop(QStringLiteral("the update source took longer than the %1 s allowed for it").arg(QString::number(Fetch_Deadline_Ms(o, announced) / 1000.0, 'f', 0)));
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    idle.start();
    poll.start();
    if (!reply->isFinished())
        loop.exec();
    headers();
    // What is still buffered when the answer ended.
    if (failure.isEmpty() && reply->bytesAvailable() > 0)
        emit reply->readyRead();
    const QNetworkReply::NetworkError error = reply->error();
    const QString error_text = reply->errorString();
    reply->deleteLater();
    if (!failure.isEmpty())
        return Fail(sink, outcome, failure);
    if (error == QNetworkReply::SslHandshakeFailedError)
        return Fail(sink, outcome, QStringLiteral("the update source's certificate was refused (%1); an https:// source needs a "
                                                  "certificate trusted by this computer's system certificate store").arg(error_text));
    if (error != QNetworkReply::NoError)
        return Fail(sink, outcome, QStringLiteral("the transfer failed (%1)").arg(error_text));
    if (!headers_seen)
        return Fail(sink, outcome, QStringLiteral("the update source sent no answer"));
    if (announced >= 0 && outcome.Bytes != announced)
        return Fail(sink, outcome, QStringLiteral("the update source sent %1 of %2 bytes").arg(outcome.Bytes).arg(announced));
    if (!sink.Finish())
        return Fail(sink, outcome, sink.Error());
    outcome.Ok = true;
    return outcome;
}

} // namespace

qint64 Fetch_Deadline_Ms(const Fetch_Options &o, qint64 announced)
{
    if (o.Deadline_Ms > 0)
        return o.Deadline_Ms;
    return 4 * qint64(o.Inactivity_Ms) + (announced > 0 ? announced / 16 : 0);
}

QString Drive_Letter_Message(const QString &server_name)
{
    return QStringLiteral("The update source \"%1\" names a drive letter, which this computer does not have. "
                          "Give the folder the medium is mounted at instead, for example /media/cdrom/update.")
        .arg(server_name);
}

Fetch_Outcome Fetch_To_File(const QString &server_name, const QString &name, const QString &destination,
                            const Fetch_Options &o)
{
    Sink sink(destination);
    Fetch_Outcome outcome;
    if (Names_Drive_Letter(server_name))
        return Fail(sink, outcome, Drive_Letter_Message(server_name));
    const Update_Source_Kind kind = Source_Kind(server_name);
    if (kind == Update_Source_Kind::None)
        return Fail(sink, outcome, QStringLiteral("the update source \"%1\" is neither a folder, a share nor an "
                                                  "http:// or https:// address").arg(server_name));
    if (!sink.Open())
        return Fail(sink, outcome, sink.Error());
    const QString location = Source_Location(server_name, name);
    if (kind != Update_Source_Kind::Http) {
        QString path = location;
        path.replace(u'\\', u'/');
        return Fetch_File(path, sink, o);
    }
    QNetworkAccessManager manager;
    manager.setAutoDeleteReplies(false);
    QUrl url(location);
    for (int hop = 0;; ++hop) {
        QUrl redirect;
        outcome = Fetch_Once(manager, url, sink, o, redirect);
        if (redirect.isEmpty())
            return outcome;
        if (hop >= o.Max_Redirects)
            return Fail(sink, outcome, QStringLiteral("the update source redirected more than %1 times").arg(o.Max_Redirects));
        if (url.scheme() == u"https" && redirect.scheme() != u"https")
            return Fail(sink, outcome, QStringLiteral("the update source redirected from https to %1, which is refused")
                                           .arg(redirect.toString()));
        if (redirect.scheme() != u"http" && redirect.scheme() != u"https")
            return Fail(sink, outcome, QStringLiteral("the update source redirected to %1, which is refused").arg(redirect.toString()));
        // The body of the redirect itself is not the file.
        if (!sink.Open())
            return Fail(sink, outcome, sink.Error());
        url = redirect;
    }
}
