#include "library/PlaySliderBar.h"

#include "controls/ControlSlices.h"
#include "library/SliderKnob.h"
#include "platform/NotificationCenter.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

PlaySliderBar::PlaySliderBar(QWidget *parent)
    : QWidget(parent)
{
    m_fSliderBarBottomDis = float((height() - 10) * 0.5);
    m_fKnobBottomDis = m_fSliderBarBottomDis - 2.5f;
    m_viewSliderKnob = new SliderKnob(this);
    m_viewSliderKnob->setGeometry(QRect(int(m_fSliderBarLeftDis - 4), 0, 15, 15));
    setValue(0);
    NotificationCenter::defaultCenter().addObserver(
        this, QString::fromLatin1(DidChangeValueNotification),
        [this](const Notification &n) {
            if (m_delegate)
                m_delegate->playSliderBarDidChangeValue(this, n.userInfo.value(QStringLiteral("value")).toFloat());
        },
        this);
}

PlaySliderBar::~PlaySliderBar()
{
    m_delegate = nullptr;
    NotificationCenter::defaultCenter().removeObserver(this);
}

qreal PlaySliderBar::trackWidth() const
{
    return width() - m_fSliderBarLeftDis - m_fSliderBarRightDis;
}

QRectF PlaySliderBar::trackRect() const
{
    // Distances are measured from the bottom edge.
    return QRectF(m_fSliderBarLeftDis, height() - m_fSliderBarBottomDis - m_fSliderBarHeight, trackWidth(),
                  m_fSliderBarHeight);
}

QSizeF PlaySliderBar::knobSize() const
{
    return m_viewSliderKnob->size();
}

void PlaySliderBar::setKnobSize(const QSizeF &size)
{
    m_viewSliderKnob->resize(size.toSize());
    setValue(m_fValue);
}

QImage PlaySliderBar::knobImage() const
{
    return m_viewSliderKnob->image();
}

void PlaySliderBar::setKnobImage(const QImage &image)
{
    m_viewSliderKnob->setImage(image);
}

QRectF PlaySliderBar::knobFrame() const
{
    return QRectF(m_viewSliderKnob->geometry());
}

void PlaySliderBar::setValue(float value)
{
    if (!std::isfinite(value) || value < 0)
        value = 0;
    if (value > m_fMaxValue)
        value = m_fMaxValue;
    m_fValue = value;
    const QSizeF k = knobSize();
    const qreal cx = m_fSliderBarLeftDis + trackWidth() * value / m_fMaxValue;
    m_viewSliderKnob->move(qRound(cx - k.width() / 2), qRound(height() - m_fKnobBottomDis - k.height()));
    update();
}

void PlaySliderBar::setMaxValue(float max)
{
    if (!(max > 0) || !std::isfinite(max))
        return;
    m_fMaxValue = max;
    setValue(m_fValue);
}

void PlaySliderBar::performDragedToValue(float value)
{
    setValue(value);
    if (m_delegate)
        m_delegate->playSliderBarDidChangeValue(this, m_fValue);
}

void PlaySliderBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    setValue(m_fValue);
}

void PlaySliderBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_imgBackGround.isNull())
        p.drawImage(QRectF(rect()), m_imgBackGround);
    const QRectF t = trackRect();
    auto capsAndMiddle = [&](const QImage &img, qreal middleWidth, qreal srcMiddle, bool rightCap) {
        const qreal dpr = img.devicePixelRatio();
        const qreal iw = ControlSlices::pointSize(img).width();
        p.drawImage(QRectF(t.x() - 5, t.y(), 5, t.height()), img, QRectF(0, 0, 5 * dpr, img.height()));
        if (middleWidth > 0 && srcMiddle > 0)
            p.drawImage(QRectF(t.x(), t.y(), middleWidth, t.height()), img,
                        QRectF(5 * dpr, 0, srcMiddle * dpr, img.height()));
        if (rightCap)
            p.drawImage(QRectF(t.right(), t.y(), 5, t.height()), img,
                        QRectF((iw - 5) * dpr, 0, 5 * dpr, img.height()));
    };
    if (!m_imgSlider.isNull())
        capsAndMiddle(m_imgSlider, t.width(), ControlSlices::pointSize(m_imgSlider).width() - 10, true);
    if (!m_imgPlayedSection.isNull()) {
        const qreal played = m_fValue / m_fMaxValue * t.width();
        capsAndMiddle(m_imgPlayedSection, played,
                      qMin(played, ControlSlices::pointSize(m_imgPlayedSection).width() - 10), false);
    }
}

void PlaySliderBar::postValue()
{
    NotificationCenter::defaultCenter().post(QString::fromLatin1(DidChangeValueNotification),
                                             QVariant::fromValue<QObject *>(this),
                                             {{QStringLiteral("value"), m_fValue}});
}

void PlaySliderBar::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;
    const qreal T = trackWidth();
    const QPointF pt = event->position();
    const QRectF knob = knobFrame();
    const QRectF hit(m_fSliderBarLeftDis, knob.y() - 2, T, knob.height() + 4);
    if (!hit.contains(pt) && !knob.contains(pt))
        return;
    if (knob.contains(pt)) {
        m_viewSliderKnob->raise();
        if (m_delegate)
            m_delegate->playSliderBarDidStartDragging(this);
    } else {
        if (!shouldSeekTo(pt.x()))
            return;
        if (m_delegate)
            m_delegate->playSliderBarDidStartDragging(this);
        setValue(T > 0 ? float(m_fMaxValue * (pt.x() - m_fSliderBarLeftDis) / T) : 0);
        postValue();
        m_viewSliderKnob->raise();
    }
    m_dragging = true;
    m_beyond = 0;
}

void PlaySliderBar::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    dragTo(event->position().x());
}

void PlaySliderBar::dragTo(qreal x)
{
    // The drag stops at the track's ends: crossing an end reports that end once, and nothing
    // more comes until the pointer is back over the track.
    const qreal xMin = m_fSliderBarLeftDis;
    const qreal xMax = width() - m_fSliderBarRightDis;
    if (x < xMin || x > xMax) {
        const int side = x < xMin ? -1 : 1;
        if (m_beyond == side)
            return;
        m_beyond = side;
        x = side < 0 ? xMin : xMax;
    } else {
        m_beyond = 0;
    }
    if (!shouldSeekTo(x))
        return;
    const qreal T = trackWidth();
    setValue(T > 0 ? float(m_fMaxValue * (x - m_fSliderBarLeftDis) / T) : 0);
    postValue();
}

void PlaySliderBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    if (m_delegate)
        m_delegate->playSliderBarDidStopDragging(this);
}
