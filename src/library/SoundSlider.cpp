#include "library/SoundSlider.h"

#include "controls/ControlSlices.h"
#include "library/PlayerImages.h"

#include <QMouseEvent>
#include <QPainter>

SoundSlider::SoundSlider(QWidget *parent)
    : QWidget(parent)
{
}

QSizeF SoundSlider::knobSize() const
{
    return m_soundSliderBtn.isNull() ? QSizeF(0, 0) : ControlSlices::pointSize(m_soundSliderBtn);
}

QRectF SoundSlider::knobRect() const
{
    const QSizeF k = knobSize();
    qreal x = m_percent * (width() - k.width());
    if (m_percent <= 0)
        x = 0;
    else if (m_percent > 1)
        x = width() - k.width() / 2;
    return QRectF(x, (height() - k.height()) / 2, k.width(), k.height());
}

void SoundSlider::setVolume(float volume)
{
    m_volume = volume;
    m_percent = m_maxVolume != 0 ? volume / m_maxVolume : 0;
    update();
}

void SoundSlider::report()
{
    if (m_delegate)
        m_delegate->volumeDidChanged(m_percent * m_maxVolume);
}

void SoundSlider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF k = knobSize();
    const qreal W = width();
    qreal trackY = 0;
    if (!m_soundSliderBackImg.isNull()) {
        const QImage &img = m_soundSliderBackImg;
        const QSizeF s = ControlSlices::pointSize(img);
        const qreal dpr = img.devicePixelRatio();
        trackY = (height() - s.height()) / 2;
        // Left cap, stretched middle, right cap (3 points each).
        p.drawImage(QRectF(k.width() / 2, trackY, 3, s.height()), img, QRectF(0, 0, 3 * dpr, img.height()));
        p.drawImage(QRectF(k.width() / 2 + 3, trackY, W - 6 - k.width(), s.height()), img,
                    QRectF(3 * dpr, 0, img.width() - 6 * dpr, img.height()));
        p.drawImage(QRectF(W - 3 - k.width() / 2, trackY, 3, s.height()), img,
                    QRectF(img.width() - 3 * dpr, 0, 3 * dpr, img.height()));
    }
    const QRectF knob = knobRect();
    if (m_percent > 0 && m_percent <= 1 && !m_soundSliderImg.isNull()) {
        const QImage &img = m_soundSliderImg;
        const QSizeF s = ControlSlices::pointSize(img);
        const qreal dpr = img.devicePixelRatio();
        if (m_soundSliderBackImg.isNull())
            trackY = (height() - s.height()) / 2;
        p.drawImage(QRectF(k.width() / 2, trackY, 3, s.height()), img, QRectF(0, 0, 3 * dpr, img.height()));
        const qreal srcW = qMin<qreal>(s.width() - 6, knob.x());
        if (knob.x() - 3 > 0 && srcW > 0)
            p.drawImage(QRectF(k.width() / 2 + 3, trackY, knob.x() - 3, s.height()), img,
                        QRectF(3 * dpr, 0, srcW * dpr, img.height()));
    }
    if (!m_soundSliderBtn.isNull())
        p.drawImage(knob, m_soundSliderBtn);
}

void SoundSlider::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (!m_isEnable || event->button() != Qt::LeftButton)
        return;
    const QPointF pt = event->position();
    const QSizeF k = knobSize();
    const QRectF track(k.width() / 2, 0, width() - k.width(), height());
    if (!track.contains(pt))
        return;
    m_isDraged = false;
    m_soundSliderBtn = PlayerImages::named(QStringLiteral("soundBtnSel.png"));
    // A press on the knob itself changes nothing; beside it the knob jumps there.
    const QRectF knob = knobRect();
    if (pt.x() < knob.left() || pt.x() > knob.right()) {
        const qreal span = width() - k.width();
        const float pc = span > 0 ? float((pt.x() - k.width() / 2) / span) : 0.0f;
        if (pc >= 0 && pc <= 1.01f) {
            m_percent = qMin(pc, 1.0f);
            report();
        }
    }
    update();
}

void SoundSlider::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    if (!m_isEnable || !(event->buttons() & Qt::LeftButton))
        return;
    m_isDraged = true;
    const QSizeF k = knobSize();
    const QPointF pt = event->position();
    if (knobRect().contains(pt))
        m_soundSliderBtn = PlayerImages::named(QStringLiteral("soundBtnSel.png"));
    const qreal span = width() - k.width();
    float pc = span > 0 ? float((pt.x() - k.width() / 2) / span) : 0.0f;
    if (pc < 0)
        pc = 0;
    if (pc >= 1.001f)
        pc = 1.0f;
    m_percent = pc;
    report();
    update();
}

void SoundSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_isEnable)
        m_soundSliderBtn = PlayerImages::named(QStringLiteral("soundBtn.png"));
    update();
    QWidget::mouseReleaseEvent(event);
}
