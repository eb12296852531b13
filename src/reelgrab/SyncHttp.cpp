#include "reelgrab/SyncHttp.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace {

class RefusingCookieJar : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    bool setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &) override { return false; }
    QList<QNetworkCookie> cookiesForUrl(const QUrl &) const override { return {}; }
};

QString fileNameFromDisposition(const QByteArray &header)
{
    // filename*=UTF-8''name wins over filename="name".
    const QString text = QString::fromLatin1(header);
    const qsizetype star = text.indexOf(QStringLiteral("filename*="), 0, Qt::CaseInsensitive);
    if (star >= 0) {
        QString v = text.mid(star + 10).section(u';', 0, 0).trimmed();
        const qsizetype quote = v.indexOf(QStringLiteral("''"));
        if (quote >= 0)
            v = v.mid(quote + 2);
        return QUrl::fromPercentEncoding(v.toLatin1());
    }
    const qsizetype plain = text.indexOf(QStringLiteral("filename="), 0, Qt::CaseInsensitive);
    if (plain < 0)
        return {};
    QString v = text.mid(plain + 9).trimmed();
    if (v.startsWith(u'"')) {
        const qsizetype end = v.indexOf(u'"', 1);
        return end > 0 ? v.mid(1, end - 1) : v.mid(1);
    }
    return v.section(u';', 0, 0).trimmed();
}

SyncHttp::Response run(const QByteArray &method, const QString &url, qint64 maxBytes, int timeoutMs)
{
    SyncHttp::Response out;
    const QUrl address(url);
    if (!address.isValid() || address.scheme().isEmpty() || address.host().isEmpty()) {
        out.error = QStringLiteral("invalid address");
        return out;
    }
    QThread *thread = QThread::create([&]() {
        QNetworkAccessManager manager;
        manager.setCookieJar(new RefusingCookieJar(&manager));
        manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        QNetworkRequest request(address);
        request.setTransferTimeout(timeoutMs);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        // A HEAD sent as a custom verb would wait for the announced body on a kept-alive
        // connection; only head() tells the stack there is none.
        QNetworkReply *reply = method == "HEAD" ? manager.head(request) : manager.sendCustomRequest(request, method);
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [&]() {
            if (maxBytes <= 0)
                return;
            out.body += reply->read(maxBytes + 1 - out.body.size());
            if (out.body.size() > maxBytes) {
                out.body.truncate(maxBytes);
                out.truncated = true;
                reply->abort();
            }
        });
        deadline.start(timeoutMs);
        loop.exec();
        if (maxBytes > 0 && !out.truncated) {
            out.body += reply->read(qMax<qint64>(0, maxBytes - out.body.size()));
        }
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        out.ok = status.isValid();
        out.status = status.toInt();
        out.mimeType = reply->header(QNetworkRequest::ContentTypeHeader)
                           .toString()
                           .section(u';', 0, 0)
                           .trimmed()
                           .toLower();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        out.contentLength = length.isValid() ? length.toLongLong() : -1;
        out.suggestedFileName = fileNameFromDisposition(reply->rawHeader("Content-Disposition"));
        if (out.suggestedFileName.isEmpty())
            out.suggestedFileName = reply->url().fileName();
        if (reply->error() != QNetworkReply::NoError)
            out.error = reply->errorString();
        delete reply;
    });
    thread->start();
    thread->wait();
    delete thread;
    return out;
}

} // namespace

namespace SyncHttp {

Response head(const QString &url, int timeoutMs) { return run("HEAD", url, 0, timeoutMs); }

Response get(const QString &url, qint64 maxBytes, int timeoutMs) { return run("GET", url, maxBytes, timeoutMs); }

} // namespace SyncHttp
