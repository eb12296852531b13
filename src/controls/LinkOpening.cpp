#include "controls/LinkOpening.h"

#include "controls/ControlLog.h"
#include "platform/Workspace.h"

namespace LinkOpening {

bool isAllowed(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

bool open(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!isAllowed(url)) {
        ControlLog::info(QStringLiteral("refused to open link: %1").arg(address.left(200)));
        return false;
    }
    return Workspace::openUrl(url);
}

} // namespace LinkOpening
