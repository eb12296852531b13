#include "library/MTPlayerButton.h"

#include "controls/ControlSlices.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

MTPlayerButton::MTPlayerButton(QWidget *parent)
    : QWidget(parent)
{
    m_mtPlayerBtnTimer = new QTimer(this);
    m_mtPlayerBtnTimer->setSingleShot(true);
    connect(m_mtPlayerBtnTimer, &QTimer::timeout, this, &MTPlayerButton::doLongPress);
    setCursor(Qt::PointingHandCursor);
}

void MTPlayerButton::setMtImage(const QImage &image)
{
    m_mtImage = image;
    if (!m_isMTPlayerLongPress)
        m_shown = image;
    update();
}

void MTPlayerButton::addTrackingArea()
{
    m_tracking = true;
    setMouseTracking(true);
}

QSize MTPlayerButton::sizeHint() const
{
    const QSizeF s = ControlSlices::pointSize(m_mtImage);
    return s.isEmpty() ? QSize(32, 32) : s.toSize();
}

void MTPlayerButton::paintEvent(QPaintEvent *)
{
    if (m_shown.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF s = ControlSlices::pointSize(m_shown);
    p.drawImage(QRectF((width() - s.width()) / 2, (height() - s.height()) / 2, s.width(), s.height()), m_shown);
}

void MTPlayerButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_shown = m_mtAlternateImage;
    m_isMTPlayerLongPress = true;
    // A fresh press restarts the wait; Qt timers also fire in modal loops and during drags.
    m_mtPlayerBtnTimer->start(LongPressMs);
    update();
}

void MTPlayerButton::doLongPress()
{
    if (m_isMTPlayerLongPress && m_delegate)
        m_delegate->mtPlayerBtnStartLongPress(this);
}

void MTPlayerButton::endPress(bool onlyWhilePressed)
{
    const bool wasPressed = m_isMTPlayerLongPress;
    m_shown = m_mtImage;
    m_isMTPlayerLongPress = false;
    update();
    // A move or exit without a press before it would read as a click to the owner.
    if (onlyWhilePressed && !wasPressed)
        return;
    if (m_delegate)
        m_delegate->mtPlayerBtnStopLongPress(this);
}

void MTPlayerButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        endPress(false);
}

void MTPlayerButton::mouseMoveEvent(QMouseEvent *event)
{
    // Plain moves (no button held) end a press only when tracking is on.
    if (m_tracking && event->buttons() == Qt::NoButton)
        endPress(true);
}

void MTPlayerButton::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (m_tracking) {
        m_shown = m_mtAlternateImage;
        update();
    }
}

void MTPlayerButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (m_tracking)
        endPress(true);
}
