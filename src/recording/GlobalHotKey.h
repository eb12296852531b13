#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

struct xcb_connection_t;

// A key combination that reaches the program wherever focus is: a passive grab of the key on
// the X root window, its presses picked out of the native events. Without X (Wayland, the
// offscreen platform) there is no such key; registerKey() says why and the caller offers its
// on-screen control alone. Main thread.
class GlobalHotKey : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // X modifier masks, as in key events' state.
    enum Modifier : uint16_t { Shift = 1, Lock = 2, Control = 4, Mod2 = 16 };

    // keysym: the X key symbol (0x32 is the key "2"); modifiers: Modifier bits.
    GlobalHotKey(uint32_t keysym, uint16_t modifiers, QObject *parent = nullptr);
    ~GlobalHotKey() override;

    // Uses this connection and root window instead of the application's (tests, other displays).
    void setConnection(xcb_connection_t *connection, uint32_t root);

    // Grabs the key (with and without Caps Lock and Num Lock); false with *whyNot when there is
    // no X display or another program holds the combination.
    bool registerKey(QString *whyNot = nullptr);
    void unregisterKey();
    bool isRegistered() const { return !m_grabbed.isEmpty(); }
    QList<uint8_t> grabbedKeycodes() const { return m_grabbed; }

    // Why no global key can exist in this session; empty under X11.
    static QString unavailableReason();

    // Sees the X events: a press of the registered key emits activated() and is taken.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void activated();

private:
    bool resolveConnection();
    QList<uint8_t> keycodes() const;

    uint32_t m_keysym;
    uint16_t m_modifiers;
    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
    QList<uint8_t> m_grabbed;
    bool m_filtering = false;
};
