#pragma once

#include "controls/ATPopupWindow.h"
#include "shell/MainWindowPage.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>

#include <memory>

class ConnectManagerViewCtrl;
class Dexmoor;
class IMobileDevice;
class MGHoverButton;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QVMobileDeviceItem;
class ThumbnailServerWraper;
class TransferDataItem;
class TransferDeviceListener;
class TransferManagerViewCtrl;
struct Notification;

// The Transfer page (tool-bar tag 3). It keeps one device current: the connection flow shows
// until that device is connected, then the transfer list does. While no device is there, a
// banner counts the files waiting for one and opens a pop-up list of them. Devices come and
// go on the device manager's thread; every view change happens on the main thread.
class TransferViewCtrl : public QObject, public MainWindowPage, public TransferPageInterface
{
    Q_OBJECT
public:
    using Item = std::shared_ptr<QVMobileDeviceItem>;

    // manager null: the shared device manager; thumbnails null: the shared service;
    // waitListPath empty: the product's "WaitTransfer.plist".
    explicit TransferViewCtrl(Dexmoor *manager = nullptr, ThumbnailServerWraper *thumbnails = nullptr,
                              const QString &waitListPath = {}, QObject *parent = nullptr);
    ~TransferViewCtrl() override;

    // MainWindowPage
    QWidget *view() override;
    void setStateInfoLable(QLabel *label) override;
    void startShowView() override;
    // Whether transfers run while the list is the page's content (whichever tab is selected).
    bool isHasTask() const override;
    // TransferPageInterface
    void addDownloadedItem(const QVariantList &items) override;

    // The buttons' actions.
    void importFile();
    void deleteItem();
    void transferAll();

    Item curDeviceItem() const;
    void setCurDeviceItem(const Item &item);

    void setConnectDeviceView();
    void goToConnectView(const Item &item);
    void goToDeviceTranferView();
    void silentConnectDevice(const Item &item);

    // Device manager (its thread).
    void mobileDeviceInserted(const std::shared_ptr<IMobileDevice> &device);
    void mobileDeviceRemoved(const std::shared_ptr<IMobileDevice> &device);

    // The waiting pop-up.
    void showWaitTransferView();
    void closeWaitTransferView();
    void deleteTask();
    void focusRow(int row);
    int focusRowIndex() const { return m_focusRowIndex; }
    ATPopupWindow *popupWindow() const { return m_popupWindow; }
    QTableView *popupTable() const { return m_tableView; }
    QPushButton *popupDeleteButton() const { return m_deleteButton; }

    // "%d file(s) are waiting to transfer to your device." and its one-file form.
    static QString waitingText(int count, const QString &language);
    // The title line for a device ("%@ is connected!" once online); empty without one.
    static QString deviceTitle(IMobileDevice *device);

    // For the tests and the gallery.
    TransferManagerViewCtrl *transferList() const { return m_transferManagerViewCtrl.get(); }
    ConnectManagerViewCtrl *connectionFlow() const { return m_connectManagerViewCtrl.get(); }
    QWidget *bodyContent() const;
    QLabel *titleLabel() const { return m_lblDeviceTitle; }
    QLabel *titleIcon() const { return m_imgvDeviceIcon; }
    QWidget *waitBanner() const { return m_waitTransferBox; }
    QLabel *waitBannerText() const { return m_waitTransferText; }
    MGHoverButton *waitBannerButton() const { return m_waitTransferBtn; }
    MGHoverButton *addButton() const { return m_addBtn; }
    MGHoverButton *deleteButton() const { return m_deleteItemBtn; }
    MGHoverButton *transferAllButton() const { return m_transferAllBtn; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadView();
    void placeInBody(QWidget *content);
    void showButtons(bool show);
    void setConnectDeviceTitle(IMobileDevice *device);
    void attachWaitTransferView(const Item &item);
    void updateVideoCountLabel();
    void reloadPopupTable();
    void placeDeleteButton();
    bool isOnScreen() const;
    void mobileDeviceConnectSuccessed(const Notification &n);
    void mobileDeviceDisConnected(const Notification &n);

    Dexmoor *m_manager = nullptr;
    std::shared_ptr<TransferDeviceListener> m_listener;
    std::unique_ptr<TransferManagerViewCtrl> m_transferManagerViewCtrl;
    std::shared_ptr<ConnectManagerViewCtrl> m_connectManagerViewCtrl;
    mutable QMutex m_itemLock;
    Item m_curDeviceItem;
    QList<std::shared_ptr<TransferDataItem>> m_waitingTransferItem;
    bool m_messageShown = false;

    QPointer<QWidget> m_view;
    QWidget *m_boxBody = nullptr;
    QLabel *m_imgvDeviceIcon = nullptr;
    QLabel *m_lblDeviceTitle = nullptr;
    MGHoverButton *m_addBtn = nullptr;
    MGHoverButton *m_deleteItemBtn = nullptr;
    MGHoverButton *m_transferAllBtn = nullptr;
    QWidget *m_waitTransferBox = nullptr;
    QLabel *m_waitTransferIcon = nullptr;
    QLabel *m_waitTransferText = nullptr;
    MGHoverButton *m_waitTransferBtn = nullptr;
    QPointer<ATPopupWindow> m_popupWindow;
    QWidget *m_arrowView = nullptr;
    QTableView *m_tableView = nullptr;
    QStandardItemModel *m_popupModel = nullptr;
    QPushButton *m_deleteButton = nullptr;
    int m_focusRowIndex = -1;
};
