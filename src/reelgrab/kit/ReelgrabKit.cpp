#include "reelgrab/kit/ReelgrabKit.h"

#include "platform/UserDefaults.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/Func.h"
#include "reelgrab/QVMediaSniffer.h"

#include <QFileInfo>
#include <QMutex>

namespace {
// Opened once and kept: the quick sniff may run many times in a session.
void *engineHandle()
{
    static QMutex mutex;
    static void *handle = nullptr;
    static bool tried = false;
    QMutexLocker lock(&mutex);
    if (!tried) {
        tried = true;
        QString error;
        handle = EngineLibrary::open(ReelgrabKit::engineLibraryPath(), &error);
        if (!handle)
            Func(FuncLogError, QStringLiteral("quick sniff: %1").arg(error));
    }
    return handle;
}
} // namespace

QString ReelgrabKit::engineLibraryPath()
{
    const QString custom = UserDefaults::standard().stringForKey(QStringLiteral("download-library"));
    if (!custom.isEmpty() && QFileInfo(custom).isFile())
        return custom;
    return EngineLibrary::defaultPath();
}

std::unique_ptr<QVReelgrabTaskDispatcher> ReelgrabKit::createReelgrabTaskDispatcherWithPreference(const QVariantMap &preference)
{
    return std::make_unique<QVReelgrabTaskDispatcher>(preference);
}

QVOnlineVideoInfo ReelgrabKit::quickSniffingPageUrl(const QString &pageUrl, const QString &browser)
{
    void *handle = engineHandle();
    if (!handle)
        return {};
    return QVMediaSniffer::quickSniffingWithLibHandle(handle, pageUrl, browser);
}

qint64 ReelgrabKit::filesizeofResolution(qint32 resolution, qint64 seconds)
{
    return QVMediaSniffer::filesizeofResolution(resolution, seconds);
}
