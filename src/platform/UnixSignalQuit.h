#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// SIGTERM and SIGINT end the application the way its Quit command does: the signal handler
// only writes a byte to a pipe; the main loop then calls the quit function.
class UnixSignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit UnixSignalQuit(std::function<void()> quit, QObject *parent = nullptr);
    ~UnixSignalQuit() override;
    int lastSignal() const { return m_lastSignal; }

private:
    static void onSignal(int signo);
    void readSignal();

    std::function<void()> m_quit;
    QSocketNotifier *m_notifier = nullptr;
    int m_lastSignal = 0;
};
