#include "downloads/DownloadNode.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Stands in for a running task: the node sorts it by its position in the play list.
struct FakeTask
{
    int index = 0;
    int indexInPlaylist() const { return index; }
};

struct FakeRow : DownloadedRowDisplay
{
    void displayViewCtroller(const std::shared_ptr<DownloadedItem> &item) override
    {
        ++states;
        onMain = QThread::currentThread() == QCoreApplication::instance()->thread();
        last = item;
    }
    void taskProgressChanged(const std::shared_ptr<DownloadedItem> &item) override
    {
        ++progress;
        onMain = QThread::currentThread() == QCoreApplication::instance()->thread();
        last = item;
    }
    int states = 0;
    int progress = 0;
    bool onMain = false;
    std::shared_ptr<DownloadedItem> last;
};

std::shared_ptr<DownloadedItem> playlistItem(int index, qint64 seconds, qint64 bytes, const QDateTime &added = {})
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(QStringLiteral("/v/part %1.mp4").arg(index));
    item->setPageURL(QStringLiteral("https://www.example.com:8080/list?i=%1").arg(index));
    item->setPlaylistIndex(index);
    item->setTime(seconds);
    item->setVideoSize(bytes);
    item->setAddDate(added);
    return item;
}

QList<int> order(const DownloadNode::Ptr &group)
{
    QList<int> out;
    for (const auto &child : group->childrenNode()) {
        if (const auto item = child->downloadItem())
            out.append(item->playlistIndex());
        else if (const auto task = child->reelgrabTask<FakeTask>())
            out.append(task->index);
        else
            out.append(-1);
    }
    return out;
}

// A displayed play list as the list pages build it: the first displayed child is the header.
void display(const DownloadNode::Ptr &group)
{
    group->setDisplayNodeArray(group->childrenNode());
    for (const auto &child : group->childrenNode())
        child->setIsPlaylistNode(child == group->childrenNode().front());
}

} // namespace

TEST(DownloadNodeTest, GroupsAndItemNodesStartAsTheirKindRequires)
{
    const auto group = DownloadNode::create(nullptr, QStringLiteral("List"), QStringLiteral("PL1"));
    EXPECT_FALSE(group->downloadData());
    EXPECT_TRUE(group->hasChildrenNode());
    EXPECT_EQ(group->playlistName(), QStringLiteral("List"));
    EXPECT_EQ(group->playlistID(), QStringLiteral("PL1"));

    const auto item = playlistItem(1, 1, 1);
    const auto node = DownloadNode::create(item, QStringLiteral("List"), QStringLiteral("PL1"));
    EXPECT_FALSE(node->hasChildrenNode());
    EXPECT_EQ(node->downloadItem(), item);
    EXPECT_EQ(node->downloadData().as<DownloadedItem>(), item);
    EXPECT_FALSE(node->reelgrabTask<FakeTask>());

    const auto task = std::make_shared<FakeTask>();
    const auto taskNode = DownloadNode::create(task);
    EXPECT_EQ(taskNode->reelgrabTask<FakeTask>(), task);
    EXPECT_FALSE(taskNode->downloadItem());
    EXPECT_TRUE(taskNode->playlistName().isNull());
}

TEST(DownloadNodeTest, ChildrenSortByPlaylistPositionOnceThereAreTwo)
{
    struct Case
    {
        const char *name;
        bool tasks;
        QList<int> added;
        QList<QList<int>> after; // order after each add
    };
    const Case cases[] = {
        {"finished items", false, {5, 2, 9, 1}, {{5}, {2, 5}, {2, 5, 9}, {1, 2, 5, 9}}},
        {"running tasks", true, {3, 0, 2}, {{3}, {0, 3}, {0, 2, 3}}},
        {"equal positions keep their order", false, {4, 4, 1}, {{4}, {4, 4}, {1, 4, 4}}},
    };
    for (const Case &c : cases) {
        const auto group = DownloadNode::create(nullptr, QStringLiteral("L"), QStringLiteral("id"));
        for (int i = 0; i < c.added.size(); ++i) {
            DownloadNode::Ptr child;
            if (c.tasks)
                child = DownloadNode::create(std::make_shared<FakeTask>(FakeTask{c.added[i]}));
            else
                child = DownloadNode::create(playlistItem(c.added[i], 0, 0), QStringLiteral("L"), QStringLiteral("id"));
            group->addChildrenNode(child);
            EXPECT_EQ(child->parentNode(), group) << c.name;
            EXPECT_EQ(order(group), c.after[i]) << c.name << " after add " << i;
        }
    }
    const auto group = DownloadNode::create(nullptr, QStringLiteral("L"), QStringLiteral("id"));
    group->addChildrenNode(nullptr);
    EXPECT_TRUE(group->childrenNode().isEmpty());
}

TEST(DownloadNodeTest, TheHeaderSpeaksForItsDisplayedSiblings)
{
    const QDateTime early(QDate(2020, 1, 1), QTime(8, 0), Qt::UTC);
    const QDateTime late(QDate(2021, 1, 1), QTime(8, 0), Qt::UTC);
    const auto group = DownloadNode::create(nullptr, QStringLiteral("Mix "), QStringLiteral("PL"));
    const auto a = DownloadNode::create(playlistItem(1, 10, 1000, late), QStringLiteral("Mix "), QStringLiteral("PL"));
    const auto b = DownloadNode::create(playlistItem(2, 20, 3000, early), QStringLiteral("Mix "), QStringLiteral("PL"));
    group->addChildrenNode(b);
    group->addChildrenNode(a);
    display(group);

    ASSERT_TRUE(a->isPlaylistNode());
    EXPECT_FALSE(b->isPlaylistNode());
    EXPECT_EQ(a->time(), 30);
    EXPECT_EQ(b->time(), 20);
    EXPECT_EQ(a->videoSize(), 4000);
    EXPECT_EQ(b->videoSize(), 4000);
    EXPECT_EQ(a->addDate(), early);
    EXPECT_EQ(b->addDate(), early);
    EXPECT_EQ(a->fileName(), QStringLiteral("Mix part 1"));
    EXPECT_EQ(b->fileName(), QStringLiteral("part 2"));
    EXPECT_EQ(a->hostURL(), QStringLiteral("www.example.com"));
    EXPECT_EQ(b->fileSuffix(), QStringLiteral("mp4"));

    // A search that hides b leaves the header alone in the sums.
    group->setDisplayNodeArray({a});
    EXPECT_EQ(a->time(), 10);
    EXPECT_EQ(a->videoSize(), 1000);
    EXPECT_EQ(a->addDate(), late);

    // Nothing displayed: sums are 0 and the date is the node's own.
    group->setDisplayNodeArray({});
    EXPECT_EQ(a->time(), 0);
    EXPECT_EQ(a->videoSize(), 0);
    EXPECT_EQ(a->addDate(), late);

    // Outside play lists a node answers its own item's values; a group answers nothing.
    const auto single = DownloadNode::create(playlistItem(0, 7, 70, late));
    EXPECT_EQ(single->time(), 7);
    EXPECT_EQ(single->videoSize(), 70);
    EXPECT_EQ(single->fileName(), QStringLiteral("part 0"));
    EXPECT_EQ(group->time(), 0);
    EXPECT_TRUE(group->fileName().isNull());
    EXPECT_EQ(group->downloadID(), 0);
}

TEST(DownloadNodeTest, RemovingANodeClearsItsParentEvenWhenItWasNotAChild)
{
    const auto group = DownloadNode::create(nullptr, QStringLiteral("L"), QStringLiteral("id"));
    const auto other = DownloadNode::create(nullptr, QStringLiteral("M"), QStringLiteral("id2"));
    const auto a = DownloadNode::create(playlistItem(1, 0, 0));
    const auto b = DownloadNode::create(playlistItem(2, 0, 0));
    group->addChildrenNode(a);
    group->addChildrenNode(b);

    other->removeChildrenNode(a);
    EXPECT_EQ(group->childrenNode().size(), 2);
    EXPECT_FALSE(a->parentNode());

    group->removeChildrenNode(b);
    EXPECT_EQ(order(group), QList<int>{1});
    EXPECT_FALSE(b->parentNode());

    // A child never keeps its group alive.
    const auto child = DownloadNode::create(playlistItem(3, 0, 0));
    DownloadNode::create(nullptr, QString(), QString())->addChildrenNode(child);
    EXPECT_FALSE(child->parentNode());
}

TEST(DownloadNodeTest, ItemNewsReachTheRowOnTheMainThread)
{
    const auto item = playlistItem(1, 1, 1);
    auto node = DownloadNode::create(item);
    const auto row = std::make_shared<FakeRow>();
    node->setDownloadViewCtrl(row);
    EXPECT_EQ(node->downloadedItemViewCtr(), row);
    item->addDelegate(node);

    item->sendTaskDidChangeState();
    EXPECT_EQ(row->states, 1);
    EXPECT_TRUE(row->onMain);
    EXPECT_EQ(row->last, item);

    std::thread worker([&] { item->sendTaskProgressChanged(40); });
    worker.join();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return row->progress == 1; }));
    EXPECT_TRUE(row->onMain);

    // News queued for a node that is gone by the time it runs reach no one.
    std::thread late([&] { item->sendTaskDidChangeState(); });
    late.join();
    std::weak_ptr<DownloadNode> watch = node;
    node.reset();
    EXPECT_TRUE(watch.expired());
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_EQ(row->states, 1);
}
