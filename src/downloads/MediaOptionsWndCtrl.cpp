#include "downloads/MediaOptionsWndCtrl.h"

#include "controls/MGHoverButton.h"
#include "downloads/VideoInfosCache.h"
#include "reelgrab/kit/ReelgrabKit.h"
#include "platform/log/ScribletLogger.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "shell/CommonFun.h"
#include "shell/UIManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
QString tr1(const char *english) { return MainBundle::localizedString(english); }
constexpr int DefaultResolution = 720;
} // namespace

MediaOptionsWndCtrl::MediaOptionsWndCtrl(QWidget *parent)
    : QDialog(parent)
    , m_isWinClose(std::make_shared<std::atomic<bool>>(false))
{
    m_sniffer = [](const QString &url, const QString &browser) {
        return ReelgrabKit().quickSniffingPageUrl(url, browser);
    };
    m_estimator = [](qint32 lines, qint64 seconds) { return ReelgrabKit().filesizeofResolution(lines, seconds); };
    buildUi();
}

MediaOptionsWndCtrl::~MediaOptionsWndCtrl()
{
    *m_isWinClose = true;
}

void MediaOptionsWndCtrl::buildUi()
{
    setWindowTitle(tr1("Fennix Pro"));
    setModal(true);
    resize(560, 470);
    setStyleSheet(QStringLiteral("QDialog{background:white;}"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    m_lblMediaTitle = new QLabel(this);
    QFont f = m_lblMediaTitle->font();
    f.setBold(true);
    f.setPixelSize(14);
    m_lblMediaTitle->setFont(f);
    layout->addWidget(m_lblMediaTitle);
    m_lblMediaDuration = new QLabel(this);
    m_lblMediaDuration->hide();
    layout->addWidget(m_lblMediaDuration);

    auto heading = [this, layout](const QString &slice, const QString &text) {
        auto *row = new QHBoxLayout;
        auto *icon = new QLabel(this);
        icon->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(slice)));
        row->addWidget(icon);
        row->addWidget(new QLabel(text, this), 1);
        layout->addLayout(row);
    };
    auto makeTable = [this](const QStringList &columns) {
        auto *t = new QTableWidget(0, int(columns.size()), this);
        t->setHorizontalHeaderLabels(columns);
        t->verticalHeader()->hide();
        t->horizontalHeader()->setStretchLastSection(true);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        return t;
    };
    heading(QStringLiteral("mainform-173346"), tr1("Download Video"));
    m_tvVideoSelect = makeTable({QString(), tr1("Resolution"), tr1("Format"), tr1("Size")});
    layout->addWidget(m_tvVideoSelect, 2);
    heading(QStringLiteral("mainform-176348"), tr1("Download Audio"));
    m_tblvAudioSelect = makeTable({QString(), tr1("Format"), tr1("Bitrate"), tr1("Size")});
    m_tblvAudioSelect->setMaximumHeight(60);
    layout->addWidget(m_tblvAudioSelect);
    heading(QStringLiteral("mainform-178350"), tr1("Download Subtitles"));
    auto *subtitleRow = new QHBoxLayout;
    m_chkBtnSubtitle = new QCheckBox(tr1("Original Subtitles"), this);
    subtitleRow->addWidget(m_chkBtnSubtitle);
    subtitleRow->addWidget(new QLabel(tr1("Language:"), this));
    m_cbLanguage = new QComboBox(this);
    subtitleRow->addWidget(m_cbLanguage, 1);
    layout->addLayout(subtitleRow);
    m_chkBtnSubtitle->setEnabled(false);
    m_cbLanguage->setEnabled(false);

    auto *bottom = new QHBoxLayout;
    m_chkDefault720P = new QCheckBox(tr1("Set my choices as default and don't show me again."), this);
    bottom->addWidget(m_chkDefault720P, 1);
    m_indicator = new QLabel(tr1("Analyzing..."), this);
    bottom->addWidget(m_indicator);
    m_btnDownload = new MGHoverButton(this);
    m_btnDownload->setButtonDisplayType(MGHoverButton::DisplayFilledLarge);
    m_btnDownload->setTitle(tr1("Download"));
    m_btnDownload->setIconSliceName(QStringLiteral("mainform-417"));
    m_btnDownload->setMinimumSize(120, 34);
    m_btnDownload->setEnabled(false);
    bottom->addWidget(m_btnDownload);
    layout->addLayout(bottom);

    connect(m_btnDownload, &MGHoverButton::clicked, this, &MediaOptionsWndCtrl::clickDownload);
    // However the dialog ends, a sniff still under way must not report to it.
    connect(this, &QDialog::finished, this, [this] { *m_isWinClose = true; });
    connect(m_tvVideoSelect, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_filling && row >= 0)
            chooseVideoRow(row);
    });
    connect(m_tblvAudioSelect, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_filling && row >= 0)
            chooseAudioRow(row);
    });
    connect(m_chkBtnSubtitle, &QCheckBox::toggled, this, [this](bool on) { m_cbLanguage->setEnabled(on); });
    connect(m_chkDefault720P, &QCheckBox::clicked, this, [this](bool on) { setDefaultChecked(on); });
}

// Pure helpers -------------------------------------------------------------------------------------

int MediaOptionsWndCtrl::preselectedResolutionRow(const QStringList &resolutions)
{
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < resolutions.size(); ++i) {
        const int distance = std::abs(DefaultResolution - resolutions[i].toInt());
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

QString MediaOptionsWndCtrl::formatName(quint32 code)
{
    const char bytes[4] = {char((code >> 24) & 0xFF), char((code >> 16) & 0xFF), char((code >> 8) & 0xFF),
                           char(code & 0xFF)};
    QString name;
    for (char c : bytes)
        name += QChar::fromLatin1(c);
    return name.trimmed();
}

QString MediaOptionsWndCtrl::displayFormatName(const QString &name)
{
    if (name == QLatin1String("mp4v"))
        return QStringLiteral("MP4");
    return name.toUpper();
}

QVariantMap MediaOptionsWndCtrl::resultFromSniff(const QVOnlineVideoInfo &info)
{
    const QList<MediaTrackInfo> media = info.mediaInfos();
    if (info.mediaTitle().isEmpty() || media.isEmpty())
        return {};
    QVariantMap result;
    for (const MediaTrackInfo &m : media) {
        if (m.mediaQuality == 0)
            continue;
        const QString key = QString::number(m.mediaQuality);
        if (!result.contains(key))
            result.insert(key, qint64(m.mediaFormat));
    }
    result.insert(QLatin1String(VideoInfosCache::TitleKey), info.mediaTitle());
    result.insert(QLatin1String(VideoInfosCache::SubtitleCodesKey), info.subtitleCodes());
    result.insert(QLatin1String(VideoInfosCache::DurationKey), qint64(info.duration()));
    return result;
}

QStringList MediaOptionsWndCtrl::resolutionArrayFrom(const QVariantMap &result)
{
    QStringList keys;
    for (auto it = result.cbegin(); it != result.cend(); ++it)
        if (it.key().toInt() > 0 && it.key().size() < 7)
            keys << it.key();
    std::sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    return keys;
}

QString MediaOptionsWndCtrl::audioSizeText(int bitrateKbps, qint64 seconds)
{
    return QString::asprintf("%.1fMB", double((bitrateKbps / 8) * seconds) / 1024.0);
}

// Loading ------------------------------------------------------------------------------------------

int MediaOptionsWndCtrl::showModalWithURL(const QString &url, const QString &browser)
{
    startLoading(url, browser);
    if (parentWidget()) {
        const QRect p = parentWidget()->window()->frameGeometry();
        move(p.center() - rect().center());
    }
    return exec();
}

void MediaOptionsWndCtrl::startLoading(const QString &url, const QString &browser)
{
    m_url = url;
    m_browser = browser;
    m_lblMediaTitle->setText(url);
    m_indicator->show();
    const bool caching = VideoInfosCache::isEnabled();
    const QString cachePath = m_cachePath;
    const Sniffer sniffer = m_sniffer;
    const auto closed = m_isWinClose;
    QPointer<MediaOptionsWndCtrl> self(this);
    dispatch::global(dispatch::Priority::Default, [=] {
        VideoInfosCache cache(cachePath);
        QVariantMap result;
        if (caching && !url.isEmpty())
            result = cache.entryForURL(url);
        if (result.isEmpty()) {
            result = resultFromSniff(sniffer(url, browser));
            if (result.isEmpty()) {
                dispatch::async_main([self, closed] {
                    if (self && !*closed)
                        self->loadDidFinish(-1, {});
                });
                return;
            }
            if (*closed)
                return;
            if (caching)
                cache.storeEntry(url, result);
        }
        dispatch::async_main([self, closed, result] {
            if (self && !*closed)
                self->loadDidFinish(0, result);
        });
    });
}

qint64 MediaOptionsWndCtrl::duration() const
{
    return m_snifferVideo.value(QLatin1String(VideoInfosCache::DurationKey)).toLongLong();
}

void MediaOptionsWndCtrl::loadDidFinish(int code, const QVariantMap &result)
{
    m_indicator->hide();
    m_btnDownload->setEnabled(true);
    m_loaded = true;
    if (code != 0) {
        ScribletLogError(QStringLiteral("asyncLoadMediaURLData error."));
        emit loadFinished(code);
        closeWindowWithCode(-1);
        return;
    }
    m_snifferVideo = result;
    m_resolutionArray = resolutionArrayFrom(result);
    m_subtitleCodes = result.value(QLatin1String(VideoInfosCache::SubtitleCodesKey)).toStringList();
    const QString title = result.value(QLatin1String(VideoInfosCache::TitleKey)).toString();
    if (!title.isEmpty())
        m_lblMediaTitle->setText(title);
    if (duration() > 0) {
        m_lblMediaDuration->setText(CommonFun::durationTimeToString(duration()));
        m_lblMediaDuration->show();
    }
    fillTables();
    if (!m_resolutionArray.isEmpty())
        chooseVideoRow(preselectedResolutionRow(m_resolutionArray));
    preselectSubtitles();
    emit loadFinished(0);
}

void MediaOptionsWndCtrl::fillTables()
{
    m_filling = true;
    m_tvVideoSelect->setRowCount(int(m_resolutionArray.size()));
    for (int i = 0; i < m_resolutionArray.size(); ++i) {
        const QString key = m_resolutionArray[i];
        const QString format = formatName(quint32(m_snifferVideo.value(key).toLongLong()));
        const qint64 size = m_estimator ? m_estimator(key.toInt(), duration()) : 0;
        auto *check = new QTableWidgetItem;
        check->setCheckState(i == m_tableViewCheckIndex ? Qt::Checked : Qt::Unchecked);
        m_tvVideoSelect->setItem(i, 0, check);
        m_tvVideoSelect->setItem(i, 1, new QTableWidgetItem(QStringLiteral("%1P").arg(key)));
        m_tvVideoSelect->setItem(i, 2, new QTableWidgetItem(displayFormatName(format)));
        m_tvVideoSelect->setItem(i, 3, new QTableWidgetItem(CommonFun::convertSizeToStr(size)));
    }
    m_tblvAudioSelect->setRowCount(int(m_bitrateArray.size()));
    for (int i = 0; i < m_bitrateArray.size(); ++i) {
        auto *check = new QTableWidgetItem;
        check->setCheckState(i == m_tableViewAudioCheckIndex ? Qt::Checked : Qt::Unchecked);
        m_tblvAudioSelect->setItem(i, 0, check);
        m_tblvAudioSelect->setItem(i, 1, new QTableWidgetItem(QStringLiteral("MP3")));
        m_tblvAudioSelect->setItem(i, 2, new QTableWidgetItem(QStringLiteral("%1Kbps").arg(m_bitrateArray[i])));
        m_tblvAudioSelect->setItem(i, 3, new QTableWidgetItem(audioSizeText(m_bitrateArray[i].toInt(), duration())));
    }
    m_filling = false;
}

void MediaOptionsWndCtrl::preselectSubtitles()
{
    m_cbLanguage->clear();
    if (m_subtitleCodes.isEmpty()) {
        m_chkBtnSubtitle->setChecked(false);
        m_chkBtnSubtitle->setEnabled(false);
        m_cbLanguage->setEnabled(false);
        return;
    }
    m_chkBtnSubtitle->setEnabled(true);
    m_chkBtnSubtitle->setChecked(true);
    m_cbLanguage->setEnabled(true);
    for (const QString &code : m_subtitleCodes) {
        const QString name = QLocale(code).nativeLanguageName();
        m_cbLanguage->addItem(name.isEmpty() || QLocale(code).language() == QLocale::C ? code : name, code);
    }
    const QString preferred = UserDefaults::standard().stringForKey(QStringLiteral("DefaultSubtitleLanguageCode"));
    const int at = m_cbLanguage->findData(preferred);
    m_cbLanguage->setCurrentIndex(at >= 0 ? at : 0);
}

// Choices ------------------------------------------------------------------------------------------

void MediaOptionsWndCtrl::chooseVideoRow(int row)
{
    if (row < 0 || row >= m_resolutionArray.size())
        return;
    m_tableViewCheckIndex = row;
    m_tableViewAudioCheckIndex = -1;
    fillTables();
    m_filling = true;
    m_tblvAudioSelect->clearSelection();
    m_tvVideoSelect->selectRow(row);
    m_filling = false;
}

void MediaOptionsWndCtrl::chooseAudioRow(int row)
{
    if (row < 0 || row >= m_bitrateArray.size())
        return;
    m_tableViewAudioCheckIndex = row;
    m_tableViewCheckIndex = -1;
    fillTables();
    m_filling = true;
    m_tvVideoSelect->clearSelection();
    m_tblvAudioSelect->selectRow(row);
    m_filling = false;
}

void MediaOptionsWndCtrl::setSubtitleWanted(bool on)
{
    if (m_chkBtnSubtitle->isEnabled())
        m_chkBtnSubtitle->setChecked(on);
}

void MediaOptionsWndCtrl::setDefaultChecked(bool on)
{
    m_chkDefault720P->setChecked(on);
    m_tvVideoSelect->setEnabled(!on);
    m_tblvAudioSelect->setEnabled(!on);
    if (on) {
        m_chkBtnSubtitle->setEnabled(false);
        m_cbLanguage->setEnabled(false);
    } else {
        preselectSubtitles();
    }
    UserDefaults::standard().setInteger(QStringLiteral("YouTubeAutoDownloadMode"), on ? 1 : 0);
    UserDefaults::standard().synchronize();
}

qint32 MediaOptionsWndCtrl::getVideoResolution() const
{
    if (m_chkDefault720P->isChecked())
        return DefaultResolution;
    if (m_tableViewCheckIndex >= 0 && m_tableViewCheckIndex < m_resolutionArray.size())
        return m_resolutionArray[m_tableViewCheckIndex].toInt();
    return m_tableViewAudioCheckIndex >= 0 ? -1 : 0;
}

QString MediaOptionsWndCtrl::getVideoFormat() const
{
    if (m_chkDefault720P->isChecked())
        return formatName(quint32(m_snifferVideo.value(QStringLiteral("720")).toLongLong()));
    if (m_tableViewCheckIndex < 0 || m_tableViewCheckIndex >= m_resolutionArray.size())
        return QStringLiteral("mp3");
    return formatName(quint32(m_snifferVideo.value(m_resolutionArray[m_tableViewCheckIndex]).toLongLong()));
}

QString MediaOptionsWndCtrl::getSubtitleCode() const
{
    if (m_chkDefault720P->isChecked()) {
        // The stored choice decides: captions in the default language, or none.
        UserDefaults &d = UserDefaults::standard();
        return d.boolForKey(QStringLiteral("AutoDownloadYouTubeCaptions"))
            ? d.stringForKey(QStringLiteral("DefaultSubtitleLanguageCode"))
            : QString();
    }
    if (!m_chkBtnSubtitle->isChecked() || m_subtitleCodes.isEmpty())
        return QString();
    const int at = m_cbLanguage->currentIndex();
    return at >= 0 && at < m_subtitleCodes.size() ? m_subtitleCodes[at] : QString();
}

void MediaOptionsWndCtrl::clickDownload()
{
    closeWindowWithCode(1);
}

void MediaOptionsWndCtrl::closeWindowWithCode(int code)
{
    *m_isWinClose = true;
    done(code);
}
