#pragma once

#include "downloads/SitesNodeManager.h"

#include <QWidget>

#include <functional>
#include <memory>

class SiteViewCtrl;

// The Online page's first face: twelve favourite tiles, four columns by three rows, centred.
class NavSiteViewCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit NavSiteViewCtrl(UserDefaults &defaults, QWidget *parent = nullptr);
    ~NavSiteViewCtrl() override;

    // Builds the tiles once.
    void showNavSiteView();
    QRect calcPinSiteViewRect(int index) const;
    void movePinCtrSiteView(SiteViewCtrl *tile, bool animated = true);
    void rearrangeNavSiteView(int freedIndex);
    void siteNodeDidChangeFromTile(const SiteNodePtr &node);

    SitesNodeManager &siteManager() { return *m_siteManager; }
    const QList<SiteViewCtrl *> &tiles() const { return m_navSiteCtrlArray; }
    // The tile now standing at a place, or nullptr.
    SiteViewCtrl *tileAt(int index) const;

    std::function<void(const SiteNodePtr &)> siteNodeDidClick;
    std::function<void(const SiteNodePtr &)> siteNodeDidChange;
    // Runs the add dialog for a tile; by default the modal dialog.
    std::function<void(SiteViewCtrl *)> runAddDialog;

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    std::unique_ptr<SitesNodeManager> m_siteManager;
    QList<SiteViewCtrl *> m_navSiteCtrlArray;
};
