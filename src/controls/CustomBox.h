#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A box filled with one colour (green when none), rounded with edge-mask squaring and an
// optional one-point top line. The main window's body and information boxes use it.
class CustomBox : public QWidget
{
    Q_OBJECT
public:
    explicit CustomBox(QWidget *parent = nullptr);

    void setBackgroundColor(const std::optional<QColor> &c);
    void setTopLineColor(const std::optional<QColor> &c);
    unsigned boundsToMask() const { return m_boundsToMask; }
    void setBoundsToMask(unsigned mask) { m_boundsToMask = mask; }
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal r) { m_cornerRadius = r; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    std::optional<QColor> m_backgroundColor;
    std::optional<QColor> m_topLineColor;
    unsigned m_boundsToMask = 4;
    qreal m_cornerRadius = 0;
};
