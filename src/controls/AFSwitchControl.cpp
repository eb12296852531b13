#include "controls/AFSwitchControl.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "platform/UserDefaults.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

AFSwitchControl::AFSwitchControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_Hover);
    m_animation = new QPropertyAnimation(this, "offset", this);
    m_animation->setDuration(150);
}

AFSwitchControl::~AFSwitchControl()
{
    unbind();
}

void AFSwitchControl::bind(UserDefaults *defaults, const QString &key)
{
    unbind();
    if (!defaults || key.isEmpty())
        return;
    m_defaults = defaults;
    m_key = key;
    m_observer = connect(defaults, &UserDefaults::changed, this, [this](const QString &changedKey) {
        if (changedKey == m_key)
            valueChangedElsewhere();
    });
    m_animation->stop();
    m_offset = state();
    update();
}

void AFSwitchControl::unbind()
{
    if (m_observer)
        disconnect(m_observer);
    m_observer = {};
    m_defaults.clear();
    m_key.clear();
}

int AFSwitchControl::state() const
{
    const QVariant v = m_defaults ? m_defaults->objectForKey(m_key) : m_unboundValue;
    return UserDefaults::toBool(v) ? 1 : 0;
}

void AFSwitchControl::setState(int newState)
{
    if (m_defaults) {
        // The defaults' change signal moves the knob.
        m_defaults->setBool(m_key, newState != 0);
    } else {
        m_unboundValue = newState != 0;
        valueChangedElsewhere();
    }
    emit stateChanged(state());
    if (m_delegate.switchChangedStatus)
        m_delegate.switchChangedStatus(this);
}

void AFSwitchControl::valueChangedElsewhere()
{
    animateOffsetTo(state());
    update();
}

void AFSwitchControl::animateOffsetTo(qreal target)
{
    m_animation->stop();
    if (!isVisible()) {
        setOffset(target);
        return;
    }
    m_animation->setStartValue(m_offset);
    m_animation->setEndValue(target);
    m_animation->start();
}

void AFSwitchControl::setOffset(qreal offset)
{
    m_offset = offset;
    update();
}

void AFSwitchControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled())
        p.setOpacity(0.5);
    const QImage img = ControlSlices::image(state() ? QStringLiteral("mainform-73") : QStringLiteral("mainform-75"));
    if (!img.isNull())
        p.drawImage(QRectF(rect()), img);
}

void AFSwitchControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    if (!state() && m_delegate.switchWillChangeStatus) {
        // Switching on is the delegate's call (through setState).
        m_delegate.switchWillChangeStatus(this);
        return;
    }
    m_animation->stop();
    const QRectF bounds(rect());
    const qreal x = event->position().x();
    const QRectF knob = ControlGeometry::switchKnobRect(bounds, m_offset);
    if (x < knob.left() || x > knob.right()) {
        if (const auto next = ControlGeometry::switchClickOutsideKnob(bounds, m_offset, state(), x))
            setState(*next ? 1 : 0);
        return;
    }
    m_tracking = true;
    m_dragged = false;
    m_highlighted = true;
    m_grabDelta = x - knob.center().x();
}

void AFSwitchControl::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_tracking)
        return;
    m_dragged = true;
    const qreal centre = event->position().x() - m_grabDelta;
    setOffset(ControlGeometry::switchOffsetForKnobCentre(QRectF(rect()), centre));
}

void AFSwitchControl::mouseReleaseEvent(QMouseEvent *)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    m_highlighted = false;
    const bool wasOn = state();
    const bool nowOn = m_dragged ? ControlGeometry::switchStateAfterDrag(wasOn, m_offset) : !wasOn;
    if (nowOn != wasOn)
        setState(nowOn ? 1 : 0);
    else
        animateOffsetTo(wasOn ? 1 : 0);
}
