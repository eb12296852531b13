#include "downloads/IntroduceViewCtrl.h"

#include "shell/UIManager.h"

#include <QGridLayout>
#include <QLabel>
#include <QWidget>

IntroduceViewCtrl::IntroduceViewCtrl(QObject *parent) : QObject(parent) {}

IntroduceViewCtrl::~IntroduceViewCtrl()
{
    // A view nobody adopted goes with its controller.
    if (m_view && !m_view->parent())
        delete m_view.data();
}

QWidget *IntroduceViewCtrl::view()
{
    if (m_view)
        return m_view;
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("IntroduceView"));
    auto *grid = new QGridLayout(view);
    grid->setContentsMargins(20, 20, 20, 20);
    grid->setHorizontalSpacing(40);
    grid->setVerticalSpacing(12);
    lblTitle = new QLabel(tr("Two ways to download videos"), view);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont font = lblTitle->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    lblTitle->setFont(font);
    lblTitle->setAlignment(Qt::AlignCenter);
    img1 = new QLabel(view);
    img1->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInGuideMap(QStringLiteral("downlaod1"))));
    img2 = new QLabel(view);
    img2->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInGuideMap(QStringLiteral("download2"))));
    lblText1 = new QLabel(tr("Click \"Download\" button on your browser"), view);
    lblText2 = new QLabel(tr("Copy URL then click \"Paste URL\" button"), view);
    for (QLabel *l : {img1, img2, lblText1, lblText2})
        l->setAlignment(Qt::AlignCenter);
    grid->addWidget(lblTitle, 0, 0, 1, 2);
    grid->addWidget(img1, 1, 0);
    grid->addWidget(img2, 1, 1);
    grid->addWidget(lblText1, 2, 0);
    grid->addWidget(lblText2, 2, 1);
    view->adjustSize();
    m_view = view;
    return view;
}
