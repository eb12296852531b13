#include "WidgetTestSupport.h"

#include "controls/ControlSlices.h"
#include "controls/TGTransferControl.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace WidgetTest;

class TransferReceiver : public QObject
{
    Q_OBJECT
public:
    int left = 0;
    int right = 0;
    bool unlockAtOnce = false;
    QObject *sender = nullptr;
    // What the control showed while the action ran.
    bool lockedDuringAction = false;
public slots:
    void sendLeft(QObject *s) { record(s); ++left; }
    void sendRight(QObject *s) { record(s); ++right; }

private:
    void record(QObject *s)
    {
        sender = s;
        auto *c = static_cast<TGTransferControl *>(s);
        lockedDuringAction = c->lockState();
        if (unlockAtOnce)
            c->setLockState(false);
    }
};

namespace {
const QColor Down(232, 232, 232);
const QColor Hover(244, 244, 244);

struct Fixture
{
    TGTransferControl control;
    TransferReceiver receiver;
    Fixture()
    {
        control.resize(300, 40);
        control.setLeftString(QStringLiteral("Add Files"));
        control.setRightString(QStringLiteral("Transfer All"));
        control.show();
    }
    void connectBoth()
    {
        control.setLeftAction(&receiver, "sendLeft");
        control.setRightAction(&receiver, "sendRight");
    }
};
} // namespace

// One click per case on a fresh control: who is called, whether the control locks, and which
// half keeps the pressed look.
TEST(TGTransferControl, ClickOnEachHalf)
{
    enum Wiring { Both, LeftOnly, None };
    struct Case
    {
        const char *name;
        QPoint at;
        Wiring wiring;
        bool enabled;
        bool unlockAtOnce;
        int left, right;
        bool locked, leftDown, rightDown;
    };
    const Case cases[] = {
        {"left half", {40, 20}, Both, true, false, 1, 0, true, true, false},
        {"right half", {260, 20}, Both, true, false, 0, 1, true, false, true},
        {"middle line belongs to the right", {150, 20}, Both, true, false, 0, 1, true, false, true},
        {"last left point", {149, 20}, Both, true, false, 1, 0, true, true, false},
        {"disabled sends nothing", {40, 20}, Both, false, false, 0, 0, false, false, false},
        {"action that unlocks leaves it idle", {260, 20}, Both, true, true, 0, 1, false, false, false},
        // A half without an action must not lock the control for good.
        {"half without action", {260, 20}, LeftOnly, true, false, 0, 0, false, false, false},
        {"no actions at all", {40, 20}, None, true, false, 0, 0, false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        if (c.wiring == Both)
            f.connectBoth();
        else if (c.wiring == LeftOnly)
            f.control.setLeftAction(&f.receiver, "sendLeft");
        f.receiver.unlockAtOnce = c.unlockAtOnce;
        f.control.setEnabled(c.enabled);
        QTest::mouseClick(&f.control, Qt::LeftButton, Qt::NoModifier, c.at);
        EXPECT_EQ(f.receiver.left, c.left);
        EXPECT_EQ(f.receiver.right, c.right);
        EXPECT_EQ(f.control.lockState(), c.locked);
        EXPECT_EQ(f.control.leftAreaMouseDown(), c.leftDown);
        EXPECT_EQ(f.control.rightAreaMouseDown(), c.rightDown);
        if (c.left + c.right) {
            EXPECT_EQ(f.receiver.sender, &f.control);
            EXPECT_TRUE(f.receiver.lockedDuringAction);
        }
        if (!c.locked) {
            EXPECT_FALSE(f.control.currentColor().isValid());
        }
    }
}

TEST(TGTransferControl, LockedUntilOwnerUnlocks)
{
    Fixture f;
    f.connectBoth();
    QTest::mouseClick(&f.control, Qt::LeftButton, Qt::NoModifier, QPoint(260, 20));
    ASSERT_TRUE(f.control.lockState());
    // The pressed look stays on the right half with its alter icon.
    EXPECT_EQ(f.control.currentColor(), Down);
    EXPECT_EQ(f.control.currentRightIcon(), f.control.rightAlterIconImage());
    EXPECT_EQ(f.control.currentLeftIcon(), f.control.leftNormalIconImage());
    QImage img = render(&f.control);
    EXPECT_EQ(img.pixelColor(260, 5), Down);
    EXPECT_EQ(img.pixelColor(40, 5), QColor(Qt::white));

    // Clicks, moves and leaving change nothing while locked.
    QTest::mouseClick(&f.control, Qt::LeftButton, Qt::NoModifier, QPoint(260, 20));
    QTest::mouseClick(&f.control, Qt::LeftButton, Qt::NoModifier, QPoint(40, 20));
    move(&f.control, QPointF(40, 20));
    leave(&f.control);
    EXPECT_EQ(f.receiver.left, 0);
    EXPECT_EQ(f.receiver.right, 1);
    EXPECT_TRUE(f.control.rightAreaMouseDown());

    f.control.setLockState(false);
    EXPECT_FALSE(f.control.rightAreaMouseDown());
    EXPECT_FALSE(f.control.currentColor().isValid());
    QTest::mouseClick(&f.control, Qt::LeftButton, Qt::NoModifier, QPoint(40, 20));
    EXPECT_EQ(f.receiver.left, 1);
    EXPECT_TRUE(f.control.leftAreaMouseDown());
}

TEST(TGTransferControl, HoverFollowsThePointer)
{
    Fixture f;
    f.connectBoth();
    EXPECT_TRUE(f.control.hasMouseTracking());
    enter(&f.control, QPointF(260, 20));
    EXPECT_TRUE(f.control.rightAreaMouseOver());
    EXPECT_FALSE(f.control.leftAreaMouseOver());
    EXPECT_EQ(f.control.currentColor(), Hover);
    EXPECT_EQ(f.control.currentRightIcon(), f.control.rightHoverIconImage());
    QImage img = render(&f.control);
    EXPECT_EQ(img.pixelColor(260, 5), Hover);
    EXPECT_EQ(img.pixelColor(40, 5), QColor(Qt::white));
    // The hover fill is inset by 3 points.
    EXPECT_EQ(img.pixelColor(297, 5), QColor(Qt::white));

    move(&f.control, QPointF(40, 20));
    EXPECT_TRUE(f.control.leftAreaMouseOver());
    EXPECT_FALSE(f.control.rightAreaMouseOver());
    EXPECT_EQ(f.control.currentLeftIcon(), f.control.leftHoverIconImage());
    EXPECT_EQ(f.control.currentRightIcon(), f.control.rightNormalIconImage());
    EXPECT_EQ(render(&f.control).pixelColor(40, 5), Hover);

    leave(&f.control);
    EXPECT_FALSE(f.control.leftAreaMouseOver());
    EXPECT_FALSE(f.control.currentColor().isValid());
}

TEST(TGTransferControl, DefaultsAndDisabledLook)
{
    Fixture f;
    EXPECT_EQ(f.control.leftNormalIconImage(), ControlSlices::image(QStringLiteral("slice-683756_")));
    EXPECT_EQ(f.control.rightAlterIconImage(), ControlSlices::image(QStringLiteral("slice-683763_")));
    EXPECT_FALSE(f.control.leftNormalIconImage().isNull());
    EXPECT_EQ(f.control.leftArea(), QRectF(0, 0, 150, 40));
    EXPECT_EQ(f.control.rightArea(), QRectF(150, 0, 150, 40));
    QImage enabled = render(&f.control);
    EXPECT_EQ(enabled.pixelColor(100, 0), QColor(209, 209, 209));  // top line
    EXPECT_EQ(enabled.pixelColor(150, 20), QColor(209, 209, 209)); // separator
    EXPECT_EQ(enabled.pixelColor(150, 2), QColor(Qt::white));      // separator starts at 5

    f.control.setEnabled(false);
    EXPECT_FALSE(f.control.hasMouseTracking());
    enter(&f.control, QPointF(260, 20));
    EXPECT_FALSE(f.control.rightAreaMouseOver());
    QImage disabled = render(&f.control);
    EXPECT_NEAR(disabled.pixelColor(2, 20).alphaF(), 0.5, 0.01);
    f.control.setEnabled(true);
    EXPECT_TRUE(f.control.hasMouseTracking());
}

#include "TransferControlTest.moc"
