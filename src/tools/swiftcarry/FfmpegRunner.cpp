#include "tools/swiftcarry/FfmpegRunner.h"

#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/ToolSignals.h"
#include "platform/ProcessRegistry.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace FfmpegRunner {

QProcess *create(QObject *parent)
{
    QProcess *p = ProcessRegistry::shared().createProcess(parent);
    const pid_t tool = ::getpid();
    p->setChildProcessModifier([tool]() {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != tool)
            ::_exit(1);
    });
    p->setProgram(SwiftcarryProtocol::ffmpegPath());
    QObject::connect(p, &QProcess::started, p, [p]() { ToolSignals::setChild(pid_t(p->processId())); });
    QObject::connect(p, &QProcess::finished, p, []() { ToolSignals::setChild(0); });
    return p;
}

int runBlocking(const QStringList &arguments)
{
    QProcess *p = create(nullptr);
    p->setArguments(arguments);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    std::fprintf(stderr, "Executable %s With Params:%s\n", qPrintable(p->program()), qPrintable(arguments.join(QLatin1Char(' '))));
    p->start();
    int code = -1;
    if (p->waitForStarted(10000)) {
        p->waitForFinished(-1);
        if (p->exitStatus() == QProcess::NormalExit)
            code = p->exitCode();
    }
    delete p;
    return code;
}

} // namespace FfmpegRunner
