#pragma once

#include <QColor>
#include <QList>

// The alternating row colours of every table of the application: light grey for row 0, then
// white. The drawn tables paint these stripes themselves.
namespace ColorChangingFun {
QList<QColor> controlAlternatingRowBackgroundColors();
// Plain Qt views paint AlternateBase on odd rows over a Base that text fields share, so the
// application palette only gets the grey as AlternateBase (their stripes start white).
void installApplicationWide();
} // namespace ColorChangingFun
