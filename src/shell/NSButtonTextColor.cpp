#include "shell/NSButtonTextColor.h"

#include <QAbstractButton>
#include <QPalette>

namespace NSButtonTextColor {

QColor textColor(const QAbstractButton *button)
{
    if (!button)
        return {};
    return button->palette().color(QPalette::ButtonText);
}

void setTextColor(QAbstractButton *button, const QColor &color)
{
    if (!button || !color.isValid())
        return;
    QPalette palette = button->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::ButtonText, color);
        palette.setColor(group, QPalette::WindowText, color);
    }
    button->setPalette(palette);
}

} // namespace NSButtonTextColor
