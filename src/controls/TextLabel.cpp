#include "controls/TextLabel.h"

TextLabel::TextLabel(QWidget *parent) : QLabel(parent)
{
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(false);
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(70, 70, 70));
    setPalette(pal);
}
