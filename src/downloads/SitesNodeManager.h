#pragma once

#include <QMutex>
#include <QVariantList>

#include <memory>

class SiteNodeData;
class UserDefaults;

using SiteNodePtr = std::shared_ptr<SiteNodeData>;

// The twelve places of the favourites grid, stored as keyed archives under
// "NavSitesArrayKey"; on a first start they come from the default site list resource.
class SitesNodeManager
{
public:
    static constexpr int PlaceCount = 12;

    explicit SitesNodeManager(UserDefaults &defaults);

    void loadSiteNodes();
    bool saveSiteNodes();
    QList<SiteNodePtr> siteNodes() const;

    // The "NavSiteArray" dictionaries of the default site list (resource named by the
    // Info.plist key "NavSiteResourceName", else "NavSitesDataPlist").
    static QVariantList defaultSiteList();
    // The cover picture of a default site, by its title (its letter when no cover ships).
    static QImage coverPicture(const QString &siteTitle);

private:
    UserDefaults &m_defaults;
    mutable QMutex m_lock;
    QList<SiteNodePtr> m_siteNodes;
};
