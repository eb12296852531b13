#pragma once

#include "controls/ProgressIndicatorCell.h"

#include <QWidget>

// The twelve-spoke spinner as a view, drawn over its bounds.
class ProgressIndicatorView : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressIndicatorView(QWidget *parent = nullptr);

    ProgressIndicatorCell &cell() { return m_cell; }
    QColor color() const { return m_cell.color(); }
    void setColor(const QColor &c) { m_cell.setColor(c); }
    double doubleValue() const { return m_cell.doubleValue(); }
    void setDoubleValue(double v) { m_cell.setDoubleValue(v); }
    double animationDelay() const { return m_cell.animationDelay(); }
    void setAnimationDelay(double d) { m_cell.setAnimationDelay(d); }
    bool isDisplayedWhenStopped() const { return m_cell.isDisplayedWhenStopped(); }
    void setDisplayedWhenStopped(bool on) { m_cell.setDisplayedWhenStopped(on); }
    bool isSpinning() const { return m_cell.isSpinning(); }
    void setSpinning(bool on) { m_cell.setSpinning(on); }
    void setObjectValue(const QVariant &v) { m_cell.setObjectValue(v); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    ProgressIndicatorCell m_cell;
};
