#pragma once

#include <QDateTime>
#include <QString>

// The files a recording leaves: which reported file the program may take over, and the
// date-time name it gets. Plain functions; any thread.
namespace RecordingFiles {

// "yyyy-MM-dd HH-mm-ss": the name of a recording, in the user's time zone.
constexpr const char *DateFormat = "yyyy-MM-dd HH-mm-ss";

// Whether path is a regular file (a symbolic link is not) that lies inside folder, once both
// are resolved. A file elsewhere is never taken over, renamed or listed.
bool isTrustedRecording(const QString &path, const QString &folder, QString *error = nullptr);

// Renames the file to "<its folder>/<date>.mp4", or "<date>(1).mp4", "(2)"… when that name is
// taken: never over an existing file, even one that appears meanwhile. Answers the new path,
// or the old one (with the reason) when no rename was possible.
QString moveToDateTimeName(const QString &path, const QDateTime &when, QString *error = nullptr);

// Makes an empty "<folder>/<date>.mp4" (or "(1)", "(2)"… when taken) for a recording to be
// written into, so no other recording takes the name meanwhile. Answers its path, or empty
// with the reason.
QString reserveDateTimeName(const QString &folder, const QDateTime &when, QString *error = nullptr);

// Moves from to to unless something exists at to; false (errno kept) otherwise.
bool renameNoReplace(const QString &from, const QString &to);

// The recorder program's own name for a take it writes: "Capvane <yyyyMMdd-HHmmss-zzz>.mp4"
// (the program renames it to its date-time name once the take is handed over).
constexpr const char *RecorderStampFormat = "yyyyMMdd-HHmmss-zzz";
QString recorderFileName(const QDateTime &when);
bool isRecorderFileName(const QString &fileName);

// The region takes being written now, kept in the defaults under "RecordTakesInProgress", so
// a take the program did not finish (it was killed) is found at the next start.
void markTakeStarted(const QString &path);
void markTakeEnded(const QString &path);
QStringList takesInProgress();
void forgetTakesInProgress();

// Takes in folder that the program did not finish: plain, non-empty files named by the
// recorder, or left in progress, that no path of listed names. Oldest first.
QStringList unlistedTakes(const QString &folder, const QStringList &listed, const QStringList &inProgress);

// Why screen capture cannot run in this session (Wayland, no X display); empty when it can.
QString screenCaptureUnavailableReason();

} // namespace RecordingFiles
