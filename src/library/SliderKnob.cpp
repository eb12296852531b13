#include "library/SliderKnob.h"

#include <QPainter>

SliderKnob::SliderKnob(QWidget *parent)
    : QWidget(parent)
{
    // The slider handles every press; the knob only draws.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SliderKnob::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void SliderKnob::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_image.isNull()) {
        p.drawImage(QRectF(rect()), m_image);
        return;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0.0471f, 0.2627f, 0.1412f, 1.0f));
    p.drawEllipse(QRectF(rect()));
}
