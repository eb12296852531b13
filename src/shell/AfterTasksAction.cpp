#include "shell/AfterTasksAction.h"

#include "shell/SystemProcessEvent.h"

bool AfterTasksAction::shouldCountDown(const QList<bool> &pagesBusy, qint64 mode)
{
    for (bool busy : pagesBusy)
        if (busy)
            return false;
    return mode == ShutDown || mode == Sleep || mode == Quit;
}

int AfterTasksAction::perform(qint64 code, const std::function<void()> &quit)
{
    switch (code) {
    case Quit:
        if (quit)
            quit();
        return 0;
    case Sleep:
        return SendAppleEventToSystemProcess(QStringLiteral("slep"));
    case ShutDown:
        return SendAppleEventToSystemProcess(QStringLiteral("shut"));
    default:
        return 0;
    }
}
