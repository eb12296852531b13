#pragma once

#include <QColor>

class QAbstractButton;

// The colour of a button's title.
namespace NSButtonTextColor {

// The palette's button-text colour (the style's default when never set); invalid for null.
QColor textColor(const QAbstractButton *button);
void setTextColor(QAbstractButton *button, const QColor &color);

} // namespace NSButtonTextColor
