#pragma once

#include <QPointer>
#include <QString>
#include <QWebEngineView>
#include <QWidget>

#include <functional>

class QUrl;
class QWebEngineView;
class QWebEnginePage;

// The browser face of the Online page: one web view, made on the first load and destroyed by
// Home. Pages that open new windows load in this same view. Our own helper script (a
// resource, never fetched) is added to this view's page only.
class OnlineWebViewCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit OnlineWebViewCtrl(QWidget *parent = nullptr);
    ~OnlineWebViewCtrl() override;

    QWebEngineView *webView() const { return m_onlineWebView; }
    void loadURL(const QString &text);
    void loadRequest(const QUrl &url);
    void goBack();
    void goForward();
    void fresh();
    void initWebView();
    void unInitWebView();
    QString curWebURL() const { return m_curWebURL; }
    QString curWebTitle() const { return m_curWebTitle; }
    bool canGoBack() const;
    bool canGoForward() const;
    // "http://" in front of an address without a scheme, and "/" after a bare host. An
    // address with a path or query is left as it is: a "/" there would break the page.
    static QString browserURL(const QString &text);
    // The script text injected into every page of this view.
    static QString injectedScript();

    // What the page hears (the delegate of the original design).
    std::function<void()> webViewLoadStart;
    std::function<void(bool mainFrame)> webViewLoadFinish;
    std::function<void()> webViewLoadFailed;
    std::function<void(const QString &url, const QString &title)> updateWebViewURL;
    std::function<void()> updateWebViewIBActions;
    // Statistics of visits (address) and their outcome.
    std::function<void(const QString &)> collectOnlineEnterSite;

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    void loadFinished(bool ok);
    void titleChanged(const QString &title);

    QPointer<QWebEngineView> m_onlineWebView;
    QString m_curWebURL;
    QString m_curWebTitle;
    bool m_fellBack = false;
};
