#include "controls/BackgroundView.h"

#include "controls/ControlGeometry.h"

#include <QMouseEvent>
#include <QPainter>

BackgroundView::BackgroundView(QWidget *parent) : QWidget(parent) {}

void BackgroundView::setBackgroundColor(const std::optional<QColor> &color, bool display)
{
    if (color != m_backgroundColor)
        m_backgroundColor = color;
    if (display)
        update();
}

void BackgroundView::setBoundsLineColor(const std::optional<QColor> &color, bool display)
{
    if (color != m_boundsLineColor)
        m_boundsLineColor = color;
    if (display)
        update();
}

void BackgroundView::setBottomLineColor(const std::optional<QColor> &color, bool display)
{
    if (color != m_bottomLineColor)
        m_bottomLineColor = color;
    if (display)
        update();
}

void BackgroundView::paintEvent(QPaintEvent *)
{
    using namespace ControlGeometry;
    QPainter p(this);
    const qreal h = height();
    const auto toView = [&](const QRectF &r) { return isFlipped() ? r : toQt(r, h); };
    const QColor fill = m_backgroundColor.value_or(QColor(Qt::white));
    QRectF b(0, 0, width(), h);
    if (m_marginHeight > 0)
        b.setHeight(b.height() - m_marginHeight);

    if (m_boundsToMask == 0) {
        p.fillRect(toView(b), fill);
        if (m_bottomLineColor)
            p.fillRect(toView(bottomLineRect(b)), *m_bottomLineColor);
        return;
    }
    m_cornerRadius = effectiveCornerRadius(m_cornerRadius);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(toView(b), m_cornerRadius, m_cornerRadius);
    if (m_boundsToMask == 3 || m_boundsToMask == 15) {
        if (m_boundsLineColor) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(*m_boundsLineColor, 1));
            p.drawRoundedRect(toView(b).adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius, m_cornerRadius);
        }
        return;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(toView(squaredCornerRect(b, m_boundsToMask, m_cornerRadius)), fill);
    if (m_bottomLineColor)
        p.fillRect(toView(bottomLineRect(b)), *m_bottomLineColor);
}

void EventBlockBackgroundView::mousePressEvent(QMouseEvent *e) { e->accept(); }
void EventBlockBackgroundView::mouseReleaseEvent(QMouseEvent *e) { e->accept(); }
void EventBlockBackgroundView::mouseMoveEvent(QMouseEvent *e) { e->accept(); }
void EventBlockBackgroundView::mouseDoubleClickEvent(QMouseEvent *e) { e->accept(); }
