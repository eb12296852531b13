#pragma once

#include "shell/ShellDialog.h"

#include <QUrl>

#include <functional>

class QLabel;
class QWebEngineView;

// The supported-sites sheet: a headline and our own page of sites. Only that page ever loads
// in it; every other address goes to the default browser.
class MTSupportedSitesDefaultWndCtr : public ShellDialog
{
    Q_OBJECT
public:
    explicit MTSupportedSitesDefaultWndCtr(QWidget *parent = nullptr);

    // Our page's address ("qrc:/MTSupportedSites.html").
    static QUrl siteListURL();
    // Whether an address is our own page (scheme and path compared, not a substring).
    static bool isOwnPage(const QUrl &url);
    // The headline, with "10,000+" set apart where the text holds it.
    static QString headlineHtml(const QString &text);

    QWebEngineView *webView() const { return m_supportedSitesView; }
    QLabel *titleLabel() const { return m_txtTitle; }
    void closeWindow();

private:
    QWebEngineView *m_supportedSitesView;
    QLabel *m_txtPopular;
    QLabel *m_txtTitle;
};
