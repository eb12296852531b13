#include "controls/MGBackgroundButton.h"

MGBackgroundButton::MGBackgroundButton(QWidget *parent)
    : MGHoverButton(std::make_unique<MGBackgroundButtonCell>(), parent)
{
    m_cell->drawMode = 2;
    backgroundCell()->iconSize = QSizeF(80, 100);
    backgroundCell()->iconPosition = 0;
}
