#include "update_fetch.h"

#include "update_source.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

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
    bool Open()
    {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
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

Fetch_Outcome Fetch_File(const QString &path, Sink &sink, const Fetch_Options &o)
{
    Fetch_Outcome outcome;
    QFile in(path);
    if (!QFileInfo(path).isFile()) {
        outcome.Missing = true;
        return Fail(sink, outcome, QStringLiteral("it is not at the update source (%1)").arg(path));
    }
    if (in.size() > o.Max_Bytes)
        return Fail(sink, outcome, QStringLiteral("it is %1, more than the %2 an update file may have")
                                       .arg(Size_Text(in.size()), Size_Text(o.Max_Bytes)));
    if (!in.open(QIODevice::ReadOnly))
        return Fail(sink, outcome, QStringLiteral("it could not be read at the source (%1)").arg(in.errorString()));
    const qint64 total = in.size();
    while (true) {
        if (o.Cancelled && o.Cancelled()) {
            outcome.Cancelled = true;
            return Fail(sink, outcome, QStringLiteral("the update was cancelled"));
        }
        const QByteArray bytes = in.read(Chunk);
        if (bytes.isEmpty())
            break;
        outcome.Bytes += bytes.size();
        if (outcome.Bytes > o.Max_Bytes)
            return Fail(sink, outcome, QStringLiteral("it is more than the %1 an update file may have").arg(Size_Text(o.Max_Bytes)));
        if (!sink.Write(bytes))
            return Fail(sink, outcome, sink.Error());
        if (o.Progress)
            o.Progress(outcome.Bytes, total);
    }
    if (in.error() != QFileDevice::NoError)
        return Fail(sink, outcome, QStringLiteral("it could not be read at the source (%1)").arg(in.errorString()));
    if (outcome.Bytes != total)
        return Fail(sink, outcome, QStringLiteral("it changed while it was read (%1 of %2 bytes)").arg(outcome.Bytes).arg(total));
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
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (o.Cancelled && o.Cancelled()) {
            outcome.Cancelled = true;
            stop(QStringLiteral("the update was cancelled"));
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
