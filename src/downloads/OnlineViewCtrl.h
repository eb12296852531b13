#pragma once

#include "downloads/SitesNodeManager.h"
#include "shell/MainWindowPage.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class MGHoverButton;
class NavSiteViewCtrl;
class OnlineWebViewCtrl;
class QLineEdit;

// The Online page: favourites grid first, a browser after a site is opened, and a download
// button shown when the page holds media; it sends the page to the running list.
class OnlineViewCtrl : public QWidget, public MainWindowPage
{
    Q_OBJECT
public:
    enum Face { NavSiteFace = 0, BrowserFace = 1 };

    explicit OnlineViewCtrl(UserDefaults &defaults, QWidget *parent = nullptr);
    ~OnlineViewCtrl() override;

    QWidget *view() override { return this; }
    bool answersPageOperations() const override { return false; }

    void showNavSiteView();
    void showOnlineWebView();
    void homeClick();
    void backClick();
    void forwardClick();
    void freshClick();
    void downloadClick();
    // Loads the address field's text when it is a valid address; false keeps it editing.
    bool addressEntered();
    void siteNodeDidClick(const SiteNodePtr &node);
    // Answers later (never inside the call) whether the page holds media.
    void hasVideoHTMLTag(std::function<void(bool)> answer);
    void disEnableWebViewAction();
    int curOnlinePage() const { return m_curOnlinePage; }

    QLineEdit *addressField() const { return m_edtURLBrowser; }
    MGHoverButton *downloadButton() const { return m_btnDownload; }
    MGHoverButton *backButton() const { return m_btnBack; }
    MGHoverButton *forwardButton() const { return m_btnForward; }
    MGHoverButton *freshButton() const { return m_btnFresh; }
    OnlineWebViewCtrl *webCtrl() const;
    NavSiteViewCtrl *navSiteCtrl() const;

    // "{{x, y}, {w, h}}"
    static QString rectText(const QRect &r);
    // Where the add-task fly-in starts, in window coordinates counted up from the bottom.
    QRect animationFrame() const;

signals:
    // The download button's visibility was decided after a load.
    void mediaCheckDone(bool hasMedia);

private:
    void switchView(QWidget *face);
    void webViewLoadStart();
    void webViewLoadFinish(bool mainFrame);
    void webViewLoadFailed();
    void updateWebViewURL(const QString &url, const QString &title);
    void updateWebViewIBActions();

    UserDefaults &m_defaults;
    MGHoverButton *m_btnHome;
    MGHoverButton *m_btnBack;
    MGHoverButton *m_btnForward;
    MGHoverButton *m_btnFresh;
    MGHoverButton *m_btnDownload;
    QLineEdit *m_edtURLBrowser;
    QWidget *m_viewBody;
    int m_curOnlinePage = NavSiteFace;
    QPointer<OnlineWebViewCtrl> m_onlineWebCtrl;
    QPointer<NavSiteViewCtrl> m_navSiteViewCtrl;
    int m_checkSerial = 0;
};
