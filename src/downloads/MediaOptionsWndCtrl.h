#pragma once

#include "reelgrab/QVOnlineVideoInfo.h"

#include <QDialog>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>

class MGHoverButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

// The modal dialog before a pasted YouTube page is queued: sniffs the page quickly, lists its
// resolutions (format and estimated size) and an MP3 choice, and a subtitle language. Results of
// a sniff are kept in "VideoInfos.plist" so the same page opens at once the next time.
class MediaOptionsWndCtrl : public QDialog
{
    Q_OBJECT
public:
    using Sniffer = std::function<QVOnlineVideoInfo(const QString &url, const QString &browser)>;
    using SizeEstimator = std::function<qint64(qint32 lines, qint64 seconds)>;

    explicit MediaOptionsWndCtrl(QWidget *parent = nullptr);
    ~MediaOptionsWndCtrl() override;

    // 1 Download, 0 closed, -1 sniffing failed.
    int showModalWithURL(const QString &url, const QString &browser);
    // Starts loading without running modally (the modal run does this itself).
    void startLoading(const QString &url, const QString &browser);

    qint32 getVideoResolution() const;
    QString getVideoFormat() const;
    // Empty when no subtitles are wanted.
    QString getSubtitleCode() const;

    void setSniffer(Sniffer sniffer) { m_sniffer = std::move(sniffer); }
    void setSizeEstimator(SizeEstimator estimator) { m_estimator = std::move(estimator); }
    void setCachePath(const QString &path) { m_cachePath = path; }

    // Choices, as the tables and boxes make them.
    void chooseVideoRow(int row);
    void chooseAudioRow(int row);
    void setSubtitleWanted(bool on);
    void setDefaultChecked(bool on);
    void clickDownload();
    void closeWindowWithCode(int code);

    int tableViewCheckIndex() const { return m_tableViewCheckIndex; }
    int tableViewAudioCheckIndex() const { return m_tableViewAudioCheckIndex; }
    QStringList resolutionArray() const { return m_resolutionArray; }
    QVariantMap snifferVideo() const { return m_snifferVideo; }
    bool isLoaded() const { return m_loaded; }
    QTableWidget *videoTable() const { return m_tvVideoSelect; }
    QTableWidget *audioTable() const { return m_tblvAudioSelect; }
    QComboBox *languageBox() const { return m_cbLanguage; }
    QCheckBox *subtitleBox() const { return m_chkBtnSubtitle; }

    // Row of the resolution nearest 720 (the earlier on a tie), 0 without rows.
    static int preselectedResolutionRow(const QStringList &resolutions);
    // Four bytes, highest first, blanks trimmed.
    static QString formatName(quint32 code);
    // "MP4" for "mp4v", any other name in upper case.
    static QString displayFormatName(const QString &name);
    // The cache form of a sniff: "%d" → format for each quality (the first entry wins), title,
    // subtitle codes and duration; empty without a title or media.
    static QVariantMap resultFromSniff(const QVOnlineVideoInfo &info);
    // Resolution keys of a result, highest first.
    static QStringList resolutionArrayFrom(const QVariantMap &result);
    // "%.1fMB" of an MP3 at the bit rate (kbps) for the seconds.
    static QString audioSizeText(int bitrateKbps, qint64 seconds);

signals:
    void loadFinished(int code);

private:
    void buildUi();
    void loadDidFinish(int code, const QVariantMap &result);
    void fillTables();
    void preselectSubtitles();
    qint64 duration() const;

    QLabel *m_lblMediaTitle = nullptr;
    QLabel *m_lblMediaDuration = nullptr;
    QTableWidget *m_tvVideoSelect = nullptr;
    QTableWidget *m_tblvAudioSelect = nullptr;
    QCheckBox *m_chkBtnSubtitle = nullptr;
    QComboBox *m_cbLanguage = nullptr;
    QLabel *m_indicator = nullptr;
    QCheckBox *m_chkDefault720P = nullptr;
    MGHoverButton *m_btnDownload = nullptr;

    std::shared_ptr<std::atomic<bool>> m_isWinClose;
    QString m_url;
    QString m_browser;
    QVariantMap m_snifferVideo;
    QStringList m_resolutionArray;
    QStringList m_bitrateArray{QStringLiteral("320")};
    QStringList m_subtitleCodes;
    int m_tableViewCheckIndex = -1;
    int m_tableViewAudioCheckIndex = -1;
    bool m_loaded = false;
    bool m_filling = false;
    Sniffer m_sniffer;
    SizeEstimator m_estimator;
    QString m_cachePath;
};
