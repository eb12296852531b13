#pragma once

#include <QWidget>

// Fills a white strip of splitValue points along the bottom edge; the rest stays unpainted.
class SplitBackgroundView : public QWidget
{
    Q_OBJECT
public:
    explicit SplitBackgroundView(QWidget *parent = nullptr);
    qreal splitValue() const { return m_splitValue; }
    void setSplitValue(qreal v) { m_splitValue = v; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    qreal m_splitValue = 75;
};
