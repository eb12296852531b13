#include "platform/ProcessRegistry.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(ProcessRegistry, EndsEveryChildItStarted)
{
    ProcessRegistry registry;
    QList<QProcess *> children;
    for (int i = 0; i < 3; ++i) {
        QProcess *p = registry.createProcess();
        p->start(QStringLiteral("sleep"), {QStringLiteral("30")});
        ASSERT_TRUE(p->waitForStarted());
        children.append(p);
    }
    EXPECT_EQ(registry.runningPids().size(), 3);
    EXPECT_TRUE(registry.owns(children[1]->processId()));
    registry.terminateAll(2000);
    for (QProcess *p : children) {
        EXPECT_EQ(p->state(), QProcess::NotRunning);
        delete p;
    }
}

TEST(ProcessRegistry, NeverEndsAProcessItDidNotStart)
{
    ProcessRegistry registry;
    const pid_t stranger = ::fork();
    if (stranger == 0) {
        ::execlp("sleep", "sleep", "30", nullptr);
        ::_exit(127);
    }
    ASSERT_GT(stranger, 0);
    EXPECT_FALSE(registry.owns(stranger));
    EXPECT_FALSE(registry.terminate(stranger));
    registry.terminateAll(200);
    EXPECT_EQ(::kill(stranger, 0), 0) << "a process the registry did not start was ended";
    ::kill(stranger, SIGKILL);
    ::waitpid(stranger, nullptr, 0);
}

TEST(ProcessRegistry, ChildDiesWithItsParent)
{
    // A middle process starts a registered child and then dies; the child must follow.
    int pipefd[2];
    ASSERT_EQ(::pipe(pipefd), 0);
    const pid_t middle = ::fork();
    if (middle == 0) {
        ::close(pipefd[0]);
        // The child of the middle process runs `sleep` with PDEATHSIG, reporting its pid.
        QProcess p;
        ProcessRegistry::setDieWithParent(&p);
        p.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        if (!p.waitForStarted())
            ::_exit(2);
        const pid_t pid = pid_t(p.processId());
        (void)!::write(pipefd[1], &pid, sizeof pid);
        ::_exit(0);  // no clean-up: the kernel's death signal must do the work
    }
    ::close(pipefd[1]);
    pid_t grandchild = 0;
    ASSERT_EQ(::read(pipefd[0], &grandchild, sizeof grandchild), ssize_t(sizeof grandchild));
    ::close(pipefd[0]);
    ::waitpid(middle, nullptr, 0);
    // A process descriptor turns readable when the process ends, whoever its parent is now.
    bool gone = false;
    const int pidfd = int(::syscall(SYS_pidfd_open, grandchild, 0));
    if (pidfd < 0) {
        gone = errno == ESRCH;
    } else {
        pollfd ended{pidfd, POLLIN, 0};
        gone = ::poll(&ended, 1, 5000) == 1;
        ::close(pidfd);
    }
    EXPECT_TRUE(gone);
    if (!gone)
        ::kill(grandchild, SIGKILL);
}
