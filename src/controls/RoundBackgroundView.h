#pragma once

#include <QColor>
#include <QWidget>

// A rounded box with a fill and a border.
class RoundBackgroundView : public QWidget
{
    Q_OBJECT
public:
    explicit RoundBackgroundView(QWidget *parent = nullptr);

    qreal bordValue() const { return m_bordValue; }
    void setBordValue(qreal v) { m_bordValue = v; }
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal r) { m_cornerRadius = r; update(); }
    QColor bordColor() const { return m_bordColor; }
    void setBordColor(const QColor &c) { m_bordColor = c; update(); }
    QColor bgColor() const { return m_bgColor; }
    void setBgColor(const QColor &c) { m_bgColor = c; update(); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    qreal m_bordValue = 1;  // kept for layouts; the border is one point wide
    qreal m_cornerRadius = 4;
    QColor m_bordColor = Qt::black;
    QColor m_bgColor = Qt::white;
};
