#include "downloads/DownloadNode.h"

#include "platform/Dispatch.h"

#include <QUrl>

#include <algorithm>
#include <limits>

DownloadNode::Ptr DownloadNode::create(Data data)
{
    Ptr node(new DownloadNode());
    node->m_data = std::move(data);
    return node;
}

DownloadNode::Ptr DownloadNode::create(Data data, const QString &playlistName, const QString &playlistID)
{
    Ptr node = create(std::move(data));
    if (!node->m_data.m_object)
        node->m_hasChildren = true;
    node->m_playlistName = playlistName;
    node->m_playlistID = playlistID;
    return node;
}

DownloadNode::~DownloadNode() = default;

void DownloadNode::addChildrenNode(const Ptr &child)
{
    m_hasChildren = true;
    if (!child)
        return;
    m_childrenNode.append(child);
    if (m_childrenNode.size() >= 2) {
        // The key is chosen by the newcomer's kind, as every child of one group is of one kind.
        // A child that lacks the key sorts first; equal keys keep their order.
        constexpr qint64 missing = std::numeric_limits<qint64>::min();
        std::function<qint64(const Ptr &)> key;
        if (child->m_data.m_item) {
            key = [](const Ptr &n) { return n->m_data.m_item ? qint64(n->m_data.m_item->playlistIndex()) : missing; };
        } else if (child->m_data.m_object) {
            key = [](const Ptr &n) { return n->m_data.m_position ? n->m_data.m_position() : missing; };
        }
        if (key)
            std::stable_sort(m_childrenNode.begin(), m_childrenNode.end(),
                             [&key](const Ptr &a, const Ptr &b) { return key(a) < key(b); });
    }
    child->m_parentNode = weak_from_this();
}

void DownloadNode::removeChildrenNode(const Ptr &child)
{
    if (!child)
        return;
    child->m_parentNode.reset();
    m_childrenNode.removeAll(child);
}

void DownloadNode::onMainThread(std::function<void(DownloadNode &)> step)
{
    if (dispatch::isMainThread()) {
        step(*this);
        return;
    }
    dispatch::async_main([self = weak_from_this(), step = std::move(step)] {
        if (const Ptr node = self.lock())
            step(*node);
    });
}

void DownloadNode::taskDidChangeState(DownloadedItem &)
{
    onMainThread([](DownloadNode &node) {
        if (node.m_rowDisplay)
            node.m_rowDisplay->displayViewCtroller(node.downloadItem());
    });
}

void DownloadNode::taskDidChangeProgress(DownloadedItem &, qint32)
{
    onMainThread([](DownloadNode &node) {
        if (node.m_rowDisplay)
            node.m_rowDisplay->taskProgressChanged(node.downloadItem());
    });
}

QList<DownloadNode::Ptr> DownloadNode::displayedSiblings() const
{
    const Ptr parent = parentNode();
    return parent ? parent->m_displayNodeArray : QList<Ptr>();
}

QString DownloadNode::fileName() const
{
    const auto item = downloadItem();
    if (!item)
        return QString();
    if (m_isPlaylistNode)
        return m_playlistName + item->fileName();
    return item->fileName();
}

QString DownloadNode::filePath() const
{
    const auto item = downloadItem();
    return item ? item->filePath() : QString();
}

QString DownloadNode::pageURL() const
{
    const auto item = downloadItem();
    return item ? item->pageURL() : QString();
}

qint32 DownloadNode::downloadID() const
{
    const auto item = downloadItem();
    return item ? item->downloadID() : 0;
}

QString DownloadNode::fileSuffix() const
{
    const auto item = downloadItem();
    return item ? item->fileSuffix() : QString();
}

qint32 DownloadNode::resolution() const
{
    const auto item = downloadItem();
    return item ? item->resolution() : 0;
}

QString DownloadNode::hostURL() const
{
    const auto item = downloadItem();
    return item ? QUrl(item->pageURL()).host() : QString();
}

QDateTime DownloadNode::addDate() const
{
    const auto item = downloadItem();
    QDateTime earliest = item ? item->addDate() : QDateTime();
    if (!m_isPlaylistNode)
        return earliest;
    for (const Ptr &sibling : displayedSiblings()) {
        const auto other = sibling->downloadItem();
        if (!other || !other->addDate().isValid())
            continue;
        if (!earliest.isValid() || other->addDate() < earliest)
            earliest = other->addDate();
    }
    return earliest;
}

qint64 DownloadNode::time() const
{
    if (!m_isPlaylistNode) {
        const auto item = downloadItem();
        return item ? item->time() : 0;
    }
    qint64 sum = 0;
    for (const Ptr &sibling : displayedSiblings())
        if (const auto other = sibling->downloadItem())
            sum += other->time();
    return sum;
}

qint64 DownloadNode::videoSize() const
{
    if (m_playlistName.isEmpty()) {
        const auto item = downloadItem();
        return item ? item->videoSize() : 0;
    }
    qint64 sum = 0;
    for (const Ptr &sibling : displayedSiblings())
        if (const auto other = sibling->downloadItem())
            sum += other->videoSize();
    return sum;
}
