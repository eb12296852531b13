#include "downloads/DLoadingItemViewCtr.h"

#include "controls/MGHoverButton.h"
#include "controls/MGProgressIndicator.h"
#include "controls/MTImageView.h"
#include "controls/QVUrlLabel.h"
#include "downloads/DownloadingActionViewCtrl.h"
#include "downloads/ReelgrabingUI.h"
#include "downloads/ListRowView.h"
#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "reelgrab/NSStringHumanReadable.h"
#include "shell/GolobFun.h"
#include "shell/GolobFunDesktop.h"
#include "shell/MGMessageBox.h"
#include "shell/UIManager.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QWidget>

namespace {

const QColor StatusGrey(154, 154, 154);
const QColor FailureRed(220, 50, 47);

// The sites whose failures are usually cured by playing the page in a browser first.
const QStringList &loginSites()
{
    static const QStringList sites = {QStringLiteral("facebook"), QStringLiteral("lynda"), QStringLiteral("fc2"),
                                      QStringLiteral("gyao"),     QStringLiteral("nicovideo"), QStringLiteral("youtube"),
                                      QStringLiteral("vimeo")};
    return sites;
}

QString tr1(const char *english) { return MainBundle::localizedString(english); }

QString replaceArgs(QString format, const QStringList &args)
{
    for (const QString &a : args) {
        const int at = format.indexOf(QLatin1String("%@"));
        if (at < 0)
            break;
        format.replace(at, 2, a);
    }
    return format;
}

// A neutral globe for sites without an icon of their own.
QImage plainWebIcon()
{
    static const QImage icon = [] {
        QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(150, 160, 170), 2));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.drawEllipse(QRectF(10, 3, 12, 26));
        p.drawLine(QPointF(3, 16), QPointF(29, 16));
        return image;
    }();
    return icon;
}

bool isYouTubeTask(const QVReelgrabTask *task) { return task && task->isSiteof(QStringLiteral("youtube")); }

} // namespace

DLoadingItemViewCtr::DLoadingItemViewCtr(const DownloadNode::Ptr &node, QVReelgrabTask *task)
    : m_downloadTask(task)
    , m_downloadNode(node)
{
}

DLoadingItemViewCtr::~DLoadingItemViewCtr()
{
    if (m_view)
        delete m_view.data();
}

QWidget *DLoadingItemViewCtr::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void DLoadingItemViewCtr::loadView()
{
    auto *row = new ListRowView;
    m_view = row;
    row->resize(900, RowHeight);
    row->setOnResize([this] { layoutRow(); });

    m_thumbnailView = new MTImageView(row);
    m_webIconView = new QLabel(row);
    m_webIconView->setScaledContents(true);
    m_subtitleView = new QLabel(QStringLiteral("CC"), row);
    m_subtitleView->setStyleSheet(QStringLiteral("color:#5F6B7A;border:1px solid #A7B1BC;border-radius:2px;font-size:9px;padding:0 2px;"));
    m_subtitleView->hide();
    m_titleField = new QLabel(row);
    QFont titleFont = m_titleField->font();
    titleFont.setPixelSize(14);
    m_titleField->setFont(titleFont);
    m_titleField->setStyleSheet(QStringLiteral("color:#222;"));
    m_downloadStatusField = new QVUrlLabel(row);
    QFont small = m_downloadStatusField->font();
    small.setPixelSize(12);
    m_downloadStatusField->setFont(small);
    m_progressField = new QLabel(row);
    m_progressField->setFont(small);
    m_progressField->setStyleSheet(QStringLiteral("color:#9A9A9A;"));
    m_progressField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_warningField = new QLabel(row);
    m_warningField->setFont(small);
    m_warningField->hide();
    m_resolutionTextField = new QLabel(row);
    m_resolutionTextField->setStyleSheet(QStringLiteral("color:#20C05B;border:1px solid #20C05B;border-radius:2px;font-size:10px;padding:0 2px;"));
    m_resolutionTextField->hide();
    m_turbroIco = new QLabel(row);
    m_turbroIco->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-145"))));
    m_turbroIco->setToolTip(tr1("Turbo Mode: 3X faster downloading speed"));
    m_turbroIco->hide();
    m_progressIndicator = new MGProgressIndicator(row);
    m_progressIndicator->setMinValue(0);
    m_progressIndicator->setMaxValue(100);

    auto makeButton = [row](const QString &theme, const QString &tip) {
        auto *b = new MGHoverButton(row);
        UIManager::setupHoverButtonThemeInMain(b, theme);
        b->setToolTip(tip);
        b->resize(28, 28);
        b->hide();
        b->setEnabled(false);
        return b;
    };
    m_pauseButton = makeButton(QStringLiteral("mainform-761,mainform-762,mainform-763,mainform-764"), tr1("Pause"));
    m_resumeButton = makeButton(QStringLiteral("mainform-769,mainform-770,mainform-771,mainform-772"), tr1("Resume"));
    m_retryButton = makeButton(QStringLiteral("mainform-753,mainform-754,mainform-755,mainform-756"), tr1("Retry"));
    m_stopButton = makeButton(QStringLiteral("mainform-745,mainform-746,mainform-747,mainform-748"), tr1("Stop"));
    m_deleteButton = makeButton(QStringLiteral("mainform-577,mainform-578,mainform-579,mainform-580"), tr1("Delete"));
    connect(m_pauseButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickPause);
    connect(m_resumeButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickResume);
    connect(m_retryButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickRetry);
    connect(m_stopButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickStop);
    connect(m_deleteButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickDelete);
    m_startRecordButton = new MGHoverButton(row);
    m_startRecordButton->setObjectName(QStringLiteral("startRecordButton"));
    m_startRecordButton->setIconSliceName(QStringLiteral("mainform-171"));
    m_startRecordButton->setToolTip(tr1("Record"));
    m_startRecordButton->resize(28, 28);
    m_startRecordButton->hide();
    connect(m_startRecordButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickStartRecord);

    // Play-list header, hidden on plain rows.
    m_playlistbox = new QWidget(row);
    m_playlistbox->hide();
    m_disclosureButton = new MGHoverButton(m_playlistbox);
    m_disclosureButton->setTitle(QStringLiteral("\u25B8"));
    m_disclosureButton->resize(20, 20);
    connect(m_disclosureButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickDisclosure);
    m_playlistNameTxtField = new QLabel(m_playlistbox);
    QFont bold = titleFont;
    bold.setBold(true);
    m_playlistNameTxtField->setFont(bold);
    m_playlistCountLable = new QLabel(m_playlistbox);
    m_playlistCountLable->setAlignment(Qt::AlignCenter);
    m_playlistCountLable->setStyleSheet(QStringLiteral("background:rgb(32,192,91);color:white;border-radius:8px;font-size:10px;"));
    m_taskInfoField = new QLabel(m_playlistbox);
    m_taskInfoField->setFont(small);
    m_taskInfoField->setTextFormat(Qt::RichText);
    m_secondTitleField = new QLabel(row);
    m_secondTitleField->setFont(small);
    m_secondTitleField->setStyleSheet(QStringLiteral("color:#9A9A9A;"));
    m_secondTitleField->hide();
    m_pausePlaylistButton = new MGHoverButton(m_playlistbox);
    UIManager::setupHoverButtonThemeInMain(m_pausePlaylistButton, QStringLiteral("mainform-761,mainform-762,mainform-763,mainform-764"));
    m_resumePlaylistButton = new MGHoverButton(m_playlistbox);
    UIManager::setupHoverButtonThemeInMain(m_resumePlaylistButton, QStringLiteral("mainform-769,mainform-770,mainform-771,mainform-772"));
    m_retryPlaylistButton = new MGHoverButton(m_playlistbox);
    UIManager::setupHoverButtonThemeInMain(m_retryPlaylistButton, QStringLiteral("mainform-753,mainform-754,mainform-755,mainform-756"));
    for (MGHoverButton *b : {m_pausePlaylistButton, m_resumePlaylistButton, m_retryPlaylistButton})
        b->resize(28, 28);
    connect(m_pausePlaylistButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickPlaylistPause);
    connect(m_resumePlaylistButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickPlaylistResume);
    connect(m_retryPlaylistButton, &MGHoverButton::clicked, this, &DLoadingItemViewCtr::clickPlaylistResume);

    m_isDefautThum = true;
    m_isDefautIcon = true;
    displayWithReelgrabTask(m_downloadTask);
    layoutRow();
}

void DLoadingItemViewCtr::layoutRow()
{
    if (!m_view)
        return;
    const int w = m_view->width();
    const int top = m_playlistHeader ? PlaylistRowHeight - RowHeight : 0;
    m_playlistbox->setGeometry(0, 0, w, top);
    if (m_playlistHeader) {
        m_disclosureButton->move(8, 8);
        m_playlistNameTxtField->setGeometry(34, 8, qMin(600, w / 2), 20);
        const int nameWidth = qMin(m_playlistNameTxtField->fontMetrics().horizontalAdvance(m_playlistNameTxtField->text()),
                                   m_playlistNameTxtField->width());
        m_playlistCountLable->setGeometry(40 + nameWidth, 10, 22, 16);
        m_taskInfoField->setGeometry(72 + nameWidth, 8, qMax(0, w - 72 - nameWidth - 120), 20);
        int x = w - 24 - 28;
        for (MGHoverButton *b : {m_retryPlaylistButton, m_resumePlaylistButton, m_pausePlaylistButton}) {
            b->move(x, 4);
            if (!b->isHidden())
                x -= 36;
        }
    }
    const bool child = [&] {
        const DownloadNode::Ptr node = m_downloadNode.lock();
        return node && node->parentNode() && node->parentNode()->isExtend() && !node->isPlaylistNode();
    }();
    if (child)
        m_thumbnailView->setGeometry(44, top + 10, 110, 60);
    else
        m_thumbnailView->setGeometry(28, top + 5, 126, 70);
    m_thumbnailView->setIsChildrenNode(child);
    const int textX = 172;
    const int right = w - DownloadingActionViewCtrl::Width;
    m_webIconView->setGeometry(textX, top + 12, 16, 16);
    int titleX = textX + 22;
    int resolutionWidth = m_resolutionTextField->isHidden() ? 0 : m_resolutionTextField->sizeHint().width() + 6;
    m_titleField->setGeometry(titleX, top + 8, qMax(40, right - titleX - resolutionWidth - 30), 22);
    const QString elided = m_titleField->fontMetrics().elidedText(titleText(), Qt::ElideMiddle, m_titleField->width());
    if (m_titleField->text() != elided)
        m_titleField->setText(elided);
    const int titleEnd = titleX + qMin(m_titleField->width(), m_titleField->fontMetrics().horizontalAdvance(elided));
    m_resolutionTextField->move(titleEnd + 6, top + 11);
    m_subtitleView->move(titleEnd + 6 + resolutionWidth, top + 11);
    if (m_playlistHeader && !m_secondTitleField->isHidden())
        m_secondTitleField->setGeometry(titleX, top + 30, right - titleX, 16);
    m_downloadStatusField->setGeometry(textX, top + 32, qMax(40, right - textX), 18);
    const int statusWidth = m_downloadStatusField->fontMetrics().horizontalAdvance(m_downloadStatusField->text());
    m_turbroIco->move(textX + statusWidth + 6, top + 33);
    m_progressIndicator->setGeometry(textX, top + 56, qMax(40, right - textX - 70), 10);
    m_progressField->setGeometry(m_progressIndicator->geometry().right() + 6, top + 51, 62, 18);
    m_warningField->setGeometry(textX, top + 56, qMax(40, right - textX), 18);
    int x = w - 24 - 28;
    for (MGHoverButton *b : {m_deleteButton, m_stopButton, m_resumeButton, m_retryButton, m_pauseButton}) {
        b->move(x, top + (RowHeight - 28) / 2);
        if (!b->isHidden())
            x -= 40;
    }
}

QString DLoadingItemViewCtr::titleText() const
{
    if (!m_downloadTask)
        return QString();
    const QString title = m_downloadTask->mediaTitle();
    return title.isEmpty() ? m_downloadTask->pageUrl() : title;
}

void DLoadingItemViewCtr::redrawCommon()
{
    if (!m_view)
        return;
    updateImagesByReelgrabTask();
    m_titleField->setToolTip(titleText());
    m_downloadStatusField->setEnableClick(false);
    m_downloadStatusField->setUrl(QString());
    m_downloadStatusField->setNormalForegroundColor(StatusGrey);
    m_downloadStatusField->setMoveOverForegroundColor(std::nullopt);
    m_downloadStatusField->show();
}

void DLoadingItemViewCtr::setStatus(const QString &text, const QColor &color)
{
    m_downloadStatusField->setNormalForegroundColor(color);
    // A style sheet on an enclosing view would override the palette alone.
    m_downloadStatusField->setStyleSheet(QStringLiteral("color:%1;").arg(color.name()));
    m_downloadStatusField->setStringValue(text);
    m_downloadStatusField->show();
}

void DLoadingItemViewCtr::setFailureStatus(const QString &text, const QString &link)
{
    m_downloadStatusField->setNormalForegroundColor(FailureRed);
    m_downloadStatusField->setStyleSheet(QStringLiteral("color:%1;").arg(FailureRed.name()));
    m_downloadStatusField->setMoveOverForegroundColor(FailureRed.darker(130));
    m_downloadStatusField->setStringValue(text);
    m_downloadStatusField->setEnableClick(true);
    m_downloadStatusField->setUrl(link);
    if (link.isEmpty())
        m_downloadStatusField->setClickURLAction(this, "goToRecodView");
    else
        m_downloadStatusField->setClickURLAction(nullptr, "");
    m_downloadStatusField->show();
}

void DLoadingItemViewCtr::stopIndeterminate()
{
    if (m_progressIndicator->isIndeterminate()) {
        m_progressIndicator->stopAnimation();
        m_progressIndicator->setIndeterminate(false);
    }
}

void DLoadingItemViewCtr::showProgress(bool indeterminate, double value, bool percent)
{
    m_progressIndicator->show();
    if (indeterminate) {
        m_progressIndicator->setIndeterminate(true);
        m_progressIndicator->startAnimation();
    } else {
        stopIndeterminate();
        m_progressIndicator->setDoubleValue(value);
    }
    m_progressField->setVisible(percent);
    updatePercent();
}

void DLoadingItemViewCtr::hideProgress()
{
    stopIndeterminate();
    m_progressIndicator->hide();
    m_progressField->hide();
}

void DLoadingItemViewCtr::updatePercent()
{
    const double max = m_progressIndicator->maxValue();
    const double percent = max > 0 ? m_progressIndicator->doubleValue() * 100.0 / max : 0.0;
    m_progressField->setText(QString::asprintf("%.2f%%", percent));
}

void DLoadingItemViewCtr::hideWarning()
{
    m_warningField->hide();
    m_downloadStatusField->setToolTip(QString());
}

void DLoadingItemViewCtr::showFailureReason(const QString &reason)
{
    // The row's own text stays; why it failed sits on the line below it and in its tool tip.
    m_downloadStatusField->setToolTip(reason);
    m_warningField->setToolTip(reason);
    m_warningField->setText(reason);
    m_warningField->setStyleSheet(QStringLiteral("color:%1;").arg(FailureRed.name()));
    m_warningField->setVisible(!reason.isEmpty());
}

// Task callbacks ------------------------------------------------------------------------------

void DLoadingItemViewCtr::reelgrabDownloadDidReset(QVReelgrabTask *task)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    if (task->downloadStatus() == QVReelgrabTaskStatusQueued) {
        setStatus(tr1("Waiting for download..."));
        showProgress(false, 0, false);
    } else {
        setStatus(tr1("Waiting for analyz..."));
        if (task->mediaSize() > 0)
            showProgress(false, ReelgrabingUI::percentOf(task->downloadedSize(), task->mediaSize()), true);
        else
            m_progressField->hide();
    }
    setButtonStateWithTaskState(0);
}

void DLoadingItemViewCtr::reelgrabSniffingDidStarted(QVReelgrabTask *)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    setStatus(tr1("Analyzing..."));
    showProgress(true, 0, false);
    setButtonStateWithTaskState(1);
}

void DLoadingItemViewCtr::reelgrabSniffingInProgress(QVReelgrabTask *, double progress)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    setStatus(tr1("Analyzing..."));
    showProgress(false, progress, true);
    setButtonStateWithTaskState(1);
}

void DLoadingItemViewCtr::reelgrabSniffingDidCanceled(QVReelgrabTask *)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    setStatus(tr1("Paused"));
    hideProgress();
    setButtonStateWithTaskState(2);
}

void DLoadingItemViewCtr::reelgrabSniffingDidCompleted(QVReelgrabTask *)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    setStatus(tr1("Waiting for download..."));
    showProgress(false, 0, true);
    setButtonStateWithTaskState(4);
}

void DLoadingItemViewCtr::reelgrabSniffingDidFailed(QVReelgrabTask *task, const QVReelgrabError &error)
{
    if (!m_view)
        return;
    redrawCommon();
    QString link;
    for (const QString &site : loginSites()) {
        if (task->isSiteof(site)) {
            link = task->pageUrl();
            break;
        }
    }
    if (!link.isEmpty())
        setFailureStatus(tr1("Failed to download. Play the video on your broswer and try again."), link);
    else
        setFailureStatus(tr1("Failed to download. Click to record it."), QString());
    task->setBrowser(QStringLiteral("safari"));
    showFailureReason(error.isNull() ? task->failureReason() : error.reason());
    hideProgress();
    setButtonStateWithTaskState(3);
}

void DLoadingItemViewCtr::reelgrabDownloadDidStarted(QVReelgrabTask *task)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    setStatus(tr1("Waiting for download..."));
    if (task->mediaSize() <= 0)
        showProgress(true, 0, true);
    else
        showProgress(false, ReelgrabingUI::percentOf(task->downloadedSize(), task->mediaSize()), true);
    setButtonStateWithTaskState(5);
}

void DLoadingItemViewCtr::reelgrabDownloadingWithSpeed(QVReelgrabTask *task, qint64 bytesPerSecond)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    const QString sizes = ReelgrabingUI::downloadedSizeOfMediaSize(*task);
    const QString speed = NSStringHumanReadable::stringWithSpeed(bytesPerSecond);
    const QString remain = ReelgrabingUI::remainTimeWithSpeed(task->downloadedSize(), task->mediaSize(), bytesPerSecond);
    if (remain.isEmpty())
        setStatus(replaceArgs(tr1("%@ - %@"), {sizes, speed}));
    else
        setStatus(replaceArgs(tr1("%@ - %@, %@ remaining"), {sizes, speed, remain}));
    if (task->mediaSize() <= 0) {
        m_progressField->hide();
    } else {
        showProgress(false, ReelgrabingUI::percentOf(task->downloadedSize(), task->mediaSize()), true);
    }
    setButtonStateWithTaskState(5);
    layoutRow();
}

void DLoadingItemViewCtr::reelgrabDownloadWillPause(QVReelgrabTask *task)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    setStatus(replaceArgs(tr1("%@ - paused"), {ReelgrabingUI::downloadedSizeOfMediaSize(*task)}));
}

void DLoadingItemViewCtr::reelgrabDownloadDidPaused(QVReelgrabTask *task)
{
    if (!m_view)
        return;
    redrawCommon();
    hideWarning();
    setStatus(replaceArgs(tr1("%@ - paused"), {ReelgrabingUI::downloadedSizeOfMediaSize(*task)}));
    if (task->mediaSize() <= 0)
        m_progressField->hide();
    else
        showProgress(false, ReelgrabingUI::percentOf(task->downloadedSize(), task->mediaSize()), true);
    setButtonStateWithTaskState(6);
    layoutRow();
}

void DLoadingItemViewCtr::reelgrabDownloadDidFailed(QVReelgrabTask *task, const QVReelgrabError &error)
{
    if (!m_view)
        return;
    redrawCommon();
    setFailureStatus(tr1("Failed to download. Click to record it."), QString());
    showFailureReason(error.isNull() ? task->failureReason() : error.reason());
    hideProgress();
    setButtonStateWithTaskState(7);
}

void DLoadingItemViewCtr::reelgrabDownloadDidCompleted(QVReelgrabTask *task)
{
    if (!m_view)
        return;
    redrawCommon();
    ScribletLogInfo(QStringLiteral("task did Completed:%1").arg(task->pageUrl()));
    m_downloadStatusField->hide();
    hideWarning();
    showProgress(true, 0, false);
    setButtonStateWithTaskState(8);
}

void DLoadingItemViewCtr::reelgrabDownloadDidFinished(QVReelgrabTask *task)
{
    if (!m_view)
        return;
    redrawCommon();
    ScribletLogInfo(QStringLiteral("task did Finished:%1").arg(task->pageUrl()));
    const QFileInfo target(task->storedTargetFileName());
    if (target.exists() && target.size() < 1024)
        ScribletLogInfo(QStringLiteral("error merger failed"));
    m_downloadStatusField->hide();
    hideWarning();
    hideProgress();
    setButtonStateWithTaskState(9);
}

// Buttons -------------------------------------------------------------------------------------

void DLoadingItemViewCtr::setButtonStateWithTaskState(int status)
{
    if (m_actionCtrl)
        m_actionCtrl->setButtonStateWithTaskState(status);
    if (!m_view)
        return;
    const ReelgrabingUI::ButtonStates s = ReelgrabingUI::rowButtonsForStatus(status);
    ReelgrabingUI::applyButtonStates(s, {m_deleteButton, m_pauseButton, m_retryButton, m_resumeButton, m_stopButton});
    // Deleting goes through the action view and the menus.
    m_deleteButton->hide();
    m_deleteButton->setEnabled(false);
    setShowTurbroIco();
    layoutRow();
}

void DLoadingItemViewCtr::setShowTurbroIco()
{
    if (!m_view || !m_downloadTask)
        return;
    const int status = m_downloadTask->downloadStatus();
    const bool show = isYouTubeTask(m_downloadTask) && UserDefaults::standard().boolForKey(QStringLiteral("AutoDownloadSpeedup"))
        && status != 2 && status != 3 && status != 6 && status != 7;
    m_turbroIco->setVisible(show);
}

void DLoadingItemViewCtr::clickDelete()
{
    if (m_delegate)
        m_delegate->downloadingTaskWillDelete(m_downloadNode.lock());
}

void DLoadingItemViewCtr::clickPause()
{
    if (!m_downloadTask)
        return;
    const int status = m_downloadTask->downloadStatus();
    if (status == QVReelgrabTaskStatusWaiting || status == QVReelgrabTaskStatusDownloading)
        m_downloadTask->pause();
    else
        m_downloadTask->cancel();
}

void DLoadingItemViewCtr::clickRetry()
{
    if (m_downloadTask)
        m_downloadTask->retry();
}

void DLoadingItemViewCtr::clickResume()
{
    if (!m_downloadTask)
        return;
    if (m_downloadTask->downloadStatus() == QVReelgrabTaskStatusDownloading)
        m_downloadTask->resume();
    else
        m_downloadTask->retry();
}

void DLoadingItemViewCtr::clickStop()
{
    if (m_downloadTask)
        m_downloadTask->cancel();
}

void DLoadingItemViewCtr::clickPlaylistPause()
{
    if (m_delegate)
        m_delegate->downloadingTaskWillPausePlaylist(m_downloadNode.lock());
}

void DLoadingItemViewCtr::clickPlaylistResume()
{
    if (m_delegate)
        m_delegate->downloadingTaskWillResumePlaylist(m_downloadNode.lock());
}

void DLoadingItemViewCtr::clickStartRecord()
{
    const QWidget *window = m_view ? m_view->window() : nullptr;
    MGMessageBox::messageWithNote(tr1("Coming soon !"), QString(), QString(), tr1("OK"), QImage(),
                                  window ? window->frameGeometry() : QRect());
}

void DLoadingItemViewCtr::goToRecodView()
{
    NotificationCenter::defaultCenter().post(NotificationNames::GotoRecordViewNotification);
}

void DLoadingItemViewCtr::clickDisclosure()
{
    const DownloadNode::Ptr node = m_downloadNode.lock();
    if (!node || !node->parentNode())
        return;
    const DownloadNode::Ptr group = node->parentNode();
    group->setIsExtend(!group->isExtend());
    removeActionView();
    NotificationCenter::defaultCenter().post(NotificationNames::RefreshDownlodingDisplayData);
}

// Display -------------------------------------------------------------------------------------

void DLoadingItemViewCtr::displayWithReelgrabTask(QVReelgrabTask *task)
{
    m_downloadTask = task;
    if (!m_view || !task)
        return;
    m_playlistHeader = false;
    m_playlistbox->hide();
    m_secondTitleField->hide();
    m_isSupportTurbo = isYouTubeTask(task);
    switch (task->downloadStatus()) {
    case 0:
    case 4:
        reelgrabDownloadDidReset(task);
        break;
    case 1:
        reelgrabSniffingDidStarted(task);
        break;
    case 2:
        reelgrabSniffingDidCanceled(task);
        break;
    case 3:
        reelgrabSniffingDidFailed(task, QVReelgrabError());
        break;
    case 5:
        reelgrabDownloadingWithSpeed(task, 0);
        break;
    case 6:
        reelgrabDownloadDidPaused(task);
        break;
    case 7:
        reelgrabDownloadDidFailed(task, QVReelgrabError());
        break;
    case 8:
    case 9:
        reelgrabDownloadDidCompleted(task);
        break;
    default:
        break;
    }
    resetActionView();
}

void DLoadingItemViewCtr::displayWithDownloadNode(const DownloadNode::Ptr &node)
{
    m_downloadNode = node;
    if (!m_view)
        loadView();
    if (m_playlistHeader && !(node && node->isPlaylistNode())) {
        m_playlistHeader = false;
        m_playlistbox->hide();
        m_secondTitleField->hide();
    }
    displayWithReelgrabTask(m_downloadTask);
    layoutRow();
}

QList<QVReelgrabTask *> DLoadingItemViewCtr::playlistMemberTasks() const
{
    QList<QVReelgrabTask *> tasks;
    const DownloadNode::Ptr node = m_downloadNode.lock();
    if (!node || !node->parentNode())
        return tasks;
    for (const DownloadNode::Ptr &child : node->parentNode()->childrenNode()) {
        if (auto t = child->reelgrabTask<QVReelgrabTask>())
            tasks << t.get();
    }
    return tasks;
}

bool DLoadingItemViewCtr::isHaveRuningTask() const
{
    for (QVReelgrabTask *t : playlistMemberTasks())
        if (ReelgrabingUI::isRuning(t->downloadStatus()))
            return true;
    return false;
}

void DLoadingItemViewCtr::setDisplayWithPlaylistNode()
{
    const DownloadNode::Ptr node = m_downloadNode.lock();
    if (!m_view || !node || !node->parentNode())
        return;
    const DownloadNode::Ptr group = node->parentNode();
    m_playlistHeader = true;
    m_playlistbox->show();
    m_playlistNameTxtField->setText(node->playlistName());
    m_disclosureButton->setTitle(group->isExtend() ? QStringLiteral("\u25BE") : QStringLiteral("\u25B8"));
    m_playlistbox->setAutoFillBackground(group->isExtend());
    if (!group->isExtend()) {
        const QList<DownloadNode::Ptr> &children = group->childrenNode();
        const int at = children.indexOf(node);
        QString next;
        if (at >= 0 && at + 1 < children.size()) {
            if (auto t = children[at + 1]->reelgrabTask<QVReelgrabTask>())
                next = t->mediaTitle().isEmpty() ? t->pageUrl() : t->mediaTitle();
        }
        m_secondTitleField->setText(next);
        m_secondTitleField->setVisible(!next.isEmpty());
    } else {
        removeActionView();
        m_secondTitleField->hide();
    }
    setPlaylistInfo();
    layoutRow();
}

void DLoadingItemViewCtr::setPlaylistInfo()
{
    if (!m_view)
        return;
    const QList<QVReelgrabTask *> members = playlistMemberTasks();
    int n = 0, f = 0, r = 0;
    for (QVReelgrabTask *t : members) {
        if (ReelgrabingUI::isFailed(t->downloadStatus()))
            ++f;
        else
            ++n;
        if (ReelgrabingUI::isRuning(t->downloadStatus()))
            ++r;
    }
    m_playlistCountLable->setText(QString::number(members.size()));
    QString info = replaceArgs(tr1("%@: %@    %@: %@    "),
                               {tr1("Downloading"), tr1("%d Tasks").replace(QLatin1String("%d"), QString::number(n)),
                                tr1("Downloaded"),
                                tr1("%d Tasks").replace(QLatin1String("%d"), QString::number(m_finishCount))})
                       .toHtmlEscaped()
                       .replace(QLatin1Char(' '), QLatin1String("&nbsp;"));
    if (f > 0)
        info += QStringLiteral("<span style=\"color:#DC322F\">%1</span>")
                    .arg(tr1("Failed: %dTasks").replace(QLatin1String("%d"), QString::number(f)).toHtmlEscaped());
    m_taskInfoField->setText(QStringLiteral("<span style=\"color:#9A9A9A\">%1</span>").arg(info));
    m_retryPlaylistButton->setVisible(n == 0);
    m_pausePlaylistButton->setVisible(n > 0 && r > 0);
    m_resumePlaylistButton->setVisible(n > 0 && r == 0);
}

QString DLoadingItemViewCtr::playlistInfoText() const
{
    return m_taskInfoField ? m_taskInfoField->text() : QString();
}

void DLoadingItemViewCtr::updateImagesByReelgrabTask()
{
    QVReelgrabTask *task = m_downloadTask;
    if (!task || !m_view)
        return;
    const bool audioOnly = task->downloadContent() & QVReelgrabContentAudio;
    if (audioOnly) {
        if (m_thumbnailView->image().isNull() || m_isDefautThum)
            m_thumbnailView->setImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-663")));
    } else if (m_isDefautThum) {
        if (m_thumbnailPath.isEmpty())
            m_thumbnailPath = task->mediaThumbnail();
        QImage image;
        if (!m_thumbnailPath.isEmpty() && QFileInfo::exists(m_thumbnailPath))
            image.load(m_thumbnailPath);
        if (!image.isNull()) {
            m_thumbnailView->setImage(image);
            m_isDefautThum = false;
        } else {
            m_thumbnailView->setImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-595")));
            // Sniffing may still bring a thumbnail: look again at the next callback.
            m_thumbnailPath.clear();
        }
    }
    if (!audioOnly && m_thumbnailView->image().isNull())
        m_thumbnailView->setImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-595")));

    if (m_isDefautIcon) {
        m_webIconPath = task->mediaIcon();
        QImage icon;
        if (!m_webIconPath.isEmpty() && QFileInfo::exists(m_webIconPath)) {
            icon.load(m_webIconPath);
            m_isDefautIcon = icon.isNull();
        }
        if (icon.isNull())
            icon = GolobFunDesktop::defaultWebIcon();
        if (icon.isNull())
            icon = plainWebIcon();
        m_webIconView->setPixmap(QPixmap::fromImage(icon));
    }
    if (isYouTubeTask(task) && !audioOnly && m_resolutionTextField->text().isEmpty() && task->mediaQuality() > 0
        && task->mediaQuality() < QVReelgrabTask::HighestQuality) {
        m_resolutionTextField->setText(QStringLiteral("%1P").arg(task->mediaQuality()));
        m_resolutionTextField->adjustSize();
        m_resolutionTextField->show();
    }
    m_subtitleView->setVisible(task->matchSubtitle());
}

void DLoadingItemViewCtr::setSelected(bool selected)
{
    m_selected = selected;
    if (auto *row = dynamic_cast<ListRowView *>(m_view.data()))
        row->setSelected(selected);
}

// Action view ---------------------------------------------------------------------------------

void DLoadingItemViewCtr::addActionView(DownloadingActionViewCtrl *action)
{
    m_actionCtrl = action;
    if (!action || !m_view)
        return;
    action->setDelegate([this](int type) {
        switch (type) {
        case DownloadingActionViewCtrl::Delete:
            clickDelete();
            break;
        case DownloadingActionViewCtrl::Pause:
            clickPause();
            break;
        case DownloadingActionViewCtrl::Retry:
            clickRetry();
            break;
        case DownloadingActionViewCtrl::Resume:
            clickResume();
            break;
        case DownloadingActionViewCtrl::Stop:
            clickStop();
            break;
        default:
            break;
        }
    });
    action->displayWithReelgrabTask();
    if (m_downloadTask)
        action->setButtonStateWithTaskState(m_downloadTask->downloadStatus());
    resetActionView();
}

void DLoadingItemViewCtr::resetActionView()
{
    if (!m_actionCtrl || !m_view)
        return;
    const QWidget *host = m_actionCtrl->parentWidget();
    const QPoint origin = host ? m_view->mapTo(host->window(), QPoint(0, 0)) : QPoint();
    const QPoint inHost = host ? host->mapFrom(host->window(), origin) : QPoint();
    const DownloadNode::Ptr node = m_downloadNode.lock();
    const bool tall = m_playlistHeader && node && node->parentNode() && !node->parentNode()->isExtend();
    m_actionCtrl->setGeometry(inHost.x() + m_view->width() - DownloadingActionViewCtrl::Width,
                              inHost.y() + (tall ? PlaylistRowHeight - RowHeight : 0), DownloadingActionViewCtrl::Width,
                              RowHeight);
    m_actionCtrl->show();
    m_actionCtrl->raise();
}

void DLoadingItemViewCtr::removeActionView()
{
    if (!m_actionCtrl)
        return;
    m_actionCtrl->hide();
    m_actionCtrl->setDelegate(nullptr);
    m_actionCtrl = nullptr;
}

// Read-outs -----------------------------------------------------------------------------------

QString DLoadingItemViewCtr::statusText() const
{
    return m_downloadStatusField && !m_downloadStatusField->isHidden() ? m_downloadStatusField->text() : QString();
}

QString DLoadingItemViewCtr::failureReasonText() const
{
    return m_warningField && !m_warningField->isHidden() ? m_warningField->text() : QString();
}

QString DLoadingItemViewCtr::statusToolTip() const
{
    return m_downloadStatusField ? m_downloadStatusField->toolTip() : QString();
}

QColor DLoadingItemViewCtr::statusColor() const
{
    return m_downloadStatusField ? m_downloadStatusField->normalForegroundColor().value_or(QColor()) : QColor();
}

bool DLoadingItemViewCtr::isStatusClickable() const
{
    return m_downloadStatusField && m_downloadStatusField->enableClick();
}

QString DLoadingItemViewCtr::statusLink() const
{
    return m_downloadStatusField ? m_downloadStatusField->url() : QString();
}

bool DLoadingItemViewCtr::isProgressVisible() const { return m_progressIndicator && !m_progressIndicator->isHidden(); }
bool DLoadingItemViewCtr::isProgressIndeterminate() const
{
    return m_progressIndicator && m_progressIndicator->isIndeterminate();
}
double DLoadingItemViewCtr::progressValue() const { return m_progressIndicator ? m_progressIndicator->doubleValue() : 0; }
bool DLoadingItemViewCtr::isPercentVisible() const { return m_progressField && !m_progressField->isHidden(); }
QString DLoadingItemViewCtr::percentText() const { return m_progressField ? m_progressField->text() : QString(); }
