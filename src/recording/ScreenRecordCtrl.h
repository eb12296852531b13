#pragma once

#include "recording/ScreenRecordServerDelegate.h"
#include "recording/ScreenRecordWndCtrDelegate.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class ScreenRecordCtrlDelegate;
class ScreenRecordServer;
class ScreenRecordWndCtr;
class QWidget;

// One recording as the Record page sees it: it offers the virtual sound card when the system
// sound cannot be captured, puts the main window away, has the recorder server start the
// recorder and, at the end, gives the file its date-time name and hands it to the page, or
// tells the page that nothing was recorded (and the user why, when something failed). Every
// end brings the main window back. A region recording takes the same road through the region
// recorder, whose file already has its date-time name. Main thread.
class ScreenRecordCtrl : public QObject, public ScreenRecordServerDelegate, public ScreenRecordWndCtrDelegate
{
    Q_OBJECT
public:
    // server null: the shared one.
    explicit ScreenRecordCtrl(ScreenRecordCtrlDelegate *delegate, ScreenRecordServer *server = nullptr, QObject *parent = nullptr);
    ~ScreenRecordCtrl() override;

    ScreenRecordCtrlDelegate *delegate() const { return m_delegate; }
    void setDelegate(ScreenRecordCtrlDelegate *delegate) { m_delegate = delegate; }

    // Starts a recording into the folder (made when missing).
    void showScreenRecordWnd(const QString &recordFolder);
    // Starts a region recording into the folder: the region recorder's window.
    void showRegionRecordWnd(const QString &recordFolder);
    ScreenRecordWndCtr *regionRecorder() const;

    // ScreenRecordWndCtrDelegate (and the ends of the recorder server's road)
    void recordDidStop() override;
    void cropWndWillClose(const QString &reason = QString()) override;
    bool recordWillStart() override;
    bool isRecording() const { return m_recording; }
    QString recordOutputFile() const { return m_recordOutputFile; }

    // ScreenRecordServerDelegate
    void screenRecordIsStartNeedUpdateButtonState() override;
    void screenRecordIsOverNeedAddFileToResource(const QString &path) override;
    void screenRecordIsStoppedNeedUpdateButtonState(const QString &reason) override;

    // Where the user is told things; tests look instead. Default: the message boxes.
    using Notifier = std::function<void(const QString &message)>;
    static void setFailureNotifierForTesting(Notifier notifier);
    // The virtual-sound-card question; tests answer it. Default: the question box.
    using Asker = std::function<bool()>;
    static void setInstallAskerForTesting(Asker asker);

private:
    // The checks and the sound card offer before either road; false when it ended already.
    bool prepareRecording(const QString &recordFolder);
    void restoreMainWindow();
    void tellUser(const QString &message);

    ScreenRecordCtrlDelegate *m_delegate = nullptr;
    ScreenRecordServer *m_server = nullptr;
    QPointer<QWidget> m_mainWnd;
    QPointer<ScreenRecordWndCtr> m_regionWnd;
    QString m_recordOutputFile;
    bool m_recording = false;
    bool m_ended = false;
};
