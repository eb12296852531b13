#include "controls/MGHandCurButton.h"

MGHandCurButton::MGHandCurButton(QWidget *parent) : QPushButton(parent)
{
    setCursor(Qt::PointingHandCursor);
}
