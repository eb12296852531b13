#pragma once

#include "platform/KeyedArchiver.h"

#include <QImage>
#include <QString>

// One place of the Online page's favourites grid. An entry without an address is an empty
// place titled "Add New".
class SiteNodeData : public KeyedArchivable
{
public:
    static constexpr int LastIndex = 11;
    // Pictures larger than this (in bytes or pixels a side) are not read back from an archive.
    static constexpr int MaxPictureBytes = 4 * 1024 * 1024;
    static constexpr int MaxPictureSide = 4096;

    SiteNodeData();

    bool isLoaded() const { return m_isLoaded; }
    void setLoaded(bool loaded) { m_isLoaded = loaded; }
    int siteIndex() const { return m_siteIndex; }
    void setSiteIndex(int index) { m_siteIndex = index; }
    QString siteURL() const { return m_siteURL; }
    void setSiteURL(const QString &url) { m_siteURL = url; }
    QString siteTitle() const { return m_siteTitle; }
    void setSiteTitle(const QString &title) { m_siteTitle = title; }
    QString siteDescription() const { return m_siteDescription; }
    void setSiteDescription(const QString &d) { m_siteDescription = d; }
    QImage siteLogo() const { return m_siteLogo; }
    void setSiteLogo(const QImage &image) { m_siteLogo = image; }
    QImage siteFavicon() const { return m_siteFavicon; }
    void setSiteFavicon(const QImage &image) { m_siteFavicon = image; }

    bool hasAddress() const { return !m_siteURL.isEmpty(); }
    // Back to an empty place (the index stays).
    void clear();
    QString description() const;

    QString archiveClassName() const override { return QStringLiteral("SiteNodeData"); }
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

    static QByteArray pngOf(const QImage &image);
    static QImage imageFromBytes(const QByteArray &bytes);

private:
    bool m_isLoaded = false;
    int m_siteIndex = LastIndex;
    QString m_siteURL;
    QString m_siteTitle;
    QString m_siteDescription;
    QImage m_siteLogo;
    QImage m_siteFavicon;
};
