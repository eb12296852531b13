// Time from the application's class set-up to its main window on screen, offscreen, in a private
// home folder: the first (cold) launch and the median of the later (warm) ones; then the same
// for whole FennixPro processes (start to "application Did FinishLaunching" in its log).
#include "shell/AppDelegate.h"
#include "shell/MainWindowCtrl.h"

#include "platform/AppPaths.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct Summary
{
    double cold = 0, median = 0, best = 0, worst = 0;
};

Summary summarise(QList<double> ms)
{
    Summary s;
    s.cold = ms.first();
    QList<double> warm = ms.mid(1);
    std::sort(warm.begin(), warm.end());
    s.median = warm.at(warm.size() / 2);
    s.best = warm.first();
    s.worst = warm.last();
    return s;
}

// Whole processes: each run starts the program and waits for its launch line, then ends it
// with SIGTERM (the Quit road) before the next.
QList<double> processRuns(const QString &program, int runs)
{
    QList<double> ms;
    const QString log = AppPaths::logFolder() + QStringLiteral("/FennixPro.log");
    for (int i = 0; i < runs; ++i) {
        QFile::remove(log);
        QProcess p;
        QElapsedTimer timer;
        timer.start();
        p.start(program, {});
        if (!p.waitForStarted(5000))
            return {};
        bool launched = false;
        while (!launched && timer.elapsed() < 20000) {
            QFile f(log);
            launched = f.open(QIODevice::ReadOnly) && f.readAll().contains("application Did FinishLaunching");
            if (!launched)
                QThread::usleep(500);
        }
        if (!launched)
            return {};
        ms.append(timer.nsecsElapsed() / 1e6);
        p.terminate();
        p.waitForFinished(10000);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    for (const char *xdg : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = home.path() + QLatin1Char('/') + QLatin1String(xdg);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(xdg, folder.toUtf8());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setOrganizationName(QStringLiteral("iQuenmark Orrisca Studio"));
    QApplication::setApplicationName(QStringLiteral("FennixPro"));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;

    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        AppDelegate::initializeClass();
        auto delegate = std::make_unique<AppDelegate>();
        delegate->launch();
        if (!QTest::qWaitForWindowExposed(delegate->mainWindow(), 5000)) {
            std::fprintf(stderr, "the main window never showed\n");
            return 1;
        }
        ms.append(timer.nsecsElapsed() / 1e6);
        delegate->applicationWillTerminate();
        delegate.reset();
        QCoreApplication::processEvents();
    }
    const Summary inProcess = summarise(ms);
    std::printf("in process, class set-up to shown main window: cold %.1f ms, warm median %.1f ms (best %.1f, worst %.1f, %d runs)\n",
                inProcess.cold, inProcess.median, inProcess.best, inProcess.worst, runs - 1);
    double worstMedian = inProcess.median;
#ifdef FENNIXPRO_PATH
    const QList<double> processes = processRuns(QStringLiteral(FENNIXPRO_PATH), runs);
    if (processes.size() < 2) {
        std::fprintf(stderr, "FennixPro did not report its launch\n");
        return 1;
    }
    const Summary whole = summarise(processes);
    std::printf("whole process, start to launched: cold %.1f ms, warm median %.1f ms (best %.1f, worst %.1f, %d runs)\n",
                whole.cold, whole.median, whole.best, whole.worst, runs - 1);
    worstMedian = std::max(worstMedian, whole.median);
#endif
    std::printf("target: warm under 500 ms: %s\n", worstMedian < 500 ? "met" : "MISSED");
    return worstMedian < 500 ? 0 : 2;
}
