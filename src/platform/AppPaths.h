#pragma once

#include <QString>

// Where the program keeps its files on Linux. The macOS folder names that stored data and
// other parts of the program use ("~/Library/Application Support/...", "~/Movies/...") map to
// the XDG locations here and nowhere else.
class AppPaths
{
public:
    // "~/Library/Application Support" -> the generic data location (~/.local/share).
    static QString applicationSupport();
    // "~/Library/Application Support/iQuenmark Orrisca Studio", created on demand (0700, like
    // the other folders of the application's own below).
    static QString productSupport();
    // "~/Library/Application Support/ReelgrabKit" and its subfolders.
    static QString reelgrabKit();
    static QString reelgrabKitLogs();       // "aLogs"
    static QString reelgrabKitIcons();      // "FavoriteIcons"
    static QString reelgrabKitThumbnails(); // "thumbnails"
    static QString reelgrabKitClients();    // "clients"
    // "~/Movies" -> the movies location.
    static QString movies();
    // "~/Movies/iQuenmark Orrisca Studio Videos" and its "Converted" and "Record".
    static QString defaultDownloadFolder();
    static QString convertedFolder();
    static QString recordFolder();
    // "~/Downloads" -> the download location.
    static QString downloads();
    // The private (0700) folder for sockets (see PrivateFolder::runtimeRoot); empty when none.
    static QString runtimeFolder();
    // The application's log folder.
    static QString logFolder();
    // QSettings' folder of this organisation under $XDG_CONFIG_HOME.
    static QString settingsFolder();
    // The application's own data, settings, state and log folders, made 0700 or tightened to
    // it when they already exist with looser modes (called at start). The folders for the
    // user's videos and downloads keep the user's umask.
    static void makePrivateFolders();
    // Maps a path written the macOS way ("~/Library/Application Support/x", "~/Movies/y",
    // "~/Downloads/z", "~/...") to the folder it stands for here.
    static QString mapPath(const QString &macPath);
    // mkdir -p with the user's umask; true when the folder exists afterwards.
    static bool ensureFolder(const QString &path);

    static constexpr const char *ProductFolderName = "iQuenmark Orrisca Studio";
    static constexpr const char *VideosFolderName = "iQuenmark Orrisca Studio Videos";
};
