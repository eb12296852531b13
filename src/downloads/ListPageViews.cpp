#include "downloads/ListPageViews.h"

#include "controls/MGHoverButton.h"
#include "controls/DownloadTableView.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "downloads/DownloadedRowHost.h"
#include "platform/NotificationCenter.h"
#include "shell/CommonFun.h"
#include "platform/MainBundle.h"
#include "shell/UIManager.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace ListPageViews {

QVBoxLayout *whitePageLayout(QWidget *root, const QString &objectName)
{
    root->setObjectName(objectName);
    root->setAutoFillBackground(true);
    QPalette pal = root->palette();
    pal.setColor(QPalette::Window, Qt::white);
    root->setPalette(pal);
    auto *layout = new QVBoxLayout(root);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

void setupRowTable(QTableView *table)
{
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setShowGrid(false);
    table->setFrameShape(QFrame::NoFrame);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->setMouseTracking(true);
}

QHBoxLayout *toolBar(QWidget *root, const QString &objectName, QWidget **bar)
{
    auto *w = new QWidget(root);
    w->setObjectName(objectName);
    w->setFixedHeight(56);
    w->setStyleSheet(QStringLiteral("#%1{background:#FFFFFF;border-bottom:1px solid #E1E5E8;}").arg(objectName));
    auto *layout = new QHBoxLayout(w);
    layout->setContentsMargins(16, 8, 16, 8);
    layout->setSpacing(8);
    if (bar)
        *bar = w;
    return layout;
}

MGHoverButton *toolButton(QWidget *bar, const QString &toolTip, const QString &slices, const QString &objectName)
{
    auto *b = new MGHoverButton(bar);
    b->setObjectName(objectName);
    UIManager::setupHoverButtonThemeInMain(b, slices);
    b->setDrawMode(0);
    b->setToolTip(toolTip);
    b->setFixedSize(32, 32);
    return b;
}

QWidget *guideBox(QWidget *root, const QString &objectName, const QString &title, const QList<QPair<QString, QString>> &steps)
{
    auto *box = new QWidget(root);
    box->setObjectName(objectName);
    box->setAutoFillBackground(true);
    auto *guide = new QVBoxLayout(box);
    guide->setContentsMargins(40, 30, 40, 30);
    auto *heading = new QLabel(title, box);
    heading->setObjectName(QStringLiteral("lblTitle"));
    heading->setAlignment(Qt::AlignCenter);
    heading->setStyleSheet(QStringLiteral("font-size:18px;color:#1F2933;"));
    guide->addStretch(1);
    guide->addWidget(heading);
    auto *row = new QHBoxLayout;
    for (const auto &[slice, text] : steps) {
        auto *column = new QVBoxLayout;
        auto *img = new QLabel(box);
        img->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInGuideMap(slice)));
        img->setAlignment(Qt::AlignCenter);
        auto *step = new QLabel(text, box);
        step->setAlignment(Qt::AlignCenter);
        step->setStyleSheet(QStringLiteral("color:#5F6B7A;font-size:13px;"));
        column->addWidget(img);
        column->addWidget(step);
        row->addLayout(column);
    }
    guide->addLayout(row);
    guide->addStretch(2);
    return box;
}

std::shared_ptr<DownloadedItemViewCtrl> rowOf(const DownloadNode::Ptr &node, DownloadedItemViewCtrlDelegate *page, quint32 displayType)
{
    if (!node || !node->downloadItem())
        return nullptr;
    if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
        return row;
    return DownloadedItemViewCtrl::create(node, page, displayType);
}

void addActions(QMenu *menu, const QList<MenuEntry> &entries)
{
    for (const MenuEntry &e : entries) {
        QAction *a = menu->addAction(e.title);
        a->setObjectName(e.objectName);
        QObject::connect(a, &QAction::triggered, menu, e.run);
    }
}

QString itemCountText(qsizetype count)
{
    if (count <= 0)
        return QString();
    return MainBundle::localizedString("%d items").replace(QStringLiteral("%d"), QString::number(count));
}

QAction *actionNamed(const QMenu *menu, const QString &objectName)
{
    if (!menu)
        return nullptr;
    for (QAction *a : menu->actions()) {
        if (a->objectName() == objectName)
            return a;
        if (QAction *inner = actionNamed(a->menu(), objectName))
            return inner;
    }
    return nullptr;
}

bool handleFileDrop(QEvent *event, const std::function<bool(const QString &path)> &accepts,
                    const std::function<void(const QStringList &paths)> &dropped)
{
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        const QMimeData *mime = drag->mimeData();
        bool ok = false;
        if (!QApplication::activeModalWidget() && mime && mime->hasUrls())
            for (const QUrl &u : mime->urls())
                ok = ok || (u.isLocalFile() && accepts(u.toLocalFile()));
        if (ok)
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    if (event->type() != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    QStringList kept;
    if (drop->mimeData())
        for (const QUrl &u : drop->mimeData()->urls())
            if (u.isLocalFile() && accepts(u.toLocalFile()))
                kept << QDir::cleanPath(u.toLocalFile());
    dropped(kept);
    drop->acceptProposedAction();
    return true;
}

QStringList importExtensions()
{
    QStringList types = CommonFun::convertAudioSupportTypes() + CommonFun::convertVideoSupportTypes();
    types.removeAll(QStringLiteral("m4p"));
    types.removeAll(QStringLiteral("m4b"));
    return types;
}

void detachRows(const QList<DownloadNode::Ptr> &nodes)
{
    for (const DownloadNode::Ptr &node : nodes)
        if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
            row->setDelegate(nullptr);
}

void reloadWithGuide(DownloadedRowHost *rows, QWidget *guide, QMenu *menu, bool empty)
{
    if (!rows)
        return;
    rows->reload();
    DownloadTableView *table = rows->tableView();
    if (empty) {
        guide->setGeometry(table->geometry());
        guide->show();
        guide->raise();
        table->setMenu(nullptr);
    } else {
        guide->hide();
        table->setMenu(menu);
    }
}

void applyThumbnail(const QList<DownloadNode::Ptr> &nodes, const QString &thumbnailPath, const QString &videoPath)
{
    for (const DownloadNode::Ptr &node : nodes) {
        const auto item = node->downloadItem();
        if (item && item->filePath() == videoPath) {
            item->setThumbnailPath(thumbnailPath);
            if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>())
                row->displayViewCtroller(item);
            return;
        }
    }
}

bool isOwnDeleteKey(const Notification &n, const DownloadedRowHost *rows, const QWidget *view)
{
    if (rows && n.objectPointer() == rows->tableView())
        return true;
    if (view && view->isVisible())
        QApplication::beep();
    return false;
}

bool filterListEvent(QObject *watched, QEvent *event, DownloadedRowHost *rows, QWidget *guide,
                     const std::function<bool(const QString &path)> &accepts,
                     const std::function<void(const QStringList &paths)> &dropped)
{
    if (!rows)
        return false;
    if (watched == rows->tableView()) {
        if (guide && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
            guide->setGeometry(rows->tableView()->geometry());
        return false;
    }
    if (watched != rows->tableView()->viewport() && watched != guide)
        return false;
    return handleFileDrop(event, accepts, dropped);
}

DownloadedRowHost *droppableRows(QWidget *root, QVBoxLayout *layout, const QList<DownloadNode::Ptr> &nodes,
                                 std::function<std::shared_ptr<DownloadedItemViewCtrl>(const DownloadNode::Ptr &)> rowFor,
                                 QObject *filter)
{
    auto *rows = new DownloadedRowHost(
        root, [&nodes]() -> const QList<DownloadNode::Ptr> & { return nodes; }, std::move(rowFor), filter);
    DownloadTableView *table = rows->tableView();
    table->setIsShowMenuWithEmptyTable(true);
    table->setAcceptDrops(true);
    table->viewport()->setAcceptDrops(true);
    table->viewport()->installEventFilter(filter);
    table->installEventFilter(filter); // the guide follows the list's size
    layout->addWidget(table, 1);
    return rows;
}

} // namespace ListPageViews
