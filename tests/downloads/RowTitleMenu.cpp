#include "RowTitleMenu.h"

#include "controls/DownloadTableView.h"
#include "downloads/DownloadedItemViewCtrl.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace RowTitleMenu {

QString rightClickTitle(DownloadTableView *table, const std::shared_ptr<DownloadedItemViewCtrl> &row)
{
    if (!row || !row->isViewLoaded())
        return QStringLiteral("the row has no view");
    QLineEdit *title = row->getTitleTxtField();
    if (!title || !title->isVisible())
        return QStringLiteral("the row's title is not shown");
    QWidget *window = title->window();
    if (!QTest::qWaitForWindowExposed(window))
        return QStringLiteral("the window was never shown");
    QSignalSpy shown(table, &DownloadTableView::contextMenuShown);
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier,
                      title->mapTo(window, QPoint(10, title->height() / 2)));
    QApplication::processEvents();
    QWidget *popup = QApplication::activePopupWidget();
    QString problem;
    if (popup && popup->objectName() == QLatin1String("qt_edit_menu"))
        problem = QStringLiteral("the title's own edit menu opened");
    else if (shown.count() != 1)
        problem = QStringLiteral("the list's menu opened %1 times").arg(shown.count());
    else if (popup != shown.first().first().value<QMenu *>())
        problem = QStringLiteral("the list's menu is not the open pop-up");
    if (popup)
        popup->close();
    QApplication::processEvents();
    return problem;
}

} // namespace RowTitleMenu
