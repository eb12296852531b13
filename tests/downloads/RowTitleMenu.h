#pragma once

#include <QString>

#include <memory>

class DownloadTableView;
class DownloadedItemViewCtrl;

namespace RowTitleMenu {

// Right-clicks the row's title through its window, as the window system delivers a right click
// (press, release and the context-menu event), and closes what opened. Empty when the table
// showed its list menu and nothing else; otherwise what went wrong.
QString rightClickTitle(DownloadTableView *table, const std::shared_ptr<DownloadedItemViewCtrl> &row);

} // namespace RowTitleMenu
