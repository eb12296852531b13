#pragma once

#include <QHash>
#include <QImage>
#include <QMap>
#include <QRect>
#include <QString>

#include <memory>

class QTimer;

// Converter images cut from sheet images. A list file (property list: language code to the
// slice files of that language) names slice files; each slice file names sheets and the
// rectangles ("x,y,w,h" from the sheet's top-left corner) of their slices. Cut slices are kept
// for the manager's life; a whole sheet only for 10 seconds after it was loaded, and only one
// at a time. Main thread only.
class ImageManager
{
public:
    // Null without a path. Loads the slice files at once.
    static std::unique_ptr<ImageManager> initWithFile(const QString &listFile, const QString &language = QString());
    ~ImageManager();

    void setLanguage(const QString &language);
    QString language() const { return m_strLanguage; }

    QImage imageWithSliceId(const QString &sliceId, const QString &sheetId);
    // A new image of the whole sheet, not cached; null for an unknown sheet.
    QImage imageWithName(const QString &sheetId) const;
    void delayReleaseBigImage();

    bool isSheetLoaded(const QString &sheetId) const { return m_loadedSheets.contains(sheetId); }
    QStringList sheetIds() const { return m_dicImages.keys(); }
    QStringList sliceIds(const QString &sheetId) const { return m_dicSliceImages.value(sheetId).keys(); }

    static constexpr int ReleaseDelayMs = 10000;

private:
    ImageManager() = default;
    void load(const QString &language);
    void loadSliceFile(const QString &path);
    static bool parseRect(const QString &text, QRect *rect);

    QString m_strLanguage;
    QString m_strConfigerFile;
    QTimer *m_tDelayReleaseBigImage = nullptr;
    QString m_pendingRelease;
    QMap<QString, QMap<QString, QString>> m_dicSliceImages;  // sheet -> slice -> rect text
    QHash<QString, QImage> m_slices;                         // "slice_sheet" -> cut slice
    QMap<QString, QString> m_dicImages;                      // sheet -> image path
    QHash<QString, QImage> m_loadedSheets;                   // sheet -> loaded image
};

// The rectangle's part of the image at the rectangle's size; null without an image.
QImage ImageSliceFromImageRect(const QImage &image, const QRect &rect);

// The process-wide manager and the pop-up button parts ("VCPopupBtnLeftN", ...) of the
// converter's pop-up cells, made by InitGlobalImages after InitGlobalData (ConverterGlobal.h).
extern std::unique_ptr<ImageManager> g_imageMgr;
extern QMap<QString, QImage> g_popupButtonImages;
// Makes the manager for ConverterResources::imageListFile() and the first preferred language;
// the pop-up parts are null when their sheet cannot be read.
void InitGlobalImages();
void ResetGlobalImages();
