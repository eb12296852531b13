#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;
class QWidget;

// The state and drawing of a slice-themed push button: one background slice per state, an
// optional icon slice per state, a title whose colour follows the state, an optional flat
// fill and a small red dot. The button (MGHoverButton) owns one and forwards to it.
class MGHoverButtonCell
{
public:
    virtual ~MGHoverButtonCell() = default;

    int drawMode = 0;  // SliceDrawMode
    QString imageName;
    QString normalSliceName, hoverSliceName, downSliceName, disableSliceName;
    std::optional<QColor> overTextColor, downTextColor, normalColor, disableColor;
    std::optional<QColor> bgColor;
    bool mouseOver = false;
    bool mouseDown = false;
    int buttonType = 0;  // 1: sticky
    bool lockButtonState = false;
    bool drawRedOval = false;
    std::optional<QRectF> textDrawRect;
    QString iconSliceName, hoverIconSliceName, downIconSliceName;
    unsigned iconTitleSpace = 0;

    void setNormalColor(const QColor &c) { normalColor = c; }
    void setIconTitleSpace(unsigned space) { iconTitleSpace = space; }

    // The background slice for the current state; as a side effect the title takes the
    // colour of that state.
    QString currentSliceNameWithSetTextColor(bool enabled);
    void changeTextColor(const std::optional<QColor> &color);
    QString currentIconSliceName(bool enabled) const;

    virtual void drawWithFrame(QPainter *p, const QRectF &frame, QWidget *view);
    void drawTitle(QPainter *p, const QRectF &frame, QWidget *view);

    // The title as drawn: text and its present colour (nothing: the view's text colour).
    QString title;
    std::optional<QColor> titleColor;
};
