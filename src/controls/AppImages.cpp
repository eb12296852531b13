#include "controls/AppImages.h"

#include "controls/ControlSlices.h"
#include "platform/MainBundle.h"

#include <QPainter>

namespace AppImages {

QImage named(const QString &name)
{
    if (name.isEmpty())
        return {};
    const QString path = MainBundle::pathForResource(name, QStringLiteral("png"));
    if (!path.isEmpty()) {
        QImage img(path);
        if (!img.isNull())
            return img;
    }
    return ControlSlices::image(name, Sheet);
}

} // namespace AppImages

namespace AppImages {

void drawThreePart(QPainter *p, const QRectF &f, const QImage &head, const QImage &body, const QImage &tail,
                   bool vertical)
{
    if (head.isNull() || body.isNull() || tail.isNull())
        return;
    const QSizeF hs = ControlSlices::pointSize(head), ts = ControlSlices::pointSize(tail);
    p->save();
    p->setRenderHint(QPainter::SmoothPixmapTransform);
    // Caps keep their own length and take the frame's thickness; the middle stretches.
    if (vertical) {
        const qreal scale = hs.height() + ts.height() > f.height() && hs.height() + ts.height() > 0
                                ? f.height() / (hs.height() + ts.height())
                                : 1.0;
        const QRectF top(f.x(), f.y(), f.width(), hs.height() * scale);
        const QRectF bottom(f.x(), f.bottom() - ts.height() * scale, f.width(), ts.height() * scale);
        p->drawImage(top, head);
        p->drawImage(QRectF(f.x(), top.bottom(), f.width(), bottom.top() - top.bottom()), body);
        p->drawImage(bottom, tail);
    } else {
        const qreal scale = hs.width() + ts.width() > f.width() && hs.width() + ts.width() > 0
                                ? f.width() / (hs.width() + ts.width())
                                : 1.0;
        const QRectF left(f.x(), f.y(), hs.width() * scale, f.height());
        const QRectF right(f.right() - ts.width() * scale, f.y(), ts.width() * scale, f.height());
        p->drawImage(left, head);
        p->drawImage(QRectF(left.right(), f.y(), right.left() - left.right(), f.height()), body);
        p->drawImage(right, tail);
    }
    p->restore();
}

} // namespace AppImages
