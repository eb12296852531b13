#include "controls/CustomHighLightTableView.h"

CustomHighLightTableView::CustomHighLightTableView(QWidget *parent) : QTableView(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, highlightColor());
    pal.setColor(QPalette::HighlightedText, pal.color(QPalette::Text));
    setPalette(pal);
}
