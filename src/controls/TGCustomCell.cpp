#include "controls/TGCustomCell.h"

#include <QAbstractItemView>

void TGCustomCell::paint(QPainter *, const QStyleOptionViewItem &option, const QModelIndex &) const
{
    auto *table = qobject_cast<const QAbstractItemView *>(option.widget);
    if (!m_showView || !table)
        return;
    QWidget *host = table->viewport();
    if (m_showView->parentWidget() != host) {
        m_showView->setParent(host);
        m_showView->show();
    }
    if (m_showView->geometry() != option.rect)
        m_showView->setGeometry(option.rect);
}
