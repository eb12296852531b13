#pragma once

#include <QScrollBar>

// A scroll bar that remembers which part the held mouse button went down on, so the picture
// scroll bars can draw that part highlighted.
class PressedPartScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit PressedPartScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    // The part the held mouse button went down on (QStyle::SC_None when none).
    int hitPart() const { return m_hitPart; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_hitPart = 0;
};
