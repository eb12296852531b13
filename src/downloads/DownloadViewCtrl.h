#pragma once

#include "controls/EditMenu.h"
#include "downloads/FormatSheetHandoff.h"
#include "downloads/DownloadingViewCtr.h"
#include "downloads/LibraryHandoff.h"
#include "downloads/PasteClickGuard.h"
#include "shell/MainWindowPage.h"

#include <QObject>
#include <QPointer>

#include <memory>

class AFSwitchControl;
class DownloadFinishedNotice;
class MGHoverButton;
class MGPopupButton;
class MGSearchFieldCell;
class QLabel;
class QStackedWidget;
class TurboAminWindowCtrl;

// The Download page: the running downloads and the library under two tabs, the paste and drop
// roads that turn addresses into downloads, the speed-up and "Download then Convert" switches
// and the item count in the main window's status label.
class DownloadViewCtrl : public QObject,
                         public MainWindowPage,
                         public DownloadPageInterface,
                         public DownloadingViewCtrDelegate
{
    Q_OBJECT
public:
    // library null: finished downloads are stored in the library database.
    explicit DownloadViewCtrl(std::unique_ptr<LibraryHandoff> library = nullptr, const QString &databasePath = QString(),
                              QObject *parent = nullptr);
    ~DownloadViewCtrl() override;

    // MainWindowPage
    QWidget *view() override;
    void setStateInfoLable(QLabel *label) override;
    void startShowView() override;
    bool isHasTask() const override;

    // DownloadPageInterface
    QString formatMutiURL(const QString &text) override;
    void changeToDownloadingView() override;
    void pasteUrl() override;
    DownloadingListInterface *downloadingViewCtr() override { return m_downloadingViewCtr.get(); }
    DownloadingViewCtr *downloadingList() const { return m_downloadingViewCtr.get(); }
    LibraryHandoff *library() const { return m_library.get(); }

    // DownloadingViewCtrDelegate
    void reelgrabTaskDidFinished(QVReelgrabTask *task) override;
    void downloadItemCountDidChanged() override;

    // The library tab's buttons, handed to the library's selection.
    void deleteItem();
    void openItem();
    void converterItem();
    void transferItem();
    MGHoverButton *deleteItemButton() const { return m_deleteItemBtn; }
    MGHoverButton *openItemPathButton() const { return m_openItemPathBtn; }
    MGHoverButton *converterItemButton() const { return m_converterItemBtn; }
    MGHoverButton *transferItemButton() const { return m_transferItemBtn; }
    MGSearchFieldCell *searchField() const { return m_searchField; }

    Q_INVOKABLE void downloadMP3();
    // The arrow part of the paste button: a one-item menu "Download MP3" under the button.
    Q_INVOKABLE void clickPopupButton();
    EditMenu *pasteListMenu() const { return m_pasteListMenu; }
    // 2 video (options dialog allowed), 4 MP3.
    void downloadWithType(int type);
    void dragURLtoApp(const QVariant &object);
    void clickSpeedUp();
    // 0 the running downloads, 1 the library.
    void switchDispalyContent(int tab);
    int currentTab() const;
    // Stores the mode (and its mirror) and redraws the label; the switch follows the default.
    void setDownConvertMode(bool on);
    QString downConvertLabelText() const;
    // The "Download then Convert" switch: asking for the output format before it turns on,
    // the format sheet's answer, and the change itself.
    void switchWillChangeStatus();
    void paramWindowClose(int code, const QVariantMap &param);
    void switchChangedStatus(bool on);
    // The statistics value of a chosen format: "w" + title, first ",", "-", "(", ")" and every
    // blank made "_".
    static QString formatStatisticsValue(const QString &title);
    // The output-format sheet of the switch (made by the factory on first use), or null.
    FormatSheetHandoff *formatSheet() const { return m_sheetWidget ? m_directFromatCtl : nullptr; }

    MGPopupButton *pasteButton() const { return m_psateUrlBtn; }
    MGHoverButton *turboButton() const { return m_turboTaskBtn; }
    AFSwitchControl *convertSwitch() const { return m_oneConverterSwitchControl; }

    // The speed-up window answer (tests put theirs here).
    void setTurboWindowAnswer(std::function<int()> answer) { m_turboAnswer = std::move(answer); }

    // The file the last notice of a record waiting for room named; empty before any.
    QString pendingRecordTold() const { return m_pendingRecordTold; }

private:
    void loadView();
    // A damaged library file that was salvaged since the last look: told in the page once.
    void tellOfSalvagedLibrary();
    // A finished download whose library record waits for room on the disk (told once a run).
    void tellOfPendingRecord(const QString &filePath);
    void reSetTurboBtn();
    void updateDownConvertLabel();
    MGHoverButton *makeToolButton(QWidget *parent, const QString &tip, const QStringList &slices);

    std::unique_ptr<LibraryHandoff> m_library;
    std::unique_ptr<DownloadFinishedNotice> m_finishedNotice;
    QString m_pendingRecordTold;
    std::unique_ptr<DownloadingViewCtr> m_downloadingViewCtr;
    PasteClickGuard m_pasteGuard;
    QPointer<QLabel> m_stateInfoLable;
    std::function<int()> m_turboAnswer;
    QPointer<TurboAminWindowCtrl> m_turboWinCtrl;
    FormatSheetHandoff *m_directFromatCtl = nullptr;
    QPointer<QWidget> m_sheetWidget; // the sheet's widget: tells whether the sheet still lives
    QPointer<EditMenu> m_pasteListMenu;

    QPointer<QWidget> m_view;
    MGPopupButton *m_psateUrlBtn = nullptr;
    MGHoverButton *m_startAllTaskBtn = nullptr;
    MGHoverButton *m_pauseAllTaskBtn = nullptr;
    MGHoverButton *m_deleteTaskBtn = nullptr;
    MGHoverButton *m_turboTaskBtn = nullptr;
    MGSearchFieldCell *m_searchField = nullptr;
    MGHoverButton *m_deleteItemBtn = nullptr;
    MGHoverButton *m_openItemPathBtn = nullptr;
    MGHoverButton *m_converterItemBtn = nullptr;
    MGHoverButton *m_transferItemBtn = nullptr;
    MGHoverButton *m_downloadingBtn = nullptr;
    MGHoverButton *m_downloadedBtn = nullptr;
    QWidget *m_downloadingHeadBox = nullptr;
    QWidget *m_downloadedHeadBox = nullptr;
    QStackedWidget *m_bodyBox = nullptr;
    QWidget *m_libraryPlaceholder = nullptr;
    QLabel *m_libraryCountLabel = nullptr;
    AFSwitchControl *m_oneConverterSwitchControl = nullptr;
    QLabel *m_lblConverted = nullptr;
};
