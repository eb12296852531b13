#pragma once

#include "controls/TargetAction.h"

#include <QImage>
#include <QWidget>

// An image that acts as a button: pressed inside the picture, released anywhere, it sends its
// click action to its target.
class TGImageCell : public QWidget
{
    Q_OBJECT
public:
    explicit TGImageCell(QWidget *parent = nullptr);
    QImage image() const { return m_image; }
    void setImage(const QImage &i) { m_image = i; update(); }
    void setTarget(QObject *target, const char *clickAction) { m_click = TargetAction(target, clickAction); }
    bool mouseDown() const { return m_mouseDown; }
    QRectF imageRect() const;

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QImage m_image;
    TargetAction m_click;
    bool m_mouseDown = false;
};
