#include "reelgrab/SyncHttp.h"

#include <QCoreApplication>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <set>

namespace {

class RefusingCookieJar : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    bool setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &) override { return false; }
    QList<QNetworkCookie> cookiesForUrl(const QUrl &) const override { return {}; }
};

struct Job
{
    QByteArray method;
    QUrl address;
    qint64 maxBytes = 0;
    QByteArray range;
    int timeoutMs = 0;
    SyncHttp::Response out;
    std::promise<SyncHttp::Response> done;
    bool answered = false; // touched on the network thread only

    void answer()
    {
        if (answered)
            return;
        answered = true;
        done.set_value(out);
    }
};

// Lives on the network thread and owns the access manager there.
class Worker : public QObject
{
public:
    ~Worker() override
    {
        // Callers still waiting are told instead of waiting for ever.
        for (const auto &job : m_pending) {
            job->out.error = QStringLiteral("the network thread has ended");
            job->answer();
        }
    }

    // Sets the manager up and has it make its connection thread (at its first request) ahead of
    // the first real one: a request that can go nowhere (port 0 of this machine) is refused at once.
    void prepare()
    {
        QNetworkRequest nowhere(QUrl(QStringLiteral("http://127.0.0.1:0/")));
        nowhere.setTransferTimeout(1000);
        QNetworkReply *reply = manager()->head(nowhere);
        QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    }

    void start(const std::shared_ptr<Job> &job)
    {
        QNetworkRequest request(job->address);
        request.setTransferTimeout(job->timeoutMs);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        if (!job->range.isEmpty())
            request.setRawHeader("Range", job->range);
        // A HEAD sent as a custom verb would wait for the announced body on a kept-alive
        // connection; only head() tells the stack there is none.
        QNetworkReply *reply = job->method == "HEAD" ? manager()->head(request)
                                                     : manager()->sendCustomRequest(request, job->method);
        m_pending.insert(job);
        auto *deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [job, reply]() {
            if (job->maxBytes <= 0 || job->out.truncated)
                return;
            job->out.body += reply->read(job->maxBytes + 1 - job->out.body.size());
            if (job->out.body.size() > job->maxBytes) {
                job->out.body.truncate(job->maxBytes);
                job->out.truncated = true;
                reply->abort();
            }
        });
        QObject::connect(reply, &QNetworkReply::finished, this, [this, job, reply]() {
            finish(*job, reply);
            m_pending.erase(job);
            job->answer();
            reply->deleteLater();
        });
        deadline->start(job->timeoutMs);
    }

private:
    QNetworkAccessManager *manager()
    {
        if (!m_manager) {
            m_manager = new QNetworkAccessManager(this);
            m_manager->setCookieJar(new RefusingCookieJar(m_manager));
            m_manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        }
        return m_manager;
    }

    static void finish(Job &job, QNetworkReply *reply)
    {
        SyncHttp::Response &out = job.out;
        if (job.maxBytes > 0 && !out.truncated)
            out.body += reply->read(qMax<qint64>(0, job.maxBytes - out.body.size()));
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        out.ok = status.isValid();
        out.status = status.toInt();
        out.mimeType = reply->header(QNetworkRequest::ContentTypeHeader).toString().section(u';', 0, 0).trimmed().toLower();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        out.contentLength = length.isValid() ? length.toLongLong() : -1;
        out.suggestedFileName = SyncHttp::fileNameFromDisposition(reply->rawHeader("Content-Disposition"));
        if (out.suggestedFileName.isEmpty())
            out.suggestedFileName = reply->url().fileName();
        if (reply->error() != QNetworkReply::NoError)
            out.error = reply->errorString();
    }

    QNetworkAccessManager *m_manager = nullptr;
    std::set<std::shared_ptr<Job>> m_pending;
};

// A thread with a Worker and an event loop.
class Station
{
public:
    Station()
    {
        m_worker = new Worker;
        m_worker->moveToThread(&m_thread);
        m_thread.setObjectName(QStringLiteral("SyncHttp"));
        m_thread.start();
    }

    ~Station()
    {
        // The worker (and with it the access manager) goes on its own thread.
        QMetaObject::invokeMethod(m_worker, [w = m_worker]() {
            delete w;
            QThread::currentThread()->quit();
        });
        m_thread.wait();
    }

    bool isCurrentThread() const { return QThread::currentThread() == &m_thread; }

    template <typename F>
    void post(F fn)
    {
        QMetaObject::invokeMethod(m_worker, [w = m_worker, fn]() { fn(w); }, Qt::QueuedConnection);
    }

    // The process's station while an application object exists; ended with it.
    static Station *shared()
    {
        QMutexLocker lock(&s_mutex);
        if (!s_shared && QCoreApplication::instance()) {
            s_shared = new Station;
            qAddPostRoutine(&Station::endShared);
        }
        return s_shared;
    }

private:
    static void endShared()
    {
        Station *s = nullptr;
        {
            QMutexLocker lock(&s_mutex);
            std::swap(s, s_shared);
        }
        delete s;
    }

    QThread m_thread;
    Worker *m_worker = nullptr;
    static QMutex s_mutex;
    static Station *s_shared;
};

QMutex Station::s_mutex;
Station *Station::s_shared = nullptr;

std::shared_future<SyncHttp::Response> start(const QByteArray &method, const QString &url, qint64 maxBytes, int timeoutMs,
                                             bool wait, const QByteArray &range = {})
{
    auto job = std::make_shared<Job>();
    std::shared_future<SyncHttp::Response> answer = job->done.get_future().share();
    const QUrl address(url);
    if (!address.isValid() || address.scheme().isEmpty() || address.host().isEmpty()) {
        job->out.error = QStringLiteral("invalid address");
        job->answer();
        return answer;
    }
    job->method = method;
    job->address = address;
    job->maxBytes = maxBytes;
    job->range = range;
    job->timeoutMs = timeoutMs;
    Station *station = Station::shared();
    std::unique_ptr<Station> own;
    if (!station || station->isCurrentThread()) {
        own = std::make_unique<Station>();
        station = own.get();
        wait = true; // the station ends with this call
    }
    station->post([job](Worker *w) { w->start(job); });
    if (wait)
        answer.wait();
    return answer;
}

} // namespace

namespace SyncHttp {

void prepare()
{
    // Nothing waits here: a thread that is made while another thread opens a library (the
    // engine, at the helper's start) only starts once the loader lets it, and the manager's
    // set-up goes on beside the caller.
    if (Station *station = Station::shared())
        station->post([](Worker *w) { w->prepare(); });
}

Response head(const QString &url, int timeoutMs) { return start("HEAD", url, 0, timeoutMs, true).get(); }

std::shared_future<Response> startHead(const QString &url, int timeoutMs) { return start("HEAD", url, 0, timeoutMs, false); }

Response firstBytes(const QString &url, qint64 count, int timeoutMs)
{
    return start("GET", url, count, timeoutMs, true, "bytes=0-" + QByteArray::number(count - 1)).get();
}

Response get(const QString &url, qint64 maxBytes, int timeoutMs)
{
    return start("GET", url, maxBytes, timeoutMs, true).get();
}

QString fileNameFromDisposition(const QByteArray &header)
{
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

} // namespace SyncHttp
