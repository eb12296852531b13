#include "feedback/FeedBackRegistration.h"

#include "feedback/FeedBack.h"
#include "platform/log/ScribletLogger.h"
#include "shell/FailedDownloadLog.h"
#include "shell/ShellRegistry.h"

#include <QPointer>

void registerFeedbackWindow()
{
    ShellRegistry::registerWindow(QStringLiteral("Feedback"), [](QWidget *mainWindow) {
        // Made on first use and kept for later openings.
        static QPointer<FeedBack> window;
        if (!window)
            window = new FeedBack(mainWindow);
        window->setProductLogPaths({ScribletLogger::defaultLogger().filePath(), FailedDownloadLog::shared().filePath()});
        window->resetFeedback();
        window->show();
        window->raise();
        window->setFrameOriginWithParentRect(mainWindow ? mainWindow->frameGeometry() : QRect());
        window->exec();
    });
}
