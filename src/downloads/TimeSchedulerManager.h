#pragma once

#include "platform/SystemdUserTimer.h"

#include <QDateTime>
#include <QObject>
#include <QTime>
#include <QTimer>
#include <QVariantList>

#include <functional>
#include <optional>

class UserDefaults;

// Resumes all downloads at a chosen moment and pauses them at another, once or weekly.
// Entries: one-time {"Year","Month","Day","Hour","Minute"}, weekly {"Hour","Minute","Weekday"}
// (1 Monday .. 7 Sunday). The lists live in "StartSchedulerDownload" / "StopSchedulerDownload".
//
// The check looks at the span since the previous check rather than at the current minute
// only, so a moment passed while the machine slept (no timer ticks) is carried out once on
// the first check after waking, and a weekly moment fires once, not on every check of its
// minute. A one-time moment that has just passed when the application starts (the systemd
// timer started it for that moment) is kept for GraceSeconds.
class TimeSchedulerManager : public QObject
{
    Q_OBJECT
public:
    static constexpr int CheckIntervalMs = 30000;
    static constexpr int GraceSeconds = 300;

    using Clock = std::function<QDateTime()>;
    using Command = std::function<void()>;

    static TimeSchedulerManager &share();

    // A scheduler over the given defaults (tests make their own; share() uses the standard ones).
    // Nothing is read until load().
    TimeSchedulerManager(UserDefaults &defaults, const Clock &clock = {}, QObject *parent = nullptr);
    ~TimeSchedulerManager() override;

    // Reads the stored lists and drops expired one-time entries (share() does it once).
    void load();
    // Starts the repeating check on the main thread's event loop.
    void start();
    bool isRunning() const { return m_timer.isActive(); }

    // Start and stop moments (seconds are ignored); nullopt clears that half.
    void schedulerOnceStart(const std::optional<QDateTime> &start, const std::optional<QDateTime> &stop);
    // start: seven numbers Monday..Sunday (1 = selected) and the text "HH:MM"; nullopt clears.
    // stop: hour and minute. A stop without a start (or without a selected day) stops every
    // day of the week.
    void schedulerDailyStart(const std::optional<QVariantList> &start, const std::optional<QTime> &stop);

    void timerFireSchedule();
    void performResumeAll();
    void performPauseAll();
    void releaseStartFireResource();
    void releaseStopFireResource();

    QVariantList startList() const { return m_startDailyArray; }
    QVariantList stopList() const { return m_stopDailyArray; }

    // Where "Resume All" and "Pause All" go (the Download menu's items in the application).
    void setCommands(Command resumeAll, Command pauseAll);
    // The systemd user timer that starts the application for the start list.
    SystemdUserTimer &launchAgent() { return m_agent; }
    // "com.iQuenmark.Orrisca Studio.scheduler"
    static QString launchAgentLabel();
    // Writes and enables the timer for the start list; false when nothing will start the
    // application (the schedule still holds while it runs).
    bool launchctlTaskByCalendar(const QVariantList &startList);
    // The OnCalendar= value of one entry; empty for an entry out of range.
    static QString onCalendar(const QVariantMap &entry);

    static QVariantMap onceEntry(const QDateTime &moment);
    static QVariantMap weeklyEntry(int hour, int minute, int weekday);
    static bool isWeekly(const QVariantMap &entry);
    // The moment of a one-time entry (second 0, local time); invalid when out of range.
    static QDateTime onceMoment(const QVariantMap &entry);
    // The latest moment of entry within (from, to], or an invalid date-time.
    static QDateTime latestMomentIn(const QVariantMap &entry, const QDateTime &from, const QDateTime &to);
    // The letter of a weekday 1-7 ("M","T","W","R","F","S","U"); "N" for others.
    static QString weekdayString(int weekday);

signals:
    void resumeAllPerformed();
    void pauseAllPerformed();

public:
    // The wall clock of the checks; the options window reads the same (tests set a fake one).
    QDateTime now() const;
    void setClock(const Clock &clock) { m_clock = clock; }

private:
    bool dropExpired(QVariantList &list, const char *logText);

    UserDefaults &m_defaults;
    Clock m_clock;
    QTimer m_timer;
    QVariantList m_startDailyArray;
    QVariantList m_stopDailyArray;
    QDateTime m_lastCheck;
    Command m_resumeAll;
    Command m_pauseAll;
    SystemdUserTimer m_agent;
};
