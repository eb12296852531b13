#include "downloads/TimeSchedulerManager.h"

#include "platform/log/ScribletLogger.h"
#include "platform/UserDefaults.h"

#include <algorithm>

namespace {

const QString StartKey = QStringLiteral("StartSchedulerDownload");
const QString StopKey = QStringLiteral("StopSchedulerDownload");

int field(const QVariantMap &m, const char *key, bool *ok)
{
    bool good = false;
    const int v = m.value(QString::fromLatin1(key)).toInt(&good);
    if (!good)
        *ok = false;
    return v;
}

QString listText(const QVariantList &list)
{
    QStringList parts;
    for (const QVariant &v : list) {
        const QVariantMap m = v.toMap();
        parts << QStringLiteral("{Weekday = %1; Hour = %2; Minute = %3}")
                     .arg(m.value(QStringLiteral("Weekday")).toInt())
                     .arg(m.value(QStringLiteral("Hour")).toInt())
                     .arg(m.value(QStringLiteral("Minute")).toInt());
    }
    return QStringLiteral("(%1)").arg(parts.join(QStringLiteral(", ")));
}

} // namespace

TimeSchedulerManager &TimeSchedulerManager::share()
{
    // Function-local statics are initialised once, also against concurrent first calls.
    static TimeSchedulerManager *manager = [] {
        auto *m = new TimeSchedulerManager(UserDefaults::standard());
        m->load();
        return m;
    }();
    return *manager;
}

TimeSchedulerManager::TimeSchedulerManager(UserDefaults &defaults, const Clock &clock, QObject *parent)
    : QObject(parent), m_defaults(defaults), m_clock(clock), m_agent(launchAgentLabel())
{
    m_agent.setDescriptions(QStringLiteral("Scheduled downloads of Fennix Pro"),
                            QStringLiteral("Start Fennix Pro for scheduled downloads"));
    m_agent.setArguments({QStringLiteral("-scheduled")});
    m_timer.setInterval(CheckIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TimeSchedulerManager::timerFireSchedule);
}

TimeSchedulerManager::~TimeSchedulerManager()
{
    m_timer.stop();
}

QString TimeSchedulerManager::launchAgentLabel()
{
    return QStringLiteral("com.%1.%2.scheduler").arg(QStringLiteral("iQuenmark"), QStringLiteral("Orrisca Studio"));
}

QString TimeSchedulerManager::onCalendar(const QVariantMap &entry)
{
    bool ok = true;
    const QTime time(field(entry, "Hour", &ok), field(entry, "Minute", &ok), 0);
    if (!ok || !time.isValid())
        return {};
    const QString clock = time.toString(QStringLiteral("HH:mm:00"));
    if (isWeekly(entry)) {
        static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        const int weekday = field(entry, "Weekday", &ok);
        if (!ok || weekday < 1 || weekday > 7)
            return {};
        return QStringLiteral("%1 *-*-* %2").arg(QString::fromLatin1(days[weekday - 1]), clock);
    }
    const QDateTime moment = onceMoment(entry);
    // systemd reads years 1970 to 9999 only.
    if (!moment.isValid() || moment.date().year() < 1970 || moment.date().year() > 9999)
        return {};
    return QStringLiteral("%1 %2").arg(moment.date().toString(QStringLiteral("yyyy-MM-dd")), clock);
}

bool TimeSchedulerManager::launchctlTaskByCalendar(const QVariantList &startList)
{
    QStringList calendars;
    for (const QVariant &v : startList)
        calendars << onCalendar(v.toMap());
    QString error;
    if (!m_agent.install(calendars, &error)) {
        ScribletLogInfo(QStringLiteral("Scheduler load failed (%1); the schedule holds while the application runs").arg(error));
        return false;
    }
    ScribletLogInfo(QStringLiteral("Scheduler load ok"));
    return true;
}

QDateTime TimeSchedulerManager::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void TimeSchedulerManager::load()
{
    m_startDailyArray = m_defaults.arrayForKey(StartKey);
    m_stopDailyArray = m_defaults.arrayForKey(StopKey);
    // A timer-started launch for this very moment still counts (grace window).
    m_lastCheck = now().addSecs(-GraceSeconds);
    if (dropExpired(m_startDailyArray, "==>>定时开启计划已经无效"))
        releaseStartFireResource();
    if (dropExpired(m_stopDailyArray, "==>>定时停止计划已经无效"))
        releaseStopFireResource();
}

bool TimeSchedulerManager::dropExpired(QVariantList &list, const char *logText)
{
    const QDateTime limit = now().addSecs(-GraceSeconds);
    for (const QVariant &v : list) {
        const QVariantMap entry = v.toMap();
        if (isWeekly(entry))
            return false;
        const QDateTime moment = onceMoment(entry);
        if (!moment.isValid() || moment < limit) {
            ScribletLogInfo(QString::fromUtf8(logText));
            return true;
        }
    }
    return false;
}

void TimeSchedulerManager::start()
{
    m_timer.start();
}

void TimeSchedulerManager::setCommands(Command resumeAll, Command pauseAll)
{
    m_resumeAll = std::move(resumeAll);
    m_pauseAll = std::move(pauseAll);
}

QVariantMap TimeSchedulerManager::onceEntry(const QDateTime &moment)
{
    return {{QStringLiteral("Year"), moment.date().year()},  {QStringLiteral("Month"), moment.date().month()},
            {QStringLiteral("Day"), moment.date().day()},    {QStringLiteral("Hour"), moment.time().hour()},
            {QStringLiteral("Minute"), moment.time().minute()}};
}

QVariantMap TimeSchedulerManager::weeklyEntry(int hour, int minute, int weekday)
{
    return {{QStringLiteral("Hour"), hour}, {QStringLiteral("Minute"), minute}, {QStringLiteral("Weekday"), weekday}};
}

bool TimeSchedulerManager::isWeekly(const QVariantMap &entry)
{
    return entry.contains(QStringLiteral("Weekday"));
}

QDateTime TimeSchedulerManager::onceMoment(const QVariantMap &entry)
{
    bool ok = true;
    const QDate date(field(entry, "Year", &ok), field(entry, "Month", &ok), field(entry, "Day", &ok));
    const QTime time(field(entry, "Hour", &ok), field(entry, "Minute", &ok), 0);
    if (!ok || !date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QDateTime TimeSchedulerManager::latestMomentIn(const QVariantMap &entry, const QDateTime &from, const QDateTime &to)
{
    if (!isWeekly(entry)) {
        const QDateTime moment = onceMoment(entry);
        return moment.isValid() && moment > from && moment <= to ? moment : QDateTime();
    }
    bool ok = true;
    const int weekday = field(entry, "Weekday", &ok);
    const QTime time(field(entry, "Hour", &ok), field(entry, "Minute", &ok), 0);
    if (!ok || !time.isValid() || weekday < 1 || weekday > 7)
        return {};
    // A week back is enough: later weeks give the same latest moment.
    for (QDate d = to.date(); d >= from.date() && d >= to.date().addDays(-7); d = d.addDays(-1)) {
        if (d.dayOfWeek() != weekday)
            continue;
        const QDateTime moment(d, time);
        if (moment > from && moment <= to)
            return moment;
    }
    return {};
}

void TimeSchedulerManager::timerFireSchedule()
{
    // Like the menu-driven original, the check looks one second ahead.
    const QDateTime to = now().addSecs(1);
    const QDateTime from = m_lastCheck.isValid() && m_lastCheck < to ? m_lastCheck : to.addSecs(-CheckIntervalMs / 1000);
    m_lastCheck = to;

    struct Due
    {
        QDateTime moment;
        bool start;
        bool once;
    };
    QList<Due> due;
    for (const auto &[list, isStart] : {std::pair{&m_startDailyArray, true}, std::pair{&m_stopDailyArray, false}}) {
        QDateTime latest;
        bool once = false;
        for (const QVariant &v : *list) {
            const QVariantMap entry = v.toMap();
            QDateTime moment;
            if (isWeekly(entry)) {
                moment = latestMomentIn(entry, from, to);
            } else {
                // One-time entries have no lower bound: a moment missed in sleep is due once.
                const QDateTime m = onceMoment(entry);
                if (m.isValid() && m <= to)
                    moment = m;
            }
            if (moment.isValid() && (!latest.isValid() || moment > latest)) {
                latest = moment;
                once = !isWeekly(entry);
            }
        }
        if (latest.isValid())
            due.append({latest, isStart, once});
    }
    // In time order, a start before a stop of the same moment: what is left is what the
    // latest moment asked for.
    std::stable_sort(due.begin(), due.end(), [](const Due &a, const Due &b) { return a.moment < b.moment; });
    for (const Due &d : due) {
        if (d.start) {
            performResumeAll();
            if (d.once)
                releaseStartFireResource();
        } else {
            performPauseAll();
            if (d.once)
                releaseStopFireResource();
        }
    }
}

void TimeSchedulerManager::performResumeAll()
{
    if (m_resumeAll)
        m_resumeAll();
    emit resumeAllPerformed();
}

void TimeSchedulerManager::performPauseAll()
{
    if (m_pauseAll)
        m_pauseAll();
    emit pauseAllPerformed();
}

void TimeSchedulerManager::schedulerOnceStart(const std::optional<QDateTime> &start, const std::optional<QDateTime> &stop)
{
    if (start) {
        const QDateTime s = *start;
        ScribletLogInfo(QString::fromUtf8("==>>once start at %1年%2月%3日%4时%5分")
                            .arg(s.date().year()).arg(s.date().month()).arg(s.date().day())
                            .arg(s.time().hour()).arg(s.time().minute()));
        m_startDailyArray = {onceEntry(s)};
        launchctlTaskByCalendar(m_startDailyArray);
        m_defaults.setObject(StartKey, m_startDailyArray);
    } else {
        releaseStartFireResource();
    }
    if (stop) {
        const QDateTime s = *stop;
        ScribletLogInfo(QString::fromUtf8("==>>once stop at %1年%2月%3日%4时%5分")
                            .arg(s.date().year()).arg(s.date().month()).arg(s.date().day())
                            .arg(s.time().hour()).arg(s.time().minute()));
        m_stopDailyArray = {onceEntry(s)};
        m_defaults.setObject(StopKey, m_stopDailyArray);
    } else {
        releaseStopFireResource();
    }
    m_defaults.synchronize();
}

void TimeSchedulerManager::schedulerDailyStart(const std::optional<QVariantList> &start, const std::optional<QTime> &stop)
{
    QList<int> days;
    if (!start) {
        releaseStartFireResource();
    } else {
        const QVariantList &array = *start;
        const QStringList parts = array.value(7).toString().split(QLatin1Char(':'));
        if (array.size() < 8 || parts.size() != 2)
            return;
        bool hOk = false;
        bool mOk = false;
        const int hour = parts[0].trimmed().toInt(&hOk);
        const int minute = parts[1].trimmed().toInt(&mOk);
        if (!hOk || !mOk || !QTime::isValid(hour, minute, 0))
            return;
        QVariantList list;
        for (int i = 0; i < 7; ++i) {
            if (array[i].toInt() == 1) {
                days << i + 1;
                list << weeklyEntry(hour, minute, i + 1);
            }
        }
        ScribletLogInfo(QStringLiteral("==>>daily start at : %1").arg(listText(list)));
        m_startDailyArray = list;
        if (list.isEmpty())
            m_agent.remove();
        else
            launchctlTaskByCalendar(list);
        m_defaults.setObject(StartKey, list);
    }
    if (stop) {
        // Without a start day the stop would never fire: it then holds every day.
        if (days.isEmpty())
            days = {1, 2, 3, 4, 5, 6, 7};
        QVariantList list;
        for (int d : days)
            list << weeklyEntry(stop->hour(), stop->minute(), d);
        ScribletLogInfo(QStringLiteral("==>>daily stop at : %1").arg(listText(list)));
        m_stopDailyArray = list;
        m_defaults.setObject(StopKey, list);
    } else {
        releaseStopFireResource();
    }
    m_defaults.synchronize();
}

void TimeSchedulerManager::releaseStartFireResource()
{
    m_startDailyArray.clear();
    for (const char *key : {"StartSchedulerDownload", "TimeSchedulerStartDownloadState", "TimeSchedulerOnceAtDate",
                            "TimeSchedulerDailyWeekDay"})
        m_defaults.removeObjectForKey(QString::fromLatin1(key));
    m_defaults.synchronize();
    m_agent.remove();
}

void TimeSchedulerManager::releaseStopFireResource()
{
    m_stopDailyArray.clear();
    m_defaults.removeObjectForKey(StopKey);
    m_defaults.removeObjectForKey(QStringLiteral("TimeSchedulerStopDownloadState"));
    m_defaults.synchronize();
}

QString TimeSchedulerManager::weekdayString(int weekday)
{
    static const char *const letters = "MTWRFSU";
    return weekday >= 1 && weekday <= 7 ? QString(QLatin1Char(letters[weekday - 1])) : QStringLiteral("N");
}
