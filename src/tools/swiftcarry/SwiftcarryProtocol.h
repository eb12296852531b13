#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class NamedConnection;

// What the program and the conversion tool agree on: connection names, message names, the
// dictionary keys and how message objects are encoded (keyed archives).
//
// The program publishes a root under the name it passes as the tool's first argument; the tool
// connects to it and reports. Where the program has to call the tool (pause, resume, thumbnail
// requests) or read a value from its root (the encoder block), the tool publishes a root of its
// own and announces its name; a value read is a request message answered by a reply message.
namespace SwiftcarryProtocol {

// Service words of the connection names.
inline constexpr const char *MediaConvertService = "Swiftcarry-MediaConvert";
inline constexpr const char *MediaInfoService = "Swiftcarry-MediaInfo";
inline constexpr const char *ThumbnailService = "Swiftcarry-Thumbnail";
// First arguments of the helper's uses (no connection).
inline constexpr const char *AudioExtractUse = "Swiftcarry-AudioExtract";
inline constexpr const char *MediaCombineUse = "Swiftcarry-MediaCombine";

// Conversion: tool -> job
inline constexpr const char *MediaConvertWillStart = "mediaConvertWillStart:";
inline constexpr const char *MediaConvertDidProgressed = "mediaConvertDidProgressed:";
inline constexpr const char *MediaConvertDidProgressedWith = "mediaConvertDidProgressedWith:remainTime:pecent:";
inline constexpr const char *MediaConvertDidFinished = "mediaConvertDidFinished";
inline constexpr const char *MediaConvertDidStoped = "mediaConvertDidStoped";
inline constexpr const char *MediaConvertDidPaused = "mediaConvertDidPaused";
// Reading the job's values: request, and the job's reply to the converter root.
inline constexpr const char *EncodeParamsRequest = "encodeParams";
inline constexpr const char *EncodeParamsReply = "replyEncodeParams:";
// Conversion: job -> tool's converter root
inline constexpr const char *Pause = "pause";
inline constexpr const char *Resume = "resume";

// Media information: tool -> loader
inline constexpr const char *MediaInfoWillStart = "mediaInfoLoaderWillStartWithFiles:";
inline constexpr const char *MediaInfoDidLoad = "mediaInfoLoaderDidLoadMediaInfo:";
inline constexpr const char *MediaInfoDidEnd = "mediaInfoLoaderDidEndLoad";

// Thumbnails: tool -> service, service -> tool's capturer root
inline constexpr const char *ThumbnailDidConnected = "thumbnailDidConnected:";
inline constexpr const char *ThumbnailDidCaptured = "thumbnailDidCapturedTo:forFile:";
inline constexpr const char *SetClientLive = "setClientLive";
inline constexpr const char *ThumbnailWithFiles = "thumbnailWithFiles:";

// Dictionary keys
inline constexpr const char *DictionaryContent = "dictionary-content";
inline constexpr const char *ConvertProgressContent = "Swiftcarry-Convert-Progress";
inline constexpr const char *MediaInfoContent = "Swiftcarry-MediaInfo";

QString bundleIdentifier();
// "<bundle id>:Swiftcarry-MediaConvert.<task>"
QString convertConnectionName(quint32 taskID);
// "<bundle id>:<service>-<new UUID>"
QString uniqueConnectionName(const char *service);
enum class Use { Unknown, Convert, MediaInfo, Thumbnail };
Use useOfConnectionName(const QString &name);

// The tool: $FENNIX_SWIFTCARRY when set, else "SwiftcarryCmd" next to the running program.
QString toolPath();
// The ffmpeg program the tool runs: $FENNIX_FFMPEG when set, else "ffmpeg" on PATH.
QString ffmpegPath();

QByteArray archiveString(const QString &value);
QString unarchiveString(const QByteArray &data);
QByteArray archiveStringList(const QStringList &value);
QStringList unarchiveStringList(const QByteArray &data);
// A dictionary of plain values; malformed data reads as empty.
QByteArray archiveDictionary(const QVariantMap &value);
QVariantMap unarchiveDictionary(const QByteArray &data);

// Waits (event loop) until what was sent has left, then closes; for a process about to exit.
void drainAndClose(NamedConnection *connection, int timeoutMs = 3000);

} // namespace SwiftcarryProtocol
