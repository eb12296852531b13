#pragma once

#include "downloads/SitesNodeManager.h"

#include <QPointer>
#include <QTimer>
#include <QWebEngineView>
#include <QWidget>

#include <functional>

class QLabel;
class QWebEngineView;
class SiteNodeView;

// One tile of the favourites grid: the picture view, the title, a loading cover and a hidden
// browser that takes a screenshot of a site without a cover picture. A page that never loads
// gets a placeholder picture after the load time-out, so the tile becomes clickable.
class SiteViewCtrl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int TileWidth = 156;
    static constexpr int TileHeight = 130;

    explicit SiteViewCtrl(QWidget *parent = nullptr);
    ~SiteViewCtrl() override;

    SiteNodePtr siteNode() const { return m_siteNode; }
    void setSiteNode(const SiteNodePtr &node);

    void pinViewClick();
    void delPinViewClick();
    // The add dialog ended; cancelled leaves the place as it was.
    void finishEdit(bool cancelled);
    void loadSiteNodeInfo();
    bool isLoading() const;
    SiteNodeView *siteView() const { return m_siteView; }
    QString titleText() const;

    // Milliseconds a page may take before the tile gets its placeholder (tests shorten it).
    static void setLoadTimeoutForTesting(int ms);
    static int loadTimeoutMs();
    // The tile picture: image scaled into 151 by 100 with rounded corners on white.
    static QImage cropImage(const QImage &source);
    // Drawn when no picture could be had: the site's first letter.
    static QImage placeholderImage(const QString &title);

    std::function<void(const SiteNodePtr &)> siteNodeDidClick;
    std::function<void(const SiteNodePtr &)> siteNodeDidChange;
    // Opens the add dialog for the entry (the grid sets it; tests answer it).
    std::function<void(SiteViewCtrl *)> runAddDialog;

private:
    void startLoading();
    void stopLoading();
    void freshPinViewImage();
    bool loadDefaultSiteNodeInfo();
    void fetchSiteImage();
    void screenshotWebView();
    void siteViewLoadDidFinish();
    void unInitWebView();

    SiteNodeView *m_siteView;
    QLabel *m_siteTitleFiled;
    QLabel *m_loadingView;
    SiteNodePtr m_siteNode;
    QPointer<QWebEngineView> m_webView;
    QTimer m_timeout;
};
