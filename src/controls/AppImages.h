#pragma once

#include <QImage>
#include <QString>

// Pictures the controls ask for by plain name ("findlist_t", "select_l"): a PNG resource of the
// program when there is one, else the slice of that name in the sheet "AppImages".
namespace AppImages {
inline const QString Sheet = QStringLiteral("AppImages");
QImage named(const QString &name);
}

class QPainter;
class QRectF;

namespace AppImages {
// Three pictures as one: the caps at their own length across the frame's thickness, the
// middle stretched between. Vertical runs head at the top, tail at the bottom.
void drawThreePart(QPainter *p, const QRectF &frame, const QImage &head, const QImage &body, const QImage &tail,
                   bool vertical);
}
