#pragma once

#include "downloads/DownloadingViewCtr.h"
#include "downloads/LibraryHandoff.h"
#include "downloads/PasteClickGuard.h"
#include "shell/MainWindowPage.h"

#include <QObject>
#include <QPointer>

#include <memory>

class AFSwitchControl;
class MGHoverButton;
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

    void downloadMP3();
    // 2 video (options dialog allowed), 4 MP3.
    void downloadWithType(int type);
    void dragURLtoApp(const QVariant &object);
    void clickSpeedUp();
    // 0 the running downloads, 1 the library.
    void switchDispalyContent(int tab);
    int currentTab() const;
    void setDownConvertMode(bool on);
    QString downConvertLabelText() const;

    MGHoverButton *pasteButton() const { return m_psateUrlBtn; }
    MGHoverButton *turboButton() const { return m_turboTaskBtn; }
    AFSwitchControl *convertSwitch() const { return m_oneConverterSwitchControl; }

    // The speed-up window answer (tests put theirs here).
    void setTurboWindowAnswer(std::function<int()> answer) { m_turboAnswer = std::move(answer); }

private:
    void loadView();
    void reSetTurboBtn();
    MGHoverButton *makeToolButton(QWidget *parent, const QString &tip, const QStringList &slices);

    std::unique_ptr<LibraryHandoff> m_library;
    std::unique_ptr<DownloadingViewCtr> m_downloadingViewCtr;
    PasteClickGuard m_pasteGuard;
    QPointer<QLabel> m_stateInfoLable;
    std::function<int()> m_turboAnswer;
    QPointer<TurboAminWindowCtrl> m_turboWinCtrl;

    QPointer<QWidget> m_view;
    MGHoverButton *m_psateUrlBtn = nullptr;
    MGHoverButton *m_startAllTaskBtn = nullptr;
    MGHoverButton *m_pauseAllTaskBtn = nullptr;
    MGHoverButton *m_deleteTaskBtn = nullptr;
    MGHoverButton *m_turboTaskBtn = nullptr;
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
