#include "transfer/TransferHelpPage.h"

#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/SafeSaveFile.h"
#include "platform/Workspace.h"
#include "platform/log/ScribletLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

TransferHelpPage::TransferHelpPage(const QString &infoKey, QObject *parent)
    : QObject(parent)
    , m_infoKey(infoKey)
{
}

QString TransferHelpPage::webAddress(const QString &infoKey)
{
    const QString value = MainBundle::infoString(infoKey).trimmed();
    const QUrl url(value);
    return (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")) ? value : QString();
}

QString TransferHelpPage::localPage(const QString &infoKey)
{
    const QString value = MainBundle::infoString(infoKey).trimmed();
    // Only a plain page name inside the help folder: the value never leads anywhere else.
    const QString name = QFileInfo(value).fileName();
    if (!webAddress(infoKey).isEmpty() || name.isEmpty() || value != QStringLiteral("transfer-help/") + name)
        return {};
    const QString resource = MainBundle::pathForResource(QStringLiteral("transfer-help/") + name, QString());
    if (resource.isEmpty())
        return {};
    if (!resource.startsWith(QLatin1String(":/")))
        return resource;
    const QString folder = QDir(AppPaths::runtimeFolder()).filePath(QStringLiteral("transfer-help"));
    QFile source(resource);
    if (!AppPaths::ensureFolder(folder) || !source.open(QIODevice::ReadOnly))
        return {};
    const QString target = QDir(folder).filePath(name);
    SafeSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(source.readAll()) < 0 || !out.commit())
        return {};
    return target;
}

void TransferHelpPage::openPage(QObject *)
{
    const QString web = webAddress(m_infoKey);
    if (!web.isEmpty()) {
        Workspace::openUrl(QUrl(web));
        return;
    }
    const QString page = localPage(m_infoKey);
    if (page.isEmpty()) {
        ScribletLogError(QStringLiteral("no help page for %1").arg(m_infoKey));
        return;
    }
    Workspace::openFile(page);
}
