#pragma once

#include <QImage>
#include <QWidget>

// The knob of the seek slider: its picture stretched over it, or a dark green disc.
class SliderKnob : public QWidget
{
    Q_OBJECT
public:
    explicit SliderKnob(QWidget *parent = nullptr);
    void setImage(const QImage &image);
    QImage image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
