#include "converter/ImageManager.h"

#include "converter/ConverterGlobal.h"
#include "converter/ConverterXml.h"
#include "platform/log/ScribletLogger.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTimer>

namespace {

// Sheets are drawn at a few hundred points; anything far larger is not one of ours.
constexpr int MaxSheetSide = 8192;

QImage readSheet(const QString &path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxSheetSide || size.height() > MaxSheetSide))
        return {};
    return reader.read();
}

} // namespace

QImage ImageSliceFromImageRect(const QImage &image, const QRect &rect)
{
    if (image.isNull() || rect.isEmpty())
        return {};
    QImage out(rect.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), image, rect);
    painter.end();
    return out;
}

std::unique_ptr<ImageManager> ImageManager::initWithFile(const QString &listFile, const QString &language)
{
    if (listFile.isEmpty())
        return nullptr;
    std::unique_ptr<ImageManager> mgr(new ImageManager);
    mgr->m_strConfigerFile = listFile;
    mgr->load(language);
    return mgr;
}

ImageManager::~ImageManager() { delete m_tDelayReleaseBigImage; }

void ImageManager::setLanguage(const QString &language) { load(language); }

void ImageManager::load(const QString &language)
{
    QString error;
    const QVariantMap list = PropertyList::readFile(m_strConfigerFile, &error, PropertyList::OnDamage::Keep).toMap();
    if (list.isEmpty())
        return;
    m_strLanguage = language.isEmpty() ? list.firstKey() : language;
    m_dicSliceImages.clear();
    const QDir folder = QFileInfo(m_strConfigerFile).absoluteDir();
    auto filesOf = [&](const QString &lang) {
        QStringList files;
        for (const QVariant &v : list.value(lang).toList())
            files.append(v.toString());
        return files;
    };
    QStringList files = list.contains(m_strLanguage) ? filesOf(m_strLanguage) : filesOf(QStringLiteral("en"));
    for (const QString &file : files)
        if (file.isEmpty() || file.contains(QLatin1String("..")) || !QFile::exists(folder.filePath(file))) {
            files = filesOf(QStringLiteral("en"));
            break;
        }
    for (const QString &file : files) {
        if (file.contains(QLatin1String("..")))
            continue;  // slice files lie in the list's own folder
        loadSliceFile(folder.filePath(file));
    }
}

bool ImageManager::parseRect(const QString &text, QRect *rect)
{
    QString compact = text;
    compact.remove(u' ');
    const QStringList parts = compact.split(u',');
    if (parts.size() != 4)
        return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok || v[i] < 0 || v[i] > MaxSheetSide)
            return false;
    }
    *rect = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

void ImageManager::loadSliceFile(const QString &path)
{
    ScribletLogInfo(QStringLiteral("loadImageSlicesFromConfigerFile:%1").arg(path));
    const ConverterXml::ReadResult read = ConverterXml::readFile(path);
    if (!read.ok)
        return;
    const QDir folder = QFileInfo(path).absoluteDir();
    for (const QDomElement &image : ConverterXml::childElements(read.document.documentElement())) {
        if (image.tagName() != QLatin1String("image") || !image.hasAttribute(QStringLiteral("fileName"))
            || !image.hasAttribute(QStringLiteral("identifier")))
            continue;
        const QString fileName = image.attribute(QStringLiteral("fileName"));
        const QString sheet = image.attribute(QStringLiteral("identifier"));
        if (fileName.contains(QLatin1String("..")))
            continue;
        const QString sheetPath = folder.filePath(fileName);
        QImageReader probe(sheetPath);
        if (!probe.canRead())
            continue;
        m_dicImages.insert(sheet, sheetPath);
        QMap<QString, QString> slices;
        for (const QDomElement &slice : ConverterXml::childElements(image)) {
            if (slice.tagName() != QLatin1String("slice") || !slice.hasAttribute(QStringLiteral("id"))
                || !slice.hasAttribute(QStringLiteral("rect")))
                continue;
            QString rect = slice.attribute(QStringLiteral("rect"));
            rect.remove(u' ');
            if (rect.split(u',').size() != 4) {
                ScribletLogInfo(QStringLiteral("!!!Rect of Slice %1 in %2 is wrong!").arg(slice.attribute(QStringLiteral("id")), sheet));
                continue;
            }
            slices.insert(slice.attribute(QStringLiteral("id")), slice.attribute(QStringLiteral("rect")));
        }
        m_dicSliceImages.insert(sheet, slices);
    }
}

QImage ImageManager::imageWithSliceId(const QString &sliceId, const QString &sheetId)
{
    if (sliceId.isEmpty() || sheetId.isEmpty() || !m_dicSliceImages.contains(sheetId))
        return {};
    const QMap<QString, QString> &slices = m_dicSliceImages[sheetId];
    if (!slices.contains(sliceId))
        return {};
    const QString cacheKey = QStringLiteral("%1_%2").arg(sliceId, sheetId);
    if (m_slices.contains(cacheKey))
        return m_slices.value(cacheKey);
    QRect rect;
    if (!parseRect(slices.value(sliceId), &rect)) {
        ScribletLogInfo(QStringLiteral("!!!Rect of Slice %1 in %2 is wrong!").arg(sliceId, sheetId));
        return {};
    }
    QImage sheet = m_loadedSheets.value(sheetId);
    if (sheet.isNull()) {
        sheet = readSheet(m_dicImages.value(sheetId));
        if (sheet.isNull())
            return {};
        m_loadedSheets.insert(sheetId, sheet);
        if (!m_pendingRelease.isEmpty() && m_pendingRelease != sheetId)
            delayReleaseBigImage();  // only one sheet stays in memory
        if (!m_tDelayReleaseBigImage) {
            m_tDelayReleaseBigImage = new QTimer;
            m_tDelayReleaseBigImage->setSingleShot(true);
            QObject::connect(m_tDelayReleaseBigImage, &QTimer::timeout, [this] { delayReleaseBigImage(); });
        }
        m_pendingRelease = sheetId;
        m_tDelayReleaseBigImage->start(ReleaseDelayMs);
    }
    // Rectangles count from the sheet's top-left corner, which is where QImage counts from too;
    // in bottom-up terms the slice starts at height - y - h.
    const QImage slice = ImageSliceFromImageRect(sheet, rect);
    if (slice.isNull())
        return {};
    QImage named = slice;
    named.setText(QStringLiteral("name"), sliceId);
    m_slices.insert(cacheKey, named);
    return named;
}

QImage ImageManager::imageWithName(const QString &sheetId) const
{
    if (!m_dicImages.contains(sheetId))
        return {};
    return readSheet(m_dicImages.value(sheetId));
}

void ImageManager::delayReleaseBigImage()
{
    if (m_tDelayReleaseBigImage)
        m_tDelayReleaseBigImage->stop();
    if (!m_pendingRelease.isEmpty())
        m_loadedSheets.remove(m_pendingRelease);
    m_pendingRelease.clear();
}

std::unique_ptr<ImageManager> g_imageMgr;
QMap<QString, QImage> g_popupButtonImages;

void InitGlobalImages()
{
    g_imageMgr = ImageManager::initWithFile(ConverterResources::imageListFile(), FirstPreferredLanguage());
    g_popupButtonImages.clear();
    if (!g_imageMgr)
        return;
    for (const char *name : {"VCPopupBtnLeftN", "VCPopupBtnLeftP", "VCPopupBtnFillN", "VCPopupBtnFillP", "VCPopupBtnRightN",
                             "VCPopupBtnRightP"})
        g_popupButtonImages.insert(QLatin1String(name), g_imageMgr->imageWithSliceId(QLatin1String(name), QStringLiteral("MainWnd")));
    g_popupButtonImages.insert(QStringLiteral("PullDownRightN"), g_popupButtonImages.value(QStringLiteral("VCPopupBtnRightN")));
    g_popupButtonImages.insert(QStringLiteral("PullDownRightP"), g_popupButtonImages.value(QStringLiteral("VCPopupBtnRightP")));
}

void ResetGlobalImages()
{
    g_popupButtonImages.clear();
    g_imageMgr.reset();
}
