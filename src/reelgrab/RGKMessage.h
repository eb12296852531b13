#pragma once

#include "reelgrab/QVReelgrabError.h"
#include "reelgrab/QVSniffingMediaSegment.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Names and object codecs of the messages between a task and its helper process. Every object
// is a keyed archive of one value (string, number, error, task or segment list), except that of
// "RGKMessage-Process-Launched", which is plain UTF-8 bytes.
namespace RGKMessage {

inline constexpr const char *ReelgrabPreferences = "RGKMessage-Reelgrab-Preferences";
inline constexpr const char *AttachDownloadTask = "RGKMessage-Attch-DownloadTask";
inline constexpr const char *PauseDownloadTask = "RGKMessage-Pause-DownloadTask";
inline constexpr const char *ResumeDownloadTask = "RGKMessage-Resume-DownloadTask";
inline constexpr const char *ProcessLaunched = "RGKMessage-Process-Launched";
inline constexpr const char *SniffingStarted = "RGKMessage-Sniffing-Started";
inline constexpr const char *SniffingSniffing = "RGKMessage-Sniffing-Sniffing";
inline constexpr const char *SniffingCompleted = "RGKMessage-Sniffing-Completed";
inline constexpr const char *SniffingFailed = "RGKMessage-Sniffing-Failed";
inline constexpr const char *DownloadStarted = "RGKMessage-Download-Started";
inline constexpr const char *DownloadDownloading = "RGKMessage-Download-Downloading";
inline constexpr const char *DownloadWillPause = "RGKMessage-Download-WillPause";
inline constexpr const char *DownloadPaused = "RGKMessage-Download-Paused";
inline constexpr const char *DownloadCompleted = "RGKMessage-Download-Completed";
inline constexpr const char *DownloadFinished = "RGKMessage-Download-Finished";
inline constexpr const char *DownloadFailed = "RGKMessage-Download-Failed";

QByteArray archiveString(const QString &value);
std::optional<QString> stringFromArchive(const QByteArray &data);
QByteArray archiveNumber(double value);
std::optional<double> numberFromArchive(const QByteArray &data);
QByteArray archiveSegments(const QList<QVSniffingMediaSegment> &segments);
std::optional<QList<QVSniffingMediaSegment>> segmentsFromArchive(const QByteArray &data);
inline QByteArray archiveError(const QVReelgrabError &error) { return error.archivedData(); }
inline QVReelgrabError errorFromArchive(const QByteArray &data) { return QVReelgrabError::fromArchive(data); }

} // namespace RGKMessage
