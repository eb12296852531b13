#pragma once

#include <QColor>
#include <QRectF>
#include <QVariant>

class QPainter;

// A twelve-spoke spinner that turns with its value (1/12 a step); the owner advances the value
// and redraws. None of the setters redraws.
class ProgressIndicatorCell
{
public:
    ProgressIndicatorCell() = default;

    QColor color() const { return m_color; }
    // An opaque colour only; a translucent one is refused with the warning "color must be opaque".
    void setColor(const QColor &color);
    double doubleValue() const { return m_doubleValue; }
    void setDoubleValue(double value);  // kept within 0 to 1
    double animationDelay() const { return m_animationDelay; }
    void setAnimationDelay(double d) { m_animationDelay = d; }
    bool isDisplayedWhenStopped() const { return m_displayedWhenStopped; }
    void setDisplayedWhenStopped(bool on) { m_displayedWhenStopped = on; }
    bool isSpinning() const { return m_spinning; }
    void setSpinning(bool on) { m_spinning = on; }
    // Spinning from a Boolean value; anything else stops it.
    void setObjectValue(const QVariant &value);

    void drawWithFrame(QPainter *p, const QRectF &frame, bool flipped) const;

private:
    double m_doubleValue = 0.0;
    double m_animationDelay = 1.0 / 12.0;
    bool m_displayedWhenStopped = true;
    bool m_spinning = false;
    QColor m_color = Qt::black;
    float m_red = 0, m_green = 0, m_blue = 0;
};
