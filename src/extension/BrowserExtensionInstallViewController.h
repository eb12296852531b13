#pragma once

#include "extension/BriskletObserver.h"

#include <QImage>
#include <QObject>
#include <QPointer>

class BrowserExtensionInstallView;
class BrowserExtensionManager;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;
namespace Brisklet {
class QVUrlLabel;
}

// The page shown in an empty download list: it invites the user to install the browser
// extension, or shows the host's introduction once nothing needs installing. Refreshed every
// second by the manager. The controller belongs to its view: deleting the view ends it.
class BrowserExtensionInstallViewController : public QObject, public BriskletObserver
{
    Q_OBJECT

public:
    BrowserExtensionInstallViewController(const QImage &logo, const QString &safariName, const QString &chromeId,
                                          const QString &chromeGuideUrl, const QString &firefoxId,
                                          BrowserExtensionManager *manager = nullptr);
    ~BrowserExtensionInstallViewController() override;

    Q_INVOKABLE QWidget *view() const;
    Q_INVOKABLE void setIntroduceView(QWidget *view);

    void installedExtensionVersionDidChange2(const QString &safariVersion, const QString &chromeVersion,
                                             const QString &firefoxVersion) override;

    // Actions.
    void install();
    void installSafariExtension();
    void installChromeExtension();
    void installFirefoxExtension();
    void clickDontNeedit();

    // For the host and tests: what the page shows.
    QWidget *installBoxView() const;
    QWidget *introduceView() const { return m_introduceView; }
    QPushButton *safariButton() const { return m_safariButton; }
    QPushButton *chromeButton() const { return m_chromeButton; }
    QPushButton *firefoxButton() const { return m_firefoxButton; }
    // Which Firefox builds take the unsigned package, and how; said before the user clicks.
    QLabel *firefoxNote() const { return m_firefoxNote; }
    QPushButton *installButton() const { return m_installButton; }
    Brisklet::QVUrlLabel *dontNeedLabel() const { return m_lblDontNeed; }

signals:
    void installFinished();

private:
    void awake();
    void applyLayoutRule(bool installed, bool updateDue);
    void centreIntroduceView();
    void installExtensionsInNewThread();
    void silentUpdate();
    void finishInstall(bool markInstalled);

    BrowserExtensionManager *m_manager;
    QString m_safariName, m_chromeId, m_chromeGuideUrl, m_firefoxId;
    QPointer<BrowserExtensionInstallView> m_view;
    QPointer<QWidget> m_introduceView;
    QLabel *m_imgLogoView = nullptr;
    QLabel *m_titleTextField = nullptr;
    QLabel *m_contentTextField = nullptr;
    QPushButton *m_installButton = nullptr;
    QProgressBar *m_progressIndicator = nullptr;
    QWidget *m_installBoxView = nullptr;
    QPushButton *m_safariButton = nullptr;
    QPushButton *m_chromeButton = nullptr;
    QPushButton *m_firefoxButton = nullptr;
    QLabel *m_firefoxNote = nullptr;
    Brisklet::QVUrlLabel *m_lblDontNeed = nullptr;
};
