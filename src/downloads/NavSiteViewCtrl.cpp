#include "downloads/NavSiteViewCtrl.h"

#include "downloads/AddNewSiteWinCtrl.h"
#include "downloads/SiteNodeData.h"
#include "downloads/SiteViewCtrl.h"

#include <QPropertyAnimation>

NavSiteViewCtrl::NavSiteViewCtrl(UserDefaults &defaults, QWidget *parent)
    : QWidget(parent)
    , m_siteManager(std::make_unique<SitesNodeManager>(defaults))
{
    setObjectName(QStringLiteral("NavSiteView"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_siteManager->loadSiteNodes();
    runAddDialog = [this](SiteViewCtrl *tile) {
        AddNewSiteWinCtrl dialog(tile->siteNode(), window());
        dialog.runModal();
        tile->finishEdit(dialog.result() != 1);
    };
}

NavSiteViewCtrl::~NavSiteViewCtrl()
{
    for (SiteViewCtrl *tile : m_navSiteCtrlArray) {
        tile->siteNodeDidClick = nullptr;
        tile->siteNodeDidChange = nullptr;
    }
}

void NavSiteViewCtrl::showNavSiteView()
{
    if (!m_navSiteCtrlArray.isEmpty())
        return;
    const QList<SiteNodePtr> nodes = m_siteManager->siteNodes();
    for (int i = 0; i < nodes.size(); ++i) {
        auto *tile = new SiteViewCtrl(this);
        tile->siteNodeDidClick = [this](const SiteNodePtr &n) {
            if (siteNodeDidClick)
                siteNodeDidClick(n);
        };
        tile->siteNodeDidChange = [this](const SiteNodePtr &n) { siteNodeDidChangeFromTile(n); };
        tile->runAddDialog = [this](SiteViewCtrl *t) {
            if (runAddDialog)
                runAddDialog(t);
        };
        tile->setGeometry(calcPinSiteViewRect(i));
        tile->setSiteNode(nodes[i]);
        tile->show();
        m_navSiteCtrlArray << tile;
    }
}

QRect NavSiteViewCtrl::calcPinSiteViewRect(int index) const
{
    const int w = width();
    const int h = height();
    const int x0 = (w - 624 - 45) / 2;
    const int y0 = (h - 390 - 20) / 2;
    return QRect(x0 + (index % 4) * 171, y0 + (index / 4) * 140, SiteViewCtrl::TileWidth, SiteViewCtrl::TileHeight);
}

void NavSiteViewCtrl::movePinCtrSiteView(SiteViewCtrl *tile, bool animated)
{
    const int index = tile->siteNode() ? tile->siteNode()->siteIndex() : SiteNodeData::LastIndex;
    const QPoint target = calcPinSiteViewRect(index).topLeft();
    if (!animated || index == SiteNodeData::LastIndex) {
        tile->move(target);
        return;
    }
    auto *animation = new QPropertyAnimation(tile, "pos", tile);
    animation->setDuration(250);
    animation->setEndValue(target);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void NavSiteViewCtrl::rearrangeNavSiteView(int freedIndex)
{
    SiteViewCtrl *freed = nullptr;
    for (SiteViewCtrl *tile : m_navSiteCtrlArray) {
        const SiteNodePtr node = tile->siteNode();
        if (!node)
            continue;
        if (node->siteIndex() > freedIndex) {
            node->setSiteIndex(node->siteIndex() - 1);
            movePinCtrSiteView(tile);
        } else if (node->siteIndex() == freedIndex && !freed) {
            freed = tile;
        }
    }
    if (freed) {
        freed->siteNode()->setSiteIndex(SiteNodeData::LastIndex);
        movePinCtrSiteView(freed, false);
    }
}

void NavSiteViewCtrl::siteNodeDidChangeFromTile(const SiteNodePtr &node)
{
    if (siteNodeDidChange)
        siteNodeDidChange(node);
    if (!node->hasAddress())
        rearrangeNavSiteView(node->siteIndex());
    m_siteManager->saveSiteNodes();
}

SiteViewCtrl *NavSiteViewCtrl::tileAt(int index) const
{
    for (SiteViewCtrl *tile : m_navSiteCtrlArray)
        if (tile->siteNode() && tile->siteNode()->siteIndex() == index)
            return tile;
    return nullptr;
}

void NavSiteViewCtrl::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    for (SiteViewCtrl *tile : m_navSiteCtrlArray)
        movePinCtrSiteView(tile, false);
}
