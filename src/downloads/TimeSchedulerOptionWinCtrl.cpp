#include "downloads/TimeSchedulerOptionWinCtrl.h"

#include "controls/BackgroundView.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "downloads/TimeLabelFormatter.h"
#include "downloads/TimeSchedulerManager.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "shell/MGMessageBox.h"
#include "shell/NSWindowCommon.h"

#include <QApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString StartState = QStringLiteral("TimeSchedulerStartDownloadState");
const QString StartHour = QStringLiteral("TimeSchedulerStartDownloadHourTime");
const QString StartMin = QStringLiteral("TimeSchedulerStartDownloadMinTime");
const QString StopState = QStringLiteral("TimeSchedulerStopDownloadState");
const QString StopHour = QStringLiteral("TimeSchedulerStopDownloadHourTime");
const QString StopMin = QStringLiteral("TimeSchedulerStopDownloadMinTime");
const QString OnceDate = QStringLiteral("TimeSchedulerOnceAtDate");
const QString WeekDays = QStringLiteral("TimeSchedulerDailyWeekDay");

QString two(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QLineEdit *timeField(QWidget *parent, int max)
{
    auto *f = new QLineEdit(parent);
    auto *formatter = new TimeLabelFormatter(f);
    formatter->setMaxIntValue(max);
    f->setValidator(formatter);
    f->setFixedWidth(36);
    f->setAlignment(Qt::AlignCenter);
    return f;
}

QWidget *stepper(QWidget *parent, TimeSchedulerOptionWinCtrl *ctrl)
{
    auto *box = new QWidget(parent);
    auto *l = new QVBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    for (bool up : {true, false}) {
        auto *b = new QToolButton(box);
        b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        b->setFixedSize(18, 12);
        b->setFocusPolicy(Qt::NoFocus);
        QObject::connect(b, &QToolButton::clicked, ctrl, [ctrl, up] { ctrl->timeSteperClick(up); });
        l->addWidget(b);
    }
    return box;
}

} // namespace

TimeSchedulerOptionWinCtrl::TimeSchedulerOptionWinCtrl(UserDefaults &defaults, TimeSchedulerManager &scheduler,
                                                       const Clock &clock, QWidget *parent)
    : ShellDialog(parent)
    , m_defaults(defaults)
    , m_scheduler(scheduler)
    , m_clock(clock)
{
    setObjectName(QStringLiteral("TimeSchedulerOptionWindow"));
    setTitleText(MainBundle::localizedString("Time Scheduler"));
    setFixedSize(520, 360);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(20, TitleStripHeight + 14, 20, 16);
    root->setSpacing(10);

    m_chkStartDownload = new MGCheckButton(this);
    m_chkStartDownload->setTitle(MainBundle::localizedString("Start downloading at:"));
    m_chkStartDownload->setTextColor(QColor(104, 104, 104));
    root->addWidget(m_chkStartDownload);

    auto *bg = new BackgroundView(this);
    bg->setBackgroundColor(QColor(221, 237, 252));
    bg->setCornerRadius(6);
    bg->setBoundsToMask(15);
    m_bgOptionView = bg;
    auto *grid = new QGridLayout(bg);
    grid->setContentsMargins(14, 10, 14, 10);
    m_edtStartHouSet = timeField(bg, 23);
    m_edtStartMinSet = timeField(bg, 59);
    auto *startTime = new QHBoxLayout;
    startTime->addWidget(m_edtStartHouSet);
    startTime->addWidget(new QLabel(QStringLiteral(":"), bg));
    startTime->addWidget(m_edtStartMinSet);
    startTime->addWidget(stepper(bg, this));
    startTime->addStretch();
    grid->addLayout(startTime, 0, 0, 1, 3);
    m_radioOnceAtCell = new QRadioButton(MainBundle::localizedString("Once at:"), bg);
    m_radioDailyCell = new QRadioButton(MainBundle::localizedString("Daily:"), bg);
    m_dtpkOnceDate = new QDateEdit(bg);
    m_dtpkOnceDate->setCalendarPopup(true);
    m_dtpkOnceDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    grid->addWidget(m_radioOnceAtCell, 1, 0);
    grid->addWidget(m_dtpkOnceDate, 1, 1);
    grid->addWidget(m_radioDailyCell, 2, 0);
    auto *days = new QHBoxLayout;
    for (int tag = 1; tag <= 7; ++tag) {
        auto *b = new MGCheckButton(bg);
        b->setProperty("tag", tag);
        b->setTitle(localizedString(tag).left(3));
        m_weekdays[tag - 1] = b;
        days->addWidget(b);
    }
    grid->addLayout(days, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    root->addWidget(bg);

    m_chkStopDownload = new MGCheckButton(this);
    m_chkStopDownload->setTitle(MainBundle::localizedString("Stop downloading at:"));
    m_chkStopDownload->setTextColor(QColor(104, 104, 104));
    m_edtStopHouSet = timeField(this, 23);
    m_edtStopMinSet = timeField(this, 59);
    auto *stopRow = new QHBoxLayout;
    stopRow->addWidget(m_chkStopDownload);
    stopRow->addSpacing(12);
    stopRow->addWidget(m_edtStopHouSet);
    stopRow->addWidget(new QLabel(QStringLiteral(":"), this));
    stopRow->addWidget(m_edtStopMinSet);
    stopRow->addWidget(stepper(this, this));
    stopRow->addStretch();
    root->addLayout(stopRow);
    root->addStretch();

    auto *buttons = new QHBoxLayout;
    m_btnCancel = new MGHoverButton(this);
    m_btnOK = new MGHoverButton(this);
    for (auto [b, t] : {std::pair{m_btnCancel, "Cancel"}, std::pair{m_btnOK, "OK"}}) {
        b->setButtonDisplayType(MGHoverButton::DisplayDialog);
        b->setTitle(MainBundle::localizedString(t));
        b->setMinimumSize(80, 28);
    }
    buttons->addStretch();
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnOK);
    root->addLayout(buttons);

    connect(m_chkStartDownload, &QAbstractButton::clicked, this, &TimeSchedulerOptionWinCtrl::checkButtonClick);
    connect(m_radioOnceAtCell, &QRadioButton::clicked, this, [this] { radioButtonClick(false); });
    connect(m_radioDailyCell, &QRadioButton::clicked, this, [this] { radioButtonClick(true); });
    connect(m_btnOK, &QAbstractButton::clicked, this, [this] { closeWindowWithCode(1); });
    connect(m_btnCancel, &QAbstractButton::clicked, this, [this] { closeWindowWithCode(0); });

    const QDateTime present = now();
    m_dtpkOnceDate->setMinimumDate(present.date());
    m_dtpkOnceDate->setDate(present.date());
    for (QLineEdit *f : {m_edtStartHouSet, m_edtStopHouSet})
        f->setText(two(present.time().hour()));
    for (QLineEdit *f : {m_edtStartMinSet, m_edtStopMinSet})
        f->setText(two(present.time().minute()));
    m_radioOnceAtCell->setChecked(true);
}

QDateTime TimeSchedulerOptionWinCtrl::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString TimeSchedulerOptionWinCtrl::localizedString(int tag)
{
    static const char *const names[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    return tag >= 1 && tag <= 7 ? MainBundle::localizedString(names[tag - 1]) : QString();
}

int TimeSchedulerOptionWinCtrl::runModal()
{
    if (parentWidget())
        NSWindowCommon::moveToWindowCenter(this, parentWidget()->window());
    setupFromDefaults();
    return exec();
}

void TimeSchedulerOptionWinCtrl::setStartControlsEnabled(bool on)
{
    for (QWidget *w : m_bgOptionView->findChildren<QWidget *>())
        w->setEnabled(on);
    if (on && !m_radioDailyCell->isChecked())
        for (MGCheckButton *b : m_weekdays)
            b->setEnabled(false);
}

void TimeSchedulerOptionWinCtrl::setDailyStateOn(const QList<int> &tags)
{
    for (int tag = 1; tag <= 7; ++tag)
        m_weekdays[tag - 1]->setState(tags.contains(tag) ? 1 : 0);
}

void TimeSchedulerOptionWinCtrl::setDailyStateOff(bool othersEnabled)
{
    for (QWidget *w : m_bgOptionView->findChildren<QWidget *>())
        w->setEnabled(othersEnabled);
    for (int tag = 1; tag <= 7; ++tag) {
        m_weekdays[tag - 1]->setState(0);
        m_weekdays[tag - 1]->setTitle(localizedString(tag).left(3));
        m_weekdays[tag - 1]->setEnabled(false);
    }
}

void TimeSchedulerOptionWinCtrl::setupFromDefaults()
{
    const bool start = m_defaults.boolForKey(StartState);
    m_chkStartDownload->setState(start ? 1 : 0);
    if (start) {
        m_edtStartHouSet->setText(m_defaults.stringForKey(StartHour));
        m_edtStartMinSet->setText(m_defaults.stringForKey(StartMin));
        const QVariant once = m_defaults.objectForKey(OnceDate);
        m_radioOnceAtCell->setChecked(once.isValid());
        m_dtpkOnceDate->setDate(once.isValid() ? once.toDateTime().date() : now().date());
        const QVariantList days = m_defaults.arrayForKey(WeekDays);
        if (m_defaults.objectForKey(WeekDays).isValid()) {
            m_radioDailyCell->setChecked(true);
            setStartControlsEnabled(true);
            QList<int> tags;
            for (const QVariant &d : days)
                tags << d.toInt();
            setDailyStateOn(tags);
            for (MGCheckButton *b : m_weekdays)
                b->setEnabled(true);
        } else {
            m_radioOnceAtCell->setChecked(true);
            setDailyStateOff(true);
        }
    } else {
        setStartControlsEnabled(false);
    }
    const bool stop = m_defaults.boolForKey(StopState);
    m_chkStopDownload->setState(stop ? 1 : 0);
    if (stop) {
        m_edtStopHouSet->setText(m_defaults.stringForKey(StopHour));
        m_edtStopMinSet->setText(m_defaults.stringForKey(StopMin));
    }
}

void TimeSchedulerOptionWinCtrl::checkButtonClick()
{
    setStartControlsEnabled(m_chkStartDownload->state() == 1);
}

void TimeSchedulerOptionWinCtrl::radioButtonClick(bool daily)
{
    m_radioDailyCell->setChecked(daily);
    m_radioOnceAtCell->setChecked(!daily);
    for (MGCheckButton *b : m_weekdays)
        b->setEnabled(daily && m_chkStartDownload->state() == 1);
}

void TimeSchedulerOptionWinCtrl::timeSteperClick(bool up)
{
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (field != m_edtStartHouSet && field != m_edtStartMinSet && field != m_edtStopHouSet && field != m_edtStopMinSet)
        return;
    const auto *formatter = static_cast<const TimeLabelFormatter *>(field->validator());
    const int value = std::clamp(field->text().toInt() + (up ? 1 : -1), formatter->minIntValue(), formatter->maxIntValue());
    field->setText(two(value));
}

QList<int> TimeSchedulerOptionWinCtrl::selectDaily() const
{
    QList<int> tags;
    for (int tag = 1; tag <= 7; ++tag)
        if (m_weekdays[tag - 1]->state() == 1)
            tags << tag;
    return tags;
}

bool TimeSchedulerOptionWinCtrl::hasSameTimeSchedulerTime() const
{
    const bool start = m_chkStartDownload->state() == 1;
    const bool stop = m_chkStopDownload->state() == 1;
    if (start && stop && m_edtStartHouSet->text().toInt() == m_edtStopHouSet->text().toInt() &&
        m_edtStartMinSet->text().toInt() == m_edtStopMinSet->text().toInt())
        return true;
    if (start && m_radioOnceAtCell->isChecked()) {
        const QDateTime moment(m_dtpkOnceDate->date(), QTime(m_edtStartHouSet->text().toInt(), m_edtStartMinSet->text().toInt()));
        const QDateTime current = now().addSecs(1);
        const QDateTime minute(current.date(), QTime(current.time().hour(), current.time().minute()));
        if (moment < minute)
            return true;
    }
    return false;
}

bool TimeSchedulerOptionWinCtrl::hasSameTimeSchedulerOptions() const
{
    const bool start = m_chkStartDownload->state() == 1;
    if (start != m_defaults.boolForKey(StartState))
        return false;
    if (start) {
        if (m_edtStartHouSet->text().compare(m_defaults.stringForKey(StartHour), Qt::CaseInsensitive) != 0 ||
            m_edtStartMinSet->text().compare(m_defaults.stringForKey(StartMin), Qt::CaseInsensitive) != 0)
            return false;
        if (m_radioOnceAtCell->isChecked()) {
            const QVariant once = m_defaults.objectForKey(OnceDate);
            if (!once.isValid() || once.toDateTime().date() != m_dtpkOnceDate->date())
                return false;
        } else {
            if (!m_defaults.objectForKey(WeekDays).isValid())
                return false;
            QStringList stored;
            for (const QVariant &v : m_defaults.arrayForKey(WeekDays))
                stored << QString::number(v.toInt());
            QStringList ticked;
            for (int t : selectDaily())
                ticked << QString::number(t);
            if (stored.join(QLatin1Char(',')) != ticked.join(QLatin1Char(',')))
                return false;
        }
    }
    const bool stop = m_chkStopDownload->state() == 1;
    if (stop != m_defaults.boolForKey(StopState))
        return false;
    if (stop &&
        (m_edtStopHouSet->text().compare(m_defaults.stringForKey(StopHour), Qt::CaseInsensitive) != 0 ||
         m_edtStopMinSet->text().compare(m_defaults.stringForKey(StopMin), Qt::CaseInsensitive) != 0))
        return false;
    return true;
}

QDateTime TimeSchedulerOptionWinCtrl::onceStopMoment(const QDate &day, bool hasStart, int startMinutes, int stopMinutes,
                                                     const QDateTime &now)
{
    const QTime stopTime(stopMinutes / 60, stopMinutes % 60);
    if (!hasStart) {
        // No start to follow: the next time the stop comes round.
        const QDateTime today(now.date(), stopTime);
        return today > now ? today : today.addDays(1);
    }
    return QDateTime(stopMinutes >= startMinutes ? day : day.addDays(1), stopTime);
}

void TimeSchedulerOptionWinCtrl::saveTimeSchedulerOptions()
{
    const bool start = m_chkStartDownload->state() == 1;
    m_defaults.setBool(StartState, start);
    if (start) {
        m_defaults.setString(StartHour, m_edtStartHouSet->text());
        m_defaults.setString(StartMin, m_edtStartMinSet->text());
    }
    const bool stop = m_chkStopDownload->state() == 1;
    m_defaults.setBool(StopState, stop);
    if (stop) {
        m_defaults.setString(StopHour, m_edtStopHouSet->text());
        m_defaults.setString(StopMin, m_edtStopMinSet->text());
    }
    if (m_radioOnceAtCell->isChecked()) {
        m_defaults.setObject(OnceDate, QDateTime(m_dtpkOnceDate->date(), QTime(0, 0)));
        m_defaults.removeObjectForKey(WeekDays);
    } else {
        QVariantList tags;
        for (int t : selectDaily())
            tags << t;
        m_defaults.setObject(WeekDays, tags);
        m_defaults.removeObjectForKey(OnceDate);
    }
    m_defaults.synchronize();
}

void TimeSchedulerOptionWinCtrl::performTimeScheduler()
{
    const bool start = m_chkStartDownload->state() == 1;
    const bool stop = m_chkStopDownload->state() == 1;
    const int startH = m_edtStartHouSet->text().toInt();
    const int startM = m_edtStartMinSet->text().toInt();
    const int stopH = m_edtStopHouSet->text().toInt();
    const int stopM = m_edtStopMinSet->text().toInt();
    if (m_radioOnceAtCell->isChecked()) {
        std::optional<QDateTime> s;
        std::optional<QDateTime> e;
        if (start)
            s = QDateTime(m_dtpkOnceDate->date(), QTime(startH, startM));
        if (stop)
            e = onceStopMoment(m_dtpkOnceDate->date(), start, startH * 60 + startM, stopH * 60 + stopM, now());
        m_scheduler.schedulerOnceStart(s, e);
    } else {
        std::optional<QVariantList> s;
        if (start) {
            QVariantList array;
            const QList<int> ticked = selectDaily();
            for (int tag = 1; tag <= 7; ++tag)
                array << (ticked.contains(tag) ? 1 : 0);
            array << QStringLiteral("%1:%2").arg(two(startH), two(startM));
            s = array;
        }
        m_scheduler.schedulerDailyStart(s, stop ? std::optional<QTime>(QTime(stopH, stopM)) : std::nullopt);
    }
}

void TimeSchedulerOptionWinCtrl::closeWindowWithCode(int code)
{
    if (code == 1 && !hasSameTimeSchedulerTime() && !hasSameTimeSchedulerOptions()) {
        saveTimeSchedulerOptions();
        performTimeScheduler();
    }
    m_closing = true;
    done(code);
    m_closing = false;
}

void TimeSchedulerOptionWinCtrl::reject()
{
    if (m_closing) {
        ShellDialog::reject();
        return;
    }
    // The close button asks first; "NO" is the default answer and keeps the window.
    const int answer = MGMessageBox::question(MainBundle::localizedString("Do you want to exit?"),
                                              MainBundle::localizedString("Warning!"), MainBundle::localizedString("NO"),
                                              MainBundle::localizedString("YES"), QImage(), frameGeometry());
    if (answer != 1)
        closeWindowWithCode(0);
}
