#pragma once

#include <QSlider>

// A thin volume slider: a 3-point grey track, a green filled part and a round grey knob.
class VolumerCell : public QSlider
{
    Q_OBJECT
public:
    explicit VolumerCell(QWidget *parent = nullptr);
    QRectF knobRect() const;

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setValueFromX(qreal x);
};
