#include "recording/ScreenRecordCtrl.h"

#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/Workspace.h"
#include "platform/log/ScribletLogger.h"
#include "recording/AudioCaptureDevice.h"
#include "recording/RecordingFiles.h"
#include "recording/ScreenRecordCtrlDelegate.h"
#include "recording/ScreenRecordServer.h"
#include "recording/ScreenRecordWndCtr.h"
#include "shell/MGMessageBox.h"
#include "shell/WKDataColleciton.h"

#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QMainWindow>
#include <QWidget>

namespace {

ScreenRecordCtrl::Notifier g_notifier;
ScreenRecordCtrl::Asker g_asker;

QString tr1(const char *english) { return MainBundle::localizedString(english); }

QWidget *applicationMainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(w) && w->isVisible())
            return w;
    return QApplication::activeWindow();
}

QRect frameOf(QWidget *w) { return w ? w->frameGeometry() : QRect(); }

} // namespace

void ScreenRecordCtrl::setFailureNotifierForTesting(Notifier notifier) { g_notifier = std::move(notifier); }

void ScreenRecordCtrl::setInstallAskerForTesting(Asker asker) { g_asker = std::move(asker); }

ScreenRecordCtrl::ScreenRecordCtrl(ScreenRecordCtrlDelegate *delegate, ScreenRecordServer *server, QObject *parent)
    : QObject(parent), m_delegate(delegate), m_server(server ? server : &ScreenRecordServer::sharedScreenRecordServer())
{
}

ScreenRecordCtrl::~ScreenRecordCtrl()
{
    if (m_regionWnd)
        m_regionWnd->setDelegate(nullptr);
    if (m_server->delegate() == this)
        m_server->setDelegate(nullptr);
}

void ScreenRecordCtrl::tellUser(const QString &message)
{
    if (g_notifier) {
        g_notifier(message);
        return;
    }
    MGMessageBox::warning(message, tr1("Record"), QString(), tr1("OK"), QImage(), frameOf(m_mainWnd ? m_mainWnd.data() : applicationMainWindow()));
}

void ScreenRecordCtrl::showScreenRecordWnd(const QString &recordFolder)
{
    if (!prepareRecording(recordFolder))
        return;
    m_server->setDelegate(this);
    m_server->setScreenRecordFileSaveFolder(recordFolder);
    if (!m_server->launchScreenRecordClient()) {
        // A recorder of an earlier recording still runs; this one never started.
        m_server->setDelegate(nullptr);
        cropWndWillClose(tr1("A recording is already running."));
    }
}

void ScreenRecordCtrl::showRegionRecordWnd(const QString &recordFolder)
{
    if (!prepareRecording(recordFolder))
        return;
    if (m_regionWnd)
        delete m_regionWnd.data();
    m_regionWnd = new ScreenRecordWndCtr(recordFolder, this, this);
    connect(m_regionWnd, &ScreenRecordWndCtr::finished, m_regionWnd, &QObject::deleteLater);
    m_regionWnd->showWindow();
}

ScreenRecordWndCtr *ScreenRecordCtrl::regionRecorder() const { return m_regionWnd.data(); }

bool ScreenRecordCtrl::prepareRecording(const QString &recordFolder)
{
    m_ended = false;
    m_recordOutputFile.clear();
    // Without an X11 session there is nothing to record: say so plainly and end.
    const QString unavailable = RecordingFiles::screenCaptureUnavailableReason();
    if (!unavailable.isEmpty()) {
        cropWndWillClose(unavailable);
        return false;
    }
    if (!AppPaths::ensureFolder(recordFolder)) {
        cropWndWillClose(tr1("The recordings folder \"%1\" cannot be made.").replace(QStringLiteral("%1"), recordFolder));
        return false;
    }
    QWidget *main = applicationMainWindow();
    const AudioCaptureDevice device;
    if (!device.isInstallAudioDeviceWithClassName()) {
        const bool install = g_asker ? g_asker()
                                     : MGMessageBox::question(tr1("To record the sound, it is requested to install the Virtual Sound Card."),
                                                              tr1("Install Virtual Sound Card"), tr1("Install"), tr1("Cancel"), QImage(),
                                                              frameOf(main)) == MGMessageBox::DefaultButton;
        if (install) {
            QString error;
            const bool ok = device.installAudioDevice2(QString::fromLatin1(AudioCaptureDevice::DriverName), &error);
            if (!ok)
                WKDataColleciton::share().collectRecordAudioCardFailedReason(error);
            if (g_notifier)
                g_notifier(ok ? tr1("Install successed!") : tr1("Install failed!") + QLatin1Char(' ') + error);
            else if (ok)
                MGMessageBox::messageWithNote(tr1("Install successed!"), QString(), QString(), tr1("OK"), QImage(), frameOf(main));
            else
                MGMessageBox::warning(tr1("Install failed!"), QString(), error, tr1("OK"), QImage(), frameOf(main));
            ScribletLogInfo(QStringLiteral("installErrormsg:%1").arg(error));
            WKDataColleciton::share().collectRecordAudioCardState(ok);
            if (ok)
                device.launchAudioDeviceWithClassName();
        }
    }
    m_mainWnd = main;
    if (m_mainWnd)
        m_mainWnd->showMinimized();
    return true;
}

bool ScreenRecordCtrl::recordWillStart()
{
    m_recording = true;
    return true;
}

void ScreenRecordCtrl::screenRecordIsStartNeedUpdateButtonState()
{
    ScribletLogInfo(QStringLiteral("screenRecordIsStartNeedUpdateButtonState Enter"));
    m_recording = true;
}

void ScreenRecordCtrl::screenRecordIsOverNeedAddFileToResource(const QString &path)
{
    ScribletLogInfo(QStringLiteral("screenRecordIsOverNeedAddFileToResource recordPath:%1").arg(path));
    m_recordOutputFile = path;
    // The server has already let the recorder go; the rest happens after this report.
    QMetaObject::invokeMethod(this, &ScreenRecordCtrl::recordDidStop, Qt::QueuedConnection);
}

void ScreenRecordCtrl::screenRecordIsStoppedNeedUpdateButtonState(const QString &reason)
{
    if (m_recordOutputFile.isEmpty())
        cropWndWillClose(reason);
}

void ScreenRecordCtrl::recordDidStop()
{
    // The region recorder's file was given its date-time name before the take.
    const bool named = m_regionWnd != nullptr;
    if (named)
        m_recordOutputFile = m_regionWnd->outputFile();
    if (m_ended || m_recordOutputFile.isEmpty())
        return;
    m_ended = true;
    QString error;
    const QString finalPath = named ? m_recordOutputFile
                                    : RecordingFiles::moveToDateTimeName(m_recordOutputFile, QDateTime::currentDateTime(), &error);
    if (!error.isEmpty())
        ScribletLogInfo(QStringLiteral("recording keeps its name: %1").arg(error));
    restoreMainWindow();
    m_recording = false;
    m_recordOutputFile.clear();
    if (m_server->delegate() == this)
        m_server->setDelegate(nullptr);
    if (m_delegate)
        m_delegate->recordDidEnd(this, finalPath);
}

void ScreenRecordCtrl::cropWndWillClose(const QString &reason)
{
    if (m_ended)
        return;
    m_ended = true;
    m_recording = false;
    restoreMainWindow();
    if (m_server->delegate() == this)
        m_server->setDelegate(nullptr);
    if (!reason.isEmpty()) {
        ScribletLogInfo(QStringLiteral("recording ended without a file: %1").arg(reason));
        tellUser(reason);
    }
    if (m_delegate)
        m_delegate->cropWillClose(this);
}

void ScreenRecordCtrl::restoreMainWindow()
{
    if (!m_mainWnd || !m_mainWnd->isMinimized())
        return;
    m_mainWnd->showNormal();
    m_mainWnd->raise();
    m_mainWnd->activateWindow();
}
