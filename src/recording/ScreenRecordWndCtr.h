#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QRectF>
#include <QRegion>
#include <QString>

#include <memory>

class ControlTimer;
class GlobalHotKey;
class NamedConnection;
class QAbstractButton;
class QCheckBox;
class QLabel;
class QWidget;
class ScreenRecordWndCtrDelegate;
class SRCaptureView;
class SRCropView;
class TimeLabel;

// The region recorder: a clear window over the main screen in which the user sets the
// rectangle, may switch to full screen and set a "Stop at" time, and presses Record. The
// capture tool Glintcap starts at once; after a count-down from 5 it records the rectangle
// into a name reserved in the recordings folder, while the window shows the elapsed time. The
// Stop button, Shift+Ctrl+2 (X11) or the "Stop at" time end the take; the delegate hears of
// the file only once the tool has finished writing it. Main thread.
class ScreenRecordWndCtr : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Cropping, CountingDown, Recording, Stopping, Closed };

    // Milliseconds to wait for the tool to finish the file after the stop before it is killed,
    // and one more for each ToolStopBytesPerMs already written (the tool rewrites the file to
    // put its index first and its tracks' starts together).
    static constexpr int ToolStopWaitMs = 15000;
    static constexpr qint64 ToolStopBytesPerMs = 10 * 1024;
    static int toolStopWaitMs(qint64 writtenBytes);

    explicit ScreenRecordWndCtr(const QString &recordFolder, ScreenRecordWndCtrDelegate *delegate, QObject *parent = nullptr);
    ~ScreenRecordWndCtr() override;

    void setDelegate(ScreenRecordWndCtrDelegate *delegate) { m_delegate = delegate; }
    QWidget *window();
    void showWindow();

    // Actions.
    void clickRecord();
    void stopRecord();
    void clickFullScreen();
    void clickStopAt();
    void close();
    // The tool's announcement of its root.
    void screenRecorderCtrDidStart(const QString &toolName);
    // The tool's report that frames are being written: the elapsed time starts here.
    void screenRecorderCtrDidCapture();

    Phase phase() const { return m_phase; }
    bool isRecording() const { return m_isRecording; }
    bool isFullScreen() const { return m_isFullScreen; }
    int countDownSecond() const { return m_countDownSecond; }
    qint64 recordedSecond() const { return m_recordedSecond; }
    qint64 recordSetTime() const;
    QString outputFile() const { return m_outputFile; }
    QString elapsedText() const;
    // The crop rectangle in global screen points.
    QRectF captureRect() const;
    // Why the stop key is not there (Wayland, no X, taken); empty while it is registered.
    QString hotKeyUnavailableReason() const { return m_hotKeyReason; }
    // What the tool wrote to its standard error.
    QString toolOutput() const { return QString::fromLocal8Bit(m_toolOutput); }
    // Milliseconds since the tool reported its first frame; -1 before.
    qint64 capturedMs() const;
    // Without a compositor the window is cut down to what it draws (an X shape); this is that
    // region, in window coordinates. Empty while the window is whole (a compositor shows it
    // see-through).
    QRegion shapeRegion() const { return m_shapeRegion; }
    bool isShaped() const { return m_shaped; }

    SRCropView *cropView() const { return m_cropView; }
    SRCaptureView *captureView() const { return m_captureView; }
    QAbstractButton *recordButton() const { return m_btnRecord; }
    QAbstractButton *closeButton() const { return m_btnClose; }
    QAbstractButton *fullScreenButton() const { return m_btnFullScreen; }
    QAbstractButton *stopButton() const { return m_btnStopRec; }
    QCheckBox *stopAtCheck() const { return m_chkStopAt; }
    TimeLabel *stopAtTime() const { return m_stopAtTime; }
    GlobalHotKey *stopKey() const { return m_stopRecordKey.get(); }

    // Where the tool is; default Glintcap beside this program.
    static void setToolProgramForTesting(const QString &program);
    static QString toolProgram();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The window is closed and the delegate told; the controller may go.
    void finished();

private:
    void windowDidLoad();
    void countTimer();
    void recordTimer();
    void launchTool();
    void sendToTool(const char *message, const QByteArray &object = {});
    void toolEnded();
    void finishStop();
    void endWith(bool recorded, const QString &reason);
    void updateFullScreenButton();
    void updateShape();

    ScreenRecordWndCtrDelegate *m_delegate = nullptr;
    QString m_recordFolder;
    QPointer<QWidget> m_window;
    SRCropView *m_cropView = nullptr;
    SRCaptureView *m_captureView = nullptr;
    QAbstractButton *m_btnClose = nullptr;
    QAbstractButton *m_btnRecord = nullptr;
    QAbstractButton *m_btnFullScreen = nullptr;
    QAbstractButton *m_btnStopRec = nullptr;
    QCheckBox *m_chkStopAt = nullptr;
    TimeLabel *m_stopAtTime = nullptr;
    QLabel *m_lblRecodedTime = nullptr;
    QWidget *m_cropBar = nullptr;
    QWidget *m_captureBar = nullptr;

    int m_countDownSecond = 0;
    qint64 m_recordedSecond = 0;
    std::unique_ptr<ControlTimer> m_countDownTimer;
    std::unique_ptr<ControlTimer> m_recordTimer;
    std::unique_ptr<ControlTimer> m_stopWaitTimer;
    QPointer<QProcess> m_recordTask;
    QByteArray m_toolOutput;
    std::unique_ptr<NamedConnection> m_connection;
    std::unique_ptr<NamedConnection> m_recorderDelegate;
    std::unique_ptr<GlobalHotKey> m_stopRecordKey;
    QString m_hotKeyReason;
    QString m_outputFile;
    Phase m_phase = Phase::Cropping;
    bool m_isRecording = false;
    bool m_isFullScreen = false;
    bool m_startDue = false;
    bool m_stopWasRecording = false;
    QRectF m_restoreFrame;
    QRegion m_shapeRegion;
    bool m_shaped = false;
    QElapsedTimer m_captured;
};
