#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A view filled with one colour, with optional rounded corners (some squared off by a mask of
// edge bits), an outline and a one-point bottom line. Title strips and panels use it.
class BackgroundView : public QWidget
{
    Q_OBJECT
public:
    explicit BackgroundView(QWidget *parent = nullptr);

    void setBackgroundColor(const std::optional<QColor> &color, bool display = true);
    void setBoundsLineColor(const std::optional<QColor> &color, bool display);
    void setBottomLineColor(const std::optional<QColor> &color, bool display);
    std::optional<QColor> backgroundColor() const { return m_backgroundColor; }
    std::optional<QColor> bottomLineColor() const { return m_bottomLineColor; }
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal r) { m_cornerRadius = r; }
    unsigned boundsToMask() const { return m_boundsToMask; }
    void setBoundsToMask(unsigned mask) { m_boundsToMask = mask; }
    qreal marginHeight() const { return m_marginHeight; }
    void setMarginHeight(qreal h) { m_marginHeight = h; }

protected:
    virtual bool isFlipped() const { return false; }
    void paintEvent(QPaintEvent *) override;

private:
    std::optional<QColor> m_backgroundColor;
    std::optional<QColor> m_boundsLineColor;
    std::optional<QColor> m_bottomLineColor;
    unsigned m_boundsToMask = 0;
    qreal m_cornerRadius = 0;
    qreal m_marginHeight = 0;
};

// Same drawing; the window never moves from a press in it.
class NoMoveBackgroundView : public BackgroundView
{
    Q_OBJECT
public:
    using BackgroundView::BackgroundView;
};

// Same drawing in top-down coordinates: mask bit 1 is then the top edge.
class FlipBackgroundView : public BackgroundView
{
    Q_OBJECT
public:
    using BackgroundView::BackgroundView;

protected:
    bool isFlipped() const override { return true; }
};

// Same drawing; every mouse event ends here.
class EventBlockBackgroundView : public BackgroundView
{
    Q_OBJECT
public:
    using BackgroundView::BackgroundView;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
};
