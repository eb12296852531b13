#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// The desktop half of the application-wide helpers (GolobFun holds the headless half): colours
// from hex text and the default pictures. No instances.
class GolobFunDesktop
{
public:
    // "#RRGGBB" or "0xRRGGBB" (blanks around allowed); anything else is white.
    static QColor colorWithHexString(const QString &hex);
    // Read once from the bundle's resources; null while the resource is not shipped.
    static QImage defaultThumbnail();
    static QImage defaultWebIcon();
};
