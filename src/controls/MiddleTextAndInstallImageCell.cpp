#include "controls/MiddleTextAndInstallImageCell.h"

#include "controls/TableGeometry.h"

#include <QPainter>
#include <QPainterPath>

void MiddleTextAndInstallImageCell::paint(QPainter *p, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    const QRectF imageRect = drawTextAndImage(p, option, index);
    if (imageRect.isNull())
        return;
    const QVariant progressValue = index.data(TableCellRoles::ProgressRole);
    const int progress = progressValue.isValid() ? progressValue.toInt() : m_progress;
    const auto pie = TableGeometry::installPie(progress);
    if (!pie)
        return;
    QImage install = imageFrom(index.data(TableCellRoles::InstallImageRole));
    if (install.isNull())
        install = m_installImage;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    if (!install.isNull())
        p->drawImage(imageRect, install);
    if (pie->sweep > 0) {
        const QPointF c = imageRect.center();
        const qreal r = TableGeometry::InstallPieRadius;
        QPainterPath path(c);
        path.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), pie->start, pie->sweep);
        path.closeSubpath();
        p->setPen(Qt::NoPen);
        p->setBrush(pieColor());
        p->drawPath(path);
    }
    p->restore();
}
