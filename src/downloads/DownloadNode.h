#pragma once

#include "downloads/AnyObject.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemObserver.h"
#include "downloads/DownloadedRowDisplay.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <type_traits>

class QVReelgrabTask;
class TransferDataItem;

// One node of a list page: a data item (running task, finished record, transfer item) with
// the row controller that shows it. A node without a data item is a play-list group whose
// children stay sorted by play-list position. Nodes live in shared pointers: a group owns its
// children, a child knows its group weakly. Used on the main thread; the item callbacks may
// come from any thread and move there before they touch the row.
class DownloadNode : public DownloadedItemObserver, public std::enable_shared_from_this<DownloadNode>
{
public:
    using Ptr = std::shared_ptr<DownloadNode>;

    // The data item of a node; remembers how to find a running task's play-list position.
    class Data
    {
    public:
        Data() = default;
        Data(std::nullptr_t) {}
        template <class T>
        Data(std::shared_ptr<T> object) // NOLINT: implicit, any item may be wrapped
            : m_object(object)
        {
            if constexpr (std::is_base_of_v<DownloadedItem, T>) {
                m_item = object;
            } else if constexpr (requires(const T &t) { t.indexInPlaylist(); }) {
                if (T *raw = object.get())
                    m_position = [raw] { return qint64(raw->indexInPlaylist()); };
            }
        }

    private:
        friend class DownloadNode;
        AnyObject m_object;
        std::shared_ptr<DownloadedItem> m_item;
        std::function<qint64()> m_position;
    };

    // initWithData: / initWithData:playlistName:playlistID:. Without data the node is a group
    // and starts with both child arrays.
    static Ptr create(Data data);
    static Ptr create(Data data, const QString &playlistName, const QString &playlistID);
    ~DownloadNode() override;

    QString playlistID() const { return m_playlistID; }
    void setPlaylistID(const QString &id) { m_playlistID = id; }
    QString playlistName() const { return m_playlistName; }
    void setPlaylistName(const QString &name) { m_playlistName = name; }
    bool isExtend() const { return m_isExtend; }
    void setIsExtend(bool extend) { m_isExtend = extend; }
    bool isPlaylistNode() const { return m_isPlaylistNode; }
    void setIsPlaylistNode(bool header) { m_isPlaylistNode = header; }
    Ptr parentNode() const { return m_parentNode.lock(); }
    void setParentNode(const Ptr &parent) { m_parentNode = parent; }

    // Whether the child array exists (groups, and item nodes once a child was added).
    bool hasChildrenNode() const { return m_hasChildren; }
    const QList<Ptr> &childrenNode() const { return m_childrenNode; }
    const QList<Ptr> &displayNodeArray() const { return m_displayNodeArray; }
    void setDisplayNodeArray(const QList<Ptr> &nodes) { m_displayNodeArray = nodes; }

    // Appends the child, re-sorts by play-list position and makes this node its parent.
    void addChildrenNode(const Ptr &child);
    // Clears the child's parent; takes it out of the children when it is one.
    void removeChildrenNode(const Ptr &child);

    const AnyObject &downloadData() const { return m_data.m_object; }
    void setDownloadData(Data data) { m_data = std::move(data); }
    // The data item when it is a finished-download record (or a subclass of one).
    std::shared_ptr<DownloadedItem> downloadItem() const { return m_data.m_item; }
    template <class Task = QVReelgrabTask>
    std::shared_ptr<Task> reelgrabTask() const
    {
        return m_data.m_object.as<Task>();
    }
    template <class Item = TransferDataItem>
    std::shared_ptr<Item> transferDataItem() const
    {
        return std::dynamic_pointer_cast<Item>(m_data.m_item);
    }

    const AnyObject &downloadViewCtrl() const { return m_viewCtrl; }
    template <class Row>
    void setDownloadViewCtrl(std::shared_ptr<Row> row)
    {
        if constexpr (std::is_base_of_v<DownloadedRowDisplay, Row>)
            m_rowDisplay = row;
        else
            m_rowDisplay = nullptr;
        m_viewCtrl = AnyObject(std::move(row));
    }
    template <class Row>
    std::shared_ptr<Row> downloadingItemViewCtr() const
    {
        return m_viewCtrl.as<Row>();
    }
    std::shared_ptr<DownloadedRowDisplay> downloadedItemViewCtr() const { return m_rowDisplay; }

    // Item callbacks: forwarded to the row on the main thread.
    void taskDidChangeState(DownloadedItem &item) override;
    void taskDidChangeProgress(DownloadedItem &item, qint32 percent) override;

    // Display values the library and record lists show and sort by. A play-list header
    // speaks for its displayed siblings.
    QString fileName() const;
    QString filePath() const;
    QString pageURL() const;
    qint32 downloadID() const;
    QString fileSuffix() const;
    qint32 resolution() const;
    QString hostURL() const;
    QDateTime addDate() const;
    qint64 time() const;
    qint64 videoSize() const;

private:
    DownloadNode() = default;
    void onMainThread(std::function<void(DownloadNode &)> step);
    QList<Ptr> displayedSiblings() const;

    QString m_playlistID;
    QString m_playlistName;
    bool m_hasChildren = false;
    QList<Ptr> m_childrenNode;
    QList<Ptr> m_displayNodeArray;
    bool m_isExtend = false;
    std::weak_ptr<DownloadNode> m_parentNode;
    bool m_isPlaylistNode = false;
    Data m_data;
    AnyObject m_viewCtrl;
    std::shared_ptr<DownloadedRowDisplay> m_rowDisplay;
};
