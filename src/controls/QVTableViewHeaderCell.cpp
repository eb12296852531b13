#include "controls/QVTableViewHeaderCell.h"

#include "controls/ControlSlices.h"
#include "controls/TableGeometry.h"
#include "controls/slices/SlicesManager.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

QVTableViewHeaderCell::QVTableViewHeaderCell(const QString &title) : m_title(title)
{
    m_headTextFont = QApplication::font();
    m_headTextFont.setPixelSize(12);
    m_backgroundGradient.setColorAt(0, Qt::white);
    m_backgroundGradient.setColorAt(1, Qt::white);
}

void QVTableViewHeaderCell::draw(QPainter *p, const QRectF &frame, bool highlighted) const
{
    const TableGeometry::HeaderLayout l = TableGeometry::headerLayout(frame);
    p->save();
    if (!m_drawDivider) {
        p->fillRect(frame, Qt::white);
        p->fillRect(l.bottomLine, lineColor());
        if (m_drawTopLine)
            p->fillRect(l.topLine, lineColor());
    } else {
        QLinearGradient g(m_backgroundGradient);
        g.setStart(l.rest.topLeft());
        g.setFinalStop(l.rest.bottomLeft());
        p->fillRect(l.rest, g);
        if (highlighted)
            p->fillRect(l.rest, QColor(0, 0, 0, int(0.1 * 255)));
        p->fillRect(l.divider.translated(0, frame.y()), Qt::white);
    }
    if (!m_title.isEmpty()) {
        const QFontMetricsF fm(m_headTextFont);
        const QRectF r = TableGeometry::headerTextRect(l.rest.translated(0, -frame.y()), fm.height(), m_headTextMarginLeft)
                             .translated(0, frame.y());
        p->setFont(m_headTextFont);
        p->setPen(m_headTextColor);
        const Qt::Alignment h = m_headTextAlignment & Qt::AlignHorizontal_Mask;
        p->drawText(r, int(h ? h : Qt::AlignLeft) | Qt::AlignTop, fm.elidedText(m_title, Qt::ElideRight, r.width()));
    }
    if (!m_headImage.isNull()) {
        const QSizeF size = ControlSlices::pointSize(m_headImage);
        const QPointF origin = TableGeometry::headerImageOrigin(l.rest.translated(0, -frame.y()), size);
        p->drawImage(QRectF(origin + QPointF(0, frame.y()), size), m_headImage);
    }
    p->restore();
}

QRectF QVTableViewHeaderCell::sortIndicatorRect(const QRectF &frame, const QSizeF &image)
{
    return QRectF(frame.right() - 8 - image.width(), frame.y() + (frame.height() - 1 - image.height()) / 2,
                  image.width(), image.height());
}

void QVTableViewHeaderCell::drawSortIndicator(QPainter *p, const QRectF &frame, bool ascending) const
{
    const QImage image = SlicesManager::defaultManager().sliceNamed(
        ascending ? QStringLiteral("tableHeader_down") : QStringLiteral("tableHeader_up"), QStringLiteral("TableArt"),
        p->device()->devicePixelRatioF());
    if (!image.isNull())
        p->drawImage(sortIndicatorRect(frame, ControlSlices::pointSize(image)), image);
}
