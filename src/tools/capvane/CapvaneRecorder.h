#pragma once

#include "tools/capvane/CapvaneClient.h"
#include "tools/capvane/CapvaneWindow.h"
#include "tools/capvane/ScreenCapture.h"

#include <QElapsedTimer>
#include <QObject>

// The recorder program: its window, its connection to the application and the capture. The
// application learns of a file only once it is complete; a recording that cannot start or
// fails is reported as a stop, and the program ends.
class CapvaneRecorder : public QObject
{
    Q_OBJECT
public:
    // Seconds after which a recording stops by itself, from CAPVANE_AUTO_SECONDS; 0: the user
    // presses REC and Stop.
    static constexpr const char *AutoSecondsVariable = "CAPVANE_AUTO_SECONDS";

    explicit CapvaneRecorder(const QString &serverAddress, QObject *parent = nullptr);

    void run();
    CapvaneWindow *window() { return &m_window; }

signals:
    void finished(int exitCode);

private:
    void beginRecording();
    void stopRecording();
    void captureFinished(bool ok, const QString &path, const QString &error);
    void cancel();
    void fail(const QString &reason);
    void quitSoon(int exitCode);

    CapvaneClient m_client;
    ScreenCapture m_capture;
    CapvaneWindow m_window;
    QElapsedTimer m_sinceRec;
    int m_autoSeconds = 0;
    bool m_begun = false;
    bool m_quitting = false;
};
