#pragma once

#include "extension/BriskletObserver.h"

#include <QObject>
#include <QPointer>

class BrowserExtensionManager;
class QLabel;
class QLineEdit;
#include <QMessageBox>
class QPushButton;
class QTimer;
class QWidget;

// The "Extensions" tab of the preferences: a row per browser with the installed version of
// our extension and Install, Uninstall and Update. The controller belongs to its view.
class BrowserExtensionPreferenceViewController : public QObject, public BriskletObserver
{
    Q_OBJECT

public:
    enum Browser { Safari = 0, Chrome = 1, Firefox = 2 };

    BrowserExtensionPreferenceViewController(const QString &safariName, const QString &chromeId, const QString &chromeGuideUrl,
                                             const QString &firefoxId, BrowserExtensionManager *manager = nullptr);
    ~BrowserExtensionPreferenceViewController() override;

    QWidget *view() const;

    void installedExtensionVersionDidChange2(const QString &safariVersion, const QString &chromeVersion,
                                             const QString &firefoxVersion) override;
    // A browser's name or id refreshes its row; an empty name all three.
    void updateExtensionInfo4(const QString &name);

    void installSafariExtension();
    void installChromeExtension();
    void installFirefoxExtension();
    void uninstallSafariExtension();
    void uninstallChromeExtension();
    void uninstallFirefoxExtension();

    // For tests and the host.
    QLineEdit *versionField(Browser b) const { return m_rows[b].version; }
    // The browser's picture at the row's start; grey when the browser is not on this system.
    QLabel *pictureLabel(Browser b) const { return m_rows[b].picture; }
    // What the row says in its version field while no version stands there.
    QString stateText(Browser b) const;
    QPushButton *installButton(Browser b) const { return m_rows[b].install; }
    QPushButton *uninstallButton(Browser b) const { return m_rows[b].uninstall; }
    QPushButton *updateButton(Browser b) const { return m_rows[b].update; }
    QMessageBox *alertBrowserRunning() const { return m_alertBrowserRunning; }
    bool isWaitingForChromeToQuit() const { return m_timer4CheckChromeExit != nullptr; }

private:
    struct Row
    {
        QLabel *picture = nullptr;
        QLabel *caption = nullptr;
        QLineEdit *version = nullptr;
        QPushButton *install = nullptr;
        QPushButton *uninstall = nullptr;
        QPushButton *update = nullptr;
    };
    void applyRowInvariant(Browser b);
    void refreshRow(Browser b);
    void showBrowserState(Browser b, bool browserInstalled);
    void installChromeAlertDidEnd(int returnCode);
    void chromeExUninstallCheck();
    void stopWaiting();

    BrowserExtensionManager *m_manager;
    QString m_safariName, m_chromeId, m_chromeGuideUrl, m_firefoxId;
    QPointer<QWidget> m_view;
    Row m_rows[3];
    QTimer *m_timer4CheckChromeExit = nullptr;
    QPointer<QMessageBox> m_alertBrowserRunning;
};
