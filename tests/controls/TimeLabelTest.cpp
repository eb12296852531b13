#include "controls/ControlTimer.h"
#include "controls/TimeLabel.h"
#include "controls/TimeLabelController.h"
#include "platform/NotificationCenter.h"

#include "controls/ManualControlTimers.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Heard
{
    QObject owner;
    QList<Notification> all;
    Heard()
    {
        NotificationCenter::defaultCenter().addObserver(&owner, TimeLabel::changedNotification,
                                                        [this](const Notification &n) { all << n; });
    }
};

QStringList shown(const TimeLabel &l)
{
    return {l.hourTxt()->text(), l.minuteTxt()->text(), l.secondTxt()->text()};
}

void type(QLineEdit *field, const QString &text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
    QCoreApplication::processEvents();  // the controller reports when idle
}

} // namespace

TEST(TimeLabel, SetTimeRoundsToTheNearestSecondAndStaysInTwoDigitHours)
{
    TimeLabel l;
    struct Case { double in; QStringList out; };
    const Case cases[] = {
        {3725.4, {"01", "02", "05"}}, {3725.5, {"01", "02", "06"}}, {0, {"00", "00", "00"}},
        {59.49, {"00", "00", "59"}},  {59.5, {"00", "01", "00"}},   {359999, {"99", "59", "59"}},
        {-4, {"00", "00", "00"}},     {1e9, {"99", "59", "59"}},    {36000, {"10", "00", "00"}},
    };
    for (const Case &c : cases) {
        l.setTime(c.in);
        EXPECT_EQ(shown(l), c.out) << c.in;
    }
    l.setTime(3725.4);
    EXPECT_EQ(l.getTime(), 3725.0);
}

TEST(TimeLabel, BoundsStayNonNegativeAndOrdered)
{
    TimeLabel l;
    EXPECT_EQ(l.maxValue(), 359999.0);
    EXPECT_EQ(l.minValue(), 0.0);
    l.setMaxValue(-5);
    EXPECT_EQ(l.maxValue(), 0.0);
    l.setMinValue(-3);
    EXPECT_EQ(l.minValue(), 0.0);
    l.setMaxValue(100);
    l.setMinValue(250);
    EXPECT_EQ(l.minValue(), 100.0);
    EXPECT_EQ(l.maxValue(), 100.0);
    l.setMaxValue(50);
    EXPECT_EQ(l.maxValue(), 100.0);
}

TEST(TimeLabelController, TakesAtMostTwoDigits)
{
    TimeLabel l;
    QLineEdit *m = l.minuteTxt();
    m->clear();
    QTest::keyClicks(m, "4x");
    EXPECT_EQ(m->text(), "4");
    QTest::keyClicks(m, "27");
    EXPECT_EQ(m->text(), "42");
    const TimeLabelController &c = *l.controller();
    for (const char *bad : {"123", "a", "-1", " 1", "1.5"})
        EXPECT_FALSE(c.isPartialStringValid(bad)) << bad;
    for (const char *good : {"", "0", "07", "99"})
        EXPECT_TRUE(c.isPartialStringValid(good)) << good;
}

TEST(TimeLabel, EditIsCheckedHalfASecondAfterTheLastKey)
{
    ManualControlTimers timers;
    Heard heard;
    TimeLabel l;
    l.setTime(3600);
    type(l.minuteTxt(), "7");
    type(l.minuteTxt(), "75");
    EXPECT_EQ(timers.active(), 1);
    EXPECT_EQ(l.minuteTxt()->text(), "75");  // nothing is clamped before the delay
    EXPECT_TRUE(heard.all.isEmpty());
    EXPECT_GT(timers.elapse(TimeLabel::checkDelayMs), 0);
    EXPECT_EQ(shown(l), (QStringList{"01", "59", "00"}));
    ASSERT_EQ(heard.all.size(), 1);  // several keys, one check
    EXPECT_EQ(heard.all[0].objectPointer(), &l);
    EXPECT_EQ(heard.all[0].userInfo.value("value").toLongLong(), 3600 + 59 * 60);

    type(l.hourTxt(), "99");
    type(l.secondTxt(), "88");
    EXPECT_GT(timers.elapse(TimeLabel::checkDelayMs), 0);
    EXPECT_EQ(l.secondTxt()->text(), "59");
    EXPECT_EQ(heard.all.size(), 2);
}

TEST(TimeLabel, BoundsSnapTheCheckedValue)
{
    ManualControlTimers timers;
    Heard heard;
    TimeLabel l;
    l.setMaxValue(3600);
    l.setMinValue(30);
    type(l.hourTxt(), "02");
    EXPECT_GT(timers.elapse(TimeLabel::checkDelayMs), 0);
    EXPECT_EQ(shown(l), (QStringList{"01", "00", "00"}));
    ASSERT_EQ(heard.all.size(), 1);
    EXPECT_EQ(heard.all[0].userInfo.value("value").toLongLong(), 3600);

    l.setTime(0);
    type(l.secondTxt(), "5");
    EXPECT_GT(timers.elapse(TimeLabel::checkDelayMs), 0);
    EXPECT_EQ(shown(l), (QStringList{"00", "00", "30"}));
    EXPECT_EQ(heard.all.last().userInfo.value("value").toLongLong(), 30);
}

TEST(TimeLabel, TwoLabelsEditedTogetherEachKeepTheirOwnCheck)
{
    ManualControlTimers timers;
    Heard heard;
    TimeLabel a, b;
    b.setMaxValue(600);
    type(a.minuteTxt(), "75");
    type(b.hourTxt(), "3");
    EXPECT_EQ(timers.active(), 2);
    EXPECT_GT(timers.elapse(TimeLabel::checkDelayMs), 0);
    EXPECT_EQ(a.minuteTxt()->text(), "59");
    EXPECT_EQ(shown(b), (QStringList{"00", "10", "00"}));
    ASSERT_EQ(heard.all.size(), 2);
    QList<QObject *> senders{heard.all[0].objectPointer(), heard.all[1].objectPointer()};
    EXPECT_TRUE(senders.contains(&a));
    EXPECT_TRUE(senders.contains(&b));

    // A field edit reported for another label is no business of this one.
    NotificationCenter::defaultCenter().post(TimeLabelController::changedName,
                                             QVariant::fromValue<QObject *>(b.minuteTxt()));
    EXPECT_FALSE(a.hasPendingCheck());
}

TEST(TimeLabel, EndingAnEditPadsToTwoDigits)
{
    TimeLabel l;
    l.minuteTxt()->setText("7");
    l.controller()->controlTextDidEndEditing(l.minuteTxt());
    EXPECT_EQ(l.minuteTxt()->text(), "07");
    l.secondTxt()->setText("");
    l.controller()->controlTextDidEndEditing(l.secondTxt());
    EXPECT_EQ(l.secondTxt()->text(), "00");
}

TEST(TimeLabel, EditableFlagAndLayout)
{
    TimeLabel l;
    l.resize(110, 25);
    l.show();
    const int d = (110 - 20) / 3;
    EXPECT_EQ(l.minuteTxt()->geometry(), QRect(d + 10, 0, d, 22));
    EXPECT_EQ(l.secondTxt()->geometry(), QRect(2 * d + 20, 0, d, 22));
    EXPECT_TRUE(l.isEditable());
    l.setEditable(false);
    EXPECT_FALSE(l.isEditable());
    EXPECT_TRUE(l.secondTxt()->isReadOnly());
    l.setEditable(true);
    EXPECT_FALSE(l.minuteTxt()->isReadOnly());
}
