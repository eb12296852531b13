#pragma once

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QProcess>

// Child processes the program started. Every one of them is ended when the program quits
// (terminate, wait, kill); the children also get PR_SET_PDEATHSIG so a crash of the program
// takes them along. Processes the program did not start are never touched.
class ProcessRegistry : public QObject
{
    Q_OBJECT
public:
    static ProcessRegistry &shared();
    ProcessRegistry();
    ~ProcessRegistry() override;

    // A new QProcess owned by the caller (or parent), registered and set to die with us.
    QProcess *createProcess(QObject *parent = nullptr);
    void adopt(QProcess *process);
    bool owns(qint64 pid) const;
    QList<qint64> runningPids() const;
    // Ends one of ours; false when pid is not ours.
    bool terminate(qint64 pid, int graceMs = 3000);
    void terminateAll(int graceMs = 3000);

    // Makes a QProcess's child die with the parent (Linux PR_SET_PDEATHSIG).
    static void setDieWithParent(QProcess *process);

private:
    mutable QMutex m_mutex;
    QList<QPointer<QProcess>> m_processes;
};
