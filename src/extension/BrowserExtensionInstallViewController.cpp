#include "extension/BrowserExtensionInstallViewController.h"

#include "extension/BrowserExtensionInstallView.h"
#include "extension/BrowserExtensionManager.h"
#include "extension/BrowserPictures.h"
#include "extension/BrowserLaunchAlert.h"
#include "extension/QVUrlLabel.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int PictureSide = 40;
const char *const DontNeedKey = "DontNeedExtensionGuideKey";
const char *const InstalledKey = "ExternsionsInstalled";

QString localized(const char *text)
{
    return QCoreApplication::translate("Brisklet", text);
}

QPushButton *browserButton(QWidget *parent, const QString &name, const QString &objectName)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(objectName);
    b->setProperty("browser", name);
    b->setMinimumSize(120, 34);
    return b;
}
} // namespace

BrowserExtensionInstallViewController::BrowserExtensionInstallViewController(const QImage &logo, const QString &safariName,
                                                                             const QString &chromeId, const QString &chromeGuideUrl,
                                                                             const QString &firefoxId, BrowserExtensionManager *manager)
    : m_manager(manager ? manager : BrowserExtensionManager::defaultManager()), m_safariName(safariName), m_chromeId(chromeId),
      m_chromeGuideUrl(chromeGuideUrl), m_firefoxId(firefoxId)
{
    auto *view = new BrowserExtensionInstallView;
    view->setObjectName(QStringLiteral("BrowserExtensionInstallView"));
    view->setMinimumSize(560, 340);
    m_view = view;
    // The view owns the page: the host keeps (and deletes) the view it shows.
    setParent(view);

    m_imgLogoView = new QLabel(view);
    m_imgLogoView->setPixmap(QPixmap::fromImage(logo));
    m_imgLogoView->hide();
    m_installButton = new QPushButton(view);
    m_installButton->setObjectName(QStringLiteral("installButton"));
    m_installButton->hide();
    connect(m_installButton, &QPushButton::clicked, this, &BrowserExtensionInstallViewController::install);
    m_progressIndicator = new QProgressBar(view);
    m_progressIndicator->setRange(0, 0);
    m_progressIndicator->hide();

    m_installBoxView = new QWidget(view);
    m_installBoxView->setObjectName(QStringLiteral("installBoxView"));
    m_installBoxView->setAttribute(Qt::WA_StyledBackground);
    m_installBoxView->setStyleSheet(QStringLiteral(
        "#installBoxView { background: #FFFFFF; border: 1px solid #D5DAE0; border-radius: 10px; }"));
    auto *box = new QVBoxLayout(m_installBoxView);
    box->setContentsMargins(40, 30, 40, 24);
    box->setSpacing(14);
    m_titleTextField = new QLabel(m_installBoxView);
    m_titleTextField->setObjectName(QStringLiteral("titleTextField"));
    QFont titleFont = m_titleTextField->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    m_titleTextField->setFont(titleFont);
    m_titleTextField->setAlignment(Qt::AlignCenter);
    m_contentTextField = new QLabel(m_installBoxView);
    m_contentTextField->setObjectName(QStringLiteral("contentTextField"));
    m_contentTextField->setWordWrap(true);
    m_contentTextField->setAlignment(Qt::AlignCenter);
    box->addWidget(m_titleTextField);
    box->addWidget(m_contentTextField);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(18);
    buttons->addStretch();
    auto addBrowser = [&](const QString &caption, QPushButton *button) {
        auto *column = new QVBoxLayout;
        // The browser's picture above its name, grey while the browser is not here.
        auto *picture = new QLabel(m_installBoxView);
        picture->setObjectName(button->objectName() + QStringLiteral("Picture"));
        picture->setAlignment(Qt::AlignCenter);
        button->setProperty("picture", QVariant::fromValue<QObject *>(picture));
        column->addWidget(picture);
        auto *label = new QLabel(caption, m_installBoxView);
        label->setAlignment(Qt::AlignCenter | Qt::AlignBottom);
        column->addWidget(label);
        column->addWidget(button);
        buttons->addLayout(column);
    };
    m_safariButton = browserButton(m_installBoxView, QStringLiteral("Safari"), QStringLiteral("installSafariExtensionButton"));
    m_safariButton->setToolTip(localized("Safari is not available on this system."));
    m_chromeButton = browserButton(m_installBoxView, QStringLiteral("Chrome"), QStringLiteral("installChromeExtensionButton"));
    m_chromeButton->setToolTip(localized("Chromium and Google Chrome: opens the guide to load the extension."));
    m_firefoxButton = browserButton(m_installBoxView, QStringLiteral("Firefox"), QStringLiteral("installFirefoxExtensionButton"));
    addBrowser(localized("Chrome"), m_chromeButton);
    addBrowser(localized("Firefox"), m_firefoxButton);
    addBrowser(localized("Safari\n(not available on Linux)"), m_safariButton);
    buttons->addStretch();
    box->addLayout(buttons);
    // The package is not signed: release builds of Firefox refuse it with a message that names
    // no way out, so the way is told here first.
    m_firefoxNote = new QLabel(BrowserExtensionManager::firefoxUnsignedPackageNote(), m_installBoxView);
    m_firefoxNote->setObjectName(QStringLiteral("firefoxNote"));
    m_firefoxNote->setWordWrap(true);
    m_firefoxNote->setAlignment(Qt::AlignCenter);
    m_firefoxNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_firefoxNote->setStyleSheet(QStringLiteral("color: #5F6B7A;"));
    m_firefoxButton->setToolTip(m_firefoxNote->text());
    box->addWidget(m_firefoxNote);
    m_lblDontNeed = new Brisklet::QVUrlLabel(m_installBoxView);
    m_lblDontNeed->setObjectName(QStringLiteral("lblDontNeed"));
    box->addWidget(m_lblDontNeed, 0, Qt::AlignRight);
    connect(m_safariButton, &QPushButton::clicked, this, &BrowserExtensionInstallViewController::installSafariExtension);
    connect(m_chromeButton, &QPushButton::clicked, this, &BrowserExtensionInstallViewController::installChromeExtension);
    connect(m_firefoxButton, &QPushButton::clicked, this, &BrowserExtensionInstallViewController::installFirefoxExtension);

    auto *outer = new QGridLayout(view);
    outer->addWidget(m_installBoxView, 0, 0, Qt::AlignCenter);

    awake();
    m_manager->addExtensionObserver(this, m_safariName, m_chromeId, m_firefoxId);
    BrowserLaunchAlert::watch(m_manager);
}

BrowserExtensionInstallViewController::~BrowserExtensionInstallViewController()
{
    m_manager->removeExtensionObserver(this);
}

QWidget *BrowserExtensionInstallViewController::view() const
{
    return m_view;
}

QWidget *BrowserExtensionInstallViewController::installBoxView() const
{
    return m_installBoxView;
}

void BrowserExtensionInstallViewController::awake()
{
    const bool installed = m_manager->extensionInstalled(m_safariName, m_firefoxId, m_chromeId);
    const bool updateDue = m_manager->extensionsUpdateEnabled(m_safariName, m_firefoxId, m_chromeId);
    installedExtensionVersionDidChange2(m_manager->installedSafariExtensionVersionNamed(m_safariName),
                                        m_manager->installedChromeExtensionVersionNamed(m_chromeId),
                                        m_manager->installedFirefoxExtensionVersionNamed(m_firefoxId));
    m_lblDontNeed->setClickAction([this] { clickDontNeedit(); });
    applyLayoutRule(installed, updateDue);
}

void BrowserExtensionInstallViewController::installedExtensionVersionDidChange2(const QString &safariVersion,
                                                                                const QString &chromeVersion,
                                                                                const QString &firefoxVersion)
{
    const bool installed = QSettings().value(QLatin1String(InstalledKey)).toBool() || !safariVersion.isEmpty()
                           || !chromeVersion.isEmpty() || !firefoxVersion.isEmpty();
    const bool updateDue = m_manager->extensionsUpdateEnabled(m_safariName, m_firefoxId, m_chromeId);
    m_installButton->hide();
    m_progressIndicator->hide();
    m_imgLogoView->hide();
    m_titleTextField->setText(localized("Install \"Vuzuzoze Dizuri\" on your Browser"));
    m_contentTextField->setText(
        localized("The installed Vuzuzoze Dizuri will appear above on the video and you can click it to download directly."));
    m_lblDontNeed->setStringValue(localized("I don't need it!"));
    applyLayoutRule(installed, updateDue);
    if (m_introduceView && m_introduceView->isVisible())
        centreIntroduceView();
}

void BrowserExtensionInstallViewController::applyLayoutRule(bool installed, bool updateDue)
{
    const bool dontNeed = QSettings().value(QLatin1String(DontNeedKey)).toBool();
    // Safari does not run here: its button stays, greyed, so the page says so.
    m_safariButton->setEnabled(m_manager->isSafariInstalled());
    bool showIntro;
    if (installed) {
        showIntro = !updateDue || dontNeed;
        if (!showIntro) {
            m_installButton->setText(localized("Update"));
            m_safariButton->setText(localized("Install"));
            m_chromeButton->setText(localized("Install"));
            m_firefoxButton->setText(m_manager->isFirefoxExtensionUpdateEnableNamed(m_firefoxId) ? localized("Update") : localized("Install"));
        }
    } else {
        for (QPushButton *b : {m_installButton, m_safariButton, m_chromeButton, m_firefoxButton})
            b->setText(localized("Install"));
        m_safariButton->setEnabled(m_manager->isSafariInstalled());
        m_chromeButton->setEnabled(m_manager->isChromeInstalled());
        m_firefoxButton->setEnabled(m_manager->isFirefoxInstalled());
        showIntro = dontNeed;
    }
    const struct
    {
        QPushButton *button;
        BrowserPictures::Browser browser;
        bool here;
    } pictures[] = {{m_safariButton, BrowserPictures::Safari, m_manager->isSafariInstalled()},
                    {m_chromeButton, BrowserPictures::Chrome, m_manager->isChromeInstalled()},
                    {m_firefoxButton, BrowserPictures::Firefox, m_manager->isFirefoxInstalled()}};
    // Drawn again only when a browser came or went (the rule runs every second).
    for (const auto &p : pictures) {
        auto *label = qobject_cast<QLabel *>(p.button->property("picture").value<QObject *>());
        if (!label || (!label->pixmap().isNull() && label->property("here").toBool() == p.here))
            continue;
        label->setProperty("here", p.here);
        label->setPixmap(QPixmap::fromImage(BrowserPictures::picture(p.browser, PictureSide, p.here)));
    }
    if (m_introduceView)
        m_introduceView->setVisible(showIntro);
    m_installBoxView->setVisible(!showIntro);
}

void BrowserExtensionInstallViewController::centreIntroduceView()
{
    if (!m_introduceView || !m_view)
        return;
    const QSize size = m_introduceView->size();
    m_introduceView->move((m_view->width() - size.width()) / 2, (m_view->height() - size.height()) / 2);
}

void BrowserExtensionInstallViewController::setIntroduceView(QWidget *view)
{
    if (m_introduceView && m_introduceView != view)
        delete m_introduceView.data();
    m_introduceView = view;
    if (!view || !m_view)
        return;
    view->setParent(m_view);
    view->resize(view->sizeHint().expandedTo(view->minimumSize()));
    centreIntroduceView();
    view->hide();
    // The next refresh shows it when the layout rule says so; do it now rather than a second on.
    QTimer::singleShot(0, this, [this] {
        installedExtensionVersionDidChange2(m_manager->installedSafariExtensionVersionNamed(m_safariName),
                                            m_manager->installedChromeExtensionVersionNamed(m_chromeId),
                                            m_manager->installedFirefoxExtensionVersionNamed(m_firefoxId));
    });
}

void BrowserExtensionInstallViewController::install()
{
    m_installButton->hide();
    m_progressIndicator->show();
    if (m_installButton->text() == localized("Update"))
        QTimer::singleShot(100, this, &BrowserExtensionInstallViewController::silentUpdate);
    else
        QTimer::singleShot(100, this, &BrowserExtensionInstallViewController::installExtensionsInNewThread);
}

void BrowserExtensionInstallViewController::installSafariExtension()
{
    m_manager->installSafariExtension(m_safariName);
}

void BrowserExtensionInstallViewController::installChromeExtension()
{
    m_manager->gotoChromeExtensionGuide(m_chromeGuideUrl);
}

void BrowserExtensionInstallViewController::installFirefoxExtension()
{
    m_manager->installFirefoxExtension(m_firefoxId);
}

void BrowserExtensionInstallViewController::clickDontNeedit()
{
    QSettings().setValue(QLatin1String(DontNeedKey), true);
    if (m_introduceView)
        m_introduceView->show();
    m_installBoxView->hide();
}

void BrowserExtensionInstallViewController::installExtensionsInNewThread()
{
    QPointer<BrowserExtensionInstallViewController> self(this);
    BrowserExtensionManager *manager = m_manager;
    const QString safari = m_safariName, chrome = m_chromeId, firefox = m_firefoxId;
    QThreadPool::globalInstance()->start([self, manager, safari, chrome, firefox] {
        if (manager->isChromeInstalled())
            manager->installChromeExtension(chrome);
        if (manager->isFirefoxInstalled())
            manager->installFirefoxExtension(firefox);
        if (manager->isSafariInstalled())
            manager->installSafariExtension(safari);
        QMetaObject::invokeMethod(manager, [self] {
            if (self)
                self->finishInstall(true);
        });
    });
}

void BrowserExtensionInstallViewController::silentUpdate()
{
    if (m_manager->isSafariExtensionUpdateEnableNamed(m_safariName))
        m_manager->installSafariExtension(m_safariName);
    if (m_manager->isFirefoxExtensionUpdateEnableNamed(m_firefoxId))
        m_manager->installFirefoxExtension(m_firefoxId);
    finishInstall(false);
}

void BrowserExtensionInstallViewController::finishInstall(bool markInstalled)
{
    m_progressIndicator->hide();
    m_installButton->hide();
    m_contentTextField->hide();
    m_titleTextField->hide();
    m_imgLogoView->hide();
    // Kept in the user's settings: the program's own files are not ours to write.
    if (markInstalled)
        QSettings().setValue(QLatin1String(InstalledKey), true);
    emit installFinished();
}
