#include "shell/PreferenceWndCtr.h"

#include "controls/AFSwitchControl.h"
#include "controls/ControlSlices.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "platform/log/ScribletLogger.h"
#include "outside/updater/SUUpdater.h"
#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "shell/BriskletBundle.h"
#include "shell/MGMessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QString tr_(const char *english)
{
    return MainBundle::localizedString(english);
}

PreferenceWndCtr::FolderChooser &folderChooser()
{
    static PreferenceWndCtr::FolderChooser chooser;
    return chooser;
}

const int TaskNumbers[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const int VideoResolutions[] = {720, 2160, 1440, 1080, 480, 360, 240};
const struct
{
    const char *title;
    qint64 seconds; // 0: never
} UpdateChoices[] = {{"Never", 0}, {"Every Day", 86400}, {"Every Week", 604800}, {"Every Month", 2592000}};

QLabel *label(const char *text, QWidget *parent)
{
    auto *l = new QLabel(tr_(text), parent);
    l->setStyleSheet(QStringLiteral("color: #3c3c3c;"));
    return l;
}

// Tab button n is the "mainform-58n" tile, and "mainform-(589+n)" while its tab shows; its
// title sits under the tile's picture, grey on the plain tile and white on the selected one.
// Without both tiles the button keeps the look it has.
const QSize TabTileSize(64, 56);

void styleTabButton(MGHoverButton *b, int n, bool selected)
{
    const QString sheet = QStringLiteral("mainform");
    const QString normal = QStringLiteral("mainform-58%1").arg(n);
    const QString alter = QStringLiteral("mainform-%1").arg(n + 589);
    if (ControlSlices::image(normal, sheet).isNull() || ControlSlices::image(alter, sheet).isNull()) {
        ScribletLogError(QStringLiteral("setHoverButtonStyle image or alterImage is nil"));
        return;
    }
    const QString slice = selected ? alter : normal;
    b->setImageName(sheet);
    b->setDrawMode(0);
    b->setNormalSliceName(slice);
    b->setHoverSliceName(slice);
    b->setDownSliceName(slice);
    const QColor title = selected ? QColor(Qt::white) : QColor::fromRgbF(0.236, 0.236, 0.236);
    MGHoverButtonCell *cell = b->cell();
    cell->normalColor = cell->overTextColor = cell->downTextColor = title;
    cell->textDrawRect = QRectF(0, 36, TabTileSize.width(), 18);
    b->update();
}

MGCheckButton *checkBox(const char *text, QWidget *parent)
{
    auto *c = new MGCheckButton(parent);
    c->setTitle(tr_(text));
    return c;
}

MGHoverButton *dialogButton(const QString &title, QWidget *parent)
{
    auto *b = new MGHoverButton(parent);
    b->setButtonDisplayType(MGHoverButton::DisplayDialog);
    b->setTitle(title);
    b->setMinimumSize(80, 28);
    return b;
}

QString languageName(const QString &code)
{
    const QLocale locale(code);
    QString name = QLocale::languageToString(locale.language());
    if (code.contains(QLatin1Char('-')) && locale.territory() != QLocale::AnyTerritory)
        name += QStringLiteral(" (%1)").arg(QLocale::territoryToString(locale.territory()));
    return name;
}

} // namespace

PreferenceWndCtr::PreferenceWndCtr(UserDefaults &defaults, QWidget *parent)
    : ShellDialog(parent)
    , m_prefs(defaults)
{
    setObjectName(QStringLiteral("PreferenceWindow"));
    setTitleText(tr_("Preferences"));
    setFixedSize(600, 440);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(20, TitleStripHeight + 12, 20, 16);
    root->setSpacing(12);

    auto *tabs = new QHBoxLayout;
    tabs->setSpacing(8);
    static const char *const tabTitles[] = {"Download", "Location", "Extensions", "Others"};
    for (int n = 1; n <= 4; ++n) {
        auto *b = new MGHoverButton(this);
        b->setObjectName(QStringLiteral("tabButton%1").arg(n));
        b->setTitle(tr_(tabTitles[n - 1]));
        b->setCheckable(true);
        b->setFixedSize(TabTileSize);
        QFont f = b->font();
        f.setPixelSize(11);
        b->setFont(f);
        styleTabButton(b, n, false);
        connect(b, &QAbstractButton::clicked, this, [this, b] { swithItemTabView(b); });
        m_tabButtons[n - 1] = b;
        tabs->addWidget(b);
    }
    tabs->addStretch();
    root->addLayout(tabs);

    m_tabView = new QStackedWidget(this);
    for (int n = 1; n <= 4; ++n) {
        auto *page = new QWidget(m_tabView);
        page->setObjectName(QString::number(n));
        m_tabView->addWidget(page);
    }
    buildDownloadTab(m_tabView->widget(0));
    buildLocationTab(m_tabView->widget(1));
    // The Extensions tab shows the bundle's page when the bundle ships; else what is here.
    if (QWidget *view = BriskletBundle::preferenceView(m_tabView)) {
        QWidget *old = m_tabView->widget(2);
        m_tabView->insertWidget(2, view);
        m_tabView->removeWidget(old);
        old->deleteLater();
        m_hasExtensionView = true;
    } else {
        auto *l = new QVBoxLayout(m_tabView->widget(2));
        auto *note = label("The browser extension is not installed with this copy of Fennix Pro.", m_tabView->widget(2));
        note->setWordWrap(true);
        l->addWidget(note);
        l->addStretch();
    }
    buildOthersTab(m_tabView->widget(3));
    root->addWidget(m_tabView, 1);

    auto *buttons = new QHBoxLayout;
    m_btnReset = dialogButton(tr_("Reset"), this);
    m_btnCancel = dialogButton(tr_("Cancel"), this);
    m_btnOK = dialogButton(tr_("OK"), this);
    m_btnOK->setObjectName(QStringLiteral("okButton"));
    m_btnCancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(m_btnReset);
    buttons->addStretch();
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnOK);
    root->addLayout(buttons);
    connect(m_btnReset, &QAbstractButton::clicked, this, [this] { clickBtnReset(0); });
    connect(m_btnCancel, &QAbstractButton::clicked, this, &PreferenceWndCtr::clickBtnCancel);
    connect(m_btnOK, &QAbstractButton::clicked, this, &PreferenceWndCtr::clickBtnOk);

    swithItemTabView(nullptr);
    setupDefaultWidget();
}

void PreferenceWndCtr::buildDownloadTab(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(10, 14, 10, 6);
    grid->setVerticalSpacing(10);
    m_cbxSimultaneousNumber = new QComboBox(page);
    for (int n : TaskNumbers)
        m_cbxSimultaneousNumber->addItem(QString::number(n));
    m_btnOnToOff = new AFSwitchControl(page);
    m_btnOnToOff->setFixedSize(48, 22);
    m_cbxDownloadOption = new QComboBox(page);
    m_cbxDownloadOption->addItems({tr_("Video"), tr_("Audio")});
    m_cbxQualityOption = new QComboBox(page);
    m_cbxSubtitlesOption = new QComboBox(page);
    for (const QString &code : subtitleCodes())
        m_cbxSubtitlesOption->addItem(languageName(code), code);
    connect(m_cbxDownloadOption, &QComboBox::currentIndexChanged, this, [this] { fillQualityList(); });

    int row = 0;
    grid->addWidget(label("The maximum number of downloading tasks:", page), row, 0);
    grid->addWidget(m_cbxSimultaneousNumber, row++, 1);
    grid->addWidget(label("1-Click Dowload Mode for YouTube:", page), row, 0);
    grid->addWidget(m_btnOnToOff, row++, 1, Qt::AlignLeft);
    grid->addWidget(label("Download:", page), row, 0);
    grid->addWidget(m_cbxDownloadOption, row++, 1);
    grid->addWidget(label("Quality:", page), row, 0);
    grid->addWidget(m_cbxQualityOption, row++, 1);
    grid->addWidget(label("Subtitles:", page), row, 0);
    grid->addWidget(m_cbxSubtitlesOption, row++, 1);
    m_chkAutoDownYouTubeCaptions = checkBox("Auto download YouTube playlist Subtitles/CC", page);
    m_chkShowDownSuccPopup = checkBox("Show popup after successful download", page);
    m_chkAutoResumeUnfinishTask = checkBox("Auto resume unfinished tasks on startup", page);
    for (MGCheckButton *c : {m_chkAutoDownYouTubeCaptions, m_chkShowDownSuccPopup, m_chkAutoResumeUnfinishTask})
        grid->addWidget(c, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
}

void PreferenceWndCtr::buildLocationTab(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(10, 14, 10, 6);
    grid->setVerticalSpacing(8);
    const struct
    {
        const char *text;
        QLineEdit **field;
    } rows[] = {{"Save Downloaded Files to:", &m_edtDownloadSavePath},
                {"Save Recorded Files to:", &m_edtRecordSavePath},
                {"Save Converted Files to:", &m_edtConvertSavePath}};
    int row = 0;
    int tag = 1;
    for (const auto &r : rows) {
        grid->addWidget(label(r.text, page), row++, 0, 1, 3);
        *r.field = new QLineEdit(page);
        (*r.field)->setReadOnly(true);
        grid->addWidget(*r.field, row, 0);
        // Odd tags change a folder, even tags put its default back.
        for (int t : {tag, tag + 1}) {
            auto *b = dialogButton(tr_(t % 2 ? "Change" : "Reset"), page);
            b->setProperty("tag", t);
            connect(b, &QAbstractButton::clicked, this, [this, t] { t % 2 ? clickBtnChange(t) : clickBtnReset(t); });
            grid->addWidget(b, row, t % 2 ? 1 : 2);
        }
        ++row;
        tag += 2;
    }
    m_lblPathNote = new QLabel(page);
    m_lblPathNote->setObjectName(QStringLiteral("pathNote"));
    m_lblPathNote->setWordWrap(true);
    m_lblPathNote->setStyleSheet(QStringLiteral("color: #c0392b;"));
    grid->addWidget(m_lblPathNote, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(0, 1);
}

void PreferenceWndCtr::buildOthersTab(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(10, 14, 10, 6);
    grid->setVerticalSpacing(12);
    m_btnResetAllWarning = dialogButton(tr_("Reset Warnings"), page);
    m_btnResetAllWarning->setObjectName(QStringLiteral("resetWarningsButton"));
    connect(m_btnResetAllWarning, &QAbstractButton::clicked, this, &PreferenceWndCtr::clickResetWarning);
    m_pubUpdateTime = new QComboBox(page);
    for (const auto &c : UpdateChoices)
        m_pubUpdateTime->addItem(tr_(c.title), c.seconds);
    grid->addWidget(label("Reset all warning dialogs:", page), 0, 0);
    grid->addWidget(m_btnResetAllWarning, 0, 1, Qt::AlignLeft);
    m_lblUpdateNote = label("Updates are not configured for this build.", page);
    m_lblUpdateNote->setObjectName(QStringLiteral("updateNote"));
    m_lblUpdateNote->hide();
    grid->addWidget(label("Check for updates automatically:", page), 1, 0);
    grid->addWidget(m_pubUpdateTime, 1, 1);
    grid->addWidget(m_lblUpdateNote, 1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
}

MGHoverButton *PreferenceWndCtr::tabButton(int tab) const
{
    return tab >= 1 && tab <= 4 ? m_tabButtons[tab - 1] : nullptr;
}

void PreferenceWndCtr::swithItemTabView(MGHoverButton *button)
{
    if (!button)
        button = m_tabButtons[0];
    int tab = 0;
    for (int n = 1; n <= 4; ++n)
        if (m_tabButtons[n - 1] == button)
            tab = n;
    if (tab == 0)
        return;
    for (int n = 1; n <= 4; ++n) {
        m_tabButtons[n - 1]->setChecked(n == tab);
        styleTabButton(m_tabButtons[n - 1], n, n == tab);
    }
    if (tab == m_currentTab)
        return;
    m_tabView->setCurrentIndex(tab - 1);
    m_btnReset->setVisible(tab == DownloadTab);
    m_currentTab = tab;
}

void PreferenceWndCtr::selectTab(int tab)
{
    swithItemTabView(tabButton(tab));
}

QStringList PreferenceWndCtr::subtitleCodes()
{
    return QStringLiteral("en,de,es-419,es,fr,it,ja,nl,pt").split(QLatin1Char(','));
}

QStringList PreferenceWndCtr::warningKeys()
{
    return {QStringLiteral("PopupWhenDownloadSuccess"),          QStringLiteral("isShowPlayWithConverter"),
            QStringLiteral("isShowquitWhentaskRunning"),         QStringLiteral("ShowWarningNotYoutubeDownload"),
            QStringLiteral("ShowWarningNotYoutubeAudioDownload"), QStringLiteral("ShowWarningYouTubePlaylistDownload"),
            QStringLiteral("AlertWhenDeleteDownloading"),        QStringLiteral("AlertWhenDeleteAllDownloading")};
}

QString PreferenceWndCtr::defaultDownloadSavePath()
{
    return AppPaths::defaultDownloadFolder();
}

QString PreferenceWndCtr::defaultRecordSavePath()
{
    return AppPaths::recordFolder();
}

QString PreferenceWndCtr::defaultConvertSavePath()
{
    return AppPaths::convertedFolder();
}

void PreferenceWndCtr::setFolderChooserForTesting(FolderChooser chooser)
{
    folderChooser() = std::move(chooser);
}

void PreferenceWndCtr::fillQualityList()
{
    const QString stored = m_prefs.stringForKey(QStringLiteral("DesiredVideoResolution"));
    QSignalBlocker block(m_cbxQualityOption);
    m_cbxQualityOption->clear();
    if (m_cbxDownloadOption->currentIndex() <= 0) {
        for (int r : VideoResolutions)
            m_cbxQualityOption->addItem(QStringLiteral("%1P").arg(r));
    } else {
        m_cbxQualityOption->addItem(QStringLiteral("%1Kbps").arg(320));
    }
    const int i = m_cbxQualityOption->findText(stored);
    m_cbxQualityOption->setCurrentIndex(i >= 0 ? i : 0);
}

void PreferenceWndCtr::showPath(QLineEdit *field, const QString &key, const QString &fallback)
{
    const QString stored = m_prefs.stringForKey(key);
    field->setText(stored.isEmpty() ? fallback : stored);
    // A folder on a drive that is not connected now stays chosen; it is only marked.
    const bool missing = !stored.isEmpty() && !QFileInfo::exists(stored);
    field->setStyleSheet(missing ? QStringLiteral("color: #c0392b;") : QString());
    field->setToolTip(missing ? tr_("This folder is not available now. Is its drive connected?") : QString());
    field->setProperty("missing", missing);
}

void PreferenceWndCtr::setupDefaultWidget()
{
    // Numbers and switches.
    qint64 tasks = m_prefs.integerForKey(QStringLiteral("numberOfDownload"));
    int index = m_cbxSimultaneousNumber->findText(QString::number(tasks));
    m_cbxSimultaneousNumber->setCurrentIndex(tasks > 0 && index >= 0 ? index : m_cbxSimultaneousNumber->findText(QStringLiteral("5")));
    m_btnOnToOff->setState(m_prefs.boolForKey(QStringLiteral("YouTubeAutoDownloadMode")) ? 1 : 0);

    // Check boxes: absent keys read from the registered defaults; popup and resume default on.
    auto stateOf = [this](const char *key, bool fallback) {
        const QString k = QString::fromLatin1(key);
        return (m_prefs.objectForKey(k).isValid() ? m_prefs.boolForKey(k) : fallback) ? 1 : 0;
    };
    m_chkAutoDownYouTubeCaptions->setState(stateOf("AutoDownloadYouTubeCaptions", false));
    m_chkShowDownSuccPopup->setState(stateOf("PopupWhenDownloadSuccess", true));
    m_chkAutoResumeUnfinishTask->setState(stateOf("isAutoResumeTask", true));

    // Download kind, then the quality list that depends on it.
    index = m_cbxDownloadOption->findText(m_prefs.stringForKey(QStringLiteral("DesiredDownloadFormat")));
    {
        QSignalBlocker block(m_cbxDownloadOption);
        m_cbxDownloadOption->setCurrentIndex(index >= 0 ? index : 0);
    }
    fillQualityList();
    index = m_cbxSubtitlesOption->findData(m_prefs.stringForKey(QStringLiteral("DefaultSubtitleLanguageCode")));
    m_cbxSubtitlesOption->setCurrentIndex(index >= 0 ? index : 0);

    showPath(m_edtDownloadSavePath, QStringLiteral("downloadedSavePath"), defaultDownloadSavePath());
    showPath(m_edtRecordSavePath, QStringLiteral("recordPath"), defaultRecordSavePath());
    showPath(m_edtConvertSavePath, QStringLiteral("convertedPath"), defaultConvertSavePath());
    const bool anyMissing = m_edtDownloadSavePath->property("missing").toBool() ||
                            m_edtRecordSavePath->property("missing").toBool() ||
                            m_edtConvertSavePath->property("missing").toBool();
    m_lblPathNote->setText(anyMissing ? tr_("A folder marked in red is not available now. Is its drive connected? "
                                            "It stays chosen until you change it.")
                                      : QString());

    setupUpdatePopupButtonValue();
    m_speedupMode = m_prefs.objectForKey(QStringLiteral("AutoDownloadSpeedup"));
}

void PreferenceWndCtr::setupUpdatePopupButtonValue()
{
    const bool disabled =
        m_prefs.boolForKey(QStringLiteral("DisableUpdate")) || MainBundle::infoValue(QStringLiteral("DisableUpdate")).toBool();
    // Without a feed there is nothing to check: the place says so instead of an empty choice,
    // as Check for Updates does.
    const bool noSource = disabled || SUUpdater::configuredFeedURL().isEmpty();
    m_pubUpdateTime->setVisible(!noSource);
    m_lblUpdateNote->setVisible(noSource);
    if (disabled) {
        m_pubUpdateTime->setEnabled(false);
        m_pubUpdateTime->setCurrentIndex(-1);
        return;
    }
    m_pubUpdateTime->setEnabled(true);
    if (!m_prefs.boolForKey(QStringLiteral("SUEnableAutomaticChecks"))) {
        m_pubUpdateTime->setCurrentIndex(0);
        return;
    }
    const QVariant stored = m_prefs.objectForKey(QStringLiteral("SUScheduledCheckInterval"));
    const qint64 seconds = stored.isValid() ? UserDefaults::toInteger(stored) : 604800;
    // An interval that is none of the three selects nothing, and OK then leaves it alone.
    m_pubUpdateTime->setCurrentIndex(seconds > 0 ? m_pubUpdateTime->findData(seconds) : -1);
}

int PreferenceWndCtr::runModel(QWidget *mainWindow, int curButtonType)
{
    setupDefaultWidget();
    if (curButtonType == 0)
        swithItemTabView(nullptr);
    // A window shown before keeps its last place unless told: every opening is centred anew.
    if (mainWindow)
        setFrameOriginWithParentRect(mainWindow->frameGeometry());
    else
        setFrameOriginWithParentRect(QRect());
    return exec();
}

void PreferenceWndCtr::clickBtnOk()
{
    if (m_isResetWarning) {
        for (const QString &key : warningKeys())
            m_prefs.setBool(key, true);
        m_prefs.setInteger(QStringLiteral("isHadWarningRevolution"), 0);
        m_prefs.setBool(QStringLiteral("DontNeedExtensionGuideKey"), false);
        m_prefs.synchronize();
        m_isResetWarning = false;
    }
    m_prefs.setString(QStringLiteral("downloadedSavePath"), m_edtDownloadSavePath->text());
    m_prefs.setString(QStringLiteral("recordPath"), m_edtRecordSavePath->text());
    m_prefs.setString(QStringLiteral("convertedPath"), m_edtConvertSavePath->text());
    m_prefs.setInteger(QStringLiteral("YouTubeAutoDownloadMode"), m_btnOnToOff->state() == 1 ? 1 : 0);
    m_prefs.setInteger(QStringLiteral("PopupWhenDownloadSuccess"), m_chkShowDownSuccPopup->state() == 1 ? 1 : 0);
    m_prefs.setInteger(QStringLiteral("isAutoResumeTask"), m_chkAutoResumeUnfinishTask->state() == 1 ? 1 : 0);
    m_prefs.setString(QStringLiteral("DesiredVideoResolution"), m_cbxQualityOption->currentText());
    m_prefs.setString(QStringLiteral("DesiredDownloadFormat"), m_cbxDownloadOption->currentText());

    const int update = m_pubUpdateTime->currentIndex();
    if (m_pubUpdateTime->isEnabled() && update >= 0) {
        const qint64 seconds = m_pubUpdateTime->itemData(update).toLongLong();
        SUUpdater &updater = SUUpdater::sharedUpdater();
        if (seconds == 0) {
            m_prefs.setBool(QStringLiteral("SUEnableAutomaticChecks"), false);
            updater.setAutomaticallyChecksForUpdates(false);
        } else {
            m_prefs.setBool(QStringLiteral("SUEnableAutomaticChecks"), true);
            m_prefs.setInteger(QStringLiteral("SUScheduledCheckInterval"), seconds);
            updater.setUpdateCheckInterval(double(seconds));
        }
    }

    const qint64 tasks = m_cbxSimultaneousNumber->currentText().toLongLong();
    if (tasks > 0 && tasks != m_prefs.integerForKey(QStringLiteral("numberOfDownload")))
        m_prefs.setInteger(QStringLiteral("numberOfDownload"), tasks);
    const QString code = m_cbxSubtitlesOption->currentData().toString();
    m_prefs.setString(QStringLiteral("DefaultSubtitleLanguageCode"), code.isEmpty() ? QStringLiteral("en") : code);
    m_prefs.setBool(QStringLiteral("AutoDownloadYouTubeCaptions"), m_chkAutoDownYouTubeCaptions->state() == 1);
    if (m_speedupMode.isValid())
        m_prefs.setObject(QStringLiteral("AutoDownloadSpeedup"), m_speedupMode);
    m_prefs.synchronize();
    NotificationCenter::defaultCenter().post(QStringLiteral("Noticication-Named-Preferences-Update"),
                                             QVariant::fromValue<QObject *>(this));
    done(1);
}

void PreferenceWndCtr::clickBtnCancel()
{
    m_isResetWarning = false;
    setupDefaultWidget();
    done(0);
}

void PreferenceWndCtr::clickBtnReset(int tag)
{
    switch (tag) {
    case 0:
        m_cbxSimultaneousNumber->setCurrentIndex(m_cbxSimultaneousNumber->findText(QStringLiteral("5")));
        m_cbxDownloadOption->setCurrentIndex(0);
        fillQualityList();
        m_cbxSubtitlesOption->setCurrentIndex(0);
        m_chkAutoDownYouTubeCaptions->setState(1);
        m_chkShowDownSuccPopup->setState(1);
        m_chkAutoResumeUnfinishTask->setState(1);
        m_btnOnToOff->setState(0);
        break;
    case 2:
        m_edtDownloadSavePath->setText(defaultDownloadSavePath());
        break;
    case 4:
        m_edtRecordSavePath->setText(defaultRecordSavePath());
        break;
    case 6:
        m_edtConvertSavePath->setText(defaultConvertSavePath());
        break;
    default:
        break;
    }
}

void PreferenceWndCtr::clickBtnChange(int tag)
{
    QLineEdit *field = tag == 1 ? m_edtDownloadSavePath : tag == 3 ? m_edtRecordSavePath : tag == 5 ? m_edtConvertSavePath : nullptr;
    if (!field)
        return;
    setEnabled(false);
    for (;;) {
        const QString chosen = folderChooser() ? folderChooser()(this, field->text())
                                               : QFileDialog::getExistingDirectory(this, QString(), field->text());
        if (chosen.isEmpty())
            break;
        const QFileInfo info(chosen);
        if (info.isDir() && info.isWritable()) {
            field->setText(QDir::cleanPath(chosen));
            field->setStyleSheet(QString());
            field->setToolTip(QString());
            break;
        }
        MGMessageBox::warning(tr_("It seems that you do not have enough privilege to save output files here, please select another one."),
                              QString(), QString(), tr_("OK"), QImage(), frameGeometry());
    }
    setEnabled(true);
}

void PreferenceWndCtr::clickResetWarning()
{
    m_isResetWarning = true;
    m_chkShowDownSuccPopup->setState(1);
}
