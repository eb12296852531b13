#include "controls/VolumerCell.h"

#include "controls/ControlGeometry.h"
#include "controls/slices/SliceAssistant.h"

#include <QMouseEvent>
#include <QPainter>

VolumerCell::VolumerCell(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 100);
    setFixedHeight(21);
}

QRectF VolumerCell::knobRect() const
{
    // The platform knob of a 21-point slider sits at y 0; the knob drops 5 points from there.
    const auto layout = ControlGeometry::volumeLayout(QRectF(rect()), width(), value(), minimum(), maximum(),
                                                      (height() - 21) * 0.5);
    return layout.knob;
}

void VolumerCell::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const auto layout = ControlGeometry::volumeLayout(QRectF(rect()), width(), value(), minimum(), maximum(),
                                                      (height() - 21) * 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(102, 102, 102));
    p.drawRoundedRect(layout.track, 2, 2);
    if (layout.filled.width() > 0)
        SliceAssistant::draw3PartImage(&p, layout.filled, QStringLiteral("slice-127_"), QStringLiteral("mainform"));
    p.setBrush(QColor(197, 197, 197));
    p.drawEllipse(layout.knob);
}

void VolumerCell::setValueFromX(qreal x)
{
    const qreal travel = std::max(1, width() - 10);
    const qreal f = std::clamp((x - 5) / travel, 0.0, 1.0);
    setValue(minimum() + qRound(f * (maximum() - minimum())));
}

void VolumerCell::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        setSliderDown(true);
        setValueFromX(event->position().x());
    }
}

void VolumerCell::mouseMoveEvent(QMouseEvent *event)
{
    if (isSliderDown())
        setValueFromX(event->position().x());
}
