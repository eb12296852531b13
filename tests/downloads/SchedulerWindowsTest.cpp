#include "controls/MGCheckButton.h"
#include "downloads/OnlineRegistration.h"
#include "downloads/TimeLabelFormatter.h"
#include "downloads/TimeSchedulerManager.h"
#include "downloads/TimeSchedulerOptionWinCtrl.h"
#include "platform/UserDefaults.h"
#include "shell/MGMessageBox.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

class OptionsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SystemdUserTimer::setDefaultRunnerForTesting([](const QString &, const QStringList &) { return 0; });
        defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("s.ini")));
        scheduler = std::make_unique<TimeSchedulerManager>(*defaults, [this] { return clock; });
        scheduler->launchAgent().setUnitFolder(m_dir.filePath(QStringLiteral("units")));
        scheduler->load();
        window = std::make_unique<TimeSchedulerOptionWinCtrl>(*defaults, *scheduler, [this] { return clock; });
        window->setupFromDefaults();
    }
    void TearDown() override
    {
        SystemdUserTimer::setDefaultRunnerForTesting({});
        MGMessageBox::setRunHookForTesting({});
    }
    void setTimes(const char *startH, const char *startM, const char *stopH, const char *stopM)
    {
        window->startHour()->setText(QString::fromLatin1(startH));
        window->startMinute()->setText(QString::fromLatin1(startM));
        window->stopHour()->setText(QString::fromLatin1(stopH));
        window->stopMinute()->setText(QString::fromLatin1(stopM));
    }
    void tick(MGCheckButton *box)
    {
        box->setState(1);
        window->checkButtonClick();
    }

    QTemporaryDir m_dir;
    QDateTime clock = QDateTime(QDate(2031, 3, 3), QTime(9, 0, 10)); // a Monday
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<TimeSchedulerManager> scheduler;
    std::unique_ptr<TimeSchedulerOptionWinCtrl> window;
};

TEST_F(OptionsFixture, RefusedSavesCloseSilently)
{
    // Start and stop at the same time.
    tick(window->startBox());
    tick(window->stopBox());
    setTimes("10", "00", "10", "00");
    window->closeWindowWithCode(1);
    EXPECT_EQ(window->result(), 1);
    EXPECT_TRUE(scheduler->startList().isEmpty());
    EXPECT_FALSE(defaults->hasUserValue(QStringLiteral("TimeSchedulerStartDownloadState")));

    // A one-time start in the past.
    window->setupFromDefaults();
    tick(window->startBox());
    window->stopBox()->setState(0);
    setTimes("08", "59", "00", "00");
    window->closeWindowWithCode(1);
    EXPECT_TRUE(scheduler->startList().isEmpty());
}

TEST_F(OptionsFixture, OnceScheduleWithItsStopOnTheRightDay)
{
    struct Case
    {
        int startMin;
        int stopMin;
        bool hasStart;
        QDateTime expected;
    };
    const QDate day(2031, 3, 3);
    const Case cases[] = {
        {10 * 60 + 50, 11 * 60 + 10, true, QDateTime(day, QTime(11, 10))},
        {10 * 60 + 50, 10 * 60 + 30, true, QDateTime(day.addDays(1), QTime(10, 30))},
        {0, 8 * 60, false, QDateTime(day.addDays(1), QTime(8, 0))},  // no start: next 08:00
        {0, 18 * 60, false, QDateTime(day, QTime(18, 0))},           // no start: today's 18:00
    };
    for (const Case &c : cases)
        EXPECT_EQ(TimeSchedulerOptionWinCtrl::onceStopMoment(day, c.hasStart, c.startMin, c.stopMin, clock), c.expected);

    tick(window->startBox());
    tick(window->stopBox());
    setTimes("10", "50", "10", "30");
    window->closeWindowWithCode(1);
    ASSERT_EQ(scheduler->startList().size(), 1);
    EXPECT_EQ(TimeSchedulerManager::onceMoment(scheduler->startList()[0].toMap()), QDateTime(day, QTime(10, 50)));
    ASSERT_EQ(scheduler->stopList().size(), 1);
    EXPECT_EQ(TimeSchedulerManager::onceMoment(scheduler->stopList()[0].toMap()), QDateTime(day.addDays(1), QTime(10, 30)));
    EXPECT_TRUE(defaults->boolForKey(QStringLiteral("TimeSchedulerStartDownloadState")));
    EXPECT_TRUE(defaults->objectForKey(QStringLiteral("TimeSchedulerOnceAtDate")).isValid());

    // The same settings again change nothing (and do not reschedule).
    window->setupFromDefaults();
    EXPECT_TRUE(window->hasSameTimeSchedulerOptions());
}

TEST_F(OptionsFixture, DailyMondayAndFridayWithAStop)
{
    tick(window->startBox());
    window->dailyRadio()->setChecked(true);
    window->radioButtonClick(true);
    EXPECT_TRUE(window->weekdayBox(1)->isEnabled());
    window->weekdayBox(1)->setState(1);
    window->weekdayBox(5)->setState(1);
    tick(window->stopBox());
    setTimes("08", "00", "17", "30");
    window->closeWindowWithCode(1);
    ASSERT_EQ(scheduler->startList().size(), 2);
    EXPECT_EQ(scheduler->startList()[0].toMap().value(QStringLiteral("Weekday")).toInt(), 1);
    EXPECT_EQ(scheduler->startList()[1].toMap().value(QStringLiteral("Weekday")).toInt(), 5);
    EXPECT_EQ(scheduler->startList()[1].toMap().value(QStringLiteral("Hour")).toInt(), 8);
    ASSERT_EQ(scheduler->stopList().size(), 2);
    EXPECT_EQ(scheduler->stopList()[0].toMap().value(QStringLiteral("Minute")).toInt(), 30);
    EXPECT_EQ(defaults->arrayForKey(QStringLiteral("TimeSchedulerDailyWeekDay")), (QVariantList{1, 5}));
    EXPECT_FALSE(defaults->objectForKey(QStringLiteral("TimeSchedulerOnceAtDate")).isValid());

    // Read back into a fresh window: the same boxes are ticked.
    TimeSchedulerOptionWinCtrl again(*defaults, *scheduler, [this] { return clock; });
    again.setupFromDefaults();
    EXPECT_TRUE(again.dailyRadio()->isChecked());
    EXPECT_EQ(again.selectDaily(), (QList<int>{1, 5}));
    EXPECT_TRUE(again.hasSameTimeSchedulerOptions());

    // Unticking the start clears the start schedule; the stop stays every selected day.
    again.startBox()->setState(0);
    again.checkButtonClick();
    EXPECT_FALSE(again.weekdayBox(1)->isEnabled());
    again.closeWindowWithCode(1);
    EXPECT_TRUE(scheduler->startList().isEmpty());
    EXPECT_EQ(scheduler->stopList().size(), 7);
}

TEST_F(OptionsFixture, StepperAndTypingRules)
{
    window->show();
    tick(window->startBox());
    window->startHour()->setText(QStringLiteral("23"));
    window->startHour()->setFocus();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return window->startHour()->hasFocus(); }, 2000));
    window->timeSteperClick(true);
    EXPECT_EQ(window->startHour()->text(), QStringLiteral("23"));
    window->startMinute()->setText(QStringLiteral("00"));
    window->startMinute()->setFocus();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return window->startMinute()->hasFocus(); }, 2000));
    window->timeSteperClick(false);
    EXPECT_EQ(window->startMinute()->text(), QStringLiteral("00"));
    window->timeSteperClick(true);
    EXPECT_EQ(window->startMinute()->text(), QStringLiteral("01"));

    TimeLabelFormatter hour;
    hour.setMaxIntValue(23);
    TimeLabelFormatter minute;
    minute.setMaxIntValue(59);
    for (const char *bad : {"a", "123", "24", "-1", "1 "})
        EXPECT_FALSE(hour.isPartialStringValid(QString::fromLatin1(bad))) << bad;
    for (const char *good : {"", "0", "23", "07"})
        EXPECT_TRUE(hour.isPartialStringValid(QString::fromLatin1(good))) << good;
    EXPECT_TRUE(minute.isPartialStringValid(QStringLiteral("59")));
    EXPECT_FALSE(minute.isPartialStringValid(QStringLiteral("60")));
}

TEST_F(OptionsFixture, CloseButtonAsksAndNoKeepsTheWindow)
{
    QList<int> answers{1, 2};
    MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
        const int a = answers.takeFirst();
        QTimer::singleShot(0, box, [box, a] { box->done(a); });
    });
    window->show();
    window->reject(); // "NO"
    EXPECT_TRUE(window->isVisible());
    window->reject(); // "YES"
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
}

TEST_F(OptionsFixture, MenuCommandsReachTheDownloadMenu)
{
    QMenuBar bar;
    QMenu *download = bar.addMenu(QStringLiteral("&Download"));
    int resumed = 0;
    QObject::connect(download->addAction(QStringLiteral("Resume All")), &QAction::triggered, [&] { ++resumed; });
    EXPECT_TRUE(SchedulerMenuCommands::trigger(&bar, QStringLiteral("Resume All")));
    EXPECT_EQ(resumed, 1);
    EXPECT_FALSE(SchedulerMenuCommands::trigger(&bar, QStringLiteral("Pause All")));
    EXPECT_FALSE(SchedulerMenuCommands::trigger(nullptr, QStringLiteral("Resume All")));
}

TEST_F(OptionsFixture, OptionsWindowGrab)
{
    tick(window->startBox());
    window->show();
    const QString dir = QStringLiteral(ONLINE_SCREENS_DIR);
    QDir().mkpath(dir);
    EXPECT_TRUE(window->grab().save(dir + QStringLiteral("/scheduler-options.png")));
}

} // namespace
