#include "extension/BrowserLaunchAlert.h"

#include "extension/BrowserExtensionManager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

namespace {
const char *const WatchedProperty = "fennixBrowserLaunchAlert";
} // namespace

void BrowserLaunchAlert::watch(BrowserExtensionManager *manager)
{
    if (!manager || manager->property(WatchedProperty).toBool())
        return;
    manager->setProperty(WatchedProperty, true);
    QObject::connect(manager, &BrowserExtensionManager::browserDidNotStart, manager,
                     [](const QString &browser, const QString &reason) {
                         auto *box = new QMessageBox(QMessageBox::Warning, browser,
                                                     QCoreApplication::translate("Brisklet", "%1 did not start.").arg(browser),
                                                     QMessageBox::Ok, QApplication::activeWindow());
                         box->setObjectName(QStringLiteral("browserDidNotStart"));
                         box->setInformativeText(reason);
                         box->setTextInteractionFlags(Qt::TextSelectableByMouse);
                         // Room for a browser's sentence on a few lines, not a word a line.
                         box->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_informativelabel { min-width: 340px; }"));
                         box->setAttribute(Qt::WA_DeleteOnClose);
                         box->open();
                     });
}
