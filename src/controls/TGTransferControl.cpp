#include "controls/TGTransferControl.h"

#include "controls/ControlSlices.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace {
// Half-open, so the middle line belongs to the right half only.
bool inside(const QRectF &r, const QPointF &p)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

QFont labelFont()
{
    QFont f;
    f.setPixelSize(13);
    return f;
}
} // namespace

TGTransferControl::TGTransferControl(QWidget *parent) : QWidget(parent)
{
    initDefaultValues();
    setFocusPolicy(Qt::StrongFocus);
    // Hover is tracked only while enabled.
    setMouseTracking(isEnabled());
}

void TGTransferControl::initDefaultValues()
{
    m_backgroundColor = Qt::white;
    m_hoverColor = QColor(244, 244, 244);
    m_downColor = QColor(232, 232, 232);
    m_lineColor = QColor(209, 209, 209);
    using ControlSlices::image;
    m_leftNormal = image(QStringLiteral("slice-683756_"));
    m_leftHover = image(QStringLiteral("slice-683757_"));
    m_leftAlter = image(QStringLiteral("slice-683758_"));
    m_leftDisable = image(QStringLiteral("slice-683759_"));
    m_rightNormal = image(QStringLiteral("slice-683761_"));
    m_rightHover = image(QStringLiteral("slice-683762_"));
    m_rightAlter = image(QStringLiteral("slice-683763_"));
    m_rightDisable = image(QStringLiteral("slice-683764_"));
}

void TGTransferControl::setBackgroundColor(const QColor &c) { m_backgroundColor = c; update(); }
void TGTransferControl::setHoverColor(const QColor &c) { m_hoverColor = c; update(); }
void TGTransferControl::setDownColor(const QColor &c) { m_downColor = c; update(); }
void TGTransferControl::setLineColor(const QColor &c) { m_lineColor = c; update(); }
void TGTransferControl::setLeftString(const QString &s) { m_leftString = s; update(); }
void TGTransferControl::setRightString(const QString &s) { m_rightString = s; update(); }

void TGTransferControl::setLockState(bool locked)
{
    m_lockState = locked;
    if (!locked)
        resetState();
    update();
}

void TGTransferControl::resetState()
{
    m_leftOver = m_rightOver = m_leftDown = m_rightDown = false;
}

QColor TGTransferControl::currentColor() const
{
    if (m_leftDown || m_rightDown)
        return m_downColor;
    if (m_leftOver || m_rightOver)
        return m_hoverColor;
    return {};
}

QImage TGTransferControl::currentLeftIcon() const
{
    return m_leftDown ? m_leftAlter : m_leftOver ? m_leftHover : m_leftNormal;
}

QImage TGTransferControl::currentRightIcon() const
{
    return m_rightDown ? m_rightAlter : m_rightOver ? m_rightHover : m_rightNormal;
}

QRectF TGTransferControl::leftArea() const
{
    const qreal b = rect().x() + width() / 2.0;
    return QRectF(0, 0, b, height());
}

QRectF TGTransferControl::rightArea() const
{
    const qreal b = rect().x() + width() / 2.0;
    return QRectF(b, 0, b, height());
}

void TGTransferControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!isEnabled())
        p.setOpacity(0.5);
    const QRectF bounds = rect();
    p.fillRect(bounds, m_backgroundColor);
    const QColor current = currentColor();
    if (current.isValid()) {
        const QRectF area = (m_rightDown || m_rightOver) ? rightArea() : leftArea();
        p.fillRect(area.adjusted(3, 3, -3, -3), current);
    }
    p.fillRect(QRectF(bounds.x() + bounds.width() / 2, 5, 1, bounds.height() - 9), m_lineColor);
    p.fillRect(QRectF(0, 0, bounds.width(), 1), m_lineColor);
    drawHalf(p, leftArea(), currentLeftIcon(), m_leftString, 0);
    const QRectF right = rightArea();
    drawHalf(p, right, currentRightIcon(), m_rightString, right.x() + 10);
}

void TGTransferControl::drawHalf(QPainter &p, const QRectF &area, const QImage &icon, const QString &text,
                                 qreal extraX)
{
    if (icon.isNull())
        return;
    const QSizeF iconSize = ControlSlices::pointSize(icon);
    const QFont font = labelFont();
    const QFontMetricsF fm(font);
    const qreal tw = fm.horizontalAdvance(text);
    const qreal th = fm.height();
    const qreal x0 = extraX + (area.width() - (iconSize.width() + 20) - tw) / 2;
    const qreal y0 = area.y() + (area.height() - iconSize.height()) / 2;
    ControlSlices::drawImageAt(&p, QPointF(x0, y0), icon);
    if (text.isEmpty())
        return;
    p.setFont(font);
    p.setPen(QColor(100, 100, 100));
    const QRectF label(x0 + iconSize.width() + 5, area.y() + (area.height() - th) / 2 + 1, tw + 1, th);
    p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void TGTransferControl::trackPoint(const QPointF &pos)
{
    resetState();
    if (inside(leftArea(), pos))
        m_leftOver = true;
    else if (inside(rightArea(), pos))
        m_rightOver = true;
    update();
}

void TGTransferControl::enterEvent(QEnterEvent *event)
{
    if (!ignoresMouse())
        trackPoint(event->position());
}

void TGTransferControl::mouseMoveEvent(QMouseEvent *event)
{
    if (!ignoresMouse())
        trackPoint(event->position());
}

void TGTransferControl::leaveEvent(QEvent *)
{
    if (ignoresMouse())
        return;
    resetState();
    update();
}

void TGTransferControl::mousePressEvent(QMouseEvent *event)
{
    if (ignoresMouse() || event->button() != Qt::LeftButton)
        return;
    resetState();
    const QPointF pos = event->position();
    if (inside(leftArea(), pos))
        m_leftDown = true;
    else if (inside(rightArea(), pos))
        m_rightDown = true;
    update();
    const TargetAction &action = m_leftDown ? m_leftAction : m_rightAction;
    // Lock before sending so the action itself may unlock; a half that sent nothing must not
    // lock, or nothing would ever unlock the control again.
    m_lockState = (m_leftDown || m_rightDown) && action.answers();
    if (m_lockState)
        action.send(this);
    if (!m_lockState) {
        resetState();
        update();
    }
}

void TGTransferControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        setMouseTracking(isEnabled());
        if (!isEnabled()) {
            m_leftOver = m_rightOver = false;
            update();
        }
    }
    QWidget::changeEvent(event);
}
