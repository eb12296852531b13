#include "downloads/SiteNodeData.h"

#include "platform/MainBundle.h"

#include <QBuffer>
#include <QImageReader>

SiteNodeData::SiteNodeData()
    : m_siteTitle(MainBundle::localizedString("Add New"))
{
}

void SiteNodeData::clear()
{
    m_siteTitle = MainBundle::localizedString("Add New");
    m_isLoaded = false;
    m_siteURL.clear();
    m_siteLogo = QImage();
    m_siteFavicon = QImage();
}

QString SiteNodeData::description() const
{
    return QStringLiteral("index:%1 title:%2 url:%3").arg(m_siteIndex).arg(m_siteTitle, m_siteURL);
}

QByteArray SiteNodeData::pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage SiteNodeData::imageFromBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > MaxPictureBytes)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxPictureSide || size.height() > MaxPictureSide)
        return {};
    return reader.read();
}

void SiteNodeData::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(QStringLiteral("_siteTitle"), m_siteTitle);
    if (!m_siteURL.isEmpty())
        coder.encodeString(QStringLiteral("_siteURL"), m_siteURL);
    if (!m_siteDescription.isEmpty())
        coder.encodeString(QStringLiteral("_siteDescription"), m_siteDescription);
    if (!m_siteLogo.isNull())
        coder.encodeBytes(QStringLiteral("_siteLogo"), pngOf(m_siteLogo));
    if (!m_siteFavicon.isNull())
        coder.encodeBytes(QStringLiteral("_siteFavicon"), pngOf(m_siteFavicon));
    coder.encodeBool(QStringLiteral("_isLoaded"), m_isLoaded);
    coder.encodeInt64(QStringLiteral("_siteIndex"), m_siteIndex);
}

void SiteNodeData::initWithCoder(KeyedUnarchiver &coder)
{
    m_siteTitle = coder.decodeString(QStringLiteral("_siteTitle"));
    m_siteURL = coder.decodeString(QStringLiteral("_siteURL"));
    m_siteDescription = coder.decodeString(QStringLiteral("_siteDescription"));
    m_siteLogo = imageFromBytes(coder.decodeBytes(QStringLiteral("_siteLogo")));
    m_siteFavicon = imageFromBytes(coder.decodeBytes(QStringLiteral("_siteFavicon")));
    m_isLoaded = coder.decodeBool(QStringLiteral("_isLoaded"));
    const qint64 index = coder.decodeInt64(QStringLiteral("_siteIndex"));
    m_siteIndex = index >= 0 && index <= LastIndex ? int(index) : LastIndex;
}
