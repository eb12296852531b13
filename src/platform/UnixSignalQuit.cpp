#include "platform/UnixSignalQuit.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_fds[2] = {-1, -1};
struct sigaction g_previousTerm;
struct sigaction g_previousInt;
} // namespace

UnixSignalQuit::UnixSignalQuit(std::function<void()> quit, QObject *parent) : QObject(parent), m_quit(std::move(quit))
{
    if (g_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0)
        return;
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalQuit::readSignal);
    struct sigaction action = {};
    action.sa_handler = &UnixSignalQuit::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &g_previousTerm);
    ::sigaction(SIGINT, &action, &g_previousInt);
}

UnixSignalQuit::~UnixSignalQuit()
{
    if (m_notifier) {
        ::sigaction(SIGTERM, &g_previousTerm, nullptr);
        ::sigaction(SIGINT, &g_previousInt, nullptr);
    }
}

void UnixSignalQuit::onSignal(int signo)
{
    const int saved = errno;
    const char byte = char(signo);
    [[maybe_unused]] ssize_t n = ::write(g_fds[0], &byte, 1);
    errno = saved;
}

void UnixSignalQuit::readSignal()
{
    char byte = 0;
    bool got = false;
    while (::read(g_fds[1], &byte, 1) == 1) {
        m_lastSignal = byte;
        got = true;
    }
    if (got && m_quit)
        m_quit();
}
