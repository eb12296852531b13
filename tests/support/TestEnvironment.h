#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Every test process gets a private home: HOME and the XDG folders point into a
// temporary folder made before the application object exists, so tests never
// touch the real user's settings and parallel tests never share files. The folder
// is removed when the process ends, unless FENNIX_KEEP_TEST_HOME=1 asks to keep it.
namespace TestEnvironment {

void setUp();
QString home();
bool keepsHome();
QString runtimeDir();
// The address of a session bus of this test process alone (a dbus-daemon started on first
// call, ended when the process ends); empty when dbus-daemon cannot start.
QString privateSessionBus();

// Writes bytes to path, making its folders; false when that fails.
bool writeFile(const QString &path, const QByteArray &bytes);

// Spins the event loop until pred() holds or timeoutMs passes; returns pred().
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 5000);

// Returns once everything posted to the main thread before the call has run: posted events
// are delivered in order, so a test can show that a queued step did nothing without sleeping.
// Zero-interval timers started by that work have fired too.
bool drainPostedEvents(int timeoutMs = 5000);

// A one-second MPEG-4 clip of noise (about 1.4 MB, so throttled downloads take a while), made
// once per process with the ffmpeg program; empty when ffmpeg is missing.
QByteArray noisyVideoClip();

} // namespace TestEnvironment
