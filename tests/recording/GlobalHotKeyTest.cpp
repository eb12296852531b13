#include "recording/ChildEnvironment.h"
#include "recording/GlobalHotKey.h"
#include "recording/PrivateXServer.h"

#include <QSignalSpy>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr uint32_t Key2 = 0x32;
constexpr uint16_t ShiftCtrl = GlobalHotKey::Shift | GlobalHotKey::Control;

// A client of the private X server.
struct XClient
{
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    explicit XClient(const QString &display)
    {
        c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(c))
            return;
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    ~XClient() { xcb_disconnect(c); }
    bool ok() const { return root != 0; }
    // Whether this client could grab the key itself (then lets go of it again).
    bool canGrab(uint8_t code, uint16_t mods)
    {
        xcb_generic_error_t *e = xcb_request_check(c, xcb_grab_key_checked(c, 1, root, mods, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (e) {
            std::free(e);
            return false;
        }
        xcb_ungrab_key(c, code, root, mods);
        xcb_flush(c);
        return true;
    }
};

xcb_key_press_event_t press(uint8_t type, uint8_t code, uint16_t state)
{
    xcb_key_press_event_t e{};
    e.response_type = type;
    e.detail = code;
    e.state = state;
    return e;
}

// Under a private X server: the grab is real (another client cannot take the combination
// while it is held, and can once it is let go), and only a press of the key with Shift+Ctrl,
// whatever Caps Lock and Num Lock say, is taken.
TEST(GlobalHotKey, GrabsTheKeyOnTheRootWindowAndTakesOnlyItsPresses)
{
    PrivateXServer x(QStringLiteral("640x480x24"));
    if (!x.isRunning())
        GTEST_SKIP() << "no private X server: " << qPrintable(x.reason());
    XClient mine(x.display()), other(x.display());
    ASSERT_TRUE(mine.ok() && other.ok());

    GlobalHotKey key(Key2, ShiftCtrl);
    key.setConnection(mine.c, mine.root);
    QString why;
    ASSERT_TRUE(key.registerKey(&why)) << why.toStdString();
    ASSERT_FALSE(key.grabbedKeycodes().isEmpty());
    const uint8_t code = key.grabbedKeycodes().first();
    for (uint16_t lock : {0, int(GlobalHotKey::Lock), int(GlobalHotKey::Mod2)})
        EXPECT_FALSE(other.canGrab(code, ShiftCtrl | lock)) << lock;
    EXPECT_TRUE(other.canGrab(code, GlobalHotKey::Shift)) << "only the combination is held";

    const struct
    {
        xcb_key_press_event_t event;
        bool taken;
    } cases[] = {
        {press(XCB_KEY_PRESS, code, ShiftCtrl), true},
        {press(XCB_KEY_PRESS | 0x80, code, ShiftCtrl | GlobalHotKey::Lock), true},  // sent by a client, Caps Lock on
        {press(XCB_KEY_PRESS, code, ShiftCtrl | GlobalHotKey::Mod2 | 0x100), true},  // Num Lock, a button held
        {press(XCB_KEY_PRESS, code, GlobalHotKey::Shift), false},
        {press(XCB_KEY_PRESS, code, ShiftCtrl | 8), false},  // with Alt
        {press(XCB_KEY_RELEASE, code, ShiftCtrl), false},
        {press(XCB_KEY_PRESS, uint8_t(code + 1), ShiftCtrl), false},
    };
    QSignalSpy activated(&key, &GlobalHotKey::activated);
    int expected = 0;
    for (const auto &c : cases) {
        xcb_key_press_event_t e = c.event;
        EXPECT_EQ(key.nativeEventFilter("xcb_generic_event_t", &e, nullptr), c.taken) << int(e.response_type) << " " << e.state;
        expected += c.taken;
        EXPECT_EQ(activated.size(), expected);
    }
    xcb_key_press_event_t e = press(XCB_KEY_PRESS, code, ShiftCtrl);
    EXPECT_FALSE(key.nativeEventFilter("windows_generic_MSG", &e, nullptr));

    key.unregisterKey();
    EXPECT_FALSE(key.nativeEventFilter("xcb_generic_event_t", &e, nullptr));
    EXPECT_TRUE(other.canGrab(code, ShiftCtrl));
}

// Held by another program: registration fails with a reason and holds nothing.
TEST(GlobalHotKey, ACombinationHeldElsewhereIsRefusedWithAReason)
{
    PrivateXServer x(QStringLiteral("640x480x24"));
    if (!x.isRunning())
        GTEST_SKIP() << "no private X server: " << qPrintable(x.reason());
    XClient mine(x.display()), other(x.display());
    ASSERT_TRUE(mine.ok() && other.ok());
    GlobalHotKey first(Key2, ShiftCtrl);
    first.setConnection(other.c, other.root);
    ASSERT_TRUE(first.registerKey());

    GlobalHotKey second(Key2, ShiftCtrl);
    second.setConnection(mine.c, mine.root);
    QString why;
    EXPECT_FALSE(second.registerKey(&why));
    EXPECT_FALSE(second.isRegistered());
    EXPECT_TRUE(why.contains(QLatin1String("Stop button"))) << why.toStdString();
}

TEST(GlobalHotKey, WithoutXTheKeyIsUnavailableAndTheStopButtonNamed)
{
    ChildEnvironment env;
    env.set("XDG_SESSION_TYPE", QStringLiteral("wayland"));
    EXPECT_TRUE(GlobalHotKey::unavailableReason().contains(QLatin1String("Wayland")));
    env.set("XDG_SESSION_TYPE", QStringLiteral("x11"));
    env.unset("WAYLAND_DISPLAY");
    // The tests run offscreen: no X connection either.
    GlobalHotKey key(Key2, ShiftCtrl);
    QString why;
    EXPECT_FALSE(key.registerKey(&why));
    EXPECT_TRUE(why.contains(QLatin1String("Stop button"))) << why.toStdString();
}

} // namespace
