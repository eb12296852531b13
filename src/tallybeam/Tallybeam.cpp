#include "tallybeam/Tallybeam.h"

#include "tallybeam/TallybeamObject.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRunnable>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUuid>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the epoch of the "z" parameter.
constexpr qint64 kEpoch2001 = 978307200;

std::atomic<int> g_pending {0};

QThreadPool *pool()
{
    // Owned by the application when there is one, so its end waits for hits under way.
    static QThreadPool *p = [] {
        auto *pool = new QThreadPool(QCoreApplication::instance());
        pool->setMaxThreadCount(Tallybeam::kMaxHitsInFlight);
        return pool;
    }();
    return p;
}

class HitRequest : public QRunnable
{
public:
    HitRequest(std::shared_ptr<const TallybeamObject> hit, QUrl url) : m_hit(std::move(hit)), m_url(std::move(url)) {}
    ~HitRequest() override { --g_pending; }

    void run() override
    {
        QNetworkAccessManager manager;
        QNetworkRequest request(m_url);
        request.setTransferTimeout(Tallybeam::kTimeoutMs);
        QNetworkReply *reply = manager.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        // The answer does not matter: no retry, nothing kept.
        delete reply;
    }

private:
    std::shared_ptr<const TallybeamObject> m_hit;
    QUrl m_url;
};

QString storedClientId()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tallybeam");
    const QString path = folder + QStringLiteral("/client-id");
    QFile existing;
    // A regular file only: a FIFO planted under the name would block open() for good. (This
    // library stands apart from the platform layer, so it opens without blocking and looks at
    // the descriptor itself.)
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st = {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && existing.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const QUuid id = QUuid::fromString(QString::fromLatin1(existing.read(64)).trimmed());
        if (!id.isNull())
            return id.toString(QUuid::WithoutBraces);
    } else {
        if (fd >= 0)
            ::close(fd);
        if (::lstat(native.constData(), &st) == 0)
            qWarning().noquote() << QStringLiteral("Tallybeam: %1 is not a regular file; a new client id is made").arg(path);
    }
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QDir().mkpath(folder);
    // QSaveFile writes to where a link leads: a link (or FIFO, socket) at the name goes first, so
    // the id is written into this folder and nowhere else.
    if (::lstat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        ::unlink(native.constData());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        file.write(id.toLatin1() + '\n');
        file.commit();
    }
    return id;
}

}

Tallybeam &Tallybeam::defaultMeasurement()
{
    static Tallybeam shared;
    return shared;
}

Tallybeam::Tallybeam(const QString &tid) : m_tid(tid) {}

QString Tallybeam::tid() const
{
    std::lock_guard lock(m_mutex);
    return m_tid;
}

void Tallybeam::setTid(const QString &tid)
{
    std::lock_guard lock(m_mutex);
    m_tid = tid;
}

QUrl Tallybeam::endpoint() const
{
    std::lock_guard lock(m_mutex);
    return m_endpoint;
}

bool Tallybeam::setEndpoint(const QUrl &endpoint)
{
    if (!endpoint.isValid() || endpoint.scheme() != QLatin1String("https") || endpoint.host().isEmpty())
        return false;
    std::lock_guard lock(m_mutex);
    m_endpoint = endpoint;
    return true;
}

bool Tallybeam::isEnabled() const
{
    std::lock_guard lock(m_mutex);
    return !m_tid.isEmpty() && m_endpoint.isValid();
}

QString Tallybeam::commonQueryString() const
{
    const double z = double(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - double(kEpoch2001);
    return QStringLiteral("v=1&tid=%1&cid=%2&z=%3")
        .arg(TallybeamObject::urlEncode(tid()), TallybeamObject::urlEncode(clientId()), QString::number(z, 'f', 6));
}

QString Tallybeam::clientId()
{
    static const QString id = storedClientId();
    return id;
}

bool Tallybeam::collectTallybeamObject(std::shared_ptr<const TallybeamObject> hit)
{
    if (!hit || !isEnabled())
        return false;
    if (++g_pending > kMaxHitsInFlight + kMaxHitsQueued) {
        --g_pending;
        return false;
    }
    QUrl url = endpoint();
    url.setQuery(hit->querystring() + QLatin1Char('&') + commonQueryString(), QUrl::StrictMode);
    if (!url.isValid()) {
        --g_pending;
        return false;
    }
    pool()->start(new HitRequest(std::move(hit), url));
    return true;
}

bool Tallybeam::waitForDone(int msecs)
{
    return pool()->waitForDone(msecs);
}
