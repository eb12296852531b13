#include "downloads/ReelgrabingUI.h"

#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "reelgrab/NSStringHumanReadable.h"
#include "reelgrab/QVReelgrabTask.h"

namespace ReelgrabingUI {

QString downloadedSizeOfMediaSize(qint64 downloaded, qint64 mediaSize)
{
    QString text = MainBundle::localizedString("%@ of %@");
    const int first = text.indexOf(QLatin1String("%@"));
    if (first >= 0)
        text.replace(first, 2, NSStringHumanReadable::stringWithFilesize(downloaded));
    const int second = text.indexOf(QLatin1String("%@"));
    if (second >= 0)
        text.replace(second, 2, NSStringHumanReadable::stringWithFilesize(mediaSize));
    return text;
}

QString downloadedSizeOfMediaSize(const QVReelgrabTask &task)
{
    return downloadedSizeOfMediaSize(task.downloadedSize(), task.mediaSize());
}

QString remainTimeWithSpeed(qint64 downloaded, qint64 mediaSize, qint64 bytesPerSecond)
{
    const qint64 left = mediaSize - downloaded;
    if (bytesPerSecond <= 0 || left <= 0)
        return QString();
    return NSStringHumanReadable::stringWithSeconds(left / bytesPerSecond);
}

bool isRuning(int status)
{
    return status == QVReelgrabTaskStatusQueued || status == QVReelgrabTaskStatusWaiting
        || status == QVReelgrabTaskStatusSniffing || status == QVReelgrabTaskStatusDownloading;
}

bool isFailed(int status)
{
    return status == QVReelgrabTaskStatusSniffingFailed || status == QVReelgrabTaskStatusFailed;
}

double percentOf(qint64 downloaded, qint64 mediaSize)
{
    if (mediaSize <= 0 || downloaded <= 0)
        return 0.0;
    return qMin(100.0, double(downloaded) * 100.0 / double(mediaSize));
}

ButtonStates rowButtonsForStatus(int status)
{
    switch (status) {
    case 0:
    case 1:
        return {true, true, false, false, true};
    case 2:
    case 6:
        return {true, false, false, true, false};
    case 3:
    case 7:
        return {true, false, true, false, false};
    case 4:
    case 5:
        return {true, true, false, false, false};
    case 8:
    case 9:
        return {false, false, false, false, false};
    default:
        return {};
    }
}

ButtonStates actionButtonsForStatus(int status)
{
    switch (status) {
    case 0:
    case 1:
        return {true, false, false, false, true};
    case 2:
        return {true, false, true, false, false};
    case 3:
    case 7:
        return {true, false, false, false, false};
    case 4:
    case 5:
        return {true, true, false, false, false};
    case 6:
        return {true, false, false, true, false};
    case 8:
    case 9:
        return {false, false, false, false, false};
    default: {
        ButtonStates s;
        s.retryButton = false;
        return s;
    }
    }
}

void applyButtonStates(const ButtonStates &states, const std::array<MGHoverButton *, 5> &buttons)
{
    const std::optional<bool> wanted[5] = {states.deleteButton, states.pauseButton, states.retryButton,
                                           states.resumeButton, states.stopButton};
    for (int i = 0; i < 5; ++i) {
        if (!wanted[i] || !buttons[i])
            continue;
        buttons[i]->setVisible(*wanted[i]);
        buttons[i]->setEnabled(*wanted[i]);
    }
}

} // namespace ReelgrabingUI
