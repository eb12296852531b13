#pragma once

#include "controls/PopoverGeometry.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

// A frameless, translucent bubble that hosts one view and points an arrow at a spot: a point of
// a parent window (in that window's coordinates) or, without one, a point on the screen
// (global coordinates). It follows the parent window's moves and resizes. It never closes
// itself: owners hide it on didResignKey(), which also comes on Escape.
class MAAttachedWindow : public QWidget
{
    Q_OBJECT
public:
    // Nothing is made for a null view.
    static MAAttachedWindow *create(QWidget *view, const QPointF &point, QWidget *window = nullptr,
                                    int side = PopoverGeometry::AutomaticSide, qreal distance = 0);
    ~MAAttachedWindow() override;

    QColor windowBackgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &color);
    // A picture as the bubble's fill (tiled); a null picture changes nothing.
    void setBackgroundImage(const QImage &image);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);
    qreal borderWidth() const { return m_m.borderWidth; }
    void setBorderWidth(qreal width);
    qreal viewMargin() const { return m_m.viewMargin; }
    void setViewMargin(qreal margin);
    qreal cornerRadius() const { return m_m.cornerRadius; }
    void setCornerRadius(qreal radius);
    qreal arrowBaseWidth() const { return m_m.arrowBaseWidth; }
    void setArrowBaseWidth(qreal width);
    qreal arrowHeight() const { return m_m.arrowHeight; }
    void setArrowHeight(qreal height);
    // Flags carried as numbers: 0.0 or 1.0; a new value is truncated to a whole number.
    qreal hasArrow() const { return m_m.hasArrow ? 1.0 : 0.0; }
    void setHasArrow(qreal on);
    qreal drawsRoundCornerBesideArrow() const { return m_m.roundCornerBesideArrow ? 1.0 : 0.0; }
    void setDrawsRoundCornerBesideArrow(qreal on);

    QWidget *inWindow() const { return m_window; }
    void setInWindow(QWidget *window);
    QWidget *tipView() const { return m_view; }
    // Hosts another view; the previous one is hidden and handed back to no parent.
    void setTipView(QWidget *view);
    QPointF point() const { return m_point; }
    void setPoint(const QPointF &point) { m_point = point; }
    int side() const { return m_side; }
    qreal distance() const { return m_distance; }
    // Stores both and lays the bubble out again; side 12 is not resolved here.
    void setPoint(const QPointF &point, int side);

    void makeKeyAndOrderFront();
    void orderFront();
    void orderOut() { hide(); }

    const PopoverGeometry::AttachedMetrics &metrics() const { return m_m; }
    QRectF viewFrame() const { return m_viewFrame; }  // y-up, inside the window
    // The anchor on the screen (y-up) and the rectangles the automatic side looks at.
    QPointF anchorUp() const;
    QRectF screenRectUp() const;
    QRectF parentRectUp() const;

signals:
    void didResignKey();

protected:
    MAAttachedWindow(QWidget *view, const QPointF &point, QWidget *window, int side, qreal distance);
    void paintEvent(QPaintEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void relayout();
    void layoutGeometry();
    void watchWindow(QWidget *window);

    PopoverGeometry::AttachedMetrics m_m;
    QColor m_borderColor = Qt::white;
    QColor m_background = QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.75f);
    QImage m_backgroundImage;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_window;
    QPointF m_point;
    int m_side = PopoverGeometry::AutomaticSide;
    qreal m_distance = 0;
    QRectF m_viewFrame;
    bool m_resizing = false;
    bool m_wasActive = false;
};
