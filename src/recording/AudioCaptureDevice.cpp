#include "recording/AudioCaptureDevice.h"

#include "platform/log/ScribletLogger.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// Marks the null sinks this program loads, so removal never unloads anyone else's.
constexpr const char *OwnerProperty = "fennix.owner=FennixPro";

std::mutex g_programLock;
QString g_soundServerProgram = QStringLiteral("pulseaudio");

QString soundServerProgram()
{
    std::lock_guard lock(g_programLock);
    return g_soundServerProgram;
}

// One short-lived connection to the sound server, driven by its own main loop with a
// deadline, so a hung server cannot hold the caller for longer than the time-out.
class PulseSession
{
public:
    PulseSession(const QString &server, int timeoutMs)
        : m_deadline(timeoutMs)
    {
        m_loop = pa_mainloop_new();
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "FennixPro");
        if (!m_context) {
            m_error = QStringLiteral("The sound server library could not start.");
            return;
        }
        const QByteArray address = server.toLocal8Bit();
        if (pa_context_connect(m_context, address.isEmpty() ? nullptr : address.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            m_error = noServerText();
            return;
        }
        const bool ready = runUntil([this] {
            const pa_context_state_t s = pa_context_get_state(m_context);
            return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
        });
        if (!ready || pa_context_get_state(m_context) != PA_CONTEXT_READY)
            m_error = noServerText();
        else
            m_ready = true;
    }

    ~PulseSession()
    {
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop)
            pa_mainloop_free(m_loop);
    }

    bool ready() const { return m_ready; }
    QString error() const { return m_error; }

    // Default sink's name; empty when the server has none.
    QString defaultSink()
    {
        QString name;
        bool done = false;
        struct Ctx { QString *name; bool *done; } ctx{&name, &done};
        wait(pa_context_get_server_info(
                 m_context,
                 [](pa_context *, const pa_server_info *info, void *user) {
                     auto *c = static_cast<Ctx *>(user);
                     if (info && info->default_sink_name)
                         *c->name = QString::fromUtf8(info->default_sink_name);
                     *c->done = true;
                 },
                 &ctx),
             done);
        return name;
    }

    // The monitor source of the named sink; empty when the sink is unknown.
    QString monitorOf(const QString &sink)
    {
        QString monitor;
        bool done = false;
        struct Ctx { QString *monitor; bool *done; } ctx{&monitor, &done};
        const QByteArray name = sink.toUtf8();
        wait(pa_context_get_sink_info_by_name(
                 m_context, name.constData(),
                 [](pa_context *, const pa_sink_info *info, int eol, void *user) {
                     auto *c = static_cast<Ctx *>(user);
                     if (eol)
                         *c->done = true;
                     else if (info && info->monitor_source_name)
                         *c->monitor = QString::fromUtf8(info->monitor_source_name);
                 },
                 &ctx),
             done);
        return monitor;
    }

    struct Module
    {
        quint32 index;
        QString name;
        QString argument;
    };

    std::vector<Module> modules()
    {
        std::vector<Module> list;
        bool done = false;
        struct Ctx { std::vector<Module> *list; bool *done; } ctx{&list, &done};
        wait(pa_context_get_module_info_list(
                 m_context,
                 [](pa_context *, const pa_module_info *info, int eol, void *user) {
                     auto *c = static_cast<Ctx *>(user);
                     if (eol) {
                         *c->done = true;
                         return;
                     }
                     if (info)
                         c->list->push_back({info->index, QString::fromUtf8(info->name ? info->name : ""),
                                             QString::fromUtf8(info->argument ? info->argument : "")});
                 },
                 &ctx),
             done);
        return list;
    }

    bool loadModule(const QString &name, const QString &argument)
    {
        quint32 index = PA_INVALID_INDEX;
        bool done = false;
        struct Ctx { quint32 *index; bool *done; } ctx{&index, &done};
        const QByteArray n = name.toUtf8();
        const QByteArray a = argument.toUtf8();
        wait(pa_context_load_module(
                 m_context, n.constData(), a.constData(),
                 [](pa_context *, uint32_t idx, void *user) {
                     auto *c = static_cast<Ctx *>(user);
                     *c->index = idx;
                     *c->done = true;
                 },
                 &ctx),
             done);
        if (index == PA_INVALID_INDEX)
            m_error = lastError();
        return index != PA_INVALID_INDEX;
    }

    bool unloadModule(quint32 index) { return success(pa_context_unload_module(m_context, index, successCallback, &m_success)); }

    bool setDefaultSink(const QString &sink)
    {
        const QByteArray name = sink.toUtf8();
        return success(pa_context_set_default_sink(m_context, name.constData(), successCallback, &m_success));
    }

private:
    struct Success
    {
        bool done = false;
        bool ok = false;
    };

    static void successCallback(pa_context *, int ok, void *user)
    {
        auto *s = static_cast<Success *>(user);
        s->ok = ok != 0;
        s->done = true;
    }

    bool success(pa_operation *op)
    {
        m_success = {};
        wait(op, m_success.done);
        if (!m_success.ok && m_error.isEmpty())
            m_error = lastError();
        return m_success.ok;
    }

    QString lastError() const
    {
        return QStringLiteral("The sound server refused: %1").arg(QString::fromUtf8(pa_strerror(pa_context_errno(m_context))));
    }

    static QString noServerText() { return QStringLiteral("No sound server (PulseAudio or PipeWire) answers."); }

    void wait(pa_operation *op, const bool &done)
    {
        if (!op) {
            m_error = lastError();
            return;
        }
        if (!runUntil([&done] { return done; }) && m_error.isEmpty())
            m_error = QStringLiteral("The sound server did not answer in time.");
        pa_operation_cancel(op);
        pa_operation_unref(op);
    }

    bool runUntil(const std::function<bool()> &finished)
    {
        while (!finished()) {
            if (m_deadline.hasExpired())
                return false;
            const qint64 left = qMax<qint64>(1, m_deadline.remainingTime());
            if (pa_mainloop_prepare(m_loop, int(qMin<qint64>(left, 100)) * 1000) < 0 || pa_mainloop_poll(m_loop) < 0
                || pa_mainloop_dispatch(m_loop) < 0)
                return false;
        }
        return true;
    }

    QDeadlineTimer m_deadline;
    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    bool m_ready = false;
    QString m_error;
    Success m_success;
};

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool isOwnSink(const PulseSession::Module &m, const QString &name)
{
    return m.name == QLatin1String("module-null-sink") && m.argument.contains(QLatin1String(OwnerProperty))
           && m.argument.split(QLatin1Char(' ')).contains(QStringLiteral("sink_name=%1").arg(name));
}

} // namespace

AudioCaptureDevice::AudioCaptureDevice(const QString &server, int timeoutMs)
    : m_server(server), m_timeoutMs(timeoutMs)
{
}

void AudioCaptureDevice::setSoundServerProgramForTesting(const QString &program)
{
    std::lock_guard lock(g_programLock);
    g_soundServerProgram = program;
}

QString AudioCaptureDevice::getDefaultAuidoEnginePath(QString *error) const
{
    PulseSession session(m_server, m_timeoutMs);
    if (!session.ready()) {
        setError(error, session.error());
        return QString();
    }
    const QString sink = session.defaultSink();
    if (sink.isEmpty()) {
        setError(error, session.error().isEmpty() ? QStringLiteral("The sound server has no output to record.") : session.error());
        return QString();
    }
    const QString monitor = session.monitorOf(sink);
    if (monitor.isEmpty())
        setError(error, QStringLiteral("The output \"%1\" has no monitor to record.").arg(sink));
    return monitor;
}

bool AudioCaptureDevice::isInstallAudioDeviceWithClassName(QString *error) const
{
    return !getDefaultAuidoEnginePath(error).isEmpty();
}

QString AudioCaptureDevice::launchAudioDeviceWithClassName(QString *error) const
{
    QString reason;
    const QString monitor = getDefaultAuidoEnginePath(&reason);
    if (monitor.isEmpty())
        ScribletLogInfo(QStringLiteral("Not Found output engine: %1").arg(reason));
    setError(error, reason);
    return monitor;
}

bool AudioCaptureDevice::installAudioDevice2(const QString &name, QString *error) const
{
    if (name.isEmpty() || name.contains(QLatin1Char(' ')) || name.contains(QLatin1Char('='))) {
        setError(error, QStringLiteral("Not a usable sound card name: \"%1\"").arg(name));
        return false;
    }
    QString reason;
    if (isInstallAudioDeviceWithClassName(&reason))
        return true;
    {
        PulseSession probe(m_server, m_timeoutMs);
        if (!probe.ready()) {
            // Only the user's own server, started the way the desktop would: never as another
            // user, never through a shell.
            const QString program = QStandardPaths::findExecutable(soundServerProgram());
            if (program.isEmpty() || !m_server.isEmpty()) {
                setError(error, QStringLiteral("%1 None could be started.").arg(probe.error()));
                return false;
            }
            QProcess starter;
            starter.start(program, {QStringLiteral("--start")});
            if (!starter.waitForFinished(m_timeoutMs * 3) || starter.exitStatus() != QProcess::NormalExit || starter.exitCode() != 0) {
                starter.kill();
                setError(error, QStringLiteral("The sound server could not be started: %1")
                                    .arg(QString::fromLocal8Bit(starter.readAllStandardError()).trimmed()));
                return false;
            }
            if (isInstallAudioDeviceWithClassName(&reason))
                return true;
        }
    }
    PulseSession session(m_server, m_timeoutMs);
    if (!session.ready()) {
        setError(error, session.error());
        return false;
    }
    const QString hadDefault = session.defaultSink();
    const QString arguments = QStringLiteral("sink_name=%1 sink_properties=%2").arg(name, QLatin1String(OwnerProperty));
    if (!session.loadModule(QStringLiteral("module-null-sink"), arguments)) {
        setError(error, session.error());
        return false;
    }
    // A server with no output at all gets the new sink as its output, so what plays is heard
    // by the recording.
    if (hadDefault.isEmpty() || session.monitorOf(hadDefault).isEmpty())
        session.setDefaultSink(name);
    if (!isInstallAudioDeviceWithClassName(&reason)) {
        setError(error, reason);
        return false;
    }
    ScribletLogInfo(QStringLiteral("virtual sound card \"%1\" loaded").arg(name));
    return true;
}

bool AudioCaptureDevice::hasOwnVirtualSink(const QString &name, QString *error) const
{
    PulseSession session(m_server, m_timeoutMs);
    if (!session.ready()) {
        setError(error, session.error());
        return false;
    }
    for (const auto &m : session.modules())
        if (isOwnSink(m, name))
            return true;
    return false;
}

bool AudioCaptureDevice::unInstallAudioDevice(const QString &driverFileName, QString *error) const
{
    const QString name = QFileInfo(driverFileName).completeBaseName();
    PulseSession session(m_server, m_timeoutMs);
    if (!session.ready()) {
        // Nothing of ours can be loaded in a server that does not run.
        setError(error, session.error());
        return true;
    }
    bool ok = true;
    for (const auto &m : session.modules()) {
        if (!isOwnSink(m, name))
            continue;
        if (!session.unloadModule(m.index)) {
            ScribletLogInfo(QStringLiteral("uninstall script %1").arg(session.error()));
            setError(error, session.error());
            ok = false;
        }
    }
    return ok;
}
