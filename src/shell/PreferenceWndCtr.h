#pragma once

#include "shell/ShellDialog.h"

#include <QPointer>

#include <functional>

class AFSwitchControl;
class MGCheckButton;
class MGHoverButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class UserDefaults;

// The preferences window: download settings, folders, the browser-extension page and the
// warning and update settings. Values are read from the user defaults each time it opens and
// on Cancel, and written only on OK, which then posts "Noticication-Named-Preferences-Update".
class PreferenceWndCtr : public ShellDialog
{
    Q_OBJECT
public:
    enum Tab { DownloadTab = 1, LocationTab = 2, ExtensionsTab = 3, OthersTab = 4 };
    // Returns the folder the user chose, or empty when cancelled.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &start)>;

    explicit PreferenceWndCtr(UserDefaults &defaults, QWidget *parent = nullptr);

    // Loads every control from the user defaults.
    void setupDefaultWidget();
    // Each opening from the main window: the values reloaded, the Download tab when the main
    // window shows its Download page (tool-bar tag 0; else the tab last shown stays), centred
    // on the main window, run modally. Returns the dialog's result.
    int runModel(QWidget *mainWindow, int curButtonType);
    // nullptr selects the Download tab.
    void swithItemTabView(MGHoverButton *tabButton);
    void selectTab(int tab);
    int currentTab() const { return m_currentTab; }

    void clickBtnOk();
    void clickBtnCancel();
    // The Download tab's Reset (tag 0) or a Location tab reset (tags 2, 4, 6).
    void clickBtnReset(int tag = 0);
    // A Location tab change button: tag 1 downloaded, 3 recorded, 5 converted files.
    void clickBtnChange(int tag);
    void clickResetWarning();
    bool isResetWarning() const { return m_isResetWarning; }

    static QString defaultDownloadSavePath();
    static QString defaultRecordSavePath();
    static QString defaultConvertSavePath();
    static QStringList subtitleCodes();
    // The keys "Reset Warnings" turns back on (and "isHadWarningRevolution", turned back off).
    static QStringList warningKeys();
    static void setFolderChooserForTesting(FolderChooser chooser);

    // Controls, for the main window and tests.
    QComboBox *simultaneousNumber() const { return m_cbxSimultaneousNumber; }
    AFSwitchControl *youTubeAutoMode() const { return m_btnOnToOff; }
    QComboBox *downloadOption() const { return m_cbxDownloadOption; }
    QComboBox *qualityOption() const { return m_cbxQualityOption; }
    QComboBox *subtitlesOption() const { return m_cbxSubtitlesOption; }
    MGCheckButton *autoDownYouTubeCaptions() const { return m_chkAutoDownYouTubeCaptions; }
    MGCheckButton *showDownSuccPopup() const { return m_chkShowDownSuccPopup; }
    MGCheckButton *autoResumeUnfinishTask() const { return m_chkAutoResumeUnfinishTask; }
    QLineEdit *downloadSavePath() const { return m_edtDownloadSavePath; }
    QLineEdit *recordSavePath() const { return m_edtRecordSavePath; }
    QLineEdit *convertSavePath() const { return m_edtConvertSavePath; }
    QComboBox *updateTime() const { return m_pubUpdateTime; }
    // Shown in the pop-up's place when the build has nowhere to look for updates.
    QLabel *updateNote() const { return m_lblUpdateNote; }
    MGHoverButton *tabButton(int tab) const;
    MGHoverButton *resetButton() const { return m_btnReset; }
    bool hasExtensionView() const { return m_hasExtensionView; }

private:
    void buildDownloadTab(QWidget *page);
    void buildLocationTab(QWidget *page);
    void buildOthersTab(QWidget *page);
    void fillQualityList();
    void showPath(QLineEdit *field, const QString &key, const QString &fallback);
    void setupUpdatePopupButtonValue();

    UserDefaults &m_prefs;
    QStackedWidget *m_tabView = nullptr;
    MGHoverButton *m_tabButtons[4] = {};
    QComboBox *m_cbxSimultaneousNumber = nullptr;
    AFSwitchControl *m_btnOnToOff = nullptr;
    QComboBox *m_cbxDownloadOption = nullptr;
    QComboBox *m_cbxQualityOption = nullptr;
    QComboBox *m_cbxSubtitlesOption = nullptr;
    MGCheckButton *m_chkAutoDownYouTubeCaptions = nullptr;
    MGCheckButton *m_chkShowDownSuccPopup = nullptr;
    MGCheckButton *m_chkAutoResumeUnfinishTask = nullptr;
    MGHoverButton *m_btnReset = nullptr;
    MGHoverButton *m_btnCancel = nullptr;
    MGHoverButton *m_btnOK = nullptr;
    QLineEdit *m_edtDownloadSavePath = nullptr;
    QLineEdit *m_edtRecordSavePath = nullptr;
    QLineEdit *m_edtConvertSavePath = nullptr;
    QLabel *m_lblPathNote = nullptr;
    MGHoverButton *m_btnResetAllWarning = nullptr;
    QComboBox *m_pubUpdateTime = nullptr;
    QLabel *m_lblUpdateNote = nullptr;
    int m_currentTab = 0;
    bool m_isResetWarning = false;
    bool m_hasExtensionView = false;
    QVariant m_speedupMode;
};
