#include "downloads/DownloadViewCtrl.h"

#include "downloads/DownloadFinishedNotice.h"
#include "downloads/DownloadedItem.h"

#include "controls/AFSwitchControl.h"
#include "controls/DownloadTableView.h"
#include "controls/EditMenu.h"
#include "controls/EditMenuItem.h"
#include "controls/MGHoverButton.h"
#include "controls/MGPopupButton.h"
#include "controls/MGSearchFieldCell.h"
#include "controls/ShowTipMessage.h"
#include "downloads/DatabaseLibraryHandoff.h"
#include "downloads/DownloadPageRegistration.h"
#include "downloads/DownloadURLRules.h"
#include "downloads/ListPageViews.h"
#include "downloads/PasteURLWndCtrl.h"
#include "downloads/TurboAminWindowCtrl.h"
#include "downloads/store/LibrarySchema.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/GolobFun.h"
#include "shell/UIManager.h"
#include "shell/WKDataColleciton.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString tr1(const char *english) { return MainBundle::localizedString(english); }
QStringList mainSlices(std::initializer_list<int> numbers)
{
    QStringList s;
    for (int n : numbers)
        s << QStringLiteral("mainform-%1").arg(n);
    return s;
}
const QString DCKey = QStringLiteral("values.DownAndConvertOneMode");
} // namespace

DownloadViewCtrl::DownloadViewCtrl(std::unique_ptr<LibraryHandoff> library, const QString &databasePath,
                                   QObject *parent)
    : QObject(parent)
    , m_library(library ? std::move(library) : std::make_unique<DatabaseLibraryHandoff>())
    , m_downloadingViewCtr(std::make_unique<DownloadingViewCtr>(databasePath))
{
    m_downloadingViewCtr->setDelegate(this);
    m_downloadingViewCtr->setPlaylistFinishCounter(
        [this](const QString &id) { return m_library->getPlaylistCountByID(id); });
    NotificationCenter::defaultCenter().addObserver(this, NotificationNames::DragURLToMainApp,
                                                    [this](const Notification &n) { dragURLtoApp(n.object); });
    NotificationCenter::defaultCenter().addObserver(this, NotificationNames::LibraryRecordPending,
                                                    [this](const Notification &n) { tellOfPendingRecord(n.object.toString()); });
}

DownloadViewCtrl::~DownloadViewCtrl()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    delete m_pasteListMenu.data();
    delete m_sheetWidget.data();
    m_downloadingViewCtr->setDelegate(nullptr);
    m_finishedNotice.reset();
    // The list's view sits inside the page's; the list takes its rows off it first.
    m_downloadingViewCtr.reset();
    delete m_view.data();
}

QWidget *DownloadViewCtrl::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

MGHoverButton *DownloadViewCtrl::makeToolButton(QWidget *parent, const QString &tip, const QStringList &slices)
{
    auto *b = new MGHoverButton(parent);
    UIManager::setupHoverButtonThemeInMain(b, slices.join(QLatin1Char(',')));
    b->setToolTip(tip);
    b->setFixedSize(32, 32);
    return b;
}

void DownloadViewCtrl::loadView()
{
    auto *root = new QWidget;
    m_view = root;
    QVBoxLayout *layout = ListPageViews::whitePageLayout(root, QStringLiteral("DownloadViewCtrl"));

    // Head: the two tabs, then the tool bar of the tab shown.
    auto *head = new QWidget(root);
    head->setFixedHeight(56);
    head->setObjectName(QStringLiteral("DownloadHead"));
    head->setStyleSheet(QStringLiteral("#DownloadHead{background:#FFFFFF;border-bottom:1px solid #E1E5E8;}"));
    auto *headLayout = new QHBoxLayout(head);
    headLayout->setContentsMargins(16, 8, 16, 8);
    headLayout->setSpacing(8);
    // The paste button's arrow part opens the "Download MP3" menu.
    m_psateUrlBtn = new MGPopupButton(head);
    m_psateUrlBtn->setText(tr1("Paste URL"));
    m_psateUrlBtn->setFixedSize(QLocale().name().startsWith(QLatin1String("ja")) ? 146 : 130, 30);
    m_psateUrlBtn->setPopTarget(this);
    m_psateUrlBtn->setPopupAction("clickPopupButton");
    m_psateUrlBtn->setToolTip(tr1("Paste URL"));
    headLayout->addWidget(m_psateUrlBtn);
    headLayout->addSpacing(12);
    m_downloadingBtn = new MGHoverButton(head);
    m_downloadingBtn->setTitle(tr1("Downloading"));
    m_downloadingBtn->setMinimumSize(110, 36);
    m_downloadedBtn = new MGHoverButton(head);
    m_downloadedBtn->setTitle(tr1("Downloaded"));
    m_downloadedBtn->setMinimumSize(110, 36);
    headLayout->addWidget(m_downloadingBtn);
    headLayout->addWidget(m_downloadedBtn);
    headLayout->addStretch(1);

    m_downloadingHeadBox = new QWidget(head);
    auto *runLayout = new QHBoxLayout(m_downloadingHeadBox);
    runLayout->setContentsMargins(0, 0, 0, 0);
    m_turboTaskBtn = new MGHoverButton(m_downloadingHeadBox);
    m_turboTaskBtn->setFixedSize(32, 32);
    // Pause all shows the pause picture; the bin slices are delete all's.
    m_startAllTaskBtn = makeToolButton(m_downloadingHeadBox, tr1("Resume All"), mainSlices({256, 257, 258, 259}));
    m_pauseAllTaskBtn = makeToolButton(m_downloadingHeadBox, tr1("Pause All"), mainSlices({761, 762, 763, 764}));
    m_deleteTaskBtn = makeToolButton(m_downloadingHeadBox, tr1("Delete All"), mainSlices({328, 329, 330, 331}));
    m_oneConverterSwitchControl = new AFSwitchControl(m_downloadingHeadBox);
    m_oneConverterSwitchControl->setFixedSize(75, 23);
    m_lblConverted = new QLabel(m_downloadingHeadBox);
    runLayout->addWidget(m_lblConverted);
    runLayout->addWidget(m_oneConverterSwitchControl);
    runLayout->addSpacing(12);
    runLayout->addWidget(m_turboTaskBtn);
    runLayout->addWidget(m_startAllTaskBtn);
    runLayout->addWidget(m_pauseAllTaskBtn);
    runLayout->addWidget(m_deleteTaskBtn);
    headLayout->addWidget(m_downloadingHeadBox);

    m_downloadedHeadBox = new QWidget(head);
    auto *libLayout = new QHBoxLayout(m_downloadedHeadBox);
    libLayout->setContentsMargins(0, 0, 0, 0);
    // The search field filters the library by file name; the library is handed it before it
    // makes its view, so it shows no field of its own.
    m_searchField = new MGSearchFieldCell(m_downloadedHeadBox);
    m_searchField->setPlaceholderText(tr1("Search"));
    m_searchField->setFixedSize(200, 28);
    libLayout->addWidget(m_searchField);
    libLayout->addSpacing(8);
    m_library->setSearchFeild(m_searchField);
    m_openItemPathBtn = makeToolButton(m_downloadedHeadBox, tr1("Show in Folder"), mainSlices({441, 442, 443, 444}));
    m_converterItemBtn = makeToolButton(m_downloadedHeadBox, tr1("Add to Convert List"), mainSlices({332, 333, 334, 335}));
    m_transferItemBtn = makeToolButton(m_downloadedHeadBox, tr1("Add to Transfer List"), mainSlices({728, 729, 730, 731}));
    // The library's own delete picture (its rows' action bar), not the output-folder slices.
    m_deleteItemBtn = makeToolButton(m_downloadedHeadBox, tr1("Delete"), mainSlices({577, 578, 579, 580}));
    libLayout->addWidget(m_openItemPathBtn);
    libLayout->addWidget(m_converterItemBtn);
    libLayout->addWidget(m_transferItemBtn);
    libLayout->addWidget(m_deleteItemBtn);
    m_downloadedHeadBox->hide();
    headLayout->addWidget(m_downloadedHeadBox);
    layout->addWidget(head);

    m_bodyBox = new QStackedWidget(root);
    m_bodyBox->addWidget(m_downloadingViewCtr->view());
    // The library tab shows the library's own page when it has one, else a plain view with the
    // count. The count label is kept either way: the status text is made from it.
    m_libraryPlaceholder = new QWidget(m_bodyBox);
    auto *libBody = new QVBoxLayout(m_libraryPlaceholder);
    libBody->setContentsMargins(0, 0, 0, 0);
    m_libraryCountLabel = new QLabel(m_libraryPlaceholder);
    m_libraryCountLabel->setAlignment(Qt::AlignCenter);
    m_libraryCountLabel->setStyleSheet(QStringLiteral("color:#9A9A9A;font-size:14px;"));
    libBody->addWidget(m_libraryCountLabel);
    if (QWidget *libraryPage = m_library->view()) {
        m_libraryCountLabel->hide();
        libBody->addWidget(libraryPage, 1);
        m_libraryPlaceholder->setFocusProxy(libraryPage);
        m_library->setItemCountObserver([this] {
            if (!m_libraryCountLabel)
                return;
            const int count = m_library->displayItemCount();
            m_libraryCountLabel->setText(tr1("%d items").replace(QLatin1String("%d"), QString::number(count)));
            if (m_stateInfoLable && currentTab() == 1)
                m_stateInfoLable->setText(count > 0 ? m_libraryCountLabel->text() : QString());
        });
    }
    m_bodyBox->addWidget(m_libraryPlaceholder);
    layout->addWidget(m_bodyBox, 1);

    connect(m_psateUrlBtn, &MGPopupButton::clicked, this, &DownloadViewCtrl::pasteUrl);
    connect(m_downloadingBtn, &MGHoverButton::clicked, this, [this] { switchDispalyContent(0); });
    connect(m_downloadedBtn, &MGHoverButton::clicked, this, [this] { switchDispalyContent(1); });
    connect(m_startAllTaskBtn, &MGHoverButton::clicked, this, [this] { m_downloadingViewCtr->resumeAll(); });
    connect(m_pauseAllTaskBtn, &MGHoverButton::clicked, this, [this] { m_downloadingViewCtr->pauseAll(); });
    connect(m_deleteTaskBtn, &MGHoverButton::clicked, this, [this] { m_downloadingViewCtr->clickDeleteAllMenuItem(); });
    connect(m_turboTaskBtn, &MGHoverButton::clicked, this, &DownloadViewCtrl::clickSpeedUp);
    connect(m_openItemPathBtn, &MGHoverButton::clicked, this, &DownloadViewCtrl::openItem);
    connect(m_converterItemBtn, &MGHoverButton::clicked, this, &DownloadViewCtrl::converterItem);
    connect(m_transferItemBtn, &MGHoverButton::clicked, this, &DownloadViewCtrl::transferItem);
    connect(m_deleteItemBtn, &MGHoverButton::clicked, this, &DownloadViewCtrl::deleteItem);

    UserDefaults &defaults = UserDefaults::standard();
    m_oneConverterSwitchControl->bind(&defaults, DCKey);
    AFSwitchControl::Delegate delegate;
    delegate.switchWillChangeStatus = [this](AFSwitchControl *) { switchWillChangeStatus(); };
    delegate.switchChangedStatus = [this](AFSwitchControl *s) { switchChangedStatus(s->state() != 0); };
    m_oneConverterSwitchControl->setDelegate(delegate);
    GolobFun::setInfoValue(defaults.boolForKey(DCKey), QStringLiteral("DownAndConvertOneMode"));
    updateDownConvertLabel();
    reSetTurboBtn();

    const bool showLibrary = m_downloadingViewCtr->tasksCount() == 0 && m_library->displayItemCount() > 0;
    switchDispalyContent(showLibrary ? 1 : 0);
}

void DownloadViewCtrl::setStateInfoLable(QLabel *label)
{
    m_stateInfoLable = label;
    downloadItemCountDidChanged();
}

void DownloadViewCtrl::startShowView()
{
    if (!m_view)
        return;
    tellOfSalvagedLibrary();
    if (m_bodyBox->currentIndex() == 1) {
        m_libraryPlaceholder->setFocus();
        m_libraryCountLabel->setText(tr1("%d items").replace(QLatin1String("%d"), QString::number(m_library->displayItemCount())));
        if (m_stateInfoLable)
            m_stateInfoLable->setText(m_library->displayItemCount() > 0 ? m_libraryCountLabel->text() : QString());
    } else {
        if (m_downloadingViewCtr->tableView())
            m_downloadingViewCtr->tableView()->setFocus();
        m_downloadingViewCtr->refreshDownloadingItem();
    }
}

void DownloadViewCtrl::tellOfSalvagedLibrary()
{
    // Each salvage is told once, by the first page shown after it; the file is sound afterwards.
    const QList<LibrarySchema::Salvage> salvages = LibrarySchema::takeSalvages();
    if (salvages.isEmpty())
        return;
    const LibrarySchema::Salvage &last = salvages.last();
    const QString text = tr1("The library file was damaged. %1 waiting downloads and %2 finished items were saved;\n"
                             "the damaged file is kept as %3.")
                             .arg(last.queueRows)
                             .arg(last.libraryRows)
                             .arg(QFileInfo(last.asidePath).fileName());
    // Hangs below the page's tool bar, where the lists it speaks of begin.
    QWidget *window = m_view->window();
    ShowTipMessage::share().showTipWithString(text, QPointF(m_view->mapTo(window, QPoint(m_view->width() / 2, 40))), window);
}

void DownloadViewCtrl::tellOfPendingRecord(const QString &filePath)
{
    m_pendingRecordTold = filePath;
    if (!m_view)
        return;
    const QString text = tr1("The disk is full: \"%1\" is downloaded but not yet saved in the library.\n"
                             "It is saved as soon as there is room again.")
                             .arg(QFileInfo(filePath).fileName());
    QWidget *window = m_view->window();
    ShowTipMessage::share().showTipWithString(text, QPointF(m_view->mapTo(window, QPoint(m_view->width() / 2, 40))), window);
}

bool DownloadViewCtrl::isHasTask() const
{
    // A conversion the library still runs keeps a scheduled shut-down waiting as well.
    return m_downloadingViewCtr->isAnyTaskRunning() || m_library->hasConvertingTask();
}

void DownloadViewCtrl::deleteItem()
{
    m_library->deleteItem(nullptr);
}

void DownloadViewCtrl::openItem()
{
    m_library->showInFinder(nullptr);
}

void DownloadViewCtrl::converterItem()
{
    m_library->converterItem(nullptr);
}

void DownloadViewCtrl::transferItem()
{
    m_library->transferItem(nullptr);
}

QString DownloadViewCtrl::formatMutiURL(const QString &text)
{
    return DownloadURLRules::formatMutiURL(text);
}

void DownloadViewCtrl::switchDispalyContent(int tab)
{
    if (!m_view)
        loadView();
    const QString pressed = QStringLiteral("mainform-138,mainform-138,mainform-138,mainform-138");
    UIManager::setupHoverButtonThemeInMain(tab == 0 ? m_downloadingBtn : m_downloadedBtn, pressed);
    MGHoverButton *other = tab == 0 ? m_downloadedBtn : m_downloadingBtn;
    other->setNormalSliceName(QString());
    other->setHoverSliceName(QString());
    other->setDownSliceName(QString());
    other->setDisableSliceName(QString());
    other->update();
    m_downloadingBtn->setTextColor(tab == 0 ? QColor(32, 192, 91) : QColor(90, 100, 110));
    m_downloadedBtn->setTextColor(tab == 1 ? QColor(32, 192, 91) : QColor(90, 100, 110));
    if (m_bodyBox->currentIndex() != tab) {
        m_bodyBox->setCurrentIndex(tab);
        m_downloadingHeadBox->setVisible(tab == 0);
        m_downloadedHeadBox->setVisible(tab == 1);
    }
    startShowView();
}

int DownloadViewCtrl::currentTab() const
{
    return m_bodyBox ? m_bodyBox->currentIndex() : 0;
}

void DownloadViewCtrl::changeToDownloadingView()
{
    switchDispalyContent(0);
}

void DownloadViewCtrl::pasteUrl()
{
    if (!m_pasteGuard.accept())
        return;
    downloadWithType(2);
    WKDataColleciton::share().collectMainFeature(QStringLiteral("MainFeature_PasteURL"));
}

void DownloadViewCtrl::downloadMP3()
{
    if (!m_pasteGuard.accept())
        return;
    downloadWithType(4);
}

void DownloadViewCtrl::downloadWithType(int type)
{
    changeToDownloadingView();
    QString address = DownloadURLRules::pastedAddress(QApplication::clipboard()->text());
    if (address.isEmpty()) {
        PasteURLWndCtrl window(m_view ? m_view->window() : nullptr);
        if (window.showModal() != 1)
            return;
        const QString cleaned = DownloadURLRules::formatMutiURL(window.getURL().trimmed());
        address = cleaned.isEmpty() ? QString() : DownloadURLRules::escapedURL(cleaned);
        if (!DownloadURLRules::isDownloadableAddress(address)) {
            ScribletLogError(QStringLiteral("pasted address refused: %1").arg(window.getURL()));
            return;
        }
    }
    if (type == 4)
        m_downloadingViewCtr->addReelgrabTask(address, QVariantMap{{QStringLiteral("Contents"), 4}}, false);
    else
        m_downloadingViewCtr->addReelgrabTask(address, QVariantMap(), true);
}

void DownloadViewCtrl::dragURLtoApp(const QVariant &object)
{
    QString text;
    if (const auto *mime = qobject_cast<const QMimeData *>(object.value<QObject *>())) {
        if (mime->hasUrls() && !mime->urls().isEmpty())
            text = mime->urls().constFirst().toString();
    } else if (object.typeId() == QMetaType::QUrl) {
        text = object.toUrl().toString();
    } else {
        text = object.toString();
    }
    const QString address = DownloadURLRules::formatMutiURL(text);
    ScribletLogInfo(QStringLiteral("dragURL URL = %1").arg(address));
    if (DownloadURLRules::droppedAddress(text).isEmpty()) {
        ScribletLogError(QStringLiteral("dragURLtoApp dragUrl is not valid."));
        return;
    }
    // Dropped addresses go on as they are, unless the queue could not read them (blanks and
    // other characters an address may not hold): those are escaped rather than refused.
    const QString queued = QUrl(address, QUrl::StrictMode).isValid() ? address : DownloadURLRules::escapedURL(address);
    m_downloadingViewCtr->addReelgrabTask(queued, QVariantMap(), false);
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Download"), QStringLiteral("Id_Download_Drag"));
}

void DownloadViewCtrl::reelgrabTaskDidFinished(QVReelgrabTask *task)
{
    // The library tells the scheduler once its own work on the download has ended.
    const std::shared_ptr<DownloadedItem> item = m_library->addNodeByReelgrabTask(task);
    downloadItemCountDidChanged();
    if (item) {
        if (!m_finishedNotice)
            m_finishedNotice = std::make_unique<DownloadFinishedNotice>(m_view);
        const qint32 id = item->downloadID();
        const QString path = item->filePath();
        m_finishedNotice->downloadDidFinish(task->mediaTitle(), path, [this, id, path] {
            if (!m_library->playItem(id))
                Workspace::openFile(path);
        });
    }
}

void DownloadViewCtrl::downloadItemCountDidChanged()
{
    if (!m_stateInfoLable || !m_view || !m_view->isVisible() || currentTab() != 0)
        return;
    const int count = m_downloadingViewCtr->tasksCount();
    m_stateInfoLable->setText(count >= 1 ? tr1("%d items").replace(QLatin1String("%d"), QString::number(count))
                                         : QString());
}

void DownloadViewCtrl::reSetTurboBtn()
{
    if (!m_turboTaskBtn)
        return;
    const bool on = UserDefaults::standard().boolForKey(QStringLiteral("AutoDownloadSpeedup"));
    m_turboTaskBtn->setDrawMode(0);
    m_turboTaskBtn->setImageName(QStringLiteral("mainform"));
    m_turboTaskBtn->setNormalSliceName(on ? QStringLiteral("mainform-261") : QStringLiteral("mainform-260"));
    m_turboTaskBtn->setHoverSliceName(QStringLiteral("mainform-261"));
    m_turboTaskBtn->setDownSliceName(QStringLiteral("mainform-262"));
    m_turboTaskBtn->setDisableSliceName(QStringLiteral("mainform-263"));
    m_turboTaskBtn->setState(on ? 1 : 0);
    m_turboTaskBtn->setToolTip(tr1("Turbo Mode: 3X faster downloading speed"));
    m_turboTaskBtn->update();
}

void DownloadViewCtrl::clickSpeedUp()
{
    WKDataColleciton::share().collectMainFeature(QStringLiteral("MainFeature_TurboMode"));
    UserDefaults &defaults = UserDefaults::standard();
    const bool on = defaults.boolForKey(QStringLiteral("AutoDownloadSpeedup"));
    if (!on) {
        int answer = 0;
        if (m_turboAnswer) {
            answer = m_turboAnswer();
        } else {
            if (!m_turboWinCtrl)
                m_turboWinCtrl = new TurboAminWindowCtrl(m_view ? m_view->window() : nullptr);
            const QRect around = m_view ? m_view->window()->frameGeometry() : QRect();
            answer = m_turboWinCtrl->showTurboWindow(around);
        }
        if (answer != 1)
            return;
    }
    defaults.setBool(QStringLiteral("AutoDownloadSpeedup"), !on);
    defaults.synchronize();
    m_downloadingViewCtr->setTurboModeState(!on);
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Turbomode"), !on ? QStringLiteral("Id_Turbomode_Open")
                                                                                   : QStringLiteral("Id_Turbomode_Close"));
    reSetTurboBtn();
    m_downloadingViewCtr->refreshDownloadingItem();
}

void DownloadViewCtrl::setDownConvertMode(bool on)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DCKey, on);
    GolobFun::setInfoValue(on, QStringLiteral("DownAndConvertOneMode"));
    defaults.synchronize();
    updateDownConvertLabel();
}

void DownloadViewCtrl::updateDownConvertLabel()
{
    if (!m_lblConverted)
        return;
    const bool on = UserDefaults::standard().boolForKey(DCKey);
    m_lblConverted->setText(downConvertLabelText());
    m_lblConverted->setStyleSheet(on ? QStringLiteral("color:black;") : QStringLiteral("color:#A0A0A0;"));
}

void DownloadViewCtrl::switchWillChangeStatus()
{
    // Switching on always asks for the output format first: the mode is never on without a
    // stored conversion for the library to run.
    if (m_oneConverterSwitchControl && m_oneConverterSwitchControl->state() != 0)
        return;
    if (!m_sheetWidget) {
        m_directFromatCtl = makeFormatSheet(m_view ? m_view->window() : nullptr);
        if (!m_directFromatCtl)
            return;
        m_sheetWidget = m_directFromatCtl->sheetWidget();
        m_directFromatCtl->setIsOneMode(true);
        m_directFromatCtl->setCloseHandler([this](int code, const QVariantMap &param) { paramWindowClose(code, param); });
    }
    m_directFromatCtl->showSheet(m_view);
}

void DownloadViewCtrl::paramWindowClose(int code, const QVariantMap &param)
{
    if (code == 0 || param.isEmpty())
        return;
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(QStringLiteral("OneModeConvertSetingParam"), param);
    setDownConvertMode(true);
    // The switch follows the stored value; it reports the change itself.
    if (m_oneConverterSwitchControl && m_oneConverterSwitchControl->state() == 0)
        m_oneConverterSwitchControl->setState(1);
    else
        switchChangedStatus(true);
    const QString title = param.value(QStringLiteral("FormatTitle")).toString();
    if (!title.isEmpty())
        QVHPHelper::share().autoCreatedIncreaseDataCollect(QStringLiteral("Id_DC_Format"), formatStatisticsValue(title));
}

void DownloadViewCtrl::switchChangedStatus(bool on)
{
    if (on) {
        updateDownConvertLabel();
        QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_DC"), QStringLiteral("Id_DC_ON"));
        return;
    }
    setDownConvertMode(false);
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_DC"), QStringLiteral("Id_DC_OFF"));
}

QString DownloadViewCtrl::formatStatisticsValue(const QString &title)
{
    QString value = title;
    for (const QChar c : {QLatin1Char(','), QLatin1Char('-'), QLatin1Char('('), QLatin1Char(')')}) {
        const qsizetype at = value.indexOf(c);
        if (at >= 0)
            value[at] = QLatin1Char('_');
    }
    value.prepend(QLatin1Char('w'));
    value.replace(QLatin1Char(' '), QLatin1Char('_'));
    return value;
}

void DownloadViewCtrl::clickPopupButton()
{
    if (!m_psateUrlBtn)
        return;
    if (m_pasteListMenu)
        m_pasteListMenu->deleteLater();
    m_pasteListMenu = new EditMenu(QSizeF(m_psateUrlBtn->width(), 38), false);
    m_pasteListMenu->setKnobWidth(0);
    if (EditMenuItem *item = m_pasteListMenu->addItemWithTitle(tr1("Download MP3"), this, "downloadMP3"))
        item->setIsSelected(true);
    m_pasteListMenu->popUpAtPoint(m_psateUrlBtn->mapToGlobal(QPoint(0, m_psateUrlBtn->height())));
}

QString DownloadViewCtrl::downConvertLabelText() const
{
    UserDefaults &defaults = UserDefaults::standard();
    const QString title =
        defaults.dictionaryForKey(QStringLiteral("OneModeConvertSetingParam")).value(QStringLiteral("FormatTitle")).toString();
    if (defaults.boolForKey(DCKey) && !title.isEmpty())
        return tr1("Download then Convert to %@").replace(QLatin1String("%@"), title);
    return tr1("Download then Convert");
}
