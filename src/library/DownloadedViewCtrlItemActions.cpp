// The library page's item actions: context menu, rename, delete, missing files, addresses,
// reveal and the hand-offs to the Convert and Transfer pages.
#include "library/DownloadedViewCtrl.h"

#include "library/LibraryItemStatistics.h"

#include "controls/DownloadTableView.h"
#include "controls/MTArrowPopView.h"
#include "controls/SuggestionWindow.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "library/LibraryDelete.h"
#include "library/LibraryItemStatistics.h"
#include "library/LibraryMenuRules.h"
#include "library/LibraryRename.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/MGMessageBox.h"
#include "shell/WKDataColleciton.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

namespace {

QString loc(const char *english)
{
    return MainBundle::localizedString(english);
}

void count(const char *group, const char *key)
{
    QVHPHelper::share().commIncreaseDataCollect(QString::fromLatin1(group), QString::fromLatin1(key));
}

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

using Action = LibraryMenuRules::Action;

Action actionFor(const QString &name)
{
    static const QHash<QString, Action> actions = {
        {QStringLiteral("showInFinder:"), Action::ShowInFinder},
        {QStringLiteral("renameTitle:"), Action::Rename},
        {QStringLiteral("playVideo:"), Action::Play},
        {QStringLiteral("deleteItem:"), Action::Delete},
        {QStringLiteral("deleteAll:"), Action::DeleteAll},
        {QStringLiteral("collateFile:"), Action::CollateFile},
        {QStringLiteral("clickExpandMenuItem:"), Action::ExpandPlaylist},
        {QStringLiteral("clickCollapseMenuItem:"), Action::CollapsePlaylist},
        {QStringLiteral("copyURLAction:"), Action::CopyURL},
        {QStringLiteral("goToSourcePage:"), Action::GoToSourcePage},
        {QStringLiteral("converterItem:"), Action::AddToConvert},
        {QStringLiteral("transferItem:"), Action::AddToTransfer},
    };
    return actions.value(name, Action::Other);
}

} // namespace

QRect DownloadedViewCtrl::pageWindowFrame() const
{
    return m_view && m_view->window() ? m_view->window()->frameGeometry() : QRect();
}

// ---- Menu ------------------------------------------------------------------------------------

void DownloadedViewCtrl::setMenuLocalized()
{
    if (!m_tableMenu)
        return;
    static const struct
    {
        const char *name;
        const char *title;
    } titles[] = {{"showInFinder:", "Show in Folder"},         {"renameTitle:", "Rename"},
                  {"playVideo:", "Play"},                      {"deleteItem:", "Delete"},
                  {"deleteAll:", "Delete All"},                {"collateFile:", "Clear Invalid Files"},
                  {"clickExpandMenuItem:", "Expand Playlist"}, {"clickCollapseMenuItem:", "Collapse Playlist"},
                  {"copyURLAction:", "Copy URL"},              {"goToSourcePage:", "Go to Source Page"},
                  {"converterItem:", "Add to Convert List"},   {"transferItem:", "Add to Transfer List"}};
    for (const auto &t : titles)
        if (QAction *a = menuItem(QString::fromLatin1(t.name)))
            a->setText(loc(t.title));
    if (_menuSortBy)
        _menuSortBy->setText(loc("Sort by"));
    if (m_sortMenu) {
        m_sortMenu->setTitle(loc("Sort by"));
        for (QAction *a : m_sortMenu->actions())
            if (!a->data().toString().isEmpty())
                a->setText(loc(a->data().toString().toUtf8().constData()));
    }
}

bool DownloadedViewCtrl::validateMenuItem(QAction *item)
{
    if (!item)
        return false;
    const Action action = actionFor(item->objectName());
    if (action == Action::Play && selectedRows().size() > 1)
        item->setText(loc("Play"));
    LibraryMenuRules::Selection s{_displayNodeArr, selectedRows(), canShowMenuPlayBtn()};
    return LibraryMenuRules::isEnabled(action, s);
}

void DownloadedViewCtrl::menuWillOpen(QMenu *menu)
{
    if (menu) {
        if (_delegate && _delegate->answersTransferFileByItems())
            addTransferMenu();
        for (QAction *a : menu->actions())
            if (actionFor(a->objectName()) != Action::Other)
                a->setEnabled(validateMenuItem(a));
        if (m_sortMenu) {
            // Sort items carry their stored English code; the titles may be translated.
            const auto sortItems = m_sortMenu->actions();
            const bool anyOn = std::any_of(sortItems.begin(), sortItems.end(), [](QAction *a) { return a->isChecked(); });
            if (!anyOn) {
                const UserDefaults &d = UserDefaults::standard();
                const QString key = d.stringForKey(QStringLiteral("SortByKey"));
                const QString order = d.stringForKey(QStringLiteral("SortByOrder"));
                for (QAction *a : sortItems) {
                    const QString code = a->data().toString();
                    if (!code.isEmpty() && (code == key || code == order))
                        a->setChecked(true);
                }
            }
        }
    }
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
}

// ---- Missing files ---------------------------------------------------------------------------

bool DownloadedViewCtrl::checkSelectedFilesExist(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item)
        return false;
    if (fileExists(item->filePath()))
        return true;
    if (selectedRows().size() > 1)
        return false;
    const int answer = MGMessageBox::question(
        loc("The video could not be used because the original file could not be found. ") + QLatin1Char('\n')
            + loc("Would you like to locate it or remove it from the list?"),
        QString(), item->fileName(), loc("Locate"), loc("Remove"), loc("Cancel"), QImage(), pageWindowFrame());
    if (answer == MGMessageBox::OtherButton) {
        m_dataBase->deleteDownloadedItem(*item);
        removeNode(node);
        changeVideoInfomationPicture();
        refreshDownloadedTableView();
        changeMediaListForPlayer();
        tellCountChanged();
        return false;
    }
    if (answer == MGMessageBox::ThirdButton)
        return false;
    Workspace::revealInFileManager({QFileInfo(item->filePath()).path()});
    return false;
}

// ---- Rename ----------------------------------------------------------------------------------

bool DownloadedViewCtrl::isRightFileName(const QString &text)
{
    return LibraryRename::isRightFileName(text);
}

QString DownloadedViewCtrl::rightFileNameLength(const QString &text)
{
    return LibraryRename::rightFileNameLength(text);
}

void DownloadedViewCtrl::renameTitle(QObject *)
{
    count("Id_Rmenu", "Id_Rmenu_Rename");
    count("Id_DownloadedVideo", "Id_DownloadedVideo_Rename");
    const auto node = selectedNode();
    if (!node || !checkSelectedFilesExist(node))
        return;
    if (const auto row = rowForNode(node))
        row->beginTitleEditing();
}

void DownloadedViewCtrl::changeDidEnd(const DownloadNode::Ptr &node, const QString &title)
{
    const auto item = node ? node->downloadItem() : nullptr;
    const auto row = node ? rowForNode(node) : nullptr;
    auto restore = [&] {
        if (row) {
            row->displayViewCtroller(item);
            if (QLineEdit *field = row->getTitleTxtField())
                field->setReadOnly(true);
        }
        refreshDownloadedTableView();
    };
    if (!item || LibraryDelete::isBusy(*item)) {
        restore();
        return;
    }
    DataBaseManager &db = *m_dataBase;
    const auto result = LibraryRename::renameFile(item->filePath(), item->fileSuffix(), title,
                                                  [&db](const QString &path) { return db.isTheFileInDataBase(path); });
    switch (result.outcome) {
    case LibraryRename::Outcome::Renamed:
        item->setFilePath(result.newPath);
        m_dataBase->updateDownloadedItem(*item);
        break;
    case LibraryRename::Outcome::Blank:
    case LibraryRename::Outcome::Unchanged:
        break;
    default:
        MGMessageBox::warning(LibraryRename::warningText(result), LibraryRename::warningTitle(result), result.error,
                              loc("OK"), QImage(), pageWindowFrame());
        break;
    }
    restore();
}

// ---- Delete ----------------------------------------------------------------------------------

void DownloadedViewCtrl::deleteItem(QObject *sender)
{
    if (sender)
        count("Id_Rmenu", "Id_Rmenu_Delete");
    if (_displayNodeArr.isEmpty())
        return;
    QList<int> rows = selectedRows();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    QList<DownloadNode::Ptr> nodes;
    for (int row : rows)
        if (row >= 0 && row < _displayNodeArr.size())
            nodes.append(_displayNodeArr.at(row));
    deleteItemArray(nodes);
}

void DownloadedViewCtrl::deleteAll(QObject *)
{
    count("Id_Rmenu", "Id_Rmenu_DeleteAll");
    if (_displayNodeArr.isEmpty())
        return;
    // "Delete All" is refused while any item is busy.
    if (std::any_of(_displayNodeArr.begin(), _displayNodeArr.end(), [](const DownloadNode::Ptr &n) {
            return n->downloadItem() && LibraryDelete::isBusy(*n->downloadItem());
        })) {
        QApplication::beep();
        return;
    }
    deleteItemArray(QList<DownloadNode::Ptr>(_displayNodeArr));
}

void DownloadedViewCtrl::deleteItemWithKeyDown(const Notification &n)
{
    if (n.objectPointer() != static_cast<QObject *>(_tableView)) {
        QApplication::beep();
        return;
    }
    for (const auto &node : selectedNodes()) {
        if (node->downloadItem() && LibraryDelete::isBusy(*node->downloadItem())) {
            QApplication::beep();
            return;
        }
    }
    deleteItem(nullptr);
}

void DownloadedViewCtrl::downloadedItemWillDelete(const DownloadNode::Ptr &node)
{
    const int row = int(_displayNodeArr.indexOf(node));
    if (row >= 0)
        selectRows({row});
    deleteItemArray({node});
}

void DownloadedViewCtrl::deleteItemArray(const QList<DownloadNode::Ptr> &nodes)
{
    if (nodes.isEmpty())
        return;
    const int answer = DeleteModalWindowCtr::showDeleteItemsTip(pageWindowFrame());
    if (answer == DeleteModalWindowCtr::Cancel)
        return;
    const auto report = LibraryDelete::deleteRows(nodes, answer, *m_dataBase, _downloadedNodeArr);
    for (const auto &node : report.removed)
        removeNode(node);
    refreshDownloadedTableView();
    tellCountChanged();
    if (!report.keptFiles.isEmpty())
        MGMessageBox::warning(LibraryDelete::keptFilesText(report.keptFiles), loc("Move to Trash failed"), QString(),
                              loc("OK"), QImage(), pageWindowFrame());
}

bool DownloadedViewCtrl::deleteFileToTrash(const QString &path)
{
    return DownloadedItem::deleteFileToTrash(path);
}

QStringList DownloadedViewCtrl::deleteAllVideoSegment(const QStringList &segmentPaths)
{
    return LibraryDelete::deleteAllVideoSegment(segmentPaths);
}

bool DownloadedViewCtrl::isConverting() const
{
    return std::any_of(_downloadedNodeArr.begin(), _downloadedNodeArr.end(), [](const DownloadNode::Ptr &n) {
        return n->downloadItem() && LibraryDelete::isBusy(*n->downloadItem());
    });
}

QString DownloadedViewCtrl::modifyImportFileName(const QString &path)
{
    const QFileInfo info(path);
    QString name = info.completeBaseName();
    for (QChar c : QStringLiteral("*|:\\\"<>?/"))
        name.replace(c, QLatin1Char(' '));
    name = name.left(LibraryRename::MaxNameLength);
    const QString target = info.path() + QLatin1Char('/') + name + QLatin1Char('.') + info.suffix();
    if (target == path)
        return path;
    if (QFileInfo::exists(target) || !QFile::rename(path, target)) {
        ScribletLogError(QStringLiteral("cannot give %1 the name %2").arg(path, target));
        return path;
    }
    return target;
}

// ---- Clear invalid files ---------------------------------------------------------------------

void DownloadedViewCtrl::collateFile(QObject *)
{
    count("Id_Rmenu", "Id_Rmenu_CollateFiles");
    const int answer = MGMessageBox::question(
        loc("Collating will clear all unavailable tracks that the original files could not be found."), QString(),
        loc("Cancel"), loc("Collate"), QImage(), pageWindowFrame());
    if (answer != MGMessageBox::OtherButton)
        return;
    QList<DownloadNode::Ptr> gone;
    int lastPosition = -1;
    for (int i = 0; i < _downloadedNodeArr.size(); ++i) {
        const auto item = _downloadedNodeArr.at(i)->downloadItem();
        if (!item || fileExists(item->filePath()) || LibraryDelete::isBusy(*item))
            continue;
        m_dataBase->deleteDownloadedItem(*item);
        gone.append(_downloadedNodeArr.at(i));
        lastPosition = i;
    }
    if (gone.isEmpty())
        return;
    for (const auto &node : gone)
        removeNode(node);
    refreshDownloadedTableView();
    if (lastPosition >= numberOfRowsInTableView() && numberOfRowsInTableView() > 0)
        selectRows({numberOfRowsInTableView() - 1});
    changeMediaListForPlayer();
    tellCountChanged();
}

// ---- Single-item commands --------------------------------------------------------------------

void DownloadedViewCtrl::copyURLAction(QObject *)
{
    count("Id_Rmenu", "Id_Rmenu_CopyURL");
    const auto node = selectedNode();
    if (node && node->downloadItem())
        QGuiApplication::clipboard()->setText(node->downloadItem()->pageURL());
}

void DownloadedViewCtrl::goToSourcePage(QObject *)
{
    count("Id_Rmenu", "Id_Rmenu_GotoSourcePage");
    const auto node = selectedNode();
    if (!node || !node->downloadItem())
        return;
    const QString page = node->downloadItem()->pageURL();
    const auto url = LibraryMenuRules::sourcePageUrl(page);
    if (!url) {
        // Only web pages are opened: a stored file: or script address never reaches the desktop.
        ScribletLogError(QStringLiteral("-->>gotoSourcePage refused:%1").arg(page));
        return;
    }
    ScribletLogInfo(QStringLiteral("-->>gotoSourcePage:%1").arg(url->toString()));
    Workspace::openUrl(*url);
}

void DownloadedViewCtrl::showInFinder(QObject *)
{
    const auto node = selectedNode();
    if (!node)
        return;
    if (checkSelectedFilesExist(node))
        Workspace::revealInFileManager({node->downloadItem()->filePath()});
    count("Id_Rmenu", "Id_Rmenu_ShowinFinder");
    count("Id_DownloadedVideo", "Id_DownloadedVideo_FileLocated");
}

void DownloadedViewCtrl::locateFile(QObject *)
{
    const auto node = selectedNode();
    if (!node || !node->downloadItem())
        return;
    const QString path = node->downloadItem()->filePath();
    if (fileExists(path))
        Workspace::revealInFileManager({path});
    else
        MGMessageBox::warning(loc("The video could not be found."), QString(), QString(), loc("OK"), QImage(),
                              pageWindowFrame());
    count("Id_Rmenu", "Id_Rmenu_LocateConvertedFile");
}

// ---- Hand-offs -------------------------------------------------------------------------------

QList<std::shared_ptr<DownloadedItem>> DownloadedViewCtrl::handOffItems(const QList<DownloadNode::Ptr> &rows) const
{
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const auto &row : rows)
        for (const auto &member : membersOfRow(row)) {
            const auto item = member->downloadItem();
            if (item && item->taskStatus() != DownloadedItem::TaskWaiting && item->taskStatus() != DownloadedItem::TaskRunning
                && !items.contains(item))
                items.append(item);
        }
    return items;
}

void DownloadedViewCtrl::postHandOff(QLatin1String name, const QList<DownloadNode::Ptr> &rows, const QVariantMap &userInfo)
{
    const auto items = handOffItems(rows);
    if (name == NotificationNames::AddToConverterNotification)
        WKDataColleciton::share().collectConvertSourceFrom(QStringLiteral("Downloaded"));
    else
        WKDataColleciton::share().collectTransferSourceFrom(QStringLiteral("Downloaded"));
    // The receiving pages take an array; each entry holds the shared item.
    QVariantList list;
    for (const auto &item : items)
        list.append(QVariant::fromValue(item));
    NotificationCenter::defaultCenter().post(name, list, userInfo);
}

void DownloadedViewCtrl::converterItem(QObject *)
{
    postHandOff(NotificationNames::AddToConverterNotification, selectedNodes(), {});
}

void DownloadedViewCtrl::transferItem(QObject *)
{
    postHandOff(NotificationNames::AddToTransferNotification, selectedNodes(), {});
}

namespace {

QVariantMap animationInfo(const std::shared_ptr<DownloadedItemViewCtrl> &row)
{
    const QRect r = row ? row->getAminStartFrame() : QRect();
    return {{QStringLiteral("AminFrame"),
             QStringLiteral("{{%1, %2}, {%3, %4}}").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())}};
}

} // namespace

void DownloadedViewCtrl::downloadedItemAddToConverter(const DownloadNode::Ptr &node)
{
    postHandOff(NotificationNames::AddToConverterNotification, {node},
                animationInfo(node ? node->downloadingItemViewCtr<DownloadedItemViewCtrl>() : nullptr));
}

void DownloadedViewCtrl::downloadedItemAddToTransfer(const DownloadNode::Ptr &node)
{
    postHandOff(NotificationNames::AddToTransferNotification, {node},
                animationInfo(node ? node->downloadingItemViewCtr<DownloadedItemViewCtrl>() : nullptr));
}

void DownloadedViewCtrl::transferDownloadedFile(QObject *)
{
    if (!_delegate || !_delegate->answersTransferFileByItems())
        return;
    QList<std::shared_ptr<DownloadedItem>> items;
    for (const auto &node : selectedNodes())
        if (checkSelectedFilesExist(node))
            items.append(node->downloadItem());
    if (!items.isEmpty())
        _delegate->transferFileByItems(items, false);
}

void DownloadedViewCtrl::transferConvertedFile(QObject *)
{
    const auto node = selectedNode();
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item || item->status() != DownloadedItem::StatusConverted)
        return;
    if (!fileExists(item->covertedFilePath())) {
        MGMessageBox::warning(loc("The video could not be found."), QString(), QString(), loc("OK"), QImage(),
                              pageWindowFrame());
        return;
    }
    if (_delegate && _delegate->answersTransferFileByItems())
        _delegate->transferFileByItems({item}, true);
}

// ---- Device transfer menu and arrow pop-ups ---------------------------------------------------

namespace {
constexpr int TransferMenuTag = 5000;
}

void DownloadedViewCtrl::addTransferMenu()
{
    const auto node = selectedNode();
    if (!m_tableMenu || !node || !node->downloadItem())
        return;
    const QList<QAction *> actions = m_tableMenu->actions();
    if (!actions.isEmpty() && actions.first()->property("tag").toInt() == TransferMenuTag) {
        QAction *old = actions.first();
        m_tableMenu->removeAction(old);
        old->deleteLater();
    }
    const QString device = _delegate ? _delegate->deviceName() : QString();
    const QString title = device == QLatin1String("mobile")
                              ? loc("Transfer to mobile")
                              : loc("Transfer to %@").replace(QLatin1String("%@"), device);
    const auto item = node->downloadItem();
    QAction *first = actions.isEmpty() ? nullptr : m_tableMenu->actions().value(0);
    QAction *transfer = nullptr;
    if (selectedRows().size() == 1 && !item->filePath().isEmpty() && !item->covertedFilePath().isEmpty()
        && item->status() == DownloadedItem::StatusConverted) {
        auto *sub = new QMenu(title, m_tableMenu);
        QAction *downloaded = sub->addAction(loc("Transfer downloaded file"));
        downloaded->setObjectName(QStringLiteral("transferDownloadedFile:"));
        connect(downloaded, &QAction::triggered, this, [this, sub] { transferDownloadedFile(sub); });
        QAction *converted = sub->addAction(loc("Transfer converted file"));
        converted->setObjectName(QStringLiteral("transferConvertedFile:"));
        connect(converted, &QAction::triggered, this, [this, sub] { transferConvertedFile(sub); });
        transfer = sub->menuAction();
    } else {
        transfer = new QAction(title, m_tableMenu);
        transfer->setObjectName(QStringLiteral("transferDownloadedFile:"));
        connect(transfer, &QAction::triggered, this, [this, transfer] { transferDownloadedFile(transfer); });
    }
    transfer->setProperty("tag", TransferMenuTag);
    m_tableMenu->insertAction(first, transfer);
}

void DownloadedViewCtrl::showArrowPopUp(const DownloadNode::Ptr &node, int type)
{
    if (!node)
        return;
    if (m_popUpWindow)
        m_popUpWindow->endFakeMenu();
    const bool file = type == 1;
    auto *pop = new MTArrowPopView(QStringLiteral("findlist_t"), QStringLiteral("findlist_m"), QStringLiteral("findlist_b"),
                                   true);
    pop->addOneRowString(loc(file ? "Show downloaded file" : "Transfer downloaded file"));
    pop->addOneRowString(loc(file ? "Show converted file" : "Transfer converted file"));
    pop->setType(type);
    const QSize size(file ? 260 : 274, 80);
    pop->setFixedSize(size);
    auto *window = new SuggestionWindow(m_view ? m_view->window() : nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setFixedSize(size);
    pop->setParent(window);
    pop->move(0, 0);
    connect(pop, &MTArrowPopView::didClickAtRow, this, [this, window](MTArrowPopView *, int row, int clickedType) {
        window->endFakeMenu();
        popViewDidClickAtRow(row, clickedType);
    });
    m_popUpWindow = window;

    // Under the page's button, or under the row when the page has none.
    QWidget *anchor = file ? _showFileButton.data() : _btnTransferFile.data();
    QPoint origin;
    int half = 0;
    if (anchor) {
        origin = anchor->mapToGlobal(QPoint(0, anchor->height()));
        half = anchor->width() / 2;
    } else if (const auto row = rowForNode(node); row && row->isViewLoaded() && row->view()->isVisible()) {
        QWidget *v = row->view();
        origin = v->mapToGlobal(QPoint(v->width() - size.width(), v->height()));
    } else if (m_view) {
        origin = m_view->mapToGlobal(QPoint(0, 0));
    }
    const int shift = (file ? 130 : 137) - half;
    window->move(anchor ? origin.x() - shift : origin.x(), origin.y());
    window->beginFakeMenu();
}

void DownloadedViewCtrl::showFileMenuForItem(const DownloadNode::Ptr &node)
{
    showArrowPopUp(node, 1);
}

void DownloadedViewCtrl::showTransferMenuForItem(const DownloadNode::Ptr &node)
{
    showArrowPopUp(node, 0);
}

namespace {
// The row a row's button stands for, or -1.
int rowOfSender(const QWidget *sender, int rows)
{
    if (!sender)
        return -1;
    bool ok = false;
    const int row = sender->property("tag").toInt(&ok);
    return ok && row >= 0 && row < rows ? row : -1;
}
} // namespace

void DownloadedViewCtrl::clickShowFileButton(QWidget *sender)
{
    const int row = rowOfSender(sender, numberOfRowsInTableView());
    if (row < 0)
        return;
    sender->setFocus();
    selectRows({row});
    const QString tip = _showFileButton ? _showFileButton->toolTip() : QString();
    if (tip.size() < 2)
        showFileMenuForItem(_displayNodeArr.at(row));
    else
        showInFinder(sender);
}

void DownloadedViewCtrl::transferButtonDidClicked(QWidget *sender)
{
    const int row = rowOfSender(sender, numberOfRowsInTableView());
    if (row < 0)
        return;
    selectRows({row});
    const QString tip = _btnTransferFile ? _btnTransferFile->toolTip() : QString();
    if (tip.size() < 2)
        showTransferMenuForItem(_displayNodeArr.at(row));
    else
        transferDownloadedFile(sender);
}

void DownloadedViewCtrl::cancelDidEndDelete(QWidget *window)
{
    if (!window)
        return;
    if (auto *dialog = qobject_cast<QDialog *>(window))
        dialog->done(QDialog::Rejected);
    window->hide();
}

void DownloadedViewCtrl::halvornHelper(const DownloadedItem &item)
{
    // The tables are read once: they are resources of the program and never change.
    static const LibraryItemStatistics statistics;
    statistics.collect(item, QVHPHelper::share());
}
