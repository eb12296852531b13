#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>

// What the region recorder and its capture tool Glintcap agree on. The recorder publishes a
// root under a name and starts the tool with that name as its one argument; the tool publishes
// a root of its own and announces its name with ScreenRecorderCtrDidStart. The recorder then
// sends the rectangle, the encoder block, the output file, and later start and stop.
namespace GlintcapProtocol {

// tool -> recorder; the object is the tool's root name (KeyedArchiver::archivedRootString).
inline constexpr const char *ScreenRecorderCtrDidStart = "screenRecorderCtrDidStart:";
// tool -> recorder, no object: frames are being written (the take's clock starts).
inline constexpr const char *ScreenRecorderCtrDidCapture = "screenRecorderCtrDidCapture";
// recorder -> tool
inline constexpr const char *SetCaptureRect = "setCaptureRect:";     // screen points, top-left origin
inline constexpr const char *SetEncodeParams = "setEncodeParams:";   // the raw encoder block
inline constexpr const char *SetOutputFile = "setOutputFile:";       // KeyedArchiver::archivedRootString
inline constexpr const char *StartCapture = "startCapture";
inline constexpr const char *StopCapture = "stopCapture";

// Exit codes of the tool.
enum ExitCode {
    Recorded = 0,
    Failed = 1,
    Usage = 2,
    NothingRecorded = 3,  // stopped (or left) before the capture began
};

// "<bundle id>:<pid><seconds>": the recorder's name for one recording.
QString connectionName(qint64 processId, double seconds);
// The name under which the tool publishes its root.
QString toolRootName(const QString &connectionName);

QByteArray archiveRect(const QRectF &rect);
// A null rectangle for anything that is not four finite numbers with a positive size.
QRectF unarchiveRect(const QByteArray &data);

} // namespace GlintcapProtocol
