#pragma once

#include <QWidget>

// A white speech bubble with a 30 x 15 pointer in the middle of its bottom edge. Scroll-wheel
// events are logged and go no further.
class ATBorderView : public QWidget
{
    Q_OBJECT
public:
    explicit ATBorderView(QWidget *parent = nullptr);
    // The bubble's outline in Qt coordinates for the given size.
    static QPainterPath bubblePath(const QSizeF &size);

protected:
    void paintEvent(QPaintEvent *) override;
    void wheelEvent(QWheelEvent *event) override;
};
