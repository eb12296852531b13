#pragma once

#include <QHash>
#include <QImage>
#include <QMarginsF>
#include <QMutex>
#include <QRectF>
#include <QStringList>

#include <memory>

class QSvgRenderer;

// One named rectangle of a slice sheet, in points, with the caps that three- and nine-part
// drawing keep at their own size.
struct SliceInfo
{
    QString name;
    QRectF rect;
    QMarginsF caps;
    bool isValid() const { return !rect.isEmpty(); }
};

// The registry of slice sheets. A sheet is an SVG picture plus an XML description of the same
// name that cuts it into named slices:
//   <sheet name="mainform" source="mainform.svg">
//     <slice name="mainform-40" x="0" y="0" width="80" height="28" left="8" right="8"/>
//   </sheet>
// Slices are rendered from the vector source at the device-pixel ratio asked for, so they stay
// crisp on HiDPI screens, and cached per ratio. Sheets not registered are looked for by name in
// the search folders on first use. Main thread and worker threads may both ask; lookups lock.
class SlicesManager
{
public:
    static SlicesManager &defaultManager();
    SlicesManager();
    ~SlicesManager();

    // Registers the sheet described by the XML file at path (a file or ":/..." resource).
    // A malformed or oversized description is refused and reported through error.
    bool addConfigFile(const QString &path, QString *error = nullptr);
    // Folders searched for "<sheet>.xml" when a sheet is first asked for.
    void addSearchPath(const QString &folder);
    QStringList searchPaths() const;

    // The slice's picture, or a null image when the sheet or the slice is unknown.
    // dpr 0 means the largest device-pixel ratio of the screens (1 without a GUI).
    QImage sliceNamed(const QString &slice, const QString &sheet, qreal dpr = 0);
    SliceInfo sliceInfo(const QString &slice, const QString &sheet);
    bool hasSlice(const QString &slice, const QString &sheet);

    QStringList sheetNames() const;
    QStringList sliceNames(const QString &sheet);
    void clearCache();

    static qreal screenDevicePixelRatio();

    // Limits that keep a hostile description from asking for huge pictures (points).
    static constexpr qreal MaxSliceSide = 2048;
    static constexpr int MaxSlicesPerSheet = 20000;

private:
    struct Sheet
    {
        QString name;
        QString source;
        QHash<QString, SliceInfo> slices;
        QStringList order;
        std::unique_ptr<QSvgRenderer> renderer;
        QHash<QString, QImage> cache; // slice name + '@' + ratio
    };
    Sheet *sheetLocked(const QString &name);
    bool loadLocked(const QString &path, QString *error);

    mutable QMutex m_mutex;
    QHash<QString, std::shared_ptr<Sheet>> m_sheets;
    QStringList m_searchPaths;
    QStringList m_missing; // sheets already looked for and not found
};
