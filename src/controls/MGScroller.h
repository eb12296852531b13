#pragma once

#include <QColor>
#include <QScrollBar>

#include <optional>

// A thin scroll bar (12 points) with a rounded knob, used in place of the platform's. With
// currentColor set the track is filled with it; knob tracking is Qt's own, with no event tricks.
class MGScroller : public QScrollBar
{
    Q_OBJECT
public:
    explicit MGScroller(Qt::Orientation orientation, QWidget *parent = nullptr);
    static int scrollerWidth() { return 12; }

    std::optional<QColor> currentColor() const { return m_currentColor; }
    void setCurrentColor(const std::optional<QColor> &c) { m_currentColor = c; update(); }
    // The knob's rectangle inside the scroll bar.
    QRectF knobRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    std::optional<QColor> m_currentColor;
    bool m_hover = false;
};
