#pragma once

#include <QString>

#include <array>
#include <optional>

class MGHoverButton;
class QVReelgrabTask;

// Texts and button states of a running-download row, from the task's sizes and status.
namespace ReelgrabingUI {

// "%@ of %@": downloaded and media size.
QString downloadedSizeOfMediaSize(const QVReelgrabTask &task);
QString downloadedSizeOfMediaSize(qint64 downloaded, qint64 mediaSize);
// "" when the speed or the bytes left are 0 or less, else the time left at that speed.
QString remainTimeWithSpeed(qint64 downloaded, qint64 mediaSize, qint64 bytesPerSecond);
bool isRuning(int status);
bool isFailed(int status);
// The percent (0-100) of a byte count; 0 when the size is unknown.
double percentOf(qint64 downloaded, qint64 mediaSize);

// Visibility (and enabled state) of the five row buttons; nothing: left as it is.
struct ButtonStates
{
    std::optional<bool> deleteButton, pauseButton, retryButton, resumeButton, stopButton;
    bool operator==(const ButtonStates &) const = default;
};
// The row's own buttons (the row then always hides its own delete button).
ButtonStates rowButtonsForStatus(int status);
// The hover action view's buttons.
ButtonStates actionButtonsForStatus(int status);
// Shows and enables (or hides and disables) delete, pause, retry, resume and stop, in that order.
void applyButtonStates(const ButtonStates &states, const std::array<MGHoverButton *, 5> &buttons);

} // namespace ReelgrabingUI
