#include "tools/swiftcarry/SwiftcarryCapturer.h"

#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/ThumbnailMaker.h"
#include "platform/NamedConnection.h"

#include <cstdio>

using namespace SwiftcarryProtocol;

SwiftcarryCapturer::SwiftcarryCapturer(const QString &serviceName, QObject *parent)
    : QObject(parent)
    , m_serviceName(serviceName)
{
}

SwiftcarryCapturer::~SwiftcarryCapturer() = default;

bool SwiftcarryCapturer::start()
{
    QString error;
    m_service = NamedConnection::connectTo(m_serviceName, 5000, &error);
    if (!m_service) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    connect(m_service.get(), &NamedConnection::connectionDidDie, this, [this]() { emit done(0); });
    const QString rootName = m_serviceName + QStringLiteral("-SwiftcarryMediaCapturer");
    m_root = NamedConnection::publish(
        rootName, [this](const QString &m, const QByteArray &o) { onRootMessage(m, o); }, &error);
    if (!m_root) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    m_service->sendMessage(QLatin1String(ThumbnailDidConnected), archiveString(rootName));
    m_service->sendMessage(QLatin1String(SetClientLive), {});
    return true;
}

void SwiftcarryCapturer::onRootMessage(const QString &message, const QByteArray &object)
{
    if (message != QLatin1String(ThumbnailWithFiles))
        return;
    const QStringList files = unarchiveStringList(object);
    if (files.isEmpty())
        return;
    const QString media = files.first();
    const QString target = ThumbnailMaker::thumbnailPathFor(media);
    QString error;
    const bool ok = ThumbnailMaker::capture(media, target, 320, &error);
    if (!ok)
        std::fprintf(stderr, "thumbnail of %s failed: %s\n", qPrintable(media), qPrintable(error));
    QVariantMap answer;
    answer.insert(QStringLiteral("thumbnailPath"), ok ? target : QString());
    answer.insert(QStringLiteral("filePath"), media);
    m_service->sendMessage(QLatin1String(ThumbnailDidCaptured), archiveDictionary(answer));
}
