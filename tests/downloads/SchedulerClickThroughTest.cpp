// The scheduler as a user reaches it in the running application: the main window's scheduler
// button opens the pop-over, an item sets the after-tasks choice, "Time Scheduler" opens the
// options window, and the schedule set there starts and stops the Download menu's commands
// when a fake wall clock reaches its times. Nothing waits for real time.
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "controls/MenuItemView.h"
#include "downloads/OnlineRegistration.h"
#include "downloads/TimeSchedulerManager.h"
#include "downloads/TimeSchedulerOptionWinCtrl.h"
#include "platform/UserDefaults.h"
#include "shell/AppDelegate.h"
#include "shell/MainWindowCtrl.h"
#include "shell/TimeSchedulerViewCtrl.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QAction *downloadMenuItem(QMainWindow *window, const QString &title)
{
    for (QAction *top : window->menuBar()->actions())
        if (top->menu())
            for (QAction *a : top->menu()->actions())
                if (a->text() == title || a->data().toString() == title)
                    return a;
    return nullptr;
}

void typeInto(QLineEdit *field, const char *text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, QString::fromLatin1(text));
}

} // namespace

TEST(SchedulerClickThrough, PopoverChoiceAndOptionsWindowDriveTheDownloadMenu)
{
    SystemdUserTimer::setDefaultRunnerForTesting([](const QString &, const QStringList &) { return 0; });
    QDateTime clock(QDate(2031, 3, 3), QTime(9, 0, 10));
    TimeSchedulerManager &scheduler = TimeSchedulerManager::share();
    scheduler.setClock([&clock] { return clock; });
    QApplication::setQuitOnLastWindowClosed(false);
    registerOnlinePage();
    AppDelegate::initializeClass();
    auto delegate = std::make_unique<AppDelegate>();
    delegate->launch();
    MainWindowCtrl *ctrl = delegate->mainWindowCtrl();
    QMainWindow *window = ctrl->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    // The pop-over under the scheduler button.
    QTest::mouseClick(ctrl->timeSchedulerButton(), Qt::LeftButton);
    TimeSchedulerViewCtrl *pop = ctrl->timeScheduleViewCtrl();
    ASSERT_NE(pop, nullptr);
    ASSERT_TRUE(ctrl->timeScheduleWindow() && ctrl->timeScheduleWindow()->isVisible());
    EXPECT_EQ(pop->taskCompleteLabel()->text(), QStringLiteral("When task is complete"));
    EXPECT_EQ(pop->timeScheduleButton()->title(), QStringLiteral("Time Scheduler"));
    QStringList titles;
    for (int tag = 1; tag <= 4; ++tag)
        titles << pop->itemView(tag)->title();
    EXPECT_EQ(titles, (QStringList{"Do nothing", "Shutdown", "Sleep", "Quit Fennix Pro"}));
    EXPECT_TRUE(pop->itemView(1)->isSelected()) << "nothing stored: Do nothing";
    const QString dir = QStringLiteral(ONLINE_SCREENS_DIR);
    QDir().mkpath(dir);
    ctrl->timeScheduleWindow()->grab().save(dir + QStringLiteral("/scheduler-popover.png"));

    // An item: stored with its title, the pop-over goes, the window's button says it.
    QTest::mouseClick(pop->itemView(3), Qt::LeftButton);
    UserDefaults &d = UserDefaults::standard();
    EXPECT_EQ(d.integerForKey(QStringLiteral("TimeSchedulerMode")), 3);
    EXPECT_EQ(d.stringForKey(QStringLiteral("TimeSchedulerModeLable")), QStringLiteral("Sleep"));
    EXPECT_FALSE(ctrl->timeScheduleWindow()->isVisible());
    // Clicking the marked item again keeps one choice in force.
    QTest::mouseClick(ctrl->timeSchedulerButton(), Qt::LeftButton);
    QTest::mouseClick(pop->itemView(3), Qt::LeftButton);
    EXPECT_TRUE(pop->itemView(3)->isSelected());
    EXPECT_FALSE(pop->itemView(1)->isSelected());

    // "Time Scheduler": the options window, modal over the main window. Start once today at
    // 10:00, stop at 11:30.
    QTest::mouseClick(ctrl->timeSchedulerButton(), Qt::LeftButton);
    bool filled = false;
    QTimer::singleShot(0, [&] {
        auto *options = qobject_cast<TimeSchedulerOptionWinCtrl *>(QApplication::activeModalWidget());
        ASSERT_NE(options, nullptr);
        EXPECT_FALSE(ctrl->timeScheduleWindow()->isVisible());
        EXPECT_EQ(options->parentWidget(), window);
        QTest::mouseClick(options->startBox(), Qt::LeftButton);
        QTest::mouseClick(options->stopBox(), Qt::LeftButton);
        EXPECT_TRUE(options->onceRadio()->isChecked());
        EXPECT_EQ(options->datePicker()->date(), clock.date());
        typeInto(options->startHour(), "10");
        typeInto(options->startMinute(), "00");
        typeInto(options->stopHour(), "11");
        typeInto(options->stopMinute(), "30");
        options->grab().save(dir + QStringLiteral("/scheduler-options-from-popover.png"));
        filled = true;
        QTest::mouseClick(options->okButton(), Qt::LeftButton);
    });
    QTest::mouseClick(pop->timeScheduleButton(), Qt::LeftButton);
    ASSERT_TRUE(filled);
    EXPECT_TRUE(d.boolForKey(QStringLiteral("TimeSchedulerStartDownloadState")));
    EXPECT_EQ(d.stringForKey(QStringLiteral("TimeSchedulerStartDownloadHourTime")), QStringLiteral("10"));
    ASSERT_EQ(scheduler.startList().size(), 1);
    ASSERT_EQ(scheduler.stopList().size(), 1);

    QAction *resumeAll = downloadMenuItem(window, QStringLiteral("Resume All"));
    QAction *pauseAll = downloadMenuItem(window, QStringLiteral("Pause All"));
    ASSERT_TRUE(resumeAll && pauseAll);
    QSignalSpy resumed(resumeAll, &QAction::triggered);
    QSignalSpy paused(pauseAll, &QAction::triggered);
    const struct
    {
        QTime at;
        int resumed, paused;
    } steps[] = {
        {QTime(9, 59, 0), 0, 0},
        {QTime(10, 0, 20), 1, 0},
        {QTime(10, 30, 0), 1, 0},  // a one-time start fires once
        {QTime(11, 30, 5), 1, 1},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.at.toString().toStdString());
        clock.setTime(s.at);
        scheduler.timerFireSchedule();
        EXPECT_EQ(resumed.count(), s.resumed);
        EXPECT_EQ(paused.count(), s.paused);
    }

    delegate->applicationWillTerminate();
    delegate.reset();
    scheduler.setClock({});
    SystemdUserTimer::setDefaultRunnerForTesting({});
}
