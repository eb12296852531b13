#include "shell/BrowserHandOffPage.h"

#include "platform/Workspace.h"

QWebEnginePage *BrowserHandOffPage::createWindow(WebWindowType)
{
    // The new window's address is known only once it starts loading: catch it, hand it over.
    auto *catcher = new QWebEnginePage(this);
    connect(catcher, &QWebEnginePage::urlChanged, catcher, [catcher](const QUrl &url) {
        if (url.isEmpty())
            return;
        Workspace::openUrl(url);
        catcher->deleteLater();
    });
    return catcher;
}
