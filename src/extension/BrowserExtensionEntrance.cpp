#include "extension/BrowserExtensionEntrance.h"

#include "extension/BrowserExtensionInstallViewController.h"
#include "extension/BrowserExtensionManager.h"
#include "extension/BrowserExtensionPreferenceViewController.h"

#include <QFileInfo>
#include <QWidget>

#include <dlfcn.h>

namespace {
// The packaged extensions sit in "Brisklet" beside the plug-in file.
QString folderBesideThisModule()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&folderBesideThisModule), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath() + QStringLiteral("/Brisklet");
}
} // namespace

BrowserExtensionEntrance::BrowserExtensionEntrance(QObject *parent) : QObject(parent)
{
    BrowserExtensionManager *m = BrowserExtensionManager::defaultManager();
    if (m->resourcesFolder().isEmpty())
        m->setResourcesFolder(folderBesideThisModule());
}

BrowserExtensionEntrance *BrowserExtensionEntrance::defaultEntrance()
{
    static BrowserExtensionEntrance *shared = new BrowserExtensionEntrance;
    return shared;
}

BrowserExtensionManager *BrowserExtensionEntrance::browserExtensionManager() const
{
    return BrowserExtensionManager::defaultManager();
}

QString BrowserExtensionEntrance::packagesFolder() const
{
    return browserExtensionManager()->resourcesFolder();
}

QObject *BrowserExtensionEntrance::browserExtensionInstallViewController(const QImage &logo, const QString &safariName,
                                                                         const QString &chromeId, const QString &chromeGuideUrl,
                                                                         const QString &firefoxId)
{
    return new BrowserExtensionInstallViewController(logo, safariName, chromeId, chromeGuideUrl, firefoxId);
}

QWidget *BrowserExtensionEntrance::preferenceView(const QString &safariName, const QString &chromeId, const QString &chromeGuideUrl,
                                                  const QString &firefoxId)
{
    auto *page = new BrowserExtensionPreferenceViewController(safariName, chromeId, chromeGuideUrl, firefoxId);
    return page->view();
}
