#include "downloads/SitesNodeManager.h"

#include "downloads/SiteNodeData.h"
#include "downloads/SiteViewCtrl.h"
#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QImage>

#include <algorithm>

namespace {
const QString ArrayKey = QStringLiteral("NavSitesArrayKey");
}

SitesNodeManager::SitesNodeManager(UserDefaults &defaults)
    : m_defaults(defaults)
{
}

QVariantList SitesNodeManager::defaultSiteList()
{
    QString name = MainBundle::infoString(QStringLiteral("NavSiteResourceName"));
    if (name.isEmpty())
        name = QStringLiteral("NavSitesDataPlist");
    const QString path = MainBundle::pathForResource(name, QStringLiteral("plist"));
    if (path.isEmpty())
        return {};
    QString error;
    const QVariant root = PropertyList::readFile(path, &error);
    if (!error.isEmpty())
        ScribletLogError(QStringLiteral("default site list unreadable: %1").arg(error));
    return root.toMap().value(QStringLiteral("NavSiteArray")).toList();
}

QImage SitesNodeManager::coverPicture(const QString &siteTitle)
{
    if (siteTitle.isEmpty())
        return {};
    // Our own covers ship as resources "cover-<title>.png"; a site without one gets its letter.
    const QString path = MainBundle::pathForResource(QStringLiteral("cover-") + siteTitle, QStringLiteral("png"));
    const QImage cover = path.isEmpty() ? QImage() : QImage(path);
    return cover.isNull() ? SiteViewCtrl::placeholderImage(siteTitle) : cover;
}

void SitesNodeManager::loadSiteNodes()
{
    QList<SiteNodePtr> nodes;
    const QVariantList stored = m_defaults.arrayForKey(ArrayKey);
    for (const QVariant &v : stored) {
        if (nodes.size() >= PlaceCount)
            break;
        auto node = std::make_shared<SiteNodeData>();
        if (KeyedUnarchiver::unarchive(v.toByteArray(), *node))
            nodes << node;
    }
    if (nodes.isEmpty()) {
        for (const QVariant &v : defaultSiteList()) {
            if (nodes.size() >= PlaceCount)
                break;
            const QVariantMap site = v.toMap();
            auto node = std::make_shared<SiteNodeData>();
            node->setSiteIndex(std::clamp(site.value(QStringLiteral("SiteIndex")).toInt(), 0, PlaceCount - 1));
            node->setSiteTitle(site.value(QStringLiteral("SiteTitle")).toString());
            node->setSiteURL(site.value(QStringLiteral("SiteURL")).toString());
            node->setLoaded(true);
            node->setSiteLogo(coverPicture(node->siteTitle()));
            nodes << node;
        }
    }
    // Fill up to twelve with empty places on the indexes not taken.
    QList<bool> taken(PlaceCount, false);
    for (const SiteNodePtr &n : nodes)
        taken[n->siteIndex()] = true;
    for (int i = 0; i < PlaceCount && nodes.size() < PlaceCount; ++i) {
        if (taken[i])
            continue;
        auto node = std::make_shared<SiteNodeData>();
        node->setSiteIndex(i);
        nodes << node;
    }
    std::stable_sort(nodes.begin(), nodes.end(), [](const SiteNodePtr &a, const SiteNodePtr &b) { return a->siteIndex() < b->siteIndex(); });
    QMutexLocker lock(&m_lock);
    m_siteNodes = nodes;
}

bool SitesNodeManager::saveSiteNodes()
{
    QVariantList archived;
    {
        QMutexLocker lock(&m_lock);
        for (const SiteNodePtr &n : m_siteNodes)
            archived << KeyedArchiver::archivedDataWithRootObject(*n);
    }
    m_defaults.setObject(ArrayKey, archived);
    return m_defaults.synchronize();
}

QList<SiteNodePtr> SitesNodeManager::siteNodes() const
{
    QMutexLocker lock(&m_lock);
    return m_siteNodes;
}
