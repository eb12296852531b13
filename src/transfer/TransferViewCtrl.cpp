#include "transfer/TransferViewCtrl.h"

#include "controls/ATPopupWindow.h"
#include "controls/DownloadTableView.h"
#include "controls/MGHoverButton.h"
#include "devices/DeviceInfo.h"
#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/IMobileDevice.h"
#include "downloads/ListPageViews.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/log/ScribletLogger.h"
#include "shell/CommonFun.h"
#include "shell/MGMessageBox.h"
#include "shell/UIManager.h"
#include "shell/WKDataColleciton.h"
#include "transfer/ConnectManagerViewCtrl.h"
#include "transfer/QVMobileDeviceDataSource.h"
#include "transfer/QVMobileDeviceItem.h"
#include "transfer/TransTaskCell.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferDeviceListener.h"
#include "transfer/TransferManagerViewCtrl.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

const QColor TitleGreen(32, 192, 91);

QVMobileDeviceDataSource &devices() { return QVMobileDeviceDataSource::share(); }

} // namespace

TransferViewCtrl::TransferViewCtrl(Dexmoor *manager, ThumbnailServerWraper *thumbnails, const QString &waitListPath,
                                   QObject *parent)
    : QObject(parent)
    , m_manager(manager ? manager : &Dexmoor::defaultManager())
    , m_transferManagerViewCtrl(std::make_unique<TransferManagerViewCtrl>(thumbnails, waitListPath))
{
    m_listener = std::make_shared<TransferDeviceListener>(
        [this](const std::shared_ptr<IMobileDevice> &d) { mobileDeviceInserted(d); },
        [this](const std::shared_ptr<IMobileDevice> &d) { mobileDeviceRemoved(d); });
    m_manager->addDeletegate(m_listener);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("MobileDeviceConnectSuccessed"),
                       [this](const Notification &n) { mobileDeviceConnectSuccessed(n); });
    center.addObserver(this, QStringLiteral("MobileDeviceDisConnected"),
                       [this](const Notification &n) { mobileDeviceDisConnected(n); });
}

TransferViewCtrl::~TransferViewCtrl()
{
    // No device call reaches this page from here on.
    m_listener->detach();
    m_manager->removeDelegate(m_listener.get());
    NotificationCenter::defaultCenter().removeObserver(this);
    closeWaitTransferView();
    delete m_popupWindow.data();
    delete m_arrowView;
    m_transferManagerViewCtrl.reset();
    m_connectManagerViewCtrl.reset();
    delete m_view.data();
}

TransferViewCtrl::Item TransferViewCtrl::curDeviceItem() const
{
    QMutexLocker lock(&m_itemLock);
    return m_curDeviceItem;
}

void TransferViewCtrl::setCurDeviceItem(const Item &item)
{
    QMutexLocker lock(&m_itemLock);
    m_curDeviceItem = item;
}

// ---------------------------------------------------------------------------------------------
// View

QWidget *TransferViewCtrl::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void TransferViewCtrl::loadView()
{
    auto *root = new QWidget;
    m_view = root;
    QVBoxLayout *layout = ListPageViews::whitePageLayout(root, QStringLiteral("TransferViewCtrl"));
    QWidget *bar = nullptr;
    QHBoxLayout *barLayout = ListPageViews::toolBar(root, QStringLiteral("TransferBar"), &bar);
    layout->addWidget(bar);
    m_addBtn = ListPageViews::toolButton(bar, tr1("Add"), QStringLiteral("mainform-484,mainform-485,mainform-486,mainform-487"),
                                         QStringLiteral("btnAdd"));
    m_deleteItemBtn = ListPageViews::toolButton(bar, tr1("Delete"),
                                                QStringLiteral("mainform-328,mainform-329,mainform-330,mainform-331"),
                                                QStringLiteral("btnDelete"));
    m_imgvDeviceIcon = new QLabel(bar);
    m_imgvDeviceIcon->setObjectName(QStringLiteral("imgvDeviceIcon"));
    m_lblDeviceTitle = new QLabel(bar);
    m_lblDeviceTitle->setObjectName(QStringLiteral("lblDeviceTitle"));
    m_transferAllBtn = new MGHoverButton(bar);
    m_transferAllBtn->setObjectName(QStringLiteral("btnTransferAll"));
    m_transferAllBtn->setButtonDisplayType(1);
    m_transferAllBtn->setTitle(tr1("Transfer All"));
    m_transferAllBtn->setIconSliceName(QStringLiteral("mainform-709"));
    m_transferAllBtn->setHoverIconSliceName(QStringLiteral("mainform-709707"));
    m_transferAllBtn->setDownIconSliceName(QStringLiteral("mainform-709708"));
    m_transferAllBtn->setMinimumSize(120, 32);
    barLayout->addWidget(m_addBtn);
    barLayout->addWidget(m_deleteItemBtn);
    barLayout->addStretch(1);
    barLayout->addWidget(m_imgvDeviceIcon);
    barLayout->addSpacing(5);
    barLayout->addWidget(m_lblDeviceTitle);
    barLayout->addStretch(1);
    barLayout->addWidget(m_transferAllBtn);
    connect(m_addBtn, &MGHoverButton::clicked, this, [this] { importFile(); });
    connect(m_deleteItemBtn, &MGHoverButton::clicked, this, [this] { deleteItem(); });
    connect(m_transferAllBtn, &MGHoverButton::clicked, this, [this] { transferAll(); });

    m_boxBody = new QWidget(root);
    m_boxBody->setObjectName(QStringLiteral("boxBody"));
    auto *body = new QVBoxLayout(m_boxBody);
    body->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_boxBody, 1);

    // The banner of files waiting for a device.
    m_waitTransferBox = new QWidget(root);
    m_waitTransferBox->setObjectName(QStringLiteral("waitTransferBox"));
    m_waitTransferBox->setFixedHeight(44);
    m_waitTransferBox->setStyleSheet(QStringLiteral("#waitTransferBox{background:#E7F7ED;border-top:1px solid #D2F0DD;}"));
    auto *banner = new QHBoxLayout(m_waitTransferBox);
    banner->setContentsMargins(16, 6, 16, 6);
    m_waitTransferIcon = new QLabel(m_waitTransferBox);
    m_waitTransferIcon->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-709"))));
    m_waitTransferText = new QLabel(m_waitTransferBox);
    m_waitTransferText->setObjectName(QStringLiteral("waitTransferText"));
    m_waitTransferBtn = new MGHoverButton(m_waitTransferBox);
    m_waitTransferBtn->setObjectName(QStringLiteral("waitTransferBtn"));
    m_waitTransferBtn->setButtonDisplayType(3);
    m_waitTransferBtn->setTitle(tr1("View"));
    m_waitTransferBtn->setMinimumSize(80, 28);
    banner->addWidget(m_waitTransferIcon);
    banner->addWidget(m_waitTransferText, 1);
    banner->addWidget(m_waitTransferBtn);
    layout->addWidget(m_waitTransferBox);
    m_waitTransferBox->hide();
    connect(m_waitTransferBtn, &MGHoverButton::clicked, this, [this] { showWaitTransferView(); });

    // The pop-up list of waiting files.
    m_arrowView = new QWidget;
    m_arrowView->setObjectName(QStringLiteral("waitTransferList"));
    m_arrowView->resize(360, 240);
    m_arrowView->setStyleSheet(QStringLiteral("#waitTransferList{background:#FFFFFF;border:1px solid #D5DAE0;border-radius:6px;}"));
    auto *popupLayout = new QVBoxLayout(m_arrowView);
    popupLayout->setContentsMargins(1, 6, 1, 6);
    m_tableView = new QTableView(m_arrowView);
    m_popupModel = new QStandardItemModel(0, 1, m_tableView);
    m_tableView->setModel(m_popupModel);
    m_tableView->setItemDelegate(new TransTaskCell(m_tableView));
    m_tableView->horizontalHeader()->hide();
    m_tableView->verticalHeader()->hide();
    m_tableView->horizontalHeader()->setStretchLastSection(true);
    m_tableView->verticalHeader()->setDefaultSectionSize(TransTaskCell::RowHeight);
    m_tableView->setShowGrid(false);
    m_tableView->setFrameShape(QFrame::NoFrame);
    m_tableView->setSelectionMode(QAbstractItemView::NoSelection);
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->setMouseTracking(true);
    m_tableView->viewport()->installEventFilter(this);
    popupLayout->addWidget(m_tableView);
    m_deleteButton = new QPushButton(m_tableView->viewport());
    m_deleteButton->setObjectName(QStringLiteral("deleteWaitItem"));
    m_deleteButton->setFixedSize(18, 18);
    m_deleteButton->setFlat(true);
    m_deleteButton->setIconSize(QSize(16, 16));
    // A momentary change: the pressed picture while the button is held down.
    auto showSlice = [button = m_deleteButton](const QString &slice) {
        button->setProperty("slice", slice);
        button->setIcon(QIcon(QPixmap::fromImage(UIManager::sliceNamedInMain(slice))));
    };
    showSlice(QStringLiteral("mainform-453"));
    connect(m_deleteButton, &QPushButton::pressed, this, [showSlice] { showSlice(QStringLiteral("mainform-454")); });
    connect(m_deleteButton, &QPushButton::released, this, [showSlice] { showSlice(QStringLiteral("mainform-453")); });
    m_deleteButton->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;}"));
    m_deleteButton->hide();
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { deleteTask(); });

    showButtons(false);
}

QWidget *TransferViewCtrl::bodyContent() const
{
    if (!m_boxBody)
        return nullptr;
    for (QWidget *w : m_boxBody->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (!w->isHidden())
            return w;
    return nullptr;
}

void TransferViewCtrl::placeInBody(QWidget *content)
{
    view();
    for (QWidget *w : m_boxBody->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (w != content)
            w->hide();
    if (content->parentWidget() != m_boxBody) {
        content->setParent(m_boxBody);
        m_boxBody->layout()->addWidget(content);
    }
    content->show();
}

void TransferViewCtrl::showButtons(bool show)
{
    for (MGHoverButton *b : {m_addBtn, m_deleteItemBtn, m_transferAllBtn})
        if (b)
            b->setVisible(show);
}

bool TransferViewCtrl::isOnScreen() const { return m_view && m_view->isVisible(); }

void TransferViewCtrl::setStateInfoLable(QLabel *label) { m_transferManagerViewCtrl->setStateInfoLable(label); }

void TransferViewCtrl::addDownloadedItem(const QVariantList &items)
{
    m_transferManagerViewCtrl->addTransferItem(items);
    // Files handed over while no device is there show in the banner at once.
    if (!curDeviceItem() || !curDeviceItem()->isOnline())
        attachWaitTransferView(curDeviceItem());
}

void TransferViewCtrl::importFile() { m_transferManagerViewCtrl->importFile(); }
void TransferViewCtrl::deleteItem() { m_transferManagerViewCtrl->deleteItem(); }

void TransferViewCtrl::transferAll()
{
    m_transferManagerViewCtrl->transferAll();
    WKDataColleciton::share().collectMainFeature(QStringLiteral("MainFeature_Transfer"));
}

bool TransferViewCtrl::isHasTask() const
{
    // The list is the page's content: its transfers count even while another tab is shown.
    return m_view && m_transferManagerViewCtrl->view()->parentWidget() == m_boxBody
           && !m_transferManagerViewCtrl->view()->isHidden() && m_transferManagerViewCtrl->hasTransferTask();
}

// ---------------------------------------------------------------------------------------------
// Page states

void TransferViewCtrl::startShowView()
{
    view();
    const Item item = curDeviceItem();
    if (item && item->isOnline()) {
        if (bodyContent() != m_transferManagerViewCtrl->view())
            goToDeviceTranferView();
        showButtons(true);
        m_transferManagerViewCtrl->setDeviceItem(item);
        if (DownloadTableView *table = m_transferManagerViewCtrl->tableView())
            table->setFocus();
        m_transferManagerViewCtrl->refreshTransferTableView();
        m_waitTransferBox->hide();
        return;
    }
    setConnectDeviceView();
    showButtons(false);
    m_transferManagerViewCtrl->cleanStateInfo();
}

void TransferViewCtrl::setConnectDeviceView()
{
    if (const Item item = curDeviceItem()) {
        if (!item->isOnline())
            goToConnectView(item);
        return;
    }
    const QList<Dexmoor::Device> present = m_manager->getConnectDevices();
    const Dexmoor::Device first = present.isEmpty() ? nullptr : present.first();
    if (!first || first->isiPod()) {
        goToConnectView(nullptr);
        return;
    }
    const Item item = devices().addDeviceItem(first);
    setCurDeviceItem(item);
    devices().setCurDeviceItem(item);
    QPointer<TransferViewCtrl> self(this);
    dispatch::async_main([self, item] {
        if (self)
            self->goToConnectView(item);
    });
}

void TransferViewCtrl::goToConnectView(const Item &item)
{
    view();
    if (!m_connectManagerViewCtrl)
        m_connectManagerViewCtrl = std::make_shared<ConnectManagerViewCtrl>();
    showButtons(false);
    placeInBody(m_connectManagerViewCtrl->view());
    setConnectDeviceTitle(item ? item->mobileDevice().get() : nullptr);
    m_connectManagerViewCtrl->startConnectDevice(item);
    m_transferManagerViewCtrl->onDeviceDisConnect();
    m_transferManagerViewCtrl->cleanStateInfo();
    attachWaitTransferView(item);
}

void TransferViewCtrl::goToDeviceTranferView()
{
    view();
    closeWaitTransferView();
    placeInBody(m_transferManagerViewCtrl->view());
    showButtons(true);
    m_waitTransferBox->hide();
    m_transferManagerViewCtrl->setDeviceItem(curDeviceItem());
    m_transferManagerViewCtrl->startShowTransferView();
}

void TransferViewCtrl::silentConnectDevice(const Item &item)
{
    if (!m_connectManagerViewCtrl)
        m_connectManagerViewCtrl = std::make_shared<ConnectManagerViewCtrl>();
    m_connectManagerViewCtrl->silentConnectDevice(item);
}

QString TransferViewCtrl::deviceTitle(IMobileDevice *device)
{
    if (!device)
        return {};
    QString name = device->deviceInfo() ? device->deviceInfo()->displayName() : QString();
    const quint32 platform = device->deviceInfo() ? device->deviceInfo()->OSPlatform() : 0;
    if (name.isEmpty())
        name = platform == DeviceTransferPlatform::Android ? tr1("Android device") : tr1("Mobile device");
    name = CommonFun::samsungToSamSung(name);
    return device->IsOnline() ? tr1("%@ is connected!").replace(QStringLiteral("%@"), name) : name;
}

void TransferViewCtrl::setConnectDeviceTitle(IMobileDevice *device)
{
    if (!device) {
        m_lblDeviceTitle->clear();
        m_imgvDeviceIcon->clear();
        return;
    }
    const QString title = deviceTitle(device);
    ScribletLogInfo(QStringLiteral("setDeviceListButtonTitle:%1").arg(title));
    QFont font = QApplication::font();
    font.setPointSize(14);
    m_lblDeviceTitle->setFont(font);
    QPalette palette = m_lblDeviceTitle->palette();
    palette.setColor(QPalette::WindowText, TitleGreen);
    m_lblDeviceTitle->setPalette(palette);
    m_lblDeviceTitle->setText(title);
    m_lblDeviceTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int fitting = QFontMetrics(font).boundingRect(QRect(0, 0, 300, 40), Qt::AlignLeft, title).width();
    m_lblDeviceTitle->setFixedWidth(std::clamp(fitting + 10, 100, 300));
    m_imgvDeviceIcon->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-504"))));
}

// ---------------------------------------------------------------------------------------------
// Devices

void TransferViewCtrl::mobileDeviceInserted(const std::shared_ptr<IMobileDevice> &device)
{
    if (!device)
        return;
    const CollectedDevice collected = QVMobileDeviceItem::collectedDevice(*device);
    WKDataColleciton::share().collectConnectInsertDevice(&collected);
    if (devices().count() > 0) {
        ScribletLogInfo(QStringLiteral("mobileDeviceInserted only support one device"));
        return;
    }
    const Item item = devices().addDeviceItem(device);
    // An iPod stays in the list and keeps later devices out until it goes; a connection under
    // way finishes by itself. A device the system reports connected already still goes
    // through the flow, which loads what the list needs of it.
    if (device->isiPod() || device->connectionStatus() == DeviceConnectionStatus::Connecting)
        return;
    setCurDeviceItem(item);
    devices().setCurDeviceItem(item);
    QPointer<TransferViewCtrl> self(this);
    dispatch::async_main([self, item] {
        if (self && self->isOnScreen() && self->curDeviceItem() == item)
            self->goToConnectView(item);
    });
}

void TransferViewCtrl::mobileDeviceRemoved(const std::shared_ptr<IMobileDevice> &device)
{
    const Item item = devices().findDevicesItem(device.get());
    if (!item)
        return;
    if (device->canCancelConnect())
        device->cancelConnect();
    devices().removeObject(item);
    const bool wasCurrent = curDeviceItem() == item;
    if (wasCurrent)
        setCurDeviceItem(nullptr);
    QPointer<TransferViewCtrl> self(this);
    dispatch::async_main([self, wasCurrent] {
        // Off screen too: the list must not go on counting rows of a device that left.
        if (self && wasCurrent && !self->curDeviceItem() && self->m_view)
            self->goToConnectView(nullptr);
    });
}

void TransferViewCtrl::mobileDeviceConnectSuccessed(const Notification &n)
{
    const Item item = n.object.value<Item>();
    if (!item || item != curDeviceItem())
        return;
    setConnectDeviceTitle(item->mobileDevice().get());
    goToDeviceTranferView();
}

void TransferViewCtrl::mobileDeviceDisConnected(const Notification &n)
{
    const auto device = n.object.value<std::shared_ptr<IMobileDevice>>();
    if (!device)
        return;
    const Item item = curDeviceItem();
    if (!isOnScreen()) {
        devices().removeDeviceItem(device.get());
        if (item && item->mobileDevice() == device)
            setCurDeviceItem(nullptr);
        return;
    }
    if (device->IsDeviceRemoved() || !item || item->mobileDevice() != device)
        return;
    QPointer<TransferViewCtrl> self(this);
    dispatch::async_main([self, device, item] {
        // One box at a time: none over another modal window.
        if (!self || QApplication::activeModalWidget() || self->m_messageShown || device->IsDeviceRemoved())
            return;
        self->m_messageShown = true;
        const QRect frame = self->m_view && self->m_view->window() ? self->m_view->window()->frameGeometry() : QRect();
        const int answer = MGMessageBox::messageWithNote(
            tr1("Your phone is disconnected. Please unlock your phone and re-connect it."), tr1("Warning"), QString(),
            tr1("OK"), QImage(), frame);
        if (!self)
            return;
        self->m_messageShown = false;
        if (answer == MGMessageBox::DefaultButton) {
            item->settingDeviceScreenOffUserDefaults();
            self->goToConnectView(item);
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Waiting files

QString TransferViewCtrl::waitingText(int count, const QString &language)
{
    if (count == 1 && language == QLatin1String("en"))
        return tr1("%d file is waiting to transferred to your device.").replace(QStringLiteral("%d"), QStringLiteral("1"));
    return tr1("%d file(s) are waiting to transfer to your device.").replace(QStringLiteral("%d"), QString::number(count));
}

void TransferViewCtrl::updateVideoCountLabel()
{
    if (m_waitingTransferItem.isEmpty()) {
        m_waitTransferBox->hide();
        return;
    }
    const QStringList languages = QLocale().uiLanguages();
    const QString language = languages.isEmpty() ? QString() : languages.first().section(QLatin1Char('-'), 0, 0);
    m_waitTransferText->setText(waitingText(int(m_waitingTransferItem.size()), language));
}

void TransferViewCtrl::attachWaitTransferView(const Item &item)
{
    view();
    m_waitingTransferItem = m_transferManagerViewCtrl->waitTransferItem();
    if (!m_waitingTransferItem.isEmpty() && !item) {
        reloadPopupTable();
        updateVideoCountLabel();
        m_waitTransferBox->show();
    } else {
        closeWaitTransferView();
        m_waitTransferBox->hide();
    }
}

void TransferViewCtrl::reloadPopupTable()
{
    m_popupModel->setRowCount(0);
    for (const auto &item : std::as_const(m_waitingTransferItem)) {
        auto *row = new QStandardItem;
        row->setData(QVariant::fromValue(std::static_pointer_cast<FileInfoItem>(item)), TransTaskCell::ObjectRole);
        row->setToolTip(item->filePath());
        m_popupModel->appendRow(row);
    }
}

void TransferViewCtrl::showWaitTransferView()
{
    closeWaitTransferView();
    m_popupWindow = new ATPopupWindow(m_view ? m_view->window() : nullptr);
    m_popupWindow->setObjectName(QStringLiteral("waitTransferPopup"));
    m_popupWindow->resize(m_arrowView->size());
    m_arrowView->setParent(m_popupWindow->contentView());
    auto *layout = new QVBoxLayout(m_popupWindow->contentView());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_arrowView);
    m_arrowView->show();
    // Centred over the banner's button, its bottom on the button's top edge.
    const QPoint top = m_waitTransferBtn->mapToGlobal(QPoint(m_waitTransferBtn->width() / 2, 0));
    m_popupWindow->move(top.x() - m_arrowView->width() / 2, top.y() - m_arrowView->height());
    m_popupWindow->installEventFilter(this);
    if (m_view && m_view->window())
        m_view->window()->installEventFilter(this);
    reloadPopupTable();
    m_popupWindow->popup();
    m_popupWindow->activateWindow();
}

void TransferViewCtrl::closeWaitTransferView()
{
    if (!m_popupWindow)
        return;
    ATPopupWindow *popup = m_popupWindow;
    m_popupWindow = nullptr;
    popup->removeEventFilter(this);
    if (m_view && m_view->window())
        m_view->window()->removeEventFilter(this);
    // The list goes back to the page until the next pop-up.
    m_arrowView->hide();
    m_arrowView->setParent(nullptr);
    m_deleteButton->hide();
    m_focusRowIndex = -1;
    popup->hide();
    popup->deleteLater();
}

void TransferViewCtrl::focusRow(int row)
{
    m_focusRowIndex = row;
    placeDeleteButton();
}

void TransferViewCtrl::placeDeleteButton()
{
    if (m_focusRowIndex < 0 || m_focusRowIndex >= m_popupModel->rowCount()) {
        m_deleteButton->hide();
        return;
    }
    const QRect cell = m_tableView->visualRect(m_popupModel->index(m_focusRowIndex, 0));
    m_deleteButton->move(cell.x() + cell.width() - 20, cell.y() + (cell.height() - 16) / 2);
    m_deleteButton->show();
    m_deleteButton->raise();
}

void TransferViewCtrl::deleteTask()
{
    if (m_focusRowIndex < 0 || m_focusRowIndex >= m_waitingTransferItem.size())
        return;
    const auto item = m_waitingTransferItem.takeAt(m_focusRowIndex);
    m_transferManagerViewCtrl->deleteWaitItem(item);
    reloadPopupTable();
    updateVideoCountLabel();
    if (m_focusRowIndex >= m_waitingTransferItem.size()) {
        if (m_waitingTransferItem.isEmpty()) {
            m_deleteButton->hide();
            m_focusRowIndex = -1;
            closeWaitTransferView();
            return;
        }
        m_focusRowIndex = int(m_waitingTransferItem.size()) - 1;
    }
    placeDeleteButton();
}

bool TransferViewCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (m_tableView && watched == m_tableView->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            const int row = m_tableView->rowAt(static_cast<QMouseEvent *>(event)->position().toPoint().y());
            if (row >= 0)
                focusRow(row);
        } else if (event->type() == QEvent::Leave) {
            m_deleteButton->hide();
        }
        return false;
    }
    const bool popup = m_popupWindow && watched == m_popupWindow;
    const bool pageWindow = m_view && watched == m_view->window();
    // The pop-up closes once it is no longer the active window, or when the page's window is
    // minimised.
    if ((popup && event->type() == QEvent::WindowDeactivate)
        || (pageWindow && event->type() == QEvent::WindowStateChange && m_view->window()->isMinimized()))
        closeWaitTransferView();
    return QObject::eventFilter(watched, event);
}
