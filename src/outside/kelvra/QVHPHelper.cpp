#include "outside/kelvra/QVHPHelper.h"

#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/PropertyList.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

QVHPHelper &QVHPHelper::share()
{
    static QVHPHelper *instance = [] {
        auto *helper = new QVHPHelper(defaultStorePath());
        const QString endpoint = MainBundle::infoString(QStringLiteral("StatisticsEndpoint")).trimmed();
        if (!endpoint.isEmpty())
            helper->setEndpoint(QUrl(endpoint));
        return helper;
    }();
    return *instance;
}

QVHPHelper::QVHPHelper(const QString &storePath, QObject *parent) : QObject(parent), m_storePath(storePath) {}

QVHPHelper::~QVHPHelper() = default;

QString QVHPHelper::defaultStorePath()
{
    return AppPaths::productSupport() + QStringLiteral("/Kelvra/Counters.plist");
}

void QVHPHelper::setDataCollectPID(const QString &pid)
{
    QMutexLocker lock(&m_mutex);
    m_pid = pid.left(MaxTextLength);
}

QString QVHPHelper::dataCollectPID() const
{
    QMutexLocker lock(&m_mutex);
    return m_pid;
}

void QVHPHelper::startHelper()
{
    QMutexLocker lock(&m_mutex);
    if (m_running)
        return;
    m_running = true;
    if (m_storePath.isEmpty())
        return;
    // Counts kept from an earlier run join those counted since this start.
    const QVariantMap stored = PropertyList::readFile(m_storePath).toMap();
    for (auto g = stored.cbegin(); g != stored.cend() && m_counters.size() < MaxGroups; ++g) {
        QVariantMap values = m_counters.value(g.key()).toMap();
        const QVariantMap storedValues = g.value().toMap();
        for (auto v = storedValues.cbegin(); v != storedValues.cend(); ++v) {
            if (!values.contains(v.key()) && values.size() >= MaxValuesPerGroup)
                continue;
            const qint64 n = v.value().toLongLong();
            if (n > 0)
                values.insert(v.key(), values.value(v.key()).toLongLong() + n);
        }
        m_counters.insert(g.key(), values);
    }
}

void QVHPHelper::commIncreaseDataCollect(const QString &group, const QString &value)
{
    increase(group, value);
}

void QVHPHelper::autoCreatedIncreaseDataCollect(const QString &group, const QString &value)
{
    increase(group, value);
}

void QVHPHelper::increase(const QString &group, const QString &value)
{
    // An event without a group or a value has nothing to count.
    if (group.isEmpty() || value.isNull())
        return;
    const QString g = group.left(MaxTextLength);
    const QString v = value.left(MaxTextLength);
    QMutexLocker lock(&m_mutex);
    if (!m_counters.contains(g) && m_counters.size() >= MaxGroups)
        return;
    QVariantMap values = m_counters.value(g).toMap();
    if (!values.contains(v) && values.size() >= MaxValuesPerGroup)
        return;
    values.insert(v, values.value(v).toLongLong() + 1);
    m_counters.insert(g, values);
}

bool QVHPHelper::directUploadData()
{
    QUrl endpoint;
    QVariantMap sent;
    QString pid;
    {
        QMutexLocker lock(&m_mutex);
        endpoint = m_endpoint;
        sent = m_counters;
        pid = m_pid;
    }
    if (!endpoint.isValid() || endpoint.isEmpty()
        || (endpoint.scheme() != QLatin1String("https") && endpoint.scheme() != QLatin1String("http")))
        return false;
    if (sent.isEmpty())
        return true;

    QJsonObject body;
    body.insert(QStringLiteral("pid"), pid);
    body.insert(QStringLiteral("client"), clientIdentity());
    body.insert(QStringLiteral("version"), MainBundle::infoString(QStringLiteral("CFBundleShortVersionString")));
    body.insert(QStringLiteral("counters"), QJsonObject::fromVariantMap(sent));

    // Its own manager and loop: this runs at shut-down, possibly with no main loop left.
    QNetworkAccessManager manager;
    QNetworkRequest request(endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(UploadTimeoutMs);
    QNetworkReply *reply = manager.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(UploadTimeoutMs + 500, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    if (!reply->isFinished())
        reply->abort();
    reply->deleteLater();
    if (!ok) {
        ScribletLogInfo(QStringLiteral("[QVHPHelper directUploadData] upload failed:%1").arg(reply->errorString()));
        return false;
    }
    // Forget exactly what was sent; events counted meanwhile stay.
    QMutexLocker lock(&m_mutex);
    for (auto g = sent.cbegin(); g != sent.cend(); ++g) {
        QVariantMap values = m_counters.value(g.key()).toMap();
        const QVariantMap sentValues = g.value().toMap();
        for (auto v = sentValues.cbegin(); v != sentValues.cend(); ++v) {
            const qint64 left = values.value(v.key()).toLongLong() - v.value().toLongLong();
            if (left > 0)
                values.insert(v.key(), left);
            else
                values.remove(v.key());
        }
        if (values.isEmpty())
            m_counters.remove(g.key());
        else
            m_counters.insert(g.key(), values);
    }
    saveLocked();
    return true;
}

void QVHPHelper::stopHelper()
{
    QMutexLocker lock(&m_mutex);
    saveLocked();
    m_running = false;
}

bool QVHPHelper::saveLocked() const
{
    if (m_storePath.isEmpty())
        return true;
    if (m_counters.isEmpty()) {
        QFile::remove(m_storePath);
        return true;
    }
    if (!AppPaths::ensureFolder(QFileInfo(m_storePath).absolutePath()))
        return false;
    return PropertyList::writeFile(m_storePath, m_counters);
}

bool QVHPHelper::isRunning() const
{
    QMutexLocker lock(&m_mutex);
    return m_running;
}

QVariantMap QVHPHelper::counters() const
{
    QMutexLocker lock(&m_mutex);
    return m_counters;
}

qint64 QVHPHelper::count(const QString &group, const QString &value) const
{
    QMutexLocker lock(&m_mutex);
    return m_counters.value(group).toMap().value(value).toLongLong();
}

QUrl QVHPHelper::endpoint() const
{
    QMutexLocker lock(&m_mutex);
    return m_endpoint;
}

void QVHPHelper::setEndpoint(const QUrl &endpoint)
{
    QMutexLocker lock(&m_mutex);
    m_endpoint = endpoint;
}

QString QVHPHelper::clientIdentity()
{
    QByteArray id = QSysInfo::machineUniqueId();
    if (id.isEmpty())
        id = QSysInfo::machineHostName().toUtf8();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayLiteral("Kelvra client identity/"));
    hash.addData(id);
    return QString::fromLatin1(hash.result().toHex());
}
