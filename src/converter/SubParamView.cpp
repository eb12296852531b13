#include "converter/SubParamView.h"

SubParamView::SubParamView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SubParamView"));
}

void SubParamView::setContentView(QWidget *view)
{
    if (m_content && m_content != view)
        m_content->setParent(nullptr);
    m_content = view;
    if (!view)
        return;
    view->setParent(this);
    // 25 in from the left and 20 up from the bottom edge; the right edge stays clear for the
    // return button.
    view->setGeometry(25, 0, qMax(0, width() - 25 - 60), qMax(0, height() - 20));
    view->show();
}
