#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A white (or bgColor) fill; with topBlack, that many points at the top stay unpainted.
class WhiteBackgroundView : public QWidget
{
    Q_OBJECT
public:
    explicit WhiteBackgroundView(QWidget *parent = nullptr);

    void setBgColor(const std::optional<QColor> &c);
    std::optional<QColor> bgColor() const { return m_bgColor; }
    void setTopBlack(std::optional<qreal> v) { m_topBlack = v; }
    std::optional<qreal> topBlack() const { return m_topBlack; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    std::optional<QColor> m_bgColor;
    std::optional<qreal> m_topBlack;
};
