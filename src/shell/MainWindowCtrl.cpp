#include "shell/MainWindowCtrl.h"

#include "controls/AddToTaskAnimationWnd.h"
#include "controls/BackgroundView.h"
#include "controls/ControlGeometry.h"
#include "controls/CustomBox.h"
#include "controls/MAAttachedWindow.h"
#include "controls/MGHoverButton.h"
#include "controls/QVToolBarItem.h"
#include "controls/QVUrlLabel.h"
#include "controls/WhiteBackgroundView.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "shell/AfterTasksAction.h"
#include "shell/CommonFun.h"
#include "shell/CommonFunDesktop.h"
#include "shell/MGMessageBox.h"
#include "shell/MainWindowPage.h"
#include "shell/ShellRegistry.h"
#include "shell/UIManager.h"
#include "shell/UIStyle.h"
#include "shell/URLEventDecoder.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QRegularExpression>

#include <cmath>

namespace {

const char *const PageLabels[] = {"Download", "Record", "Convert", "Transfer", "Online"};
const char *const PageSlices[] = {"mainform-111", "mainform-113", "mainform-109", "mainform-115", "mainform-117"};

// Calls a function whenever the watched widget is resized.
class ResizeWatcher : public QObject
{
public:
    ResizeWatcher(QWidget *watched, std::function<void()> fn) : QObject(watched), m_fn(std::move(fn))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Resize || e->type() == QEvent::Show)
            m_fn();
        return false;
    }

private:
    std::function<void()> m_fn;
};

QString firstLocalization()
{
    const QStringList languages = QLocale().uiLanguages();
    return languages.isEmpty() ? QStringLiteral("en") : languages.first().section(QLatin1Char('-'), 0, 0).toLower();
}

// Ends every modal dialog and every sheet of the window as cancelled: a count-down must never
// confirm a question nobody answered.
void cancelModalWindows(QWidget *window)
{
    for (int guard = 0; guard < 16; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (QApplication::activeModalWidget() == modal)
            modal->hide();
    }
    if (window) {
        for (QDialog *sheet : window->findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly))
            if (sheet->isVisible() && sheet->objectName() != QLatin1String("TimingAlertWnd"))
                sheet->reject();
    }
}

} // namespace

MainWindowCtrl::MainWindowCtrl()
{
    // The URL events reach handleGetURLEvent() through the application's single-instance hand-off.
    m_isaWak = false;
    m_isURLLanch = false;
}

MainWindowCtrl::~MainWindowCtrl()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    // Page views live in the body box: the pages go first, then the window.
    for (auto &page : m_pages)
        page.reset();
    delete m_timeScheduleWindow.data();
    delete m_window.data();
}

QMainWindow *MainWindowCtrl::window()
{
    if (!m_window)
        loadWindow();
    return m_window;
}

QWidget *MainWindowCtrl::bodyView() const
{
    return m_currentView;
}

void MainWindowCtrl::loadWindow()
{
    m_window = new QMainWindow;
    m_window->setObjectName(QStringLiteral("MainWindow"));
    m_window->installEventFilter(this);
    m_window->setWindowTitle(MainBundle::infoString(QStringLiteral("CFBundleDisplayName")));
    m_window->setMinimumSize(900, 600);
    m_window->resize(1000, 640);

    auto *content = new QWidget(m_window);
    content->setObjectName(QStringLiteral("contentView"));
    m_window->setCentralWidget(content);

    m_sideBar = new BackgroundView(content);
    m_sideBar->setObjectName(QStringLiteral("sideBar"));
    m_sideBar->setBackgroundColor(QColor(0x2b, 0x31, 0x36), false);

    m_titleBarView = new BackgroundView(content);
    m_titleBarView->setObjectName(QStringLiteral("titleBar"));
    m_titleBarView->setBackgroundColor(QColor(Qt::white), false);
    m_titleBarView->setBottomLineColor(QColor(218, 224, 228), false);
    m_titleBarView->setBoundsToMask(1);

    m_mainToolBar = new QVToolBar(m_sideBar);
    m_mainToolBar->setObjectName(QStringLiteral("mainToolBar"));

    m_bodyBox = new CustomBox(content);
    m_bodyBox->setObjectName(QStringLiteral("bodyBox"));
    m_infoBox = new CustomBox(content);
    m_infoBox->setObjectName(QStringLiteral("infoBox"));

    m_stateInfoLable = new QLabel(m_infoBox);
    m_stateInfoLable->setObjectName(QStringLiteral("stateInfoLable"));
    m_btnTimeScheduler = new MGHoverButton(m_infoBox);
    m_btnTimeScheduler->setObjectName(QStringLiteral("timeSchedulerButton"));
    m_lblTimeSchedulerMode = new QLabel(m_infoBox);

    m_logoImageview = new QLabel(m_titleBarView);
    m_logoLineview = new WhiteBackgroundView(m_sideBar);
    m_supportSites = new QVUrlLabel(m_titleBarView);
    m_supportSites->setObjectName(QStringLiteral("supportSites"));
    m_surveyBtn = new MGHoverButton(m_titleBarView);
    m_surveyBtn->setObjectName(QStringLiteral("surveyButton"));
    m_feedbackBtn = new MGHoverButton(m_titleBarView);
    m_feedbackBtn->setObjectName(QStringLiteral("feedbackButton"));

    new ResizeWatcher(content, [this] { layoutWindow(); });
    new ResizeWatcher(m_bodyBox, [this] {
        if (m_currentView)
            m_currentView->setGeometry(m_bodyBox->rect());
    });

    windowDidLoad();
    awakeFromNib();
    layoutWindow();
}

void MainWindowCtrl::windowDidLoad()
{
    m_bodyBox->setBackgroundColor(QColor(Qt::white));
    m_bodyBox->setBoundsToMask(8);
    m_infoBox->setBackgroundColor(QColor(Qt::white));
    m_infoBox->setBoundsToMask(8);
    m_infoBox->setTopLineColor(QColor(218, 224, 228));
}

void MainWindowCtrl::awakeFromNib()
{
    // Device listening joins through the registry's "MainWindowLoaded" steps (on a global queue
    // there), as does the scheduler, which must exist once the window has loaded.
    setupMainToolBar();
    layoutMainToolBarFrame();
    setupHoverButtonUI();
    setupTextFieldUI();
    gotoDownloadView();
    addObserverNotification();
    ShellRegistry::runSteps(QStringLiteral("MainWindowLoaded"));
    // The line under the logo: where the white strip meets the dark column.
    m_logoLineview->setBgColor(QColor(0x3a, 0x41, 0x47));
    const QImage logo = UIManager::sliceNamedInMain(QStringLiteral("mainform-698-quen"));
    if (!logo.isNull()) {
        m_logoImageview->setPixmap(QPixmap::fromImage(logo));
        m_logoImageview->resize(logo.size());
    }
    m_isaWak = true;
}

int MainWindowCtrl::itemSpaceForLanguage(const QString &language)
{
    static const QStringList tight = {QStringLiteral("fr"), QStringLiteral("de"), QStringLiteral("ja"),
                                      QStringLiteral("es"), QStringLiteral("pt"), QStringLiteral("it")};
    return tight.contains(language.toLower()) ? 0 : 18;
}

QVToolBarItem *MainWindowCtrl::toolBarItemWithIdentifier(const QString &label, const QString &slice, int tag)
{
    auto *item = new QVToolBarItem(label);
    item->setLabel(label);
    item->setImagePosition(5);
    item->setImageHorMargin(20);
    item->setLabelColor(Qt::white);
    item->setSelectedLabelColor(Qt::white);
    QFont f = QApplication::font();
    f.setPixelSize(12);
    item->setLabelFont(f);
    item->setSelectedFont(f);
    item->setClickHideNewOrHot(true);
    item->setTag(tag);
    item->setTarget(this, "toolBarItemChanged");
    const QImage image = UIManager::sliceNamedInMain(slice);
    item->setImage(image);
    item->setSelectedImage(image);
    item->setAlternateImage(image);
    item->setImageName(QStringLiteral("mainform"));
    return item;
}

void MainWindowCtrl::setupMainToolBar()
{
    m_mainToolBar->setDrawSeparateLine(false);
    m_mainToolBar->setDirectionMode(0);
    m_mainToolBar->setIsShowTip(false);
    m_mainToolBar->setDelegate(this);
    m_mainToolBar->setSelectedColor(QColor(36, 140, 79));
    m_mainToolBar->setMouseOverColor(QColor(98, 217, 142));
    for (int tag = 0; tag < ShellRegistry::PageCount; ++tag) {
        const QString label = MainBundle::localizedString(PageLabels[tag]);
        m_mainToolBar->addItem(toolBarItemWithIdentifier(label, QString::fromLatin1(PageSlices[tag]), tag));
    }
}

void MainWindowCtrl::layoutMainToolBarFrame()
{
    m_mainToolBar->setItemSpace(itemSpaceForLanguage(firstLocalization()));
    m_mainToolBar->setItemSize(QSizeF(ToolBarWidth, ToolBarItemHeight));
}

void MainWindowCtrl::setupHoverButtonUI()
{
    UIManager::setupHoverButtonThemeInMain(
        m_feedbackBtn, UIStyle::styleWithSliceToolTip(QStringLiteral("mainform-187,mainform-189,mainform-191,mainform-193"),
                                                      MainBundle::localizedString("Feedback")));
    UIManager::setupHoverButtonThemeInMain(
        m_btnTimeScheduler,
        UIStyle::styleWithSliceToolTip(QStringLiteral("mainform-523,mainform-525,mainform-527,mainform-529"),
                                       MainBundle::localizedString("Time Scheduler")));
    UIManager::setupHoverButtonThemeInTips(
        m_surveyBtn, UIStyle::styleWithSliceToolTip(QStringLiteral("tips01_,tips03_,tips05_,tips07_"),
                                                    MainBundle::localizedString("New Feature Request")));
    connect(m_feedbackBtn, &QAbstractButton::clicked, this, &MainWindowCtrl::clickFeedback);
    connect(m_surveyBtn, &QAbstractButton::clicked, this, &MainWindowCtrl::clickSurvery);
    connect(m_btnTimeScheduler, &QAbstractButton::clicked, this, &MainWindowCtrl::timeSchedulerClick);
    setupTimeSchedulerIcon(0);
}

void MainWindowCtrl::setupTimeSchedulerIcon(qint64 mode)
{
    struct Face
    {
        const char *slices;
        const char *tip;
    };
    static const Face faces[] = {
        {"mainform-564", "Do nothing"},
        {"mainform-565", "Shut Down"},
        {"mainform-566", "Suspend"},
        {"mainform-567", "Quit Fennix Pro"},
    };
    const Face face = (mode >= 1 && mode <= 4) ? faces[mode - 1]
                                               : Face{"mainform-523,mainform-525,mainform-527,mainform-529", "Time Scheduler"};
    UIManager::setupHoverButtonThemeInMain(
        m_btnTimeScheduler,
        UIStyle::styleWithSliceToolTip(QString::fromLatin1(face.slices), MainBundle::localizedString(face.tip)));
    m_lblTimeSchedulerMode->setText((mode >= 2 && mode <= 4) ? TimeSchedulerViewCtrl::titleForMode(int(mode)) : QString());
}

void MainWindowCtrl::setupTextFieldUI()
{
    m_stateInfoLable->setText(QString());
    QFont small = m_stateInfoLable->font();
    small.setPixelSize(12);
    m_stateInfoLable->setFont(small);
    m_stateInfoLable->setStyleSheet(QStringLiteral("color: #6b747c;"));
    m_lblTimeSchedulerMode->setFont(small);
    m_lblTimeSchedulerMode->setStyleSheet(QStringLiteral("color: #248c4f;"));
    m_lblTimeSchedulerMode->setText(QString());

    QFont linkFont = m_supportSites->font();
    linkFont.setPixelSize(13);
    m_supportSites->setFont(linkFont);
    m_supportSites->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_supportSites->setNormalForegroundColor(QColor(32, 192, 91));
    m_supportSites->setMoveOverForegroundColor(QColor(36, 140, 79));
    m_supportSites->setStringValue(MainBundle::localizedString("Supported Sites"));
    m_supportSites->setClickURLAction(this, "openSupportedSite");
    m_supportSites->resetAttributedString();
}

void MainWindowCtrl::layoutWindow()
{
    if (!m_window)
        return;
    QWidget *content = m_window->centralWidget();
    const int W = content->width(), H = content->height();
    // The title strip runs across the whole window with the logo at its left; the page tool bar
    // is a dark column below it, the pages to its right.
    m_titleBarView->setGeometry(0, 0, W, TitleHeight);
    m_sideBar->setGeometry(0, TitleHeight, ToolBarWidth, H - TitleHeight);
    m_logoLineview->setGeometry(0, 0, ToolBarWidth, 1);
    m_mainToolBar->setGeometry(0, 12, ToolBarWidth, ToolBarItemHeight * ShellRegistry::PageCount);
    const int tw = m_titleBarView->width();
    m_logoImageview->move(16, (TitleHeight - m_logoImageview->height()) / 2);
    m_feedbackBtn->setGeometry(tw - 20 - 28, (TitleHeight - 28) / 2, 28, 28);
    m_surveyBtn->setGeometry(tw - 20 - 28 - 8 - 28, (TitleHeight - 28) / 2, 28, 28);
    m_supportSites->setGeometry(tw - 20 - 28 - 8 - 28 - 16 - 140, (TitleHeight - 24) / 2, 140, 24);
    m_supportSites->resetAttributedString();
    m_bodyBox->setGeometry(ToolBarWidth, TitleHeight, W - ToolBarWidth, H - TitleHeight - InfoHeight);
    m_infoBox->setGeometry(ToolBarWidth, H - InfoHeight, W - ToolBarWidth, InfoHeight);
    m_btnTimeScheduler->setGeometry(12, 1, 28, 28);
    m_lblTimeSchedulerMode->setGeometry(44, 0, 160, InfoHeight);
    m_stateInfoLable->setGeometry(210, 0, std::max(0, m_infoBox->width() - 230), InfoHeight);
    if (m_currentView)
        m_currentView->setGeometry(m_bodyBox->rect());
    if (m_addToTaskAnimationWnd)
        m_addToTaskAnimationWnd->setGeometry(m_window->rect());
}

void MainWindowCtrl::addObserverNotification()
{
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    nc.addObserver(this, NotificationNames::AddToConverterNotification, [this](const Notification &n) { addToConverterCtrl(n); });
    nc.addObserver(this, NotificationNames::AddToTransferNotification, [this](const Notification &n) { addToTransferCtrl(n); });
    nc.addObserver(this, NotificationNames::GotoRecordViewNotification, [this](const Notification &) { gotoRecordView(); });
    nc.addObserver(this, NotificationNames::AddToDownloadAminNotification, [this](const Notification &n) { addToDownloadingCtrl(n); });
    nc.addObserver(this, NotificationNames::OnlineDownloadedFinishNotification, [this](const Notification &n) { onelineDownloadedFinish(n); });
    nc.addObserver(this, NotificationNames::TimeForScheduledTask, [this](const Notification &) { showTimingWnd(); });
}

// ---- pages

MainWindowPage *MainWindowCtrl::page(int tag) const
{
    return (tag >= 0 && tag < ShellRegistry::PageCount) ? m_pages[size_t(tag)].get() : nullptr;
}

MainWindowPage *MainWindowCtrl::currentPage() const
{
    return page(m_currentTag);
}

MainWindowPage *MainWindowCtrl::ensurePage(int tag)
{
    if (tag < 0 || tag >= ShellRegistry::PageCount)
        tag = ShellRegistry::Download;
    if (!m_pages[size_t(tag)])
        m_pages[size_t(tag)] = ShellRegistry::createPage(tag);
    return m_pages[size_t(tag)].get();
}

void MainWindowCtrl::showPageView(int tag)
{
    MainWindowPage *p = ensurePage(tag);
    QWidget *view = p->view();
    auto swap = [this, view, tag] {
        if (!m_bodyBox || !view)
            return;
        if (view != m_currentView) {
            if (m_currentView)
                m_currentView->hide();
            view->setParent(m_bodyBox);
            view->setGeometry(m_bodyBox->rect());
            view->show();
            m_currentView = view;
        }
        m_currentTag = tag;
    };
    if (dispatch::isMainThread())
        swap();
    else
        dispatch::async_main(swap);
    if (p->answersPageOperations()) {
        p->setStateInfoLable(m_stateInfoLable);
        p->startShowView();
    }
    m_mainToolBar->selectItemWithTag(tag);
}

void MainWindowCtrl::gotoDownloadView() { showPageView(ShellRegistry::Download); }
void MainWindowCtrl::gotoRecordView() { showPageView(ShellRegistry::Record); }
void MainWindowCtrl::gotoConverterView() { showPageView(ShellRegistry::Convert); }
void MainWindowCtrl::gotoTransferView() { showPageView(ShellRegistry::Transfer); }
void MainWindowCtrl::gotoOnlineView() { showPageView(ShellRegistry::Online); }

void MainWindowCtrl::gotoPage(int tag)
{
    switch (tag) {
    case 1: gotoRecordView(); break;
    case 2: gotoConverterView(); break;
    case 3: gotoTransferView(); break;
    case 4: gotoOnlineView(); break;
    default: gotoDownloadView(); break;
    }
}

bool MainWindowCtrl::toolBarShouldSelectItem(QVToolBar *, QVToolBarItem *)
{
    return true;
}

void MainWindowCtrl::toolBarItemChanged(QObject *sender)
{
    auto *item = qobject_cast<QVToolBarItem *>(sender);
    const int tag = item ? item->tag() : 0;
    m_stateInfoLable->setText(QString());
    for (int t : {ShellRegistry::Download, ShellRegistry::Convert, ShellRegistry::Transfer, ShellRegistry::Record})
        if (MainWindowPage *p = page(t))
            p->setStateInfoLable(nullptr);
    gotoPage(tag);
    m_curButtonType = tag;
}

bool MainWindowCtrl::isOnlineOnScreen() const
{
    return m_currentTag == ShellRegistry::Online;
}

// ---- notifications

QRectF MainWindowCtrl::rectFromString(const QString &text)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*\\{\\s*\\{\\s*(-?[0-9.eE+-]+)\\s*,\\s*(-?[0-9.eE+-]+)\\s*\\}\\s*,\\s*\\{\\s*(-?[0-9.eE+-]+)\\s*,\\s*(-?[0-9.eE+-]+)\\s*\\}\\s*\\}\\s*$"));
    const QRegularExpressionMatch m = re.match(text.left(200));
    if (!m.hasMatch())
        return {};
    bool ok[4];
    const double v[4] = {m.captured(1).toDouble(&ok[0]), m.captured(2).toDouble(&ok[1]), m.captured(3).toDouble(&ok[2]),
                         m.captured(4).toDouble(&ok[3])};
    for (int i = 0; i < 4; ++i)
        if (!ok[i] || !std::isfinite(v[i]) || std::abs(v[i]) > 1e6)
            return {};
    return QRectF(v[0], v[1], v[2], v[3]);
}

QRectF MainWindowCtrl::startRectFromUserInfo(const Notification &n) const
{
    const QVariant v = n.userInfo.value(QStringLiteral("AminFrame"));
    if (v.canConvert<QRectF>() && v.typeId() == QMetaType::QRectF)
        return v.toRectF();
    return rectFromString(v.toString());
}

void MainWindowCtrl::addToConverterCtrl(const Notification &n)
{
    MainWindowPage *p = ensurePage(ShellRegistry::Convert);
    startAddAmintion(startRectFromUserInfo(n), ShellRegistry::Convert);
    if (n.object.typeId() == QMetaType::QVariantList || n.object.typeId() == QMetaType::QStringList)
        if (auto *converter = dynamic_cast<ConverterPageInterface *>(p))
            converter->addConverterFiles(n.object.toList());
}

void MainWindowCtrl::addToTransferCtrl(const Notification &n)
{
    MainWindowPage *p = ensurePage(ShellRegistry::Transfer);
    startAddAmintion(startRectFromUserInfo(n), ShellRegistry::Transfer);
    if (n.object.typeId() == QMetaType::QVariantList || n.object.typeId() == QMetaType::QStringList)
        if (auto *transfer = dynamic_cast<TransferPageInterface *>(p))
            transfer->addDownloadedItem(n.object.toList());
}

void MainWindowCtrl::addToDownloadingCtrl(const Notification &n)
{
    startAddAmintion(startRectFromUserInfo(n), ShellRegistry::Download);
}

void MainWindowCtrl::onelineDownloadedFinish(const Notification &n)
{
    auto *download = dynamic_cast<DownloadPageInterface *>(page(ShellRegistry::Download));
    DownloadingListInterface *list = download ? download->downloadingViewCtr() : nullptr;
    if (list && list->isTaskAdd())
        startAddAmintion(startRectFromUserInfo(n), ShellRegistry::Download);
}

// ---- fly-in

QRectF MainWindowCtrl::animationTargetForTag(int tag) const
{
    QVToolBarItem *item = m_mainToolBar ? m_mainToolBar->toolBarItemWithTag(tag) : nullptr;
    if (!item || !m_window) {
        // No item with the tag: the top left corner.
        return QRectF(0, 0, 0, 0);
    }
    QRectF ico = item->icoFrame();
    if (ico.isNull()) {
        // Not painted yet: the icon sits centred in the upper part of its item.
        const int index = int(m_mainToolBar->allBarItem().indexOf(item));
        ico = QRectF((ToolBarWidth - 32) / 2.0, m_mainToolBar->height() - (index + 1) * ToolBarItemHeight + 40, 32, 32);
    }
    const QRectF inBar = ControlGeometry::toQt(ico, m_mainToolBar->height());
    const QPoint offset = m_mainToolBar->mapTo(m_window.data(), QPoint(0, 0));
    return inBar.translated(offset);
}

void MainWindowCtrl::startAddAmintion(const QRectF &startUp, int tag)
{
    if (!m_window)
        return;
    if (!m_addToTaskAnimationWnd) {
        m_addToTaskAnimationWnd = new AddToTaskAnimationWnd(m_window);
        m_addToTaskAnimationWnd->setObjectName(QStringLiteral("addToTaskAnimationWnd"));
    }
    const QRectF target = animationTargetForTag(tag);
    QRectF start;
    if (startUp.isEmpty()) {
        start = QRectF(m_window->width() * 0.5, m_window->height() * 0.5, target.width(), target.height());
    } else {
        // "AminFrame" counts y from the window's bottom edge.
        start = ControlGeometry::toQt(startUp, m_window->height());
    }
    m_addToTaskAnimationWnd->animateImage(QImage(), start, target);
    if (QVToolBarItem *item = m_mainToolBar->toolBarItemWithTag(tag))
        item->setNewOrHot(true);
    m_mainToolBar->display();
}

// ---- URL events

void MainWindowCtrl::handleGetURLEvent(const QString &url)
{
    m_isURLLanch = true;
    const URLEventDecoder::Request request = URLEventDecoder::decode(url);
    if (request.kind == URLEventDecoder::Kind::JsLog) {
        ScribletLogInfo(QStringLiteral("jsLog:%1").arg(request.text.left(4096)));
        return;
    }
    if (request.kind == URLEventDecoder::Kind::SinglePage || request.kind == URLEventDecoder::Kind::Playlist)
        ScribletLogInfo(QStringLiteral("Decode scheme:%1").arg(URLEventDecoder::withoutCookies(request.decoded).left(4096)));
    if (request.kind == URLEventDecoder::Kind::Playlist) {
        downloadAll(request);
        return;
    }
    QMainWindow *w = window();
    w->show();
    w->raise();
    w->activateWindow();
    auto *download = dynamic_cast<DownloadPageInterface *>(ensurePage(ShellRegistry::Download));
    if (!isOnlineOnScreen()) {
        showPageView(ShellRegistry::Download);
        if (download)
            download->changeToDownloadingView();
    }
    if (request.pageUrl.size() < URLEventDecoder::MinAddressLength || !download)
        return;
    const QString address = download->formatMutiURL(request.pageUrl);
    if (address.isEmpty())
        return;
    DownloadingListInterface *list = download->downloadingViewCtr();
    if (!list)
        return;
    if (request.kind == URLEventDecoder::Kind::Plain) {
        if (m_plainAddressLimiter.tryAccept())
            list->addReelgrabTask(address, QVariantMap());
        return;
    }
    list->addReelgrabTask(address, request.params);
    if (list->isTaskAdd() && isOnlineOnScreen())
        startAddAmintion(QRectF(), ShellRegistry::Download);
}

void MainWindowCtrl::downloadAll(const URLEventDecoder::Request &request)
{
    QMainWindow *w = window();
    w->show();
    w->raise();
    auto *download = dynamic_cast<DownloadPageInterface *>(ensurePage(ShellRegistry::Download));
    DownloadingListInterface *list = download ? download->downloadingViewCtr() : nullptr;
    if (!list)
        return;
    const QString from = download->formatMutiURL(request.pageUrl);
    if (!request.hasItemMarker) {
        if (!from.isEmpty())
            list->addReelgrabTask(from, request.params);
        return;
    }
    if (request.droppedItems > 0)
        ScribletLogInfo(QStringLiteral("[MainWindowCtrl downloadAll] %1 play-list item(s) refused").arg(request.droppedItems));
    if (request.items.size() > MaxUnaskedPlaylistItems) {
        const int answer = MGMessageBox::question(
            MainBundle::localizedString("Download %d videos of this play list?")
                .replace(QLatin1String("%d"), QString::number(request.items.size())),
            from.isEmpty() ? QString() : from.left(200), MainBundle::localizedString("Download"),
            MainBundle::localizedString("Cancel"), QImage(), w->frameGeometry());
        if (answer != MGMessageBox::DefaultButton) {
            ScribletLogInfo(QStringLiteral("[MainWindowCtrl downloadAll] play list of %1 items declined").arg(request.items.size()));
            return;
        }
    }
    if (!request.items.isEmpty())
        list->addReelgrabTasks(request.items, from, request.params);
}

// ---- window actions

void MainWindowCtrl::pasteURL()
{
    gotoDownloadView();
    if (auto *download = dynamic_cast<DownloadPageInterface *>(page(ShellRegistry::Download)))
        download->pasteUrl();
}

void MainWindowCtrl::resetDownloadingMenu()
{
    if (auto *download = dynamic_cast<DownloadPageInterface *>(page(ShellRegistry::Download)))
        if (DownloadingListInterface *list = download->downloadingViewCtr())
            list->setMenuTarget();
}

bool MainWindowCtrl::isScreenRecording() const
{
    const MainWindowPage *record = page(ShellRegistry::Record);
    return record && record->isHasTask();
}

void MainWindowCtrl::preference()
{
    // The opener shows the Download tab when the Download page was the last one chosen.
    window()->setProperty("curButtonType", m_curButtonType);
    if (!ShellRegistry::openWindow(QStringLiteral("Preferences"), window()))
        MGMessageBox::messageWithNote(MainBundle::localizedString("Preferences"), QString(),
                                      MainBundle::localizedString("Settings of downloads, conversion and the browser extension."),
                                      MainBundle::localizedString("OK"), QImage(), window()->frameGeometry());
}

void MainWindowCtrl::openAboutWindow()
{
    if (ShellRegistry::openWindow(QStringLiteral("About"), window()))
        return;
    MGMessageBox::messageWithNote(
        QStringLiteral("%1 %2").arg(MainBundle::infoString(QStringLiteral("CFBundleDisplayName")),
                                    MainBundle::infoString(QStringLiteral("CFBundleShortVersionString"))),
        MainBundle::localizedString("About"), MainBundle::infoString(QStringLiteral("NSHumanReadableCopyright")),
        MainBundle::localizedString("OK"), QImage(), window()->frameGeometry());
}

void MainWindowCtrl::openSupportedSite()
{
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("ClickSupportedSites"), QStringLiteral("QVUrlLabel"));
    ShellRegistry::openWindow(QStringLiteral("SupportedSites"), window());
}

void MainWindowCtrl::clickSurvery()
{
    CommonFunDesktop::openMainBundleURLForKey(QStringLiteral("SurveyURL"));
}

void MainWindowCtrl::clickFeedback()
{
    ShellRegistry::openWindow(QStringLiteral("Feedback"), window());
}

void MainWindowCtrl::timeSchedulerClick()
{
    QMainWindow *w = window();
    if (!m_timeScheduleViewCtrl)
    {
        m_timeScheduleViewCtrl = new TimeSchedulerViewCtrl();
        m_timeScheduleViewCtrl->setDelegate(this);
        m_timeScheduleViewCtrl->setOptionsOwner(w);
        // The options window is modal: the pop-over goes before it comes.
        connect(m_timeScheduleViewCtrl, &TimeSchedulerViewCtrl::optionsWillOpen, this, &MainWindowCtrl::hiddenTimeSchedulerWindow);
    }
    const QPointF point = m_btnTimeScheduler ? QPointF(m_btnTimeScheduler->mapTo(w, QPoint(2, 0))) : QPointF(2, w->height());
    if (!m_timeScheduleWindow) {
        m_timeScheduleWindow = MAAttachedWindow::create(m_timeScheduleViewCtrl, point, w, PopoverGeometry::AboveRight, 0);
        if (!m_timeScheduleWindow)
            return;
        m_timeScheduleWindow->setObjectName(QStringLiteral("timeScheduleWindow"));
        m_timeScheduleWindow->setBackgroundColor(Qt::white);
        m_timeScheduleWindow->setBorderColor(QColor(0xd5, 0xdb, 0xdf));
        m_timeScheduleWindow->setBorderWidth(1);
        m_timeScheduleWindow->setCornerRadius(3);
        m_timeScheduleWindow->setArrowBaseWidth(0);
        m_timeScheduleWindow->setArrowHeight(0);
        m_timeScheduleWindow->setHasArrow(0);
        connect(m_timeScheduleWindow, &MAAttachedWindow::didResignKey, this, &MainWindowCtrl::hiddenTimeSchedulerWindow);
    }
    m_timeScheduleWindow->setPoint(point, PopoverGeometry::AboveRight);
    m_timeScheduleWindow->makeKeyAndOrderFront();
}

void MainWindowCtrl::hiddenTimeSchedulerWindow()
{
    if (m_timeScheduleWindow && m_timeScheduleWindow->isVisible())
        m_timeScheduleWindow->orderOut();
}

void MainWindowCtrl::timeSchedulerValueDidChange(TimeSchedulerViewCtrl *)
{
    setupTimeSchedulerIcon(UserDefaults::standard().integerForKey(QStringLiteral("TimeSchedulerMode")));
    hiddenTimeSchedulerWindow();
}

// ---- after tasks

namespace {

QList<bool> busyPages(const MainWindowCtrl *ctrl)
{
    QList<bool> busy;
    for (int tag : {ShellRegistry::Download, ShellRegistry::Transfer, ShellRegistry::Convert, ShellRegistry::Record}) {
        const MainWindowPage *p = ctrl->page(tag);
        busy.append(p && p->answersPageOperations() && p->isHasTask());
    }
    return busy;
}

} // namespace

bool MainWindowCtrl::hasRunningTask() const
{
    return busyPages(this).contains(true);
}

bool MainWindowCtrl::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_window && e->type() == QEvent::Close && !m_quittingAfterTasks && m_closeGuard && !m_closeGuard()) {
        e->ignore();
        return true;
    }
    return QObject::eventFilter(watched, e);
}

void MainWindowCtrl::showTimingWnd()
{
    const QList<bool> busy = busyPages(this);
    const qint64 mode = UserDefaults::standard().integerForKey(QStringLiteral("TimeSchedulerMode"));
    if (!AfterTasksAction::shouldCountDown(busy, mode))
        return;
    QMainWindow *w = window();
    if (!m_timingAlertWnd)
    {
        m_timingAlertWnd = new TimingAlertWnd(w);
        m_timingAlertWnd->setDelegate(this);
    }
    cancelModalWindows(w);
    if (w->windowOpacity() == 0)
        w->setWindowOpacity(1);
    w->show();
    w->raise();
    w->activateWindow();
    m_timingAlertWnd->countDownByCode(int(mode), AfterTasksAction::CountDownSeconds, w);
}

void MainWindowCtrl::excuteTaskRightNowByCode(int code)
{
    AfterTasksAction::perform(code, [this] {
        cancelModalWindows(m_window);
        m_quittingAfterTasks = true;
        if (m_window)
            m_window->close();
        emit quitRequested();
    });
}
