#include "platform/ProcessRegistry.h"

#include <QCoreApplication>
#include <QMutexLocker>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

ProcessRegistry &ProcessRegistry::shared()
{
    static ProcessRegistry *registry = new ProcessRegistry();
    return *registry;
}

ProcessRegistry::ProcessRegistry()
{
    if (auto *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this]() { terminateAll(); });
}

ProcessRegistry::~ProcessRegistry() = default;

void ProcessRegistry::setDieWithParent(QProcess *process)
{
    const pid_t parent = ::getpid();
    process->setChildProcessModifier([parent]() {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have died between fork and prctl.
        if (::getppid() != parent)
            ::_exit(1);
    });
}

QProcess *ProcessRegistry::createProcess(QObject *parent)
{
    auto *p = new QProcess(parent);
    setDieWithParent(p);
    adopt(p);
    return p;
}

void ProcessRegistry::adopt(QProcess *process)
{
    QMutexLocker lock(&m_mutex);
    m_processes.removeIf([](const QPointer<QProcess> &p) { return p.isNull(); });
    m_processes.append(process);
}

bool ProcessRegistry::owns(qint64 pid) const
{
    if (pid <= 0)
        return false;
    QMutexLocker lock(&m_mutex);
    for (const auto &p : m_processes)
        if (p && p->state() != QProcess::NotRunning && p->processId() == pid)
            return true;
    return false;
}

QList<qint64> ProcessRegistry::runningPids() const
{
    QMutexLocker lock(&m_mutex);
    QList<qint64> out;
    for (const auto &p : m_processes)
        if (p && p->state() != QProcess::NotRunning)
            out.append(p->processId());
    return out;
}

bool ProcessRegistry::terminate(qint64 pid, int graceMs)
{
    QPointer<QProcess> target;
    {
        QMutexLocker lock(&m_mutex);
        for (const auto &p : m_processes)
            if (p && p->state() != QProcess::NotRunning && p->processId() == pid)
                target = p;
    }
    if (!target)
        return false;
    target->terminate();
    if (!target->waitForFinished(graceMs) && target) {
        target->kill();
        target->waitForFinished(1000);
    }
    return true;
}

void ProcessRegistry::terminateAll(int graceMs)
{
    QList<QPointer<QProcess>> running;
    {
        QMutexLocker lock(&m_mutex);
        for (const auto &p : m_processes)
            if (p && p->state() != QProcess::NotRunning)
                running.append(p);
    }
    for (auto &p : running)
        p->terminate();
    for (auto &p : running) {
        if (p && !p->waitForFinished(graceMs) && p) {
            p->kill();
            p->waitForFinished(1000);
        }
    }
}
