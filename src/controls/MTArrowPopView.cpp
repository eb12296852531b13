#include "controls/MTArrowPopView.h"

#include "controls/AppImages.h"
#include "controls/PopoverGeometry.h"

#include <QMouseEvent>
#include <QPainter>

using namespace PopoverGeometry;

MTArrowPopView::MTArrowPopView(const QString &head, const QString &body, const QString &tail, bool vertical,
                               QWidget *parent)
    : QWidget(parent), m_headImg(AppImages::named(head)), m_bodyImg(AppImages::named(body)),
      m_tailImg(AppImages::named(tail)), m_bVertical(vertical)
{
    setMouseTracking(true);
}

void MTArrowPopView::addOneRowString(const QString &row)
{
    if (row.isEmpty())
        return;
    m_rowStringArray.prepend(row);
    update();
}

void MTArrowPopView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF b(rect());
    if (!m_headImg.isNull() && !m_bodyImg.isNull() && !m_tailImg.isNull())
        AppImages::drawThreePart(&p, b, m_headImg, m_bodyImg, m_tailImg, m_bVertical);
    else
        p.fillRect(b, Qt::white);
    QFont font;
    font.setPixelSize(13);
    p.setFont(font);
    for (int i = 0; i < m_rowStringArray.size(); ++i) {
        const QRectF row = upToQt(arrowPopRowRect(i, b.width()), b.height());
        const bool lit = m_bMouseDown && i == m_nDownRow;
        if (lit)
            p.fillRect(row, QColor(32, 192, 91));
        if (i > 0) {
            p.setPen(QPen(QColor(64, 64, 64), 0.2));
            p.drawLine(QPointF(0, row.bottom()), QPointF(b.width(), row.bottom()));
        }
        p.setPen(lit ? Qt::white : Qt::black);
        const QRectF text = upToQt(arrowPopTextRect(i, b.width()), b.height());
        p.drawText(QRectF(text.x(), row.y(), text.width() - 20, row.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   m_rowStringArray.at(i));
    }
}

void MTArrowPopView::mouseMoveEvent(QMouseEvent *e)
{
    const int hit = arrowPopHitRow(height() - e->position().y());
    if (m_bMouseDown && hit == m_nDownRow)
        return;
    m_nDownRow = hit;
    m_bMouseDown = hit < m_rowStringArray.size();
    update();
}

void MTArrowPopView::leaveEvent(QEvent *e)
{
    m_bMouseDown = false;
    update();
    QWidget::leaveEvent(e);
}

void MTArrowPopView::mousePressEvent(QMouseEvent *e)
{
    const qreal y = height() - e->position().y();
    m_nDownRow = arrowPopHitRow(y);
    m_bMouseDown = true;
    update();
    const int row = arrowPopReportedRow(y, int(m_rowStringArray.size()));
    // A click beside the rows names no row, so nothing is reported.
    if (row >= 0 && row < m_rowStringArray.size())
        emit didClickAtRow(this, row, m_type);
}
