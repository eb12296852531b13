#pragma once

#include "controls/MGHoverButtonCell.h"

#include <QFont>
#include <QSizeF>

// A tile button's cell: a background slice per state (from a second sheet when the first lacks
// it), the hover cell's state slice as a large centred icon, and a title of its own style.
class MGBackgroundButtonCell : public MGHoverButtonCell
{
public:
    QString bgNormalSliceName, bgHoverSliceName, bgDownSliceName, bgDisableSliceName;
    QString alterImageName;
    QSizeF iconSize;
    int iconPosition = 0;  // only centred exists

    QString currentBackgroundSliceName(bool enabled) const;
    QFont titleFont();
    void setTitleFont(const std::optional<QFont> &f) { m_titleFont = f; }
    QColor textColor();
    void setTextColor(const std::optional<QColor> &c) { m_textColor = c; }
    QColor currentTitleColor(bool enabled);
    // The sheet that holds the current background slice.
    QString backgroundSheet(const QString &slice) const;

    void drawWithFrame(QPainter *p, const QRectF &frame, QWidget *view) override;

private:
    std::optional<QFont> m_titleFont;
    std::optional<QColor> m_textColor;
};
