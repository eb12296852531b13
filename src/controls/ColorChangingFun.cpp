#include "controls/ColorChangingFun.h"

#include <QApplication>
#include <QPalette>

namespace ColorChangingFun {

QList<QColor> controlAlternatingRowBackgroundColors() { return {QColor(243, 243, 243), QColor(255, 255, 255)}; }

void installApplicationWide()
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::AlternateBase, controlAlternatingRowBackgroundColors().at(0));
    QApplication::setPalette(palette);
}

} // namespace ColorChangingFun
