#include "reelgrab/QVWebSnifferProcess.h"

#include "platform/ProcessTree.h"
#include "reelgrab/Func.h"
#include "reelgrab/WebSnifferWire.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>

#include <algorithm>

namespace {

// A dismissed child gets this long to leave after its input closes.
constexpr int DismissKillMs = 3000;

const QString PageTooLarge = QStringLiteral("page too large");

} // namespace

QVWebSnifferProcess::QVWebSnifferProcess(const QString &program) : m_program(program)
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this,
            [this]() { broken(QStringLiteral("did not finish within %1 s").arg(m_seconds + GraceSeconds)); });
    m_memoryWatch.setInterval(MemoryCheckMs);
    connect(&m_memoryWatch, &QTimer::timeout, this, &QVWebSnifferProcess::checkMemory);
}

qint64 QVWebSnifferProcess::memoryLimit()
{
    bool ok = false;
    const qint64 mb = qEnvironmentVariable("REELGRAB_WEBSNIFFER_MEMORY_MB").toLongLong(&ok);
    return ok && mb > 0 ? mb << 20 : DefaultMemoryLimit;
}

QVWebSnifferProcess::~QVWebSnifferProcess()
{
    dismiss();
}

QString QVWebSnifferProcess::defaultProgram()
{
    // Never argv[0] or PATH: only the program installed beside this one.
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(WebSnifferWire::ChildProgram));
}

void QVWebSnifferProcess::load(const QString &pageUrl, const QString &userAgent)
{
    dismiss();
    ++m_run;
    m_buffer.clear();
    m_received = 0;
    auto *process = new QProcess;
    m_process = process;
    m_memoryLimit = memoryLimit();
    m_memoryPeak = 0;
    process->setProgram(m_program);
    // The watch below ends the whole tree above the limit; a burst between two looks still
    // stops at a per-process cap a little above it.
    process->setChildProcessModifier(ProcessTree::dataLimit(m_memoryLimit + m_memoryLimit / 2));
    // Standard output carries the records; the child's log lines go where ours go.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process]() {
        if (process == m_process)
            readOutput();
    });
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        if (process != m_process)
            return;
        readOutput();
        if (process != m_process)
            return;
        childEnded(status == QProcess::CrashExit ? QStringLiteral("was killed or crashed")
                                                 : QStringLiteral("ended early with status %1").arg(code));
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (process != m_process || error != QProcess::FailedToStart)
            return;
        broken(QStringLiteral("%1 could not be started: %2").arg(m_program, process->errorString()));
    });
    WebSnifferWire::Request request;
    request.pageUrl = pageUrl;
    request.userAgent = userAgent;
    request.seconds = m_seconds;
    QPointer<QVWebSnifferProcess> self(this);
    process->start(QIODevice::ReadWrite);
    if (!self || process != m_process)
        return; // failing to start already reported and dismissed it
    process->write(WebSnifferWire::encodeRequest(request));
    m_watchdog.start((m_seconds + GraceSeconds) * 1000);
    m_memoryWatch.start();
}

void QVWebSnifferProcess::checkMemory()
{
    if (!m_process || m_process->state() != QProcess::Running)
        return;
    const qint64 pid = m_process->processId();
    const qint64 used = ProcessTree::privateBytes(pid);
    m_memoryPeak = std::max(m_memoryPeak, used);
    if (used <= m_memoryLimit)
        return;
    ProcessTree::killAll(pid);
    broken(QStringLiteral("held %1 MB, above its limit of %2 MB").arg(used >> 20).arg(m_memoryLimit >> 20), PageTooLarge);
}

void QVWebSnifferProcess::stop()
{
    onResponse = nullptr;
    onTitle = nullptr;
    onIcon = nullptr;
    onLoadFailed = nullptr;
    onBroken = nullptr;
    dismiss();
}

void QVWebSnifferProcess::readOutput()
{
    QPointer<QVWebSnifferProcess> self(this);
    QProcess *process = m_process;
    const QByteArray data = process->readAllStandardOutput();
    m_received += data.size();
    if (m_received > WebSnifferWire::MaxStreamBytes) {
        broken(QStringLiteral("wrote more than %1 bytes").arg(WebSnifferWire::MaxStreamBytes));
        return;
    }
    m_buffer += data;
    for (;;) {
        QCborMap record;
        QString error;
        const WebSnifferWire::Take take = WebSnifferWire::takeRecord(m_buffer, &record, &error);
        if (take == WebSnifferWire::Take::NeedMore)
            return;
        WebSnifferWire::Event event;
        if (take == WebSnifferWire::Take::Broken || !WebSnifferWire::decodeEvent(record, &event, &error)) {
            broken(QStringLiteral("wrote garbage (%1)").arg(error));
            return;
        }
        switch (event.kind) {
        case WebSnifferWire::Event::Response:
            if (onResponse)
                onResponse(event.url, event.mime, event.length, event.ext);
            break;
        case WebSnifferWire::Event::Title:
            if (onTitle)
                onTitle(event.text);
            break;
        case WebSnifferWire::Event::Icon:
            if (onIcon)
                onIcon(event.png);
            break;
        case WebSnifferWire::Event::LoadFailed:
            if (onLoadFailed)
                onLoadFailed(event.text);
            break;
        case WebSnifferWire::Event::Progress:
            if (onProgress)
                onProgress(int(event.length));
            break;
        case WebSnifferWire::Event::Settled:
            if (onSettled)
                onSettled();
            break;
        }
        // A callback may have stopped or released the road.
        if (!self || m_process != process)
            return;
    }
}

void QVWebSnifferProcess::childEnded(const QString &why)
{
    // A child that died near its memory limit ran into the cap on its data: the page did it.
    broken(why, m_memoryPeak > m_memoryLimit / 4 * 3 ? PageTooLarge : QString());
}

void QVWebSnifferProcess::broken(const QString &why, const QString &reason)
{
    // A child that misbehaved gets no second chance to leave politely.
    if (m_process && m_process->state() != QProcess::NotRunning)
        m_process->kill();
    dismiss();
    const QString text = QStringLiteral("the page sniffer %1").arg(why);
    Func(FuncLogError, text);
    // From the event loop: the callback releases this object, which must not happen inside
    // one of its own signals.
    QMetaObject::invokeMethod(
        this,
        [this, told = reason.isEmpty() ? text : reason, run = m_run]() {
            if (run == m_run && onBroken)
                onBroken(told);
        },
        Qt::QueuedConnection);
}

void QVWebSnifferProcess::dismiss()
{
    m_watchdog.stop();
    m_memoryWatch.stop();
    QProcess *process = m_process;
    m_process = nullptr;
    if (!process)
        return;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Closing its input tells the child to leave; one that does not is killed, at the latest
    // when the application object goes (the process object is its child then).
    if (QCoreApplication::instance() && process->thread() == QCoreApplication::instance()->thread())
        process->setParent(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->closeWriteChannel();
    QTimer::singleShot(DismissKillMs, process, [process]() { process->kill(); });
}
