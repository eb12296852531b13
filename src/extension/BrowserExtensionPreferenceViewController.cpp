#include "extension/BrowserExtensionPreferenceViewController.h"

#include "extension/BrowserExtensionManager.h"
#include "extension/BrowserPictures.h"
#include "extension/BrowserLaunchAlert.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int PictureSide = 32;

QString localized(const char *text)
{
    return QCoreApplication::translate("Brisklet", text);
}
} // namespace

BrowserExtensionPreferenceViewController::BrowserExtensionPreferenceViewController(const QString &safariName, const QString &chromeId,
                                                                                   const QString &chromeGuideUrl,
                                                                                   const QString &firefoxId,
                                                                                   BrowserExtensionManager *manager)
    : m_manager(manager ? manager : BrowserExtensionManager::defaultManager()), m_safariName(safariName), m_chromeId(chromeId),
      m_chromeGuideUrl(chromeGuideUrl), m_firefoxId(firefoxId)
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("BrowserExtensionPreferenceView"));
    m_view = view;
    setParent(view);
    auto *grid = new QGridLayout(view);
    grid->setContentsMargins(24, 24, 24, 24);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(14);
    const char *captions[] = {"Safari extension", "Chrome extension", "Firefox extension"};
    const char *names[] = {"Safari", "Chrome", "Firefox"};
    for (int b = 0; b < 3; ++b) {
        Row &r = m_rows[b];
        r.picture = new QLabel(view);
        r.picture->setObjectName(QStringLiteral("%1Picture").arg(QString::fromLatin1(names[b]).toLower()));
        r.picture->setFixedSize(PictureSide, PictureSide);
        r.caption = new QLabel(localized(captions[b]), view);
        // The version, or the row's state in grey while there is none: text, not an empty box.
        r.version = new QLineEdit(view);
        r.version->setReadOnly(true);
        r.version->setFrame(false);
        r.version->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; color: #1F2933; }"));
        r.version->setFixedWidth(230);
        r.version->setObjectName(QStringLiteral("%1ExtensionVersion").arg(QString::fromLatin1(names[b]).toLower()));
        r.install = new QPushButton(localized("Install"), view);
        r.uninstall = new QPushButton(localized("Uninstall"), view);
        r.update = new QPushButton(localized("Update"), view);
        r.install->setObjectName(QStringLiteral("install%1ExtensionButton").arg(QLatin1String(names[b])));
        r.uninstall->setObjectName(QStringLiteral("uninstall%1ExtensionButton").arg(QLatin1String(names[b])));
        r.update->setObjectName(QStringLiteral("update%1ExtensionButton").arg(QLatin1String(names[b])));
        grid->addWidget(r.picture, b, 0);
        grid->addWidget(r.caption, b, 1);
        grid->addWidget(r.version, b, 2);
        r.version->setFocusPolicy(Qt::NoFocus);
        // Install and Uninstall never show together: they share a place.
        grid->addWidget(r.install, b, 3);
        grid->addWidget(r.uninstall, b, 3);
        grid->addWidget(r.update, b, 4);
    }
    m_rows[Firefox].install->setToolTip(BrowserExtensionManager::firefoxUnsignedPackageNote());
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(3, 1);
    // Update installs the newer packaged copy over the old one, as Install does.
    connect(m_rows[Safari].install, &QPushButton::clicked, this, &BrowserExtensionPreferenceViewController::installSafariExtension);
    connect(m_rows[Safari].update, &QPushButton::clicked, this, &BrowserExtensionPreferenceViewController::installSafariExtension);
    connect(m_rows[Chrome].install, &QPushButton::clicked, this, &BrowserExtensionPreferenceViewController::installChromeExtension);
    connect(m_rows[Firefox].install, &QPushButton::clicked, this, &BrowserExtensionPreferenceViewController::installFirefoxExtension);
    connect(m_rows[Firefox].update, &QPushButton::clicked, this, &BrowserExtensionPreferenceViewController::installFirefoxExtension);
    connect(m_rows[Safari].uninstall, &QPushButton::clicked, this, &BrowserExtensionPreferenceViewController::uninstallSafariExtension);
    connect(m_rows[Chrome].uninstall, &QPushButton::clicked, this, &BrowserExtensionPreferenceViewController::uninstallChromeExtension);
    connect(m_rows[Firefox].uninstall, &QPushButton::clicked, this,
            &BrowserExtensionPreferenceViewController::uninstallFirefoxExtension);

    for (Browser b : {Safari, Firefox, Chrome})
        refreshRow(b);
    m_manager->addExtensionObserver(this, m_safariName, m_chromeId, m_firefoxId);
    BrowserLaunchAlert::watch(m_manager);
}

BrowserExtensionPreferenceViewController::~BrowserExtensionPreferenceViewController()
{
    m_manager->removeExtensionObserver(this);
}

QWidget *BrowserExtensionPreferenceViewController::view() const
{
    return m_view;
}

void BrowserExtensionPreferenceViewController::applyRowInvariant(Browser b)
{
    Row &r = m_rows[b];
    const bool hasVersion = !r.version->text().isEmpty();
    r.install->setVisible(!hasVersion);
    r.uninstall->setVisible(hasVersion);
}

void BrowserExtensionPreferenceViewController::refreshRow(Browser b)
{
    Row &r = m_rows[b];
    bool browserInstalled = false;
    switch (b) {
    case Safari:
        r.version->setText(m_manager->installedSafariExtensionVersionNamed(m_safariName));
        r.update->setVisible(m_manager->isSafariExtensionUpdateEnableNamed(m_safariName));
        browserInstalled = m_manager->isSafariInstalled();
        break;
    case Chrome:
        r.version->setText(m_manager->installedChromeExtensionVersionNamed(m_chromeId));
        r.update->setVisible(m_manager->isChromeExtensionUpdateEnableNamed(m_chromeId));
        browserInstalled = m_manager->isChromeInstalled();
        break;
    case Firefox:
        r.version->setText(m_manager->installedFirefoxExtensionVersionNamed(m_firefoxId));
        r.update->setVisible(m_manager->isFirefoxExtensionUpdateEnableNamed(m_firefoxId));
        browserInstalled = m_manager->isFirefoxInstalled();
        break;
    }
    r.install->setEnabled(browserInstalled);
    showBrowserState(b, browserInstalled);
    applyRowInvariant(b);
}

void BrowserExtensionPreferenceViewController::showBrowserState(Browser b, bool browserInstalled)
{
    Row &r = m_rows[b];
    const bool versionKnown = !r.version->text().isEmpty();
    r.picture->setPixmap(QPixmap::fromImage(
        BrowserPictures::picture(BrowserPictures::Browser(b), PictureSide, browserInstalled || versionKnown)));
    QString state;
    if (b == Safari)
        state = localized("Not available on Linux");
    else if (!browserInstalled)
        state = b == Chrome ? localized("Chromium or Chrome not found") : localized("Firefox not found");
    else
        state = localized("Not installed");
    r.version->setPlaceholderText(state);
    r.version->setToolTip(versionKnown ? localized("Installed version %1").arg(r.version->text()) : state);
}

QString BrowserExtensionPreferenceViewController::stateText(Browser b) const
{
    const QLineEdit *field = m_rows[b].version;
    return field->text().isEmpty() ? field->placeholderText() : field->text();
}

void BrowserExtensionPreferenceViewController::installedExtensionVersionDidChange2(const QString &safariVersion,
                                                                                   const QString &chromeVersion,
                                                                                   const QString &firefoxVersion)
{
    const QString versions[] = {safariVersion, chromeVersion, firefoxVersion};
    for (Browser b : {Safari, Chrome, Firefox}) {
        if (m_rows[b].version->text() == versions[b])
            continue;
        m_rows[b].version->setText(versions[b]);
        showBrowserState(b, m_rows[b].install->isEnabled());
        applyRowInvariant(b);
        m_rows[b].update->hide();
    }
}

void BrowserExtensionPreferenceViewController::updateExtensionInfo4(const QString &name)
{
    if (name.isEmpty()) {
        updateExtensionInfo4(m_safariName);
        updateExtensionInfo4(m_firefoxId);
        updateExtensionInfo4(m_chromeId);
        return;
    }
    if (name == m_safariName)
        refreshRow(Safari);
    else if (name == m_firefoxId)
        refreshRow(Firefox);
    else if (name == m_chromeId)
        refreshRow(Chrome);
}

void BrowserExtensionPreferenceViewController::installSafariExtension()
{
    m_manager->installSafariExtension(m_safariName);
}

void BrowserExtensionPreferenceViewController::installChromeExtension()
{
    m_manager->gotoChromeExtensionGuide(m_chromeGuideUrl);
}

void BrowserExtensionPreferenceViewController::installFirefoxExtension()
{
    m_manager->installFirefoxExtension(m_firefoxId);
}

void BrowserExtensionPreferenceViewController::uninstallSafariExtension()
{
    m_manager->unInstallSafariExtension(m_safariName);
    updateExtensionInfo4(m_safariName);
}

void BrowserExtensionPreferenceViewController::uninstallFirefoxExtension()
{
    m_manager->unInstallFirefoxExtension(m_firefoxId);
    updateExtensionInfo4(m_firefoxId);
}

void BrowserExtensionPreferenceViewController::uninstallChromeExtension()
{
    if (!m_manager->isChromeRunning()) {
        m_manager->unInstallChromeExtension(m_chromeId);
        return;
    }
    if (m_timer4CheckChromeExit)
        return;
    m_timer4CheckChromeExit = new QTimer(this);
    m_timer4CheckChromeExit->setInterval(500);
    connect(m_timer4CheckChromeExit, &QTimer::timeout, this, &BrowserExtensionPreferenceViewController::chromeExUninstallCheck);
    m_timer4CheckChromeExit->start();

    auto *alert = new QMessageBox(QMessageBox::Warning, localized("Chrome is running"), localized("Chrome is running"), QMessageBox::NoButton, m_view);
    alert->setObjectName(QStringLiteral("alertBrowserRunning"));
    alert->setInformativeText(
        localized("Click \"Quit\" to quit browser and uninstall the extension, or click \u201cCancel\u201d to stop the operation."));
    QPushButton *quit = alert->addButton(localized("Quit"), QMessageBox::AcceptRole);
    alert->addButton(localized("Cancel"), QMessageBox::RejectRole);
    alert->setDefaultButton(quit);
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    connect(alert, &QMessageBox::finished, this, [this, alert, quit] {
        installChromeAlertDidEnd(alert->clickedButton() == quit ? 1 : 0);
    });
    m_alertBrowserRunning = alert;
    alert->open();
}

void BrowserExtensionPreferenceViewController::installChromeAlertDidEnd(int returnCode)
{
    if (returnCode == 1)
        m_manager->terminateChrome();
    else
        stopWaiting();
    m_alertBrowserRunning = nullptr;
}

void BrowserExtensionPreferenceViewController::chromeExUninstallCheck()
{
    if (m_manager->isChromeRunning())
        return;
    stopWaiting();
    if (m_alertBrowserRunning)
        m_alertBrowserRunning->close();
    m_alertBrowserRunning = nullptr;
    // Already gone (removed by hand meanwhile): nothing left to do.
    if (!m_manager->installedChromeExtensionVersionNamed(m_chromeId).isEmpty())
        m_manager->unInstallChromeExtension(m_chromeId);
}

void BrowserExtensionPreferenceViewController::stopWaiting()
{
    if (m_timer4CheckChromeExit) {
        m_timer4CheckChromeExit->stop();
        m_timer4CheckChromeExit->deleteLater();
        m_timer4CheckChromeExit = nullptr;
    }
}
