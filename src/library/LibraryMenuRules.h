#pragma once

#include "downloads/DownloadNode.h"

#include <QList>
#include <QUrl>

#include <optional>

// Which commands of the library's context menu are offered for the current selection.
namespace LibraryMenuRules {

enum class Action {
    ShowInFinder,
    Rename,
    Play,
    Delete,
    DeleteAll,
    CollateFile,
    ExpandPlaylist,
    CollapsePlaylist,
    CopyURL,
    GoToSourcePage,
    AddToConvert,
    AddToTransfer,
    Other,
};

struct Selection
{
    QList<DownloadNode::Ptr> rows; // the table's rows
    QList<int> selected;           // selected row indexes
    bool canPlay = true;           // the player's own rule for several rows
};

bool isEnabled(Action action, const Selection &selection);

// The page address as a link to open: only http and https. An address that does not parse
// is tried once more percent-escaped. Nothing for any other scheme (file:, javascript:, ...).
std::optional<QUrl> sourcePageUrl(const QString &pageURL);

} // namespace LibraryMenuRules
