#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// The look of a rounded gradient push button (also the switch's cell).
class AFGradientCell
{
public:
    qreal cornerRadius = 0;

    void drawWithFrame(QPainter *p, const QRectF &frame, bool highlighted, bool enabled, const QString &title,
                       const QFont &font) const;
    void drawBezelWithFrame(QPainter *p, const QRectF &frame, bool highlighted) const;
    void drawInteriorWithFrame(QPainter *p, const QRectF &frame, const QString &title, const QFont &font) const;
    // The frame the title outline fills.
    static QRectF interiorTitleFrame(const QRectF &frame);
};
