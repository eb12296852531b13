#include "library/LibraryMenuRules.h"

#include "library/LibraryDelete.h"

#include <QFileInfo>

namespace LibraryMenuRules {

namespace {

DownloadNode::Ptr rowAt(const Selection &s, int index)
{
    return index >= 0 && index < s.rows.size() ? s.rows.at(index) : nullptr;
}

QList<DownloadNode::Ptr> selectedRows(const Selection &s)
{
    QList<DownloadNode::Ptr> rows;
    for (int index : s.selected)
        if (auto row = rowAt(s, index))
            rows.append(row);
    return rows;
}

bool busy(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    return item && LibraryDelete::isBusy(*item);
}

bool canHandOff(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item || item->filePath().isEmpty() || !QFileInfo::exists(item->filePath()))
        return false;
    return item->taskStatus() != DownloadedItem::TaskWaiting && item->taskStatus() != DownloadedItem::TaskRunning;
}

} // namespace

bool isEnabled(Action action, const Selection &s)
{
    if (s.rows.isEmpty())
        return false;
    const QList<DownloadNode::Ptr> rows = selectedRows(s);

    // Commands on one row need exactly that row.
    switch (action) {
    case Action::Rename:
    case Action::CopyURL:
    case Action::GoToSourcePage:
    case Action::ShowInFinder: {
        if (rows.size() != 1)
            return false;
        const auto row = rows.first();
        const auto item = row->downloadItem();
        if (!item)
            return false;
        if (action == Action::Rename) {
            const auto parent = row->parentNode();
            if (busy(row) || (row->isPlaylistNode() && parent && !parent->isExtend()))
                return false;
        }
        if (action == Action::GoToSourcePage)
            return sourcePageUrl(item->pageURL()).has_value();
        if (action == Action::CopyURL)
            return !item->pageURL().isEmpty();
        return true;
    }
    case Action::Play:
        return !rows.isEmpty() && (rows.size() == 1 || s.canPlay);
    case Action::Delete:
        return !rows.isEmpty() && std::none_of(rows.begin(), rows.end(), busy);
    case Action::DeleteAll:
        return std::none_of(s.rows.begin(), s.rows.end(), busy);
    case Action::ExpandPlaylist:
    case Action::CollapsePlaylist: {
        const bool wantExpanded = action == Action::CollapsePlaylist;
        return std::any_of(rows.begin(), rows.end(), [wantExpanded](const DownloadNode::Ptr &row) {
            const auto parent = row->parentNode();
            return parent && parent->isExtend() == wantExpanded;
        });
    }
    case Action::AddToConvert:
    case Action::AddToTransfer:
        return std::any_of(rows.begin(), rows.end(), canHandOff);
    case Action::CollateFile:
    case Action::Other:
        return true;
    }
    return true;
}

std::optional<QUrl> sourcePageUrl(const QString &pageURL)
{
    const QString text = pageURL.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        url = QUrl::fromEncoded(QUrl::toPercentEncoding(text, "%:/?#[]@!$&'()*+,;="), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace LibraryMenuRules
