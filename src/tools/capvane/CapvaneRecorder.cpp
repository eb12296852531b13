#include "tools/capvane/CapvaneRecorder.h"

#include "platform/AppPaths.h"
#include "recording/AudioCaptureDevice.h"
#include "recording/RecordingFiles.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// Time for the last report to leave before the program ends.
constexpr int QuitDelayMs = 1000;
// How long an automatic recording waits for the application's folder before using its own.
constexpr int FolderWaitMs = 3000;

} // namespace

CapvaneRecorder::CapvaneRecorder(const QString &serverAddress, QObject *parent)
    : QObject(parent), m_client(serverAddress)
{
    m_autoSeconds = qMax(0, qEnvironmentVariableIntValue(AutoSecondsVariable));
    connect(&m_window, &CapvaneWindow::recClicked, this, &CapvaneRecorder::beginRecording);
    connect(&m_window, &CapvaneWindow::stopClicked, this, &CapvaneRecorder::stopRecording);
    connect(&m_window, &CapvaneWindow::closeRequested, this, [this] {
        if (m_capture.isRunning())
            stopRecording();
        else if (m_window.state() != CapvaneWindow::Saving)
            cancel();
    });
    connect(&m_client, &CapvaneClient::startRequested, this, &CapvaneRecorder::beginRecording);
    connect(&m_client, &CapvaneClient::stopRequested, this, &CapvaneRecorder::stopRecording);
    connect(&m_client, &CapvaneClient::connectionLost, this, [this] {
        // Nobody would take the file: finish it where it is and end.
        std::fprintf(stderr, "Capvane: the application's connection is gone\n");
        m_quitting = true;
        if (m_capture.isRunning())
            m_capture.stop();
        else
            quitSoon(0);
    });
    connect(&m_capture, &ScreenCapture::started, this, [this] {
        std::fprintf(stderr, "Capvane: first frame %lld ms after REC\n", static_cast<long long>(m_sinceRec.elapsed()));
        m_client.reportStart();
        m_window.setState(CapvaneWindow::Recording);
        if (m_autoSeconds > 0)
            QTimer::singleShot(m_autoSeconds * 1000, this, &CapvaneRecorder::stopRecording);
    });
    connect(&m_capture, &ScreenCapture::finished, this, &CapvaneRecorder::captureFinished);
}

void CapvaneRecorder::run()
{
    m_client.start();
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        m_window.adjustSize();
        m_window.move(area.right() - m_window.width() - 40, area.top() + 40);
    }
    m_window.show();
    const QString unavailable = RecordingFiles::screenCaptureUnavailableReason();
    if (!unavailable.isEmpty()) {
        fail(unavailable);
        return;
    }
    if (m_autoSeconds > 0) {
        connect(&m_client, &CapvaneClient::saveFolderReceived, this, &CapvaneRecorder::beginRecording);
        QTimer::singleShot(FolderWaitMs, this, &CapvaneRecorder::beginRecording);
    }
}

void CapvaneRecorder::beginRecording()
{
    if (m_begun || m_quitting)
        return;
    m_begun = true;
    m_sinceRec.start();
    const QString unavailable = RecordingFiles::screenCaptureUnavailableReason();
    if (!unavailable.isEmpty()) {
        fail(unavailable);
        return;
    }
    QString folder = m_client.saveFolder();
    if (folder.isEmpty())
        folder = AppPaths::recordFolder();
    if (!AppPaths::ensureFolder(folder)) {
        fail(QStringLiteral("The folder \"%1\" cannot be made.").arg(folder));
        return;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        fail(QStringLiteral("No screen to record."));
        return;
    }
    ScreenCapture::Options options;
    options.display = qEnvironmentVariable("DISPLAY");
    options.screenSize = screen->virtualSize() * screen->devicePixelRatio();
    QString reason;
    options.audioSource = AudioCaptureDevice().launchAudioDeviceWithClassName(&reason);
    if (options.audioSource.isEmpty())
        std::fprintf(stderr, "Capvane: recording without sound: %s\n", qPrintable(reason));
    options.outputPath = folder + QLatin1Char('/') + RecordingFiles::recorderFileName(QDateTime::currentDateTime());
    std::fprintf(stderr, "Capvane: recording %dx%d of %s%s into %s\n", options.screenSize.width(), options.screenSize.height(),
                 qPrintable(options.display), options.audioSource.isEmpty() ? "" : qPrintable(QStringLiteral(" with ") + options.audioSource),
                 qPrintable(options.outputPath));
    m_window.setState(CapvaneWindow::Starting);
    if (!m_capture.start(options, &reason))
        fail(reason);
}

void CapvaneRecorder::stopRecording()
{
    if (!m_capture.isRunning())
        return;
    m_window.setState(CapvaneWindow::Saving);
    std::fprintf(stderr, "Capvane: stopped with the clock at %lld ms\n", static_cast<long long>(m_window.recordedMs()));
    m_capture.stop();
}

void CapvaneRecorder::captureFinished(bool ok, const QString &path, const QString &error)
{
    if (!ok) {
        fail(error);
        return;
    }
    std::fprintf(stderr, "Capvane: saved %s\n", qPrintable(path));
    m_client.reportFile(path);
    m_window.setState(CapvaneWindow::Saving, tr("Saved."));
    // The application ends the recorder once it has the file; end anyway should it not.
    QTimer::singleShot(10000, this, [this] { quitSoon(0); });
}

void CapvaneRecorder::cancel()
{
    m_client.reportStopped();
    quitSoon(0);
}

void CapvaneRecorder::fail(const QString &reason)
{
    std::fprintf(stderr, "Capvane: %s\n", qPrintable(reason));
    m_window.setState(CapvaneWindow::Failed, reason);
    // Ending with a failure code (not a stop report) lets the application tell the user why:
    // it shows the last line written to standard error.
    quitSoon(1);
}

void CapvaneRecorder::quitSoon(int exitCode)
{
    m_quitting = true;
    QTimer::singleShot(QuitDelayMs, this, [this, exitCode] { emit finished(exitCode); });
}
