#pragma once

#include <QColor>
#include <QWidget>

// A veil over something that loads: it paints its colour and swallows every pointer event so
// nothing beneath reacts. Keys pass on.
class LoadingView : public QWidget
{
    Q_OBJECT
public:
    explicit LoadingView(QWidget *parent = nullptr);
    QColor veilColor() const { return m_color; }

protected:
    void setVeilColor(const QColor &c) { m_color = c; update(); }
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    QColor m_color = QColor(2, 2, 2, 128);
};

// The same veil in a colour of the owner's choice.
class NoEventWithBgLayerView : public LoadingView
{
    Q_OBJECT
public:
    explicit NoEventWithBgLayerView(QWidget *parent = nullptr);
    void setBgColor(const QColor &c) { setVeilColor(c); }
    QColor bgColor() const { return veilColor(); }
};
