#include "WidgetTestSupport.h"

#include "controls/AFSwitchControl.h"
#include "controls/ControlSlices.h"
#include "controls/MGCheckButton.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace WidgetTest;

TEST(MGCheckBoxCell, PictureForLookAndState)
{
    MGCheckButton b;
    auto *cell = b.cell();
    auto slice = [](int n) { return ControlSlices::image(QString("mainform-%1").arg(n)); };
    struct Case { bool enabled, over, down; int state; int slice; };
    const Case cases[] = {
        {true, false, false, 1, 243}, {true, false, false, 0, 178}, {true, false, false, -1, 287},
        {true, true, true, 1, 244},   {true, false, true, 0, 182},  {false, true, false, -1, 290},
        {false, false, false, 1, 246},
    };
    for (const Case &c : cases) {
        cell->mouseOver = c.over;
        cell->mouseDown = c.down;
        cell->setState(c.state);
        EXPECT_EQ(cell->currentImage(c.enabled), slice(c.slice)) << c.slice;
    }
    cell->setState(2);
    EXPECT_TRUE(cell->currentImage(true).isNull());
}

TEST(MGCheckButton, ClickTogglesAndSendsAction)
{
    MGCheckButton b;
    b.setTitle("Remember");
    b.resize(120, 20);
    b.show();
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_EQ(b.state(), 1);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_EQ(b.state(), 0);
    b.setState(-1);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_EQ(b.state(), 1);
    EXPECT_EQ(clicked.count(), 3);
    EXPECT_FALSE(b.cell()->mouseDown);
    enter(&b);
    EXPECT_TRUE(b.cell()->mouseOver);
    leave(&b);
    EXPECT_FALSE(b.cell()->mouseOver);
}

TEST(MGCheckButton, GivenPicturesAreNeverChanged)
{
    QImage mine(16, 16, QImage::Format_ARGB32_Premultiplied);
    mine.fill(QColor(10, 20, 30));
    const QImage copy = mine.copy();
    MGCheckButton b;
    b.resize(100, 20);
    b.cell()->setNormalImageOffState(mine);
    b.setState(0);
    render(&b);
    EXPECT_EQ(mine, copy);
    EXPECT_EQ(b.cell()->normalImageOffState.size(), QSize(16, 16));
}

namespace {
struct SwitchLog
{
    QStringList calls;
    AFSwitchControl::Delegate delegate(bool answerWill)
    {
        AFSwitchControl::Delegate d;
        if (answerWill)
            d.switchWillChangeStatus = [this](AFSwitchControl *) { calls << "will"; };
        d.switchChangedStatus = [this](AFSwitchControl *s) { calls << QString("did:%1").arg(s->state()); };
        return d;
    }
};
} // namespace

TEST(AFSwitchControl, UnboundValueLivesInTheControl)
{
    AFSwitchControl s;
    EXPECT_EQ(s.state(), 0);
    s.setState(1);
    EXPECT_EQ(s.state(), 1);
    EXPECT_FALSE(s.isBound());
}

TEST(AFSwitchControl, BoundToUserDefaultsKey)
{
    UserDefaults defaults(TestEnvironment::home() + "/switch.ini");
    defaults.registerDefaults({{"download-speedup", false}});
    AFSwitchControl s;
    s.resize(80, 25);
    s.show();
    s.bind(&defaults, "download-speedup");
    SwitchLog log;
    s.setDelegate(log.delegate(false));
    EXPECT_EQ(s.state(), 0);
    // Click right of the knob: on, written to the defaults.
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(70, 12));
    EXPECT_EQ(s.state(), 1);
    EXPECT_TRUE(defaults.boolForKey("download-speedup"));
    EXPECT_EQ(log.calls, QStringList({"did:1"}));
    // A change made elsewhere moves the knob.
    defaults.setBool("download-speedup", false);
    EXPECT_EQ(s.state(), 0);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return s.offset() == 0; }, 2000));
}

TEST(AFSwitchControl, DelegateDecidesAboutSwitchingOn)
{
    AFSwitchControl s;
    s.resize(80, 25);
    s.show();
    SwitchLog log;
    s.setDelegate(log.delegate(true));
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(70, 12));
    EXPECT_EQ(s.state(), 0);
    EXPECT_EQ(log.calls, QStringList({"will"}));
    // The delegate switches on through setState; switching off needs no question.
    s.setState(1);
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(10, 12));
    EXPECT_EQ(s.state(), 0);
    EXPECT_EQ(log.calls, QStringList({"will", "did:1", "did:0"}));
}

TEST(AFSwitchControl, DragThresholds)
{
    struct Case { bool startOn; int dragTo; bool endOn; };
    // 80 x 25: knob 38 wide, travel 40; offset = (centre - 20) / 40.
    const Case cases[] = {
        {false, 29, false},  // a little under a quarter
        {false, 31, true},   // a quarter and more turns an off switch on
        {true, 48, false},   // under three quarters turns an on switch off
        {true, 52, true},
    };
    for (const Case &c : cases) {
        AFSwitchControl s;
        s.resize(80, 25);
        s.show();
        s.setState(c.startOn);
        s.setOffset(c.startOn);
        const int knobCentre = c.startOn ? 60 : 20;
        QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(knobCentre, 12));
        move(&s, QPointF(c.dragTo, 12), Qt::LeftButton);
        QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(c.dragTo, 12));
        EXPECT_EQ(bool(s.state()), c.endOn) << c.startOn << " " << c.dragTo;
    }
    // A click on the knob without a drag toggles.
    AFSwitchControl s;
    s.resize(80, 25);
    s.show();
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(20, 12));
    EXPECT_EQ(s.state(), 1);
}
