#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QRectF>
#include <QString>

class QPainter;

// How one column header draws: a flat white header with thin grey lines (no divider), or a
// gradient header with a white divider, its own title look and left margin, an optional centred
// picture and its own sort images ("tableHeader_down" ascending, "tableHeader_up" descending).
// A plain value: copies share nothing that can change behind them.
class QVTableViewHeaderCell
{
public:
    explicit QVTableViewHeaderCell(const QString &title = QString());

    QString title() const { return m_title; }
    void setTitle(const QString &t) { m_title = t; }
    int sortType() const { return m_sortType; }
    void setSortType(int t) { m_sortType = t; }
    QColor headTextColor() const { return m_headTextColor; }
    void setHeadTextColor(const QColor &c) { m_headTextColor = c; }
    QFont headTextFont() const { return m_headTextFont; }
    void setHeadTextFont(const QFont &f) { m_headTextFont = f; }
    Qt::Alignment headTextAlignment() const { return m_headTextAlignment; }
    void setHeadTextAlignment(Qt::Alignment a) { m_headTextAlignment = a; }
    unsigned headTextMarginLeft() const { return m_headTextMarginLeft; }
    void setHeadTextMarginLeft(unsigned m) { m_headTextMarginLeft = m; }
    // Stops at 0 (top) and 1 (bottom); the gradient runs top to bottom.
    QLinearGradient backgroundGradient() const { return m_backgroundGradient; }
    void setBackgroundGradient(const QLinearGradient &g) { m_backgroundGradient = g; }
    QImage headImage() const { return m_headImage; }
    void setHeadImage(const QImage &i) { m_headImage = i; }
    bool drawDivider() const { return m_drawDivider; }
    void setDrawDivider(bool on) { m_drawDivider = on; }
    bool drawTopLine() const { return m_drawTopLine; }
    void setDrawTopLine(bool on) { m_drawTopLine = on; }

    static QColor lineColor() { return QColor(221, 221, 221); }
    void draw(QPainter *p, const QRectF &frame, bool highlighted) const;
    void drawSortIndicator(QPainter *p, const QRectF &frame, bool ascending) const;
    // Where the sort picture goes: at the right, centred vertically.
    static QRectF sortIndicatorRect(const QRectF &frame, const QSizeF &image);

private:
    QString m_title;
    int m_sortType = 2;
    QColor m_headTextColor{169, 169, 169};
    QFont m_headTextFont;
    Qt::Alignment m_headTextAlignment = Qt::AlignLeft;
    unsigned m_headTextMarginLeft = 0;
    QLinearGradient m_backgroundGradient;
    QImage m_headImage;
    bool m_drawDivider = true;
    bool m_drawTopLine = true;
};
