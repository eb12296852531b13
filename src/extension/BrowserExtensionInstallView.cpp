#include "extension/BrowserExtensionInstallView.h"

#include <QPainter>

BrowserExtensionInstallView::BrowserExtensionInstallView(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
}

void BrowserExtensionInstallView::showIntroImage(bool show)
{
    m_showIntroImage = show;
    update();
}

void BrowserExtensionInstallView::setMenuPolicy(Qt::ContextMenuPolicy policy)
{
    setContextMenuPolicy(policy);
    for (QObject *child : children())
        if (auto *w = qobject_cast<QWidget *>(child))
            w->setContextMenuPolicy(policy);
}

void BrowserExtensionInstallView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_backgroundImage.isNull())
        p.drawTiledPixmap(rect(), QPixmap::fromImage(m_backgroundImage));
    if (m_showIntroImage && !m_introImage.isNull()) {
        const QPoint origin((width() - m_introImage.width()) / 2, (height() - m_introImage.height()) / 2);
        p.drawImage(origin, m_introImage);
    }
}
