#include "recording/ScreenRecordWndCtr.h"

#include "controls/ControlTimer.h"
#include "controls/TimeLabel.h"
#include "media/IM_EncodeParamEx.h"
#include "platform/KeyedArchiver.h"
#include "platform/MainBundle.h"
#include "platform/NamedConnection.h"
#include "platform/X11WindowShape.h"
#include "platform/log/ScribletLogger.h"
#include "recording/CropGeometry.h"
#include "recording/GlobalHotKey.h"
#include "recording/RecordingFiles.h"
#include "recording/SRCaptureView.h"
#include "recording/SRCropView.h"
#include "recording/ScreenRecordWndCtrDelegate.h"
#include "tools/capvane/GlintcapProtocol.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

using namespace GlintcapProtocol;

namespace {

QString g_toolProgram;

QString tr1(const char *english) { return MainBundle::localizedString(english); }

// The stop key: Shift+Ctrl and the main keyboard's 2.
constexpr uint32_t StopKeySym = 0x32;

constexpr int OneSecondMs = 1000;

// Button faces: white on black, with a small drawn sign in front of the title.
enum class Sign { Close, Record, Stop, FullScreen, Restore };

QIcon signIcon(Sign sign)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor red(0xE8, 0x2F, 0x2F);
    switch (sign) {
    case Sign::Close:
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(9, 9, 23, 23);
        p.drawLine(23, 9, 9, 23);
        break;
    case Sign::Record:
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(red);
        p.drawEllipse(QRectF(6, 6, 20, 20));
        break;
    case Sign::Stop:
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawRoundedRect(QRectF(7, 7, 18, 18), 3, 3);
        break;
    case Sign::FullScreen:
    case Sign::Restore: {
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::SquareCap));
        const bool out = sign == Sign::FullScreen;
        // Four corner marks, pointing out to enlarge and in to restore.
        const QPointF corners[] = {{6, 6}, {26, 6}, {26, 26}, {6, 26}};
        for (const QPointF &c : corners) {
            const qreal dx = c.x() < 16 ? 1 : -1, dy = c.y() < 16 ? 1 : -1;
            const QPointF at = out ? c : c + QPointF(dx * 7, dy * 7);
            const qreal sx = out ? dx : -dx, sy = out ? dy : -dy;
            p.drawLine(at, at + QPointF(sx * 7, 0));
            p.drawLine(at, at + QPointF(0, sy * 7));
        }
        break;
    }
    }
    return QIcon(pm);
}

QPushButton *barButton(QWidget *bar, const QString &name, const QString &title, Sign sign)
{
    auto *b = new QPushButton(signIcon(sign), title, bar);
    b->setObjectName(name);
    b->setIconSize(QSize(18, 18));
    b->setCursor(Qt::PointingHandCursor);
    b->setFocusPolicy(Qt::NoFocus);
    b->setStyleSheet(QStringLiteral("QPushButton{color:white;background:black;border:none;padding:0 6px;font-size:13px;}"
                                    "QPushButton:pressed{background:#333333;}"));
    b->setFixedHeight(32);
    return b;
}

QWidget *blackBar(QWidget *parent, const QString &name, const QSize &size)
{
    auto *bar = new QWidget(parent);
    bar->setObjectName(name);
    bar->setFixedSize(size);
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral("#%1{background:black;}").arg(name));
    return bar;
}

QString lastLine(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return lines.isEmpty() ? QString() : QString::fromLocal8Bit(lines.last()).trimmed();
}

} // namespace

void ScreenRecordWndCtr::setToolProgramForTesting(const QString &program) { g_toolProgram = program; }

QString ScreenRecordWndCtr::toolProgram()
{
    return g_toolProgram.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/Glintcap") : g_toolProgram;
}

ScreenRecordWndCtr::ScreenRecordWndCtr(const QString &recordFolder, ScreenRecordWndCtrDelegate *delegate, QObject *parent)
    : QObject(parent)
    , m_delegate(delegate)
    , m_recordFolder(recordFolder)
    , m_countDownTimer(ControlTimer::make())
    , m_recordTimer(ControlTimer::make())
    , m_stopWaitTimer(ControlTimer::make())
    , m_stopRecordKey(std::make_unique<GlobalHotKey>(StopKeySym, GlobalHotKey::Shift | GlobalHotKey::Control))
{
    connect(m_stopRecordKey.get(), &GlobalHotKey::activated, this, &ScreenRecordWndCtr::stopRecord);
}

ScreenRecordWndCtr::~ScreenRecordWndCtr()
{
    m_stopRecordKey->unregisterKey();
    if (m_recordTask) {
        QObject::disconnect(m_recordTask, nullptr, this, nullptr);
        if (m_recordTask->state() != QProcess::NotRunning) {
            // Going away mid-take (the program quits): let the tool finish the file first.
            sendToTool(StopCapture);
            if (!m_recordTask->waitForFinished(5000))
                m_recordTask->kill();
            m_recordTask->waitForFinished(1000);
        }
    }
    delete m_window.data();
}

QWidget *ScreenRecordWndCtr::window()
{
    if (!m_window)
        windowDidLoad();
    return m_window.data();
}

void ScreenRecordWndCtr::showWindow()
{
    window()->show();
    m_window->raise();
    m_window->activateWindow();
    updateShape();
}

void ScreenRecordWndCtr::updateShape()
{
    if (!m_window || !m_window->isVisible() || !m_window->windowHandle())
        return;
    // With a compositor the clear window is see-through as it is; without one it would be
    // drawn black over the screen (and recorded so), so it keeps only what it draws.
    if (X11WindowShape::hasCompositor()) {
        if (m_shaped)
            X11WindowShape::clearShape(m_window->windowHandle());
        m_shaped = false;
        m_shapeRegion = QRegion();
        return;
    }
    const QRegion region = m_captureView->isVisible() ? m_captureView->paintedRegion() : m_cropView->paintedRegion();
    if (m_shaped && region == m_shapeRegion)
        return;
    if (X11WindowShape::setShape(m_window->windowHandle(), region)) {
        m_shaped = true;
        m_shapeRegion = region;
    }
}

void ScreenRecordWndCtr::windowDidLoad()
{
    // A clear, frameless window over the whole main screen, above the others.
    auto *w = new QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    w->setObjectName(QStringLiteral("ScreenRecordWindow"));
    w->setAttribute(Qt::WA_TranslucentBackground);
    w->setWindowTitle(tr1("Record a region"));
    QScreen *screen = QGuiApplication::primaryScreen();
    w->setGeometry(screen ? screen->geometry() : QRect(0, 0, 1280, 800));
    m_window = w;
    const QRectF screenFrame(QPointF(0, 0), QSizeF(w->size()));

    // The crop bar: close, record, full screen and the "Stop at" time.
    m_cropBar = blackBar(nullptr, QStringLiteral("cropBar"), QSize(450, 40));
    auto *row = new QHBoxLayout(m_cropBar);
    row->setContentsMargins(4, 4, 8, 4);
    row->setSpacing(6);
    auto *close = barButton(m_cropBar, QStringLiteral("btnClose"), QString(), Sign::Close);
    close->setFixedWidth(32);
    close->setToolTip(tr1("Close"));
    auto *record = barButton(m_cropBar, QStringLiteral("btnRecord"), tr1("REC"), Sign::Record);
    auto *full = barButton(m_cropBar, QStringLiteral("btnFullScreen"), tr1("FullScreen"), Sign::FullScreen);
    m_chkStopAt = new QCheckBox(tr1("Stop at"), m_cropBar);
    m_chkStopAt->setObjectName(QStringLiteral("chkStopAt"));
    m_chkStopAt->setFocusPolicy(Qt::NoFocus);
    m_chkStopAt->setStyleSheet(QStringLiteral("QCheckBox{color:white;font-size:13px;}"
                                              "QCheckBox::indicator{width:12px;height:12px;border:1px solid white;background:black;}"
                                              "QCheckBox::indicator:checked{background:#E82F2F;}"));
    m_stopAtTime = new TimeLabel(m_cropBar);
    m_stopAtTime->setObjectName(QStringLiteral("stopAtTime"));
    m_stopAtTime->setFixedSize(86, 24);
    m_stopAtTime->setTime(0);
    m_stopAtTime->setEditable(false);
    m_stopAtTime->setEnabled(false);
    row->addWidget(close);
    row->addWidget(record);
    row->addWidget(full);
    row->addStretch(1);
    row->addWidget(m_chkStopAt);
    row->addWidget(m_stopAtTime);
    m_btnClose = close;
    m_btnRecord = record;
    m_btnFullScreen = full;
    connect(close, &QPushButton::clicked, this, &ScreenRecordWndCtr::close);
    connect(record, &QPushButton::clicked, this, &ScreenRecordWndCtr::clickRecord);
    connect(full, &QPushButton::clicked, this, &ScreenRecordWndCtr::clickFullScreen);
    connect(m_chkStopAt, &QCheckBox::toggled, this, &ScreenRecordWndCtr::clickStopAt);

    m_cropView = new SRCropView(w);
    m_cropView->setObjectName(QStringLiteral("cropView"));
    m_cropView->setGeometry(QRect(QPoint(0, 0), w->size()));
    m_cropView->setCropBar(m_cropBar);
    m_cropView->setScreenFrame(screenFrame);
    connect(m_cropView, &SRCropView::cropFrameChanged, this, [this] { updateShape(); });

    // The capture bar: stop and the elapsed time.
    m_captureBar = blackBar(nullptr, QStringLiteral("captureBar"), QSize(350, 40));
    auto *capRow = new QHBoxLayout(m_captureBar);
    capRow->setContentsMargins(4, 4, 12, 4);
    auto *stop = barButton(m_captureBar, QStringLiteral("btnStopRec"), QStringLiteral("      %1").arg(tr1("Stop")), Sign::Stop);
    m_lblRecodedTime = new QLabel(QStringLiteral("00:00:00"), m_captureBar);
    m_lblRecodedTime->setObjectName(QStringLiteral("lblRecodedTime"));
    m_lblRecodedTime->setStyleSheet(QStringLiteral("QLabel{color:white;font-size:16px;}"));
    capRow->addWidget(stop);
    capRow->addStretch(1);
    capRow->addWidget(m_lblRecodedTime);
    m_btnStopRec = stop;
    connect(stop, &QPushButton::clicked, this, &ScreenRecordWndCtr::stopRecord);

    m_captureView = new SRCaptureView(w);
    m_captureView->setObjectName(QStringLiteral("captureView"));
    m_captureView->setGeometry(QRect(QPoint(0, 0), w->size()));
    m_captureView->setCaptureBar(m_captureBar);
    m_captureView->hide();

    // The views cover the window, and the rectangle stays on the screen, whatever its size.
    w->installEventFilter(this);
    m_isFullScreen = false;
    m_isRecording = false;
    // Leaving the program ends an edit of the "Stop at" time, so its value holds.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && m_stopAtTime)
            if (QWidget *focus = QApplication::focusWidget(); focus && m_stopAtTime->isAncestorOf(focus))
                focus->clearFocus();
    });
}

bool ScreenRecordWndCtr::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Resize) {
        const QRect all(QPoint(0, 0), m_window->size());
        m_cropView->setGeometry(all);
        m_captureView->setGeometry(all);
        const QRectF screen(all);
        m_cropView->setScreenFrame(screen);
        const QRectF crop = m_isFullScreen ? screen : m_cropView->cropFrame().intersected(screen);
        // A rectangle the new size cannot hold starts over from the first one.
        if (crop.width() < CropGeometry::minimumSize.width() || crop.height() < CropGeometry::minimumSize.height())
            m_cropView->setCropFrame(CropGeometry::initialRect(screen));
        else
            m_cropView->setCropFrame(crop);
        updateShape();
    }
    return QObject::eventFilter(watched, event);
}

qint64 ScreenRecordWndCtr::recordSetTime() const { return m_stopAtTime ? qint64(m_stopAtTime->getTime()) : 0; }

QString ScreenRecordWndCtr::elapsedText() const { return m_lblRecodedTime ? m_lblRecodedTime->text() : QString(); }

QRectF ScreenRecordWndCtr::captureRect() const
{
    if (!m_cropView || !m_window)
        return {};
    return m_cropView->cropFrame().translated(m_window->geometry().topLeft());
}

void ScreenRecordWndCtr::clickFullScreen()
{
    if (m_phase != Phase::Cropping || !m_cropView)
        return;
    if (!m_isFullScreen) {
        m_restoreFrame = m_cropView->cropFrame();
        m_cropView->setCropFrame(m_cropView->screenFrame());
    } else {
        m_cropView->setCropFrame(m_restoreFrame);
    }
    m_isFullScreen = !m_isFullScreen;
    updateFullScreenButton();
}

void ScreenRecordWndCtr::updateFullScreenButton()
{
    auto *b = static_cast<QPushButton *>(m_btnFullScreen);
    b->setText(m_isFullScreen ? tr1("Exit FullScreen") : tr1("FullScreen"));
    b->setIcon(signIcon(m_isFullScreen ? Sign::Restore : Sign::FullScreen));
}

void ScreenRecordWndCtr::clickStopAt()
{
    const bool on = m_chkStopAt->isChecked();
    m_stopAtTime->setEnabled(on);
    m_stopAtTime->setEditable(on);
}

void ScreenRecordWndCtr::clickRecord()
{
    if (m_phase != Phase::Cropping)
        return;
    window();
    if (m_delegate && !m_delegate->recordWillStart())
        return;
    // The take's name is taken now, so nothing else can claim it while the tool writes.
    QString error;
    m_outputFile = RecordingFiles::reserveDateTimeName(m_recordFolder, QDateTime::currentDateTime(), &error);
    if (m_outputFile.isEmpty()) {
        endWith(false, error);
        return;
    }
    // Should the program be killed, the tool still finishes the file: the next start finds it.
    RecordingFiles::markTakeStarted(m_outputFile);
    m_isRecording = false;
    m_phase = Phase::CountingDown;
    m_cropView->hide();
    m_captureView->setGeometry(QRect(QPoint(0, 0), m_window->size()));
    m_captureView->setCaptureFrame(m_cropView->cropFrame());
    m_captureView->show();
    m_captured.invalidate();

    if (!m_stopRecordKey->registerKey(&m_hotKeyReason))
        ScribletLogInfo(QStringLiteral("region recorder without its stop key: %1").arg(m_hotKeyReason));
    else
        m_hotKeyReason.clear();
    // Without the key (Wayland, no X, taken) the tip says so and points at the Stop button; the
    // reason is logged above.
    if (m_hotKeyReason.isEmpty())
        m_captureView->setHotKeyTip(tr1("Press %key% to stop recording."), tr1("Shift+Ctrl+2"));
    else
        m_captureView->setHotKeyTip(tr1("No stop key here: press Stop."));

    m_countDownSecond = 5;
    countTimer();
    launchTool();
}

void ScreenRecordWndCtr::launchTool()
{
    const QString name = connectionName(QCoreApplication::applicationPid(), QDateTime::currentMSecsSinceEpoch() / 1000.0);
    QString error;
    m_connection = NamedConnection::publish(name, [this, name](const QString &message, const QByteArray &object) {
        if (message == QLatin1String(ScreenRecorderCtrDidStart)) {
            const QString toolName = KeyedUnarchiver::rootString(object);
            // Only the tool started for this take may drive it.
            if (toolName == toolRootName(name))
                screenRecorderCtrDidStart(toolName);
        } else if (message == QLatin1String(ScreenRecorderCtrDidCapture)) {
            screenRecorderCtrDidCapture();
        }
    }, &error);
    if (!m_connection) {
        endWith(false, error);
        return;
    }
    auto *task = new QProcess(this);
    m_recordTask = task;
    task->setProgram(toolProgram());
    task->setArguments({name});
    task->setProcessChannelMode(QProcess::SeparateChannels);
    task->setStandardOutputFile(QProcess::nullDevice());
    connect(task, &QProcess::readyReadStandardError, this, [this, task] {
        m_toolOutput += task->readAllStandardError();
        if (m_toolOutput.size() > 64 * 1024)
            m_toolOutput = m_toolOutput.right(16 * 1024);
    });
    connect(task, &QProcess::finished, this, [this] { toolEnded(); });
    connect(task, &QProcess::errorOccurred, this, [this, task](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        m_toolOutput += QStringLiteral("%1 could not be started: %2\n").arg(task->program(), task->errorString()).toLocal8Bit();
        toolEnded();
    });
    task->start();
}

void ScreenRecordWndCtr::screenRecorderCtrDidStart(const QString &toolName)
{
    if (m_recorderDelegate || m_phase == Phase::Stopping || m_phase == Phase::Closed)
        return;
    QString error;
    m_recorderDelegate = NamedConnection::connectTo(toolName, 2000, &error);
    if (!m_recorderDelegate) {
        ScribletLogInfo(QStringLiteral("region recorder: the tool cannot be reached: %1").arg(error));
        return;
    }
    const QRectF rect = captureRect();
    const qreal scale = m_window && m_window->screen() ? m_window->screen()->devicePixelRatio() : 1.0;
    const IM_EncodeParamEx block = CropGeometry::encodeBlock(CropGeometry::pixelSize(rect.size(), scale));
    sendToTool(SetCaptureRect, archiveRect(rect));
    sendToTool(SetEncodeParams, QByteArray(reinterpret_cast<const char *>(&block), sizeof block));
    sendToTool(SetOutputFile, KeyedArchiver::archivedRootString(m_outputFile));
    // A tool slower than the count-down still gets its start.
    if (m_startDue)
        sendToTool(StartCapture);
}

void ScreenRecordWndCtr::sendToTool(const char *message, const QByteArray &object)
{
    if (m_recorderDelegate && m_recorderDelegate->isValid())
        m_recorderDelegate->sendMessage(QLatin1String(message), object);
}

void ScreenRecordWndCtr::countTimer()
{
    if (m_phase != Phase::CountingDown)
        return;
    if (m_countDownSecond >= 1) {
        m_captureView->setCountNumber(QString::number(m_countDownSecond));
        updateShape();
        --m_countDownSecond;
        m_countDownTimer->start(OneSecondMs, [this] { countTimer(); });
        return;
    }
    m_countDownTimer->stop();
    m_captureView->setHotKeyTip(QString());
    m_captureView->setCountNumber(QString());
    m_captureView->repaint();
    // The region is clear of the overlay before the first frame is taken.
    updateShape();
    m_recordedSecond = 0;
    m_phase = Phase::Recording;
    m_startDue = true;
    sendToTool(StartCapture);
    m_isRecording = true;
    m_lblRecodedTime->setText(QStringLiteral("00:00:00"));
    // The clock runs from the tool's first written frame, so it shows what the file holds.
    if (m_captured.isValid())
        recordTimer();
}

void ScreenRecordWndCtr::screenRecorderCtrDidCapture()
{
    if (m_captured.isValid() || m_phase == Phase::Stopping || m_phase == Phase::Closed)
        return;
    m_captured.start();
    if (m_phase == Phase::Recording)
        recordTimer();
}

qint64 ScreenRecordWndCtr::capturedMs() const { return m_captured.isValid() ? m_captured.elapsed() : -1; }

void ScreenRecordWndCtr::recordTimer()
{
    if (m_phase != Phase::Recording)
        return;
    const qint64 shown = m_recordedSecond;
    m_lblRecodedTime->setText(QString::asprintf("%02lld:%02lld:%02lld", shown / 3600, shown % 3600 / 60, shown % 60));
    ++m_recordedSecond;
    if (m_chkStopAt->isChecked() && shown > recordSetTime()) {
        stopRecord();
        return;
    }
    m_recordTimer->start(OneSecondMs, [this] { recordTimer(); });
}

void ScreenRecordWndCtr::stopRecord()
{
    if (m_phase == Phase::Cropping) {
        close();
        return;
    }
    if (m_phase == Phase::Stopping || m_phase == Phase::Closed)
        return;
    m_stopRecordKey->unregisterKey();
    m_stopWasRecording = m_isRecording;
    sendToTool(StopCapture);
    m_countDownTimer->stop();
    m_recordTimer->stop();
    m_phase = Phase::Stopping;
    if (m_window)
        m_window->hide();
    if (m_recordTask && m_recordTask->state() != QProcess::NotRunning && !m_recorderDelegate) {
        // A tool that never connected cannot hear the stop and has recorded nothing.
        m_recordTask->kill();
        return;
    }
    if (m_recordTask && m_recordTask->state() != QProcess::NotRunning) {
        // The tool finishes the file's index after the stop; a killed MP4 would be unreadable,
        // so it gets its time and is killed only when it hangs.
        m_stopWaitTimer->start(toolStopWaitMs(QFileInfo(m_outputFile).size()), [this] {
            if (m_recordTask && m_recordTask->state() != QProcess::NotRunning) {
                m_toolOutput += "the capture tool did not finish in time and was killed\n";
                m_recordTask->kill();
            }
        });
        return;
    }
    finishStop();
}

int ScreenRecordWndCtr::toolStopWaitMs(qint64 writtenBytes)
{
    // At most an hour more, for a take of some 36 GB.
    return ToolStopWaitMs + int(std::clamp<qint64>(writtenBytes / ToolStopBytesPerMs, 0, 3600 * 1000));
}

void ScreenRecordWndCtr::toolEnded()
{
    switch (m_phase) {
    case Phase::Stopping:
        finishStop();
        break;
    case Phase::CountingDown:
    case Phase::Recording:
        // Nothing is being recorded any more: say so now rather than count on.
        m_stopRecordKey->unregisterKey();
        m_countDownTimer->stop();
        m_recordTimer->stop();
        m_stopWasRecording = true;
        finishStop();
        break;
    case Phase::Cropping:
    case Phase::Closed:
        break;
    }
}

void ScreenRecordWndCtr::finishStop()
{
    m_stopWaitTimer->stop();
    const bool toolSaved = m_recordTask && m_recordTask->state() == QProcess::NotRunning && m_recordTask->error() != QProcess::FailedToStart
                           && m_recordTask->exitStatus() == QProcess::NormalExit && m_recordTask->exitCode() == Recorded;
    const QFileInfo file(m_outputFile);
    if (m_stopWasRecording && toolSaved && file.isFile() && file.size() > 0) {
        endWith(true, QString());
        return;
    }
    // The reserved name is given back unless something was written into it.
    if (file.isFile() && file.size() == 0)
        QFile::remove(m_outputFile);
    QString reason;
    if (m_stopWasRecording) {
        reason = tr1("The recording could not be saved.");
        const QString why = lastLine(m_toolOutput);
        if (!why.isEmpty())
            reason += QLatin1Char(' ') + why;
    }
    endWith(false, reason);
}

void ScreenRecordWndCtr::close()
{
    if (m_phase == Phase::Closed || m_phase == Phase::Stopping)
        return;
    if (m_phase != Phase::Cropping) {
        stopRecord();
        return;
    }
    endWith(false, QString());
}

void ScreenRecordWndCtr::endWith(bool recorded, const QString &reason)
{
    if (m_phase == Phase::Closed)
        return;
    m_phase = Phase::Closed;
    m_stopRecordKey->unregisterKey();
    m_countDownTimer->stop();
    m_recordTimer->stop();
    m_stopWaitTimer->stop();
    m_recorderDelegate.reset();
    if (m_connection)
        m_connection->invalidate();
    m_connection.reset();
    if (m_window)
        m_window->hide();
    const bool wasRecording = m_isRecording;
    m_isRecording = false;
    // A take handed over stays marked until the page has listed it.
    if (!m_outputFile.isEmpty() && !(recorded && wasRecording))
        RecordingFiles::markTakeEnded(m_outputFile);
    if (!reason.isEmpty())
        ScribletLogInfo(QStringLiteral("region recording ended without a file: %1").arg(reason));
    if (m_delegate) {
        if (recorded && wasRecording)
            m_delegate->recordDidStop();
        else
            m_delegate->cropWndWillClose(reason);
    }
    emit finished();
}
