#include "outside/updater/SUUpdater.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QVersionNumber>
#include <QXmlStreamReader>

#include <cmath>

SUUpdater &SUUpdater::sharedUpdater()
{
    static SUUpdater *instance = new SUUpdater(configuredFeedURL());
    return *instance;
}

namespace {
bool isFeed(const QUrl &url)
{
    return url.isValid() && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}
} // namespace

QUrl SUUpdater::configuredFeedURL()
{
    const QUrl url(MainBundle::infoString(QStringLiteral("SUFeedURL")).trimmed());
    return isFeed(url) ? url : QUrl();
}

SUUpdater::SUUpdater(const QUrl &feedUrl, QObject *parent) : QObject(parent)
{
    if (isFeed(feedUrl))
        m_feed = feedUrl;
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &SUUpdater::checkForUpdatesInBackground);
}

void SUUpdater::setAutomaticallyChecksForUpdates(bool on)
{
    m_automatic = on;
    reschedule();
}

void SUUpdater::setUpdateCheckInterval(double seconds)
{
    m_interval = seconds;
    reschedule();
}

void SUUpdater::reschedule()
{
    m_timer.stop();
    if (!m_automatic || m_feed.isEmpty())
        return;
    double seconds = std::isfinite(m_interval) ? m_interval : DefaultInterval;
    if (seconds < MinimumInterval)
        seconds = MinimumInterval;
    // QTimer takes an int of milliseconds: a month is the longest wait it is given.
    const double capped = std::min(seconds, 30.0 * 86400);
    m_timer.start(int(capped * 1000));
}

void SUUpdater::checkForUpdatesInBackground()
{
    if (m_feed.isEmpty() || m_checking)
        return;
    m_checking = true;
    auto *manager = new QNetworkAccessManager(this);
    QNetworkRequest request(m_feed);
    request.setTransferTimeout(30000);
    QNetworkReply *reply = manager->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > MaxFeedBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, manager] {
        m_checking = false;
        const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->read(MaxFeedBytes) : QByteArray();
        const QString error = reply->error() == QNetworkReply::NoError ? QString() : reply->errorString();
        manager->deleteLater();
        if (!error.isEmpty()) {
            ScribletLogInfo(QStringLiteral("[SUUpdater] appcast check failed:%1").arg(error));
            emit checkFailed(error);
            return;
        }
        const QString newest = newestVersionInAppcast(body);
        const QString mine = MainBundle::infoString(QStringLiteral("CFBundleVersion"));
        if (!newest.isEmpty() && compareVersions(newest, mine) > 0)
            emit updateFound(newest);
        else
            emit noUpdateFound();
    });
}

QString SUUpdater::newestVersionInAppcast(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    QString newest;
    auto consider = [&newest](const QString &v) {
        const QString t = v.trimmed().left(64);
        if (!t.isEmpty() && (newest.isEmpty() || compareVersions(t, newest) > 0))
            newest = t;
    };
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QStringView name = reader.qualifiedName();
        if (name == QLatin1String("enclosure")) {
            for (const QXmlStreamAttribute &a : reader.attributes())
                if (a.qualifiedName() == QLatin1String("sparkle:version"))
                    consider(a.value().toString());
        } else if (name == QLatin1String("sparkle:version")) {
            consider(reader.readElementText());
        }
    }
    if (reader.hasError())
        return {};
    return newest;
}

int SUUpdater::compareVersions(const QString &a, const QString &b)
{
    const int c = QVersionNumber::compare(QVersionNumber::fromString(a), QVersionNumber::fromString(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
