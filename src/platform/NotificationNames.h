#pragma once

#include <QLatin1String>

// Names of the notifications one subsystem posts and another observes. The texts are the
// product's own and stay as they are; posting or observing through these keeps a misspelt name
// from silently reaching nobody.
namespace NotificationNames {

// A page asks the main window to hand items to another page.
inline constexpr QLatin1String AddToConverterNotification{"AddToConverterNotification"};
inline constexpr QLatin1String AddToTransferNotification{"AddToTransferNotification"};
inline constexpr QLatin1String AddToDownloadAminNotification{"AddToDownloadAminNotification"};
inline constexpr QLatin1String GotoRecordViewNotification{"GotoRecordViewNotification"};
inline constexpr QLatin1String DragURLToMainApp{"DragURLToMainApp"};
inline constexpr QLatin1String OnlineDownloadedFinishNotification{"OnlineDownloadedFinishNotification"};

// Keys pressed in a list (object: the list).
inline constexpr QLatin1String DeleteNotification{"DeleteNotification"};
inline constexpr QLatin1String SpaceDownNotification{"SpaceDownNotification"};
inline constexpr QLatin1String NSTableViewSelectionDidChangeNotification{"NSTableViewSelectionDidChangeNotification"};
inline constexpr QLatin1String PlayerProgressBarChangedNotification{"PlayerProgressBarChangedNotification"};

// Posted, waiting for every observer, when the application is about to quit.
inline constexpr QLatin1String FENNIXPROWillQuitNotification{"FENNIXPROWillQuitNotification"};

// A finished download's library record could not be written (the disk is full): it is kept
// and written when it can be; the user is told (object: the file's path).
inline constexpr QLatin1String LibraryRecordPending{"LibraryRecordPending"};

// The scheduler's start time came; the lists refresh what they show.
inline constexpr QLatin1String TimeForScheduledTask{"TimeForScheduledTask"};
inline constexpr QLatin1String RefreshDownlodedDisplayData{"RefreshDownlodedDisplayData"};
inline constexpr QLatin1String RefreshDownlodingDisplayData{"RefreshDownlodingDisplayData"};

} // namespace NotificationNames
