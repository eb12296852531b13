#include "recording/GlobalHotKey.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// Caps Lock and Num Lock must not hide the key: it is grabbed under each of their states.
constexpr uint16_t LockVariants[] = {0, GlobalHotKey::Lock, GlobalHotKey::Mod2, GlobalHotKey::Lock | GlobalHotKey::Mod2};

} // namespace

GlobalHotKey::GlobalHotKey(uint32_t keysym, uint16_t modifiers, QObject *parent)
    : QObject(parent), m_keysym(keysym), m_modifiers(modifiers)
{
}

GlobalHotKey::~GlobalHotKey() { unregisterKey(); }

void GlobalHotKey::setConnection(xcb_connection_t *connection, uint32_t root)
{
    m_connection = connection;
    m_root = root;
}

QString GlobalHotKey::unavailableReason()
{
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QCoreApplication::translate("GlobalHotKey", "Global keys are unavailable under Wayland: use the Stop button.");
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return QCoreApplication::translate("GlobalHotKey", "Global keys need an X11 display: use the Stop button.");
    return {};
}

bool GlobalHotKey::resolveConnection()
{
    if (m_connection)
        return true;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    m_connection = x11->connection();
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    m_root = xcb_setup_roots_iterator(setup).data->root;
    return true;
}

QList<uint8_t> GlobalHotKey::keycodes() const
{
    QList<uint8_t> found;
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map =
        xcb_get_keyboard_mapping_reply(m_connection, xcb_get_keyboard_mapping(m_connection, uint8_t(first), uint8_t(count)), nullptr);
    if (!map)
        return found;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
    const int perCode = map->keysyms_per_keycode;
    for (int code = 0; code < count; ++code)
        for (int i = 0; i < perCode; ++i)
            if (syms[code * perCode + i] == m_keysym) {
                found.append(uint8_t(first + code));
                break;
            }
    std::free(map);
    return found;
}

bool GlobalHotKey::registerKey(QString *whyNot)
{
    auto fail = [whyNot](const QString &why) {
        if (whyNot)
            *whyNot = why;
        return false;
    };
    if (isRegistered())
        return true;
    if (!resolveConnection()) {
        const QString reason = unavailableReason();
        return fail(reason.isEmpty() ? QCoreApplication::translate("GlobalHotKey", "Global keys need an X11 display: use the Stop button.") : reason);
    }
    const QList<uint8_t> codes = keycodes();
    if (codes.isEmpty())
        return fail(QCoreApplication::translate("GlobalHotKey", "The keyboard has no key for the stop combination."));
    for (uint8_t code : codes) {
        for (uint16_t lock : LockVariants) {
            xcb_generic_error_t *error = xcb_request_check(
                m_connection, xcb_grab_key_checked(m_connection, 1, m_root, m_modifiers | lock, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            if (error) {
                std::free(error);
                m_grabbed.append(code);  // let go of what was taken so far
                unregisterKey();
                return fail(QCoreApplication::translate("GlobalHotKey", "Another program holds the stop key: use the Stop button."));
            }
        }
        m_grabbed.append(code);
    }
    if (!m_filtering && QCoreApplication::instance()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
    return true;
}

void GlobalHotKey::unregisterKey()
{
    if (m_connection) {
        for (uint8_t code : std::as_const(m_grabbed))
            for (uint16_t lock : LockVariants)
                xcb_ungrab_key(m_connection, code, m_root, m_modifiers | lock);
        // Waits for the server: once this returns, other programs may take the key.
        if (!m_grabbed.isEmpty())
            std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    m_grabbed.clear();
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_filtering = false;
}

bool GlobalHotKey::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!isRegistered() || eventType != "xcb_generic_event_t" || !message)
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
    const uint16_t state = press->state & 0xFF & ~uint16_t(Lock | Mod2);  // modifiers only, not buttons
    if (!m_grabbed.contains(press->detail) || state != m_modifiers)
        return false;
    emit activated();
    return true;
}
