// The finished-media row, its hover action bar and the delete window: what each shows and
// whom each tells, by item state and list type.
#include "controls/FNClickTextField.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "controls/MTImageView.h"
#include "downloads/ConvertJob.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "downloads/DownloadedActionViewCtrl.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "platform/NotificationCenter.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <optional>

namespace {

using Mode = DownloadedActionViewCtrl::DisplayMode;

bool shown(const QWidget *w) { return w && !w->isHidden(); }

QString existingFile(const QString &name)
{
    const QString path = QDir(TestEnvironment::home()).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("media");
    return path;
}

std::shared_ptr<DownloadedItem> makeItem(const QString &path, quint32 taskStatus = DownloadedItem::TaskNone)
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(path);
    item->setDownloadID(7);
    item->setTime(125);
    item->setVideoSize(3 * 1024 * 1024);
    item->setResolution(720);
    item->setTaskStatus(taskStatus);
    return item;
}

// Records every message a list page can hear.
struct Recorder : DownloadedItemViewCtrlDelegate
{
    QStringList calls;
    DownloadNode::Ptr lastNode;
    QString lastTitle;
    void note(const char *what, const DownloadNode::Ptr &node)
    {
        calls << QString::fromLatin1(what);
        lastNode = node;
    }
    void downloadedItemWillDelete(const DownloadNode::Ptr &n) override { note("delete", n); }
    void downloadedItemAddToConverter(const DownloadNode::Ptr &n) override { note("addToConverter", n); }
    void downloadedItemAddToTransfer(const DownloadNode::Ptr &n) override { note("addToTransfer", n); }
    void downloadedItemStartConverter(const DownloadNode::Ptr &n) override { note("startConverter", n); }
    void downloadedItemStartTransfer(const DownloadNode::Ptr &n) override { note("startTransfer", n); }
    void taskItemWillPause(const DownloadNode::Ptr &n) override { note("pause", n); }
    void taskItemWillResume(const DownloadNode::Ptr &n) override { note("resume", n); }
    void taskItemWillDelete(const DownloadNode::Ptr &n) override { note("cancel", n); }
    void playWillStart(const DownloadNode::Ptr &n) override { note("play", n); }
    void changeDidEnd(const DownloadNode::Ptr &n, const QString &title) override
    {
        note("rename", n);
        lastTitle = title;
    }
};

struct FakeJob : ConvertJob
{
    qint32 status = Waiting;
    void setDelegate(std::weak_ptr<TBVideoConvertTaskDelegate>) override {}
    qint32 taskStatus() const override { return status; }
    qint64 remainTime() const override { return 0; }
    QString sourceFilePath() const override { return {}; }
    QString targetFilePath() const override { return {}; }
    double targetResolution() const override { return 0; }
    qint64 targetFileSize() const override { return 0; }
};

struct Row
{
    std::shared_ptr<DownloadedItem> item;
    DownloadNode::Ptr node;
    std::shared_ptr<DownloadedItemViewCtrl> row;
    Row(std::shared_ptr<DownloadedItem> it, quint32 type, DownloadedItemViewCtrlDelegate *delegate = nullptr,
        bool needCancel = true)
        : item(std::move(it))
    {
        node = DownloadNode::create(item);
        row = DownloadedItemViewCtrl::create(node, delegate, type);
        row->setIsTaskNeedCancle(needCancel);
        row->view()->resize(900, DownloadedItemViewCtrl::RowHeight);
        row->displayViewCtroller(item);
    }
};

TEST(DownloadedRow, FaceAndButtonsByStateAndType)
{
    const QString present = existingFile(QStringLiteral("clip.mp4"));
    const QString gone = QDir(TestEnvironment::home()).filePath(QStringLiteral("gone.mp4"));
    const QColor grey = QColor::fromRgbF(0.604f, 0.604f, 0.604f);
    const QColor red(220, 50, 47);
    struct Case
    {
        const char *name;
        quint32 type;
        quint32 status;
        bool exists;
        bool needCancel;
        bool taskFace;
        bool start, pause, cancel;
        QString result; // empty: no result line
        QColor resultColor;
        QString state;  // task face state text
        Mode bar;
    };
    const Case cases[] = {
        {"library plain", 1, 0, true, true, false, false, false, false, "", {}, "", Mode::ModeDownloaded},
        {"library converted", 1, 4, true, true, false, false, false, false, "Converter successfully", grey, "", Mode::ModeDownloaded},
        {"library convert failed", 1, 5, true, true, false, false, false, false, "Convert Failed", red, "", Mode::ModeOnlyDelete},
        {"library file gone", 1, 0, false, true, false, false, false, false, "", {}, "", Mode::ModeOnlyDelete},
        {"library type 2 as 1", 2, 5, true, true, false, false, false, false, "Convert Failed", red, "", Mode::ModeOnlyDelete},
        {"library waiting", 1, 1, true, true, true, false, false, true, "", {}, "Waiting for convert...", Mode::ModeConvertering},
        {"library converting", 1, 2, true, true, true, false, false, true, "", {}, "Converting 40%", Mode::ModeConvertering},
        {"library paused", 1, 3, true, true, true, false, false, true, "", {}, "Paused", Mode::ModeConvertering},
        {"converter plain", 3, 0, true, true, false, true, false, false, "", {}, "", Mode::ModeConverter},
        {"converter finished", 3, 4, true, true, false, false, false, false, "Converter successfully", grey, "", Mode::ModeConverterFinish},
        {"converter failed offers start again", 3, 5, true, true, false, true, false, false, "Convert Failed", red, "", Mode::ModeConverter},
        {"converter failed, source gone", 3, 5, false, true, false, false, false, false, "Convert Failed", red, "", Mode::ModeOnlyDelete},
        {"converter waiting", 3, 1, true, true, true, false, true, false, "", {}, "Waiting for convert...", Mode::ModeConvertering},
        {"converter paused", 3, 3, true, true, true, false, true, false, "", {}, "Paused", Mode::ModeConvertering},
        {"transfer plain", 4, 0, true, true, false, true, false, false, "", {}, "", Mode::ModeConverter},
        {"transfer done", 4, 4, true, true, false, false, false, false, "Transfer successfully", grey, "", Mode::ModeConverter},
        {"transfer failed", 4, 5, true, true, false, false, false, false, "Failed to transfer file.", red, "", Mode::ModeConverter},
        {"transfer waiting", 4, 1, true, true, true, false, false, true, "", {}, "Waiting for transfer...", Mode::ModeConvertering},
        {"transfer waiting, no cancel", 4, 1, true, false, true, false, false, false, "", {}, "Waiting for transfer...", Mode::ModeConvertering},
        {"transfer running", 4, 2, true, true, true, false, false, false, "", {}, "Converting 40%", Mode::ModeConvertering},
    };
    DownloadedActionViewCtrl bar;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto item = makeItem(c.exists ? present : gone, c.status);
        item->setPercent(40);
        item->setTaskStateStr(QStringLiteral("Converting 40%"));
        item->setCovertedFilePath(QStringLiteral("/out/clip.mp3"));
        Row r(item, c.type, nullptr, c.needCancel);
        r.row->addActionView(&bar);
        DownloadedItemViewCtrl &row = *r.row;
        EXPECT_EQ(row.isShowingTaskFace(), c.taskFace);
        EXPECT_EQ(shown(row.satrtTaskButton()), c.start);
        EXPECT_EQ(shown(row.pauseButton()), c.pause);
        EXPECT_EQ(shown(row.cancelButton()), c.cancel);
        EXPECT_EQ(row.taskResultText(), c.result);
        if (c.resultColor.isValid()) {
            EXPECT_EQ(row.taskResultColor().name(), c.resultColor.name());
        }
        if (c.taskFace) {
            EXPECT_EQ(row.stateText(), c.state);
        }
        EXPECT_EQ(row.isLocalFileShownMissing(), !c.exists);
        EXPECT_EQ(bar.displayMode(), c.bar);
        EXPECT_EQ(row.actionModeForItem(item), c.bar);
        EXPECT_EQ(row.titleText(), c.exists ? QStringLiteral("clip") : QStringLiteral("gone"));
        // A converter row that converted shows the converted file's type.
        EXPECT_EQ(row.fileTypeText(), c.type == 3 && c.status == 4 ? QStringLiteral("MP3") : QStringLiteral("MP4"));
        r.row->removeActionView();
    }
}

TEST(DownloadedRow, InformationAndTaskTexts)
{
    const QString present = existingFile(QStringLiteral("texts.mp4"));
    struct Case
    {
        const char *name;
        qint32 resolution;
        quint32 status;
        qint32 percent;
        QString second;
        QString expectResolution; // empty: hidden
        QString expectPercent;
        QString expectSecond;
    };
    const Case cases[] = {
        {"resolution shown", 1080, 0, 0, "", "1080p", "", ""},
        {"resolution 0 hidden", 0, 0, 0, "", "", "", ""},
        {"one-character second line hidden", 720, 2, 30, "x", "720p", "30%", ""},
        {"two-character second line shown", 720, 2, 30, "ab", "720p", "30%", "ab"},
        {"waiting starts at nothing", 720, 1, 70, "", "720p", "0%", ""},
        {"percent above 100 is capped", 720, 2, 250, "", "720p", "100%", ""},
        {"negative percent is 0", 720, 3, -5, "", "720p", "0%", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto item = makeItem(present, c.status);
        item->setResolution(c.resolution);
        item->setPercent(c.percent);
        item->setTask2StateStr(c.second);
        Row r(item, 1);
        EXPECT_EQ(r.row->resolutionText(), c.expectResolution);
        EXPECT_EQ(r.row->isResolutionVisible(), !c.expectResolution.isEmpty());
        EXPECT_EQ(r.row->timeText(), QStringLiteral("02:05"));
        if (!c.expectPercent.isEmpty()) {
            EXPECT_EQ(r.row->percentText(), c.expectPercent);
            EXPECT_EQ(r.row->progressValue(), c.expectPercent.chopped(1).toDouble());
        }
        EXPECT_EQ(r.row->secondStateText(), c.expectSecond);
    }
}

TEST(DownloadedRow, ProgressFollowsTheItemAcrossThreads)
{
    const QString present = existingFile(QStringLiteral("progress.mp4"));
    auto item = makeItem(present, DownloadedItem::TaskRunning);
    Row r(item, 3);
    item->addDelegate(r.node);
    item->setPercent(55);
    item->setTaskStateStr(QStringLiteral("Converting..."));
    QThread *worker = QThread::create([&] { item->sendTaskProgressChanged(55); });
    worker->start();
    worker->wait();
    delete worker;
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return r.row->percentText() == QStringLiteral("55%"); }));
    EXPECT_EQ(r.row->stateText(), QStringLiteral("Converting..."));

    // updateProgress without a state text says the job waits.
    item->setTaskStateStr(QString());
    r.row->updateProgress(item);
    EXPECT_EQ(r.row->stateText(), QStringLiteral("Waiting for convert..."));

    // The job ends: the state change brings the information face back.
    item->setTaskStatus(DownloadedItem::TaskFinished);
    item->sendTaskDidChangeState();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !r.row->isShowingTaskFace(); }));
    EXPECT_EQ(r.row->taskResultText(), QStringLiteral("Converter successfully"));
}

TEST(DownloadedRow, ThumbnailFromFileAndBrokenFiles)
{
    const QString present = existingFile(QStringLiteral("thumb.mp4"));
    const QString good = QDir(TestEnvironment::home()).filePath(QStringLiteral("good.png"));
    QImage picture(320, 180, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(good));
    const QString broken = QDir(TestEnvironment::home()).filePath(QStringLiteral("broken.png"));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // A PNG signature and a header claiming 100000 x 100000 pixels, then nothing.
        f.write(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a00806000000"));
    }
    struct Case
    {
        const char *name;
        QString file, thumbnail;
        bool defaultPicture;
    };
    const Case cases[] = {
        {"thumbnail file loaded", present, good, false},
        {"no thumbnail file", present, "", true},
        {"truncated huge picture", present, broken, true},
        {"audio file shows the audio picture", existingFile(QStringLiteral("song.mp3")), good, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto item = makeItem(c.file);
        item->setThumbnailPath(c.thumbnail);
        Row r(item, 1);
        EXPECT_EQ(r.row->isDefaultThumbnail(), c.defaultPicture);
        EXPECT_FALSE(r.row->thumbnailImage().isNull());
    }

    // A thumbnail that arrives later is picked up when the item says its data changed.
    auto item = makeItem(present);
    Row r(item, 1);
    ASSERT_TRUE(r.row->isDefaultThumbnail());
    item->setThumbnailPath(good);
    item->sendFileInfoItemDataChange();
    EXPECT_FALSE(r.row->isDefaultThumbnail());
}

TEST(DownloadedRow, ButtonsTellTheDelegate)
{
    const QString present = existingFile(QStringLiteral("tell.mp4"));
    struct Case
    {
        const char *name;
        quint32 type;
        quint32 status;
        std::function<void(DownloadedItemViewCtrl &, DownloadedActionViewCtrl &)> act;
        QStringList calls;
        std::optional<Mode> barAfter;
    };
    auto click = [](QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5)); };
    const Case cases[] = {
        {"bar delete", 1, 0, [&](auto &, auto &bar) { click(bar.deleteButton()); }, {"delete"}, {}},
        {"bar convert", 1, 0, [&](auto &, auto &bar) { click(bar.converterButton()); }, {"addToConverter"}, {}},
        {"bar transfer", 1, 0, [&](auto &, auto &bar) { click(bar.transferButton()); }, {"addToTransfer"}, {}},
        {"bar pause and stop are not the row's", 1, 0,
         [&](auto &, auto &bar) {
             bar.setTaskButtonsVisible(true);
             click(bar.pauseButton());
             click(bar.deleteConverterButton());
             bar.setTaskButtonsVisible(false);
         },
         {}, {}},
        {"converter start", 3, 0, [&](auto &row, auto &) { click(row.satrtTaskButton()); }, {"startConverter"}, Mode::ModeConverter},
        {"transfer start", 4, 0, [&](auto &row, auto &) { click(row.satrtTaskButton()); }, {"startTransfer"}, Mode::ModeConverter},
        {"pause then resume", 3, 2,
         [&](auto &row, auto &) {
             click(row.pauseButton());
             click(row.pauseButton());
         },
         {"pause", "resume"}, {}},
        {"resume first when paused", 3, 3, [&](auto &row, auto &) { click(row.pauseButton()); }, {"resume"}, {}},
        {"cancel on a library row", 1, 2, [&](auto &row, auto &) { click(row.cancelButton()); }, {"cancel"}, Mode::ModeDownloaded},
        {"cancel on a transfer row", 4, 1, [&](auto &row, auto &) { click(row.cancelButton()); }, {"cancel"}, Mode::ModeOnlyDelete},
        {"play from the thumbnail", 1, 0,
         [&](auto &row, auto &) {
             row.mtImageViewMouseEntered();
             ASSERT_TRUE(row.isPlayButtonVisible());
             click(row.playButton());
         },
         {"play"}, {}},
        {"rename ends with Return", 1, 0,
         [&](auto &row, auto &) {
             row.beginTitleEditing();
             row.getTitleTxtField()->setText(QStringLiteral("new name"));
             QTest::keyClick(row.getTitleTxtField(), Qt::Key_Return);
         },
         {"rename"}, {}},
        {"rename given up with Escape", 1, 0,
         [&](auto &row, auto &) {
             row.beginTitleEditing();
             row.getTitleTxtField()->setText(QStringLiteral("never"));
             QTest::keyClick(row.getTitleTxtField(), Qt::Key_Escape);
             EXPECT_EQ(row.titleText(), QStringLiteral("tell"));
         },
         {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec;
        Row r(makeItem(present, c.status), c.type, &rec);
        QWidget window;
        window.resize(900, 81);
        r.row->view()->setParent(&window);
        window.show();
        DownloadedActionViewCtrl bar;
        r.row->addActionView(&bar);
        c.act(*r.row, bar);
        EXPECT_EQ(rec.calls, c.calls);
        if (!c.calls.isEmpty()) {
            EXPECT_EQ(rec.lastNode, r.node);
        }
        if (c.barAfter) {
            EXPECT_EQ(bar.displayMode(), *c.barAfter);
        }
        if (c.calls.contains(QStringLiteral("rename"))) {
            EXPECT_EQ(rec.lastTitle, QStringLiteral("new name"));
        }
        r.row->removeActionView();
        r.row->view()->setParent(nullptr);
    }
}

TEST(DownloadedRow, PlayButtonOnlyWhereItMayShow)
{
    const QString present = existingFile(QStringLiteral("hover.mp4"));
    struct Case
    {
        const char *name;
        quint32 type, status;
        bool play;
    };
    const Case cases[] = {
        {"library plain", 1, 0, true},
        {"library converting", 1, 2, false},
        {"converter waiting", 3, 1, false},
        {"transfer always", 4, 2, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Row r(makeItem(present, c.status), c.type);
        r.row->mtImageViewMouseEntered();
        EXPECT_EQ(r.row->isPlayButtonVisible(), c.play);
        r.row->mtImageViewMouseExited();
        EXPECT_FALSE(r.row->isPlayButtonVisible());
    }
}

TEST(DownloadedRow, ARowThatGoesLetsTheBarGo)
{
    const QString present = existingFile(QStringLiteral("bye.mp4"));
    QWidget list;
    auto *barHome = new QWidget(&list);
    DownloadedActionViewCtrl &bar = *new DownloadedActionViewCtrl(barHome);
    {
        Recorder rec;
        Row r(makeItem(present), 1, &rec);
        r.row->addActionView(&bar);
        EXPECT_EQ(bar.delegate(), r.row.get());
        EXPECT_EQ(bar.parentWidget(), r.row->view());
        EXPECT_EQ(bar.geometry(), QRect(900 - 270, 0, 270, 81));
    }
    // The bar survives its row, calls nobody and is back with the list.
    EXPECT_EQ(bar.delegate(), nullptr);
    EXPECT_EQ(bar.parentWidget(), barHome);
    bar.clickDelete();

    // The last owner may let go on another thread (an item callback holding the row): the
    // widgets are still handled on the main thread.
    Row r(makeItem(present), 1);
    r.row->addActionView(&bar);
    QPointer<QWidget> rowView = r.row->view();
    std::shared_ptr<DownloadedItemViewCtrl> last = std::move(r.row);
    r.node->setDownloadViewCtrl(std::shared_ptr<DownloadedItemViewCtrl>());
    QThread *worker = QThread::create([&last] { last.reset(); });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_EQ(bar.delegate(), nullptr);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return rowView.isNull(); }));
    EXPECT_EQ(bar.parentWidget(), barHome);
}

// Play-list header -----------------------------------------------------------------------------

struct Playlist
{
    DownloadNode::Ptr group;
    QList<DownloadNode::Ptr> members;
    QList<std::shared_ptr<DownloadedItem>> items;
    QList<std::shared_ptr<FakeJob>> jobs;
    Playlist(int count, const QString &file)
    {
        group = DownloadNode::create(nullptr, QStringLiteral("Road trip"), QStringLiteral("PL1"));
        for (int i = 0; i < count; ++i) {
            auto item = makeItem(file);
            item->setPlaylistIndex(i);
            item->setPlaylistName(QStringLiteral("Road trip"));
            auto node = DownloadNode::create(item, QStringLiteral("Road trip"), QStringLiteral("PL1"));
            group->addChildrenNode(node);
            items << item;
            members << node;
        }
        members.first()->setIsPlaylistNode(true);
    }
    void giveJob(int i, qint32 status)
    {
        auto job = std::make_shared<FakeJob>();
        job->status = status;
        items[i]->setConverterItem(job);
        jobs << job;
    }
};

TEST(DownloadedRowHeader, CountAndSummary)
{
    const QString present = existingFile(QStringLiteral("member.mp4"));
    struct Case
    {
        const char *name;
        bool headerInDisplayList;
        QList<qint32> jobStates; // one per member from the first; -1 no job
        QString count;
        QString summary; // empty: hidden
        bool animation;
    };
    const Case cases[] = {
        {"no jobs, header listed", true, {-1, -1, -1}, "3", "", false},
        {"no jobs, header not listed", false, {-1, -1, -1}, "3", "", false},
        {"two running", true, {ConvertJob::Converting, ConvertJob::Waiting, -1}, "3", "Total: 2Tasks", true},
        {"running and failed", false, {ConvertJob::Converting, ConvertJob::StoppedByFailure, -1}, "3",
         "Total: 1Tasks Failed: 1Tasks", true},
        {"only failed", true, {ConvertJob::StoppedByFailure, ConvertJob::Finished, ConvertJob::StoppedByFailure}, "3",
         "Total: 3Tasks  Failed: 2Tasks", false},
        {"paused counts as other, nothing runs", true, {ConvertJob::Paused, ConvertJob::StoppedByFailure, -1}, "3",
         "Total: 0Tasks Failed: 1Tasks", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Playlist pl(3, present);
        for (int i = 0; i < c.jobStates.size(); ++i)
            if (c.jobStates[i] >= 0)
                pl.giveJob(i, c.jobStates[i]);
        pl.group->setDisplayNodeArray(c.headerInDisplayList ? pl.members : pl.members.mid(1));
        auto row = DownloadedItemViewCtrl::create(pl.members.first(), nullptr, 1);
        row->view()->resize(900, DownloadedItemViewCtrl::PlaylistRowHeight);
        row->displayViewCtroller(pl.items.first());
        EXPECT_TRUE(row->isDisplayParentNode());
        EXPECT_EQ(row->rowHeight(), DownloadedItemViewCtrl::PlaylistRowHeight);
        EXPECT_EQ(row->playlistNameText(), QStringLiteral("Road trip"));
        EXPECT_EQ(row->playlistCountText(), c.count);
        EXPECT_EQ(row->playlistSummaryText(), c.summary);
        EXPECT_EQ(row->isPlaylistSummaryVisible(), !c.summary.isEmpty());
        EXPECT_EQ(row->isPlaylistAnimationVisible(), c.animation);
    }
}

TEST(DownloadedRowHeader, ExpandAndCollapse)
{
    const QString present = existingFile(QStringLiteral("expand.mp4"));
    Playlist pl(3, present);
    pl.group->setDisplayNodeArray(pl.members);
    Recorder rec;
    auto header = DownloadedItemViewCtrl::create(pl.members.first(), &rec, 1);
    auto child = DownloadedItemViewCtrl::create(pl.members[1], &rec, 1);
    header->view()->resize(900, DownloadedItemViewCtrl::PlaylistRowHeight);
    child->view()->resize(900, DownloadedItemViewCtrl::RowHeight);
    header->view()->show();
    header->displayViewCtroller(pl.items[0]);
    child->displayViewCtroller(pl.items[1]);
    EXPECT_FALSE(child->isDisplayParentNode());
    EXPECT_EQ(child->rowHeight(), DownloadedItemViewCtrl::RowHeight);

    int refreshes = 0;
    QObject receiver;
    NotificationCenter::defaultCenter().addObserver(&receiver, QStringLiteral("RefreshDownlodedDisplayData"),
                                                    [&](const Notification &) { ++refreshes; });
    DownloadedActionViewCtrl bar;
    header->addActionView(&bar);

    struct Step
    {
        const char *name;
        std::function<void()> act;
        bool extended;
        QRect headerThumb;
        bool headerThumbChild;
        QRect bar;
        Mode barMode;
    };
    const Step steps[] = {
        {"collapsed at first", [] {}, false, QRect(28, 36 + 5, 126, 70), false, QRect(630, 0, 270, 117), Mode::ModeDownloaded},
        {"disclosure expands", [&] { QTest::mouseClick(header->disclosureButton(), Qt::LeftButton); }, true,
         QRect(44, 36 + 10, 110, 60), true, QRect(630, 36, 270, 81), Mode::ModeDownloaded},
        {"name click collapses", [&] { QTest::mouseClick(header->playlistNameTxtField(), Qt::LeftButton); }, false,
         QRect(28, 36 + 5, 126, 70), false, QRect(630, 0, 270, 117), Mode::ModeDownloaded},
    };
    int expectedRefreshes = 0;
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        const bool before = pl.group->isExtend();
        s.act();
        if (before != pl.group->isExtend())
            ++expectedRefreshes;
        EXPECT_EQ(pl.group->isExtend(), s.extended);
        EXPECT_EQ(refreshes, expectedRefreshes);
        EXPECT_EQ(header->picture()->geometry(), s.headerThumb);
        EXPECT_EQ(header->picture()->isChildrenNode(), s.headerThumbChild);
        EXPECT_EQ(bar.geometry(), s.bar);
        EXPECT_EQ(bar.displayMode(), s.barMode);
    }
    // Members below the header always draw the small marked thumbnail.
    EXPECT_EQ(child->picture()->geometry(), QRect(44, 10, 110, 60));
    EXPECT_TRUE(child->picture()->isChildrenNode());
    NotificationCenter::defaultCenter().removeObserver(&receiver);

    // A header whose node left its group lays out as a plain row again.
    pl.members.first()->setIsPlaylistNode(false);
    pl.group->removeChildrenNode(pl.members.first());
    header->displayViewCtroller(pl.items[0]);
    EXPECT_FALSE(header->isDisplayParentNode());
    EXPECT_EQ(header->rowHeight(), DownloadedItemViewCtrl::RowHeight);
    EXPECT_EQ(header->playlistCountText(), QString());
}

TEST(DownloadedRow, FlyInStartInWindowCoordinates)
{
    const QString present = existingFile(QStringLiteral("fly.mp4"));
    Row r(makeItem(present), 1);
    QWidget window;
    window.resize(1000, 300);
    r.row->view()->setParent(&window);
    r.row->view()->setGeometry(50, 100, 900, 81);
    EXPECT_EQ(r.row->getAminStartFrame(), QRect(50 + 900 - 210, 100 + (81 - 50) / 2, 40, 40));
    r.row->view()->setParent(nullptr);
}

// Action bar ----------------------------------------------------------------------------------

struct CodeRecorder : DownloadedActionDelegate
{
    QList<int> codes;
    void downloadedActionChangedWithType(int type) override { codes << type; }
};

TEST(DownloadedActionBar, ModesShowTheirButtons)
{
    struct Case
    {
        const char *name;
        std::function<void(DownloadedActionViewCtrl &)> mode;
        Mode expected;
        bool del, convert, transfer;
    };
    const Case cases[] = {
        {"downloaded", &DownloadedActionViewCtrl::displayWithDownloaed, Mode::ModeDownloaded, true, true, true},
        {"only delete", &DownloadedActionViewCtrl::displayWithOnlyDelete, Mode::ModeOnlyDelete, true, false, false},
        {"converter", &DownloadedActionViewCtrl::displayWithConverter, Mode::ModeConverter, true, false, false},
        {"converter finish", &DownloadedActionViewCtrl::displayWithConverterFinish, Mode::ModeConverterFinish, true, false, true},
        {"convertering", &DownloadedActionViewCtrl::displayWithConvertering, Mode::ModeConvertering, false, false, false},
    };
    for (bool taskButtons : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (taskButtons ? " with task buttons" : ""));
            DownloadedActionViewCtrl bar;
            bar.setTaskButtonsVisible(taskButtons);
            c.mode(bar);
            EXPECT_EQ(bar.displayMode(), c.expected);
            EXPECT_EQ(shown(bar.deleteButton()), c.del);
            EXPECT_EQ(shown(bar.converterButton()), c.convert);
            EXPECT_EQ(shown(bar.transferButton()), c.transfer);
            // The modes leave pause and stop alone.
            EXPECT_EQ(shown(bar.pauseButton()), taskButtons);
            EXPECT_EQ(shown(bar.deleteConverterButton()), taskButtons);
        }
    }
}

TEST(DownloadedActionBar, PressesSendTheirCodes)
{
    auto click = [](QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5)); };
    // What a widget hears of a double click: press, release, double-click press, release.
    auto doubleClick = [&](QWidget *w) {
        click(w);
        QTest::mouseDClick(w, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(5, 5));
    };
    struct Case
    {
        const char *name;
        std::function<void(DownloadedActionViewCtrl &)> act;
        QList<int> codes;
        bool pausingAfter;
    };
    const Case cases[] = {
        {"delete", [&](auto &b) { click(b.deleteButton()); }, {1}, true},
        {"convert", [&](auto &b) { click(b.converterButton()); }, {2}, true},
        {"transfer", [&](auto &b) { click(b.transferButton()); }, {3}, true},
        {"stop", [&](auto &b) { click(b.deleteConverterButton()); }, {6}, true},
        {"pause, then the same button resumes", [&](auto &b) { click(b.pauseButton()); click(b.pauseButton()); }, {5, 4}, true},
        {"pause once", [&](auto &b) { click(b.pauseButton()); }, {5}, false},
        {"double click sends one code", [&](auto &b) { doubleClick(b.pauseButton()); }, {5}, false},
        {"double click leaves nothing behind", [&](auto &b) {
             doubleClick(b.pauseButton());
             QCoreApplication::processEvents();
             click(b.pauseButton());
         }, {5, 4}, true},
        {"owner sets resume", [&](auto &b) { b.setStartAction(); click(b.pauseButton()); }, {4}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        DownloadedActionViewCtrl bar(&window);
        CodeRecorder rec;
        bar.setDelegate(&rec);
        bar.displayWithDownloaed();
        bar.setTaskButtonsVisible(true);
        window.show();
        c.act(bar);
        EXPECT_EQ(rec.codes, c.codes);
        EXPECT_EQ(bar.isPauseButtonPausing(), c.pausingAfter);
    }

    // Without a delegate, pause still flips the button.
    DownloadedActionViewCtrl bar;
    bar.setTaskButtonsVisible(true);
    const QString pauseSlice = bar.pauseButton()->normalSliceName();
    bar.pauseConverter();
    EXPECT_FALSE(bar.isPauseButtonPausing());
    EXPECT_NE(bar.pauseButton()->normalSliceName(), pauseSlice);
    EXPECT_EQ(bar.pauseButton()->normalSliceName(), QStringLiteral("mainform-769"));
}

// Delete window -------------------------------------------------------------------------------

struct HookReset
{
    ~HookReset() { DeleteModalWindowCtr::setRunHookForTesting(nullptr); }
};

// Answers the next question by acting on the window once its modal loop runs.
void answerWith(std::function<void(DeleteModalWindowCtr *)> act)
{
    DeleteModalWindowCtr::setRunHookForTesting([act](DeleteModalWindowCtr *w) {
        QTimer::singleShot(0, w, [w, act] { act(w); });
    });
}

TEST(DeleteWindow, ThreeAnswers)
{
    HookReset reset;
    auto click = [](QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, 8)); };
    struct Case
    {
        const char *name;
        std::function<int()> ask;
        std::function<void(DeleteModalWindowCtr *)> act;
        int answer;
        bool checkShown;
        QString question;
    };
    const QString some = QStringLiteral("Are you sure you want to delete the item(s) from the list?");
    const QString all = QStringLiteral("Are you sure you want to delete all\nof the items from the list?");
    const Case cases[] = {
        {"cancel", [] { return DeleteModalWindowCtr::showDeleteItemsTip(); },
         [&](auto *w) { click(w->cancelButtonControl()); }, 0, true, some},
        {"delete", [] { return DeleteModalWindowCtr::showDeleteItemsTip(); },
         [&](auto *w) { click(w->deleteButtonControl()); }, 1, true, some},
        {"delete with the files", [] { return DeleteModalWindowCtr::showDeleteOneItemTip(); },
         [&](auto *w) { click(w->checkButton()); click(w->deleteButtonControl()); }, 2, true, some},
        {"all, with the files", [] { return DeleteModalWindowCtr::showDeleteAllItemsTip(); },
         [&](auto *w) { click(w->checkButton()); click(w->deleteButtonControl()); }, 2, true, all},
        {"ticked then untouched box starts off", [] { return DeleteModalWindowCtr::showDeleteItemsTip(); },
         [&](auto *w) {
             EXPECT_EQ(w->checkButton()->state(), 0);
             click(w->deleteButtonControl());
         }, 1, true, some},
        {"hidden box never deletes files", [] { return DeleteModalWindowCtr::showDeleteItemsTipHiddenCheck(); },
         [&](auto *w) {
             w->checkButton()->setState(1);
             click(w->deleteButtonControl());
         }, 1, false, some},
        {"all without box", [] { return DeleteModalWindowCtr::showDeleteAllItemsTipHiddenCheck(); },
         [&](auto *w) { click(w->deleteButtonControl()); }, 1, false, all},
        {"Escape is cancel", [] { return DeleteModalWindowCtr::showDeleteItemsTip(); },
         [&](auto *w) { click(w->checkButton()); QTest::keyClick(w, Qt::Key_Escape); }, 0, true, some},
        {"the close button is cancel", [] { return DeleteModalWindowCtr::showDeleteItemsTip(); },
         [&](auto *w) { click(w->checkButton()); w->closeButton()->click(); }, 0, true, some},
        {"Return answers Cancel, which has the focus", [] { return DeleteModalWindowCtr::showDeleteItemsTip(); },
         [&](auto *w) { QTest::keyClick(w, Qt::Key_Return); }, 0, true, some},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        bool acted = false;
        bool checkShown = false;
        QString question;
        answerWith([&](DeleteModalWindowCtr *w) {
            acted = true;
            checkShown = !w->checkButton()->isHidden();
            question = w->lblTip()->text();
            c.act(w);
        });
        EXPECT_EQ(c.ask(), c.answer);
        EXPECT_TRUE(acted);
        EXPECT_EQ(checkShown, c.checkShown);
        EXPECT_EQ(question, c.question);
        EXPECT_FALSE(DeleteModalWindowCtr::shareDeleteModalWindowCtr()->isVisible());
    }
}

TEST(DeleteWindow, Position)
{
    struct Case
    {
        QRect parent;
        QSize window;
        QPoint origin;
    };
    const Case cases[] = {
        {QRect(100, 50, 801, 600), QSize(400, 170), QPoint(100 + 200, 50 + 215)},
        {QRect(0, 0, 440, 170), QSize(440, 170), QPoint(0, 0)},
        // A parent smaller than the window: the halves are cut towards zero.
        {QRect(10, 10, 301, 101), QSize(440, 170), QPoint(10 - 69, 10 - 34)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DeleteModalWindowCtr::originForParentRect(c.parent, c.window), c.origin);

    DeleteModalWindowCtr *w = DeleteModalWindowCtr::shareDeleteModalWindowCtr();
    w->setFrameOriginWithParentRect(QRect(100, 50, 801, 600));
    EXPECT_EQ(w->pos(), DeleteModalWindowCtr::originForParentRect(QRect(100, 50, 801, 600), w->size()));
    // The zero rectangle centres the window on the screen.
    w->setFrameOriginWithParentRect(QRect());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(w->pos(), DeleteModalWindowCtr::originForParentRect(screen, w->size()));
    EXPECT_EQ(DeleteModalWindowCtr::shareDeleteModalWindowCtr(), w);
}

// Pictures ------------------------------------------------------------------------------------

#ifdef ROW_GRAB_DIR
TEST(DownloadedRowPictures, GrabFacesHeaderAndDeleteWindow)
{
    QDir().mkpath(QStringLiteral(ROW_GRAB_DIR));
    const QString present = existingFile(QStringLiteral("Sunset over the bay - 4K.mp4"));
    const QString thumb = QDir(TestEnvironment::home()).filePath(QStringLiteral("sunset.png"));
    {
        QImage picture(320, 180, QImage::Format_RGB32);
        QPainter p(&picture);
        QLinearGradient g(0, 0, 0, 180);
        g.setColorAt(0, QColor(255, 170, 90));
        g.setColorAt(1, QColor(60, 80, 160));
        p.fillRect(picture.rect(), g);
        p.setBrush(QColor(255, 230, 120));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(160, 120), 40, 40);
        p.end();
        picture.save(thumb);
    }
    auto grab = [](QWidget *w, const QString &name) {
        w->show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(w->grab().save(QDir(QStringLiteral(ROW_GRAB_DIR)).filePath(name)));
        w->hide();
    };

    auto info = makeItem(present, DownloadedItem::TaskFinished);
    info->setThumbnailPath(thumb);
    Row infoRow(info, 1);
    grab(infoRow.row->view(), QStringLiteral("row-information.png"));

    auto running = makeItem(present, DownloadedItem::TaskRunning);
    running->setThumbnailPath(thumb);
    running->setPercent(42);
    running->setTaskStateStr(QStringLiteral("Converting... 00:01:12 remaining"));
    Row taskRow(running, 3);
    grab(taskRow.row->view(), QStringLiteral("row-task.png"));

    Row missing(makeItem(QDir(TestEnvironment::home()).filePath(QStringLiteral("moved away.mkv")),
                         DownloadedItem::TaskFailed), 1);
    DownloadedActionViewCtrl bar;
    missing.row->addActionView(&bar);
    grab(missing.row->view(), QStringLiteral("row-missing-with-bar.png"));
    missing.row->removeActionView();

    Playlist pl(3, present);
    pl.items[0]->setThumbnailPath(thumb);
    pl.giveJob(1, ConvertJob::Converting);
    pl.giveJob(2, ConvertJob::StoppedByFailure);
    pl.group->setDisplayNodeArray(pl.members);
    auto header = DownloadedItemViewCtrl::create(pl.members.first(), nullptr, 1);
    header->view()->resize(900, DownloadedItemViewCtrl::PlaylistRowHeight);
    header->displayViewCtroller(pl.items[0]);
    DownloadedActionViewCtrl headerBar;
    header->addActionView(&headerBar);
    grab(header->view(), QStringLiteral("row-playlist-header.png"));
    header->removeActionView();

    // Expanded: the header and a member below it, the member hovered.
    pl.group->setIsExtend(true);
    header->displayViewCtroller(pl.items[0]);
    grab(header->view(), QStringLiteral("row-playlist-header-expanded.png"));
    auto member = DownloadedItemViewCtrl::create(pl.members[1], nullptr, 1);
    pl.items[1]->setTaskStatus(DownloadedItem::TaskNone);
    pl.items[1]->setThumbnailPath(thumb);
    member->view()->resize(900, DownloadedItemViewCtrl::RowHeight);
    member->displayViewCtroller(pl.items[1]);
    member->mtImageViewMouseEntered();
    grab(member->view(), QStringLiteral("row-playlist-member-hovered.png"));

    Row converterRow(makeItem(present), 3);
    grab(converterRow.row->view(), QStringLiteral("row-converter-ready.png"));
    Row transferRow(makeItem(present, DownloadedItem::TaskFailed), 4);
    DownloadedActionViewCtrl transferBar;
    transferRow.row->addActionView(&transferBar);
    grab(transferRow.row->view(), QStringLiteral("row-transfer-failed-with-bar.png"));
    transferRow.row->removeActionView();

    DeleteModalWindowCtr *w = DeleteModalWindowCtr::shareDeleteModalWindowCtr();
    w->setDisplayType(DeleteModalWindowCtr::SelectedItems);
    w->setCheckHidden(false);
    grab(w, QStringLiteral("delete-window.png"));
    w->setDisplayType(DeleteModalWindowCtr::AllItems);
    w->setCheckHidden(true);
    grab(w, QStringLiteral("delete-window-all.png"));
}
#endif

} // namespace

// The start button is a Convert button: the pointer over it shows "Convert", and leaving it
// lets the list page restore the button for that item.
TEST(DownloadedRow, ConvertButtonAsksThePageToRestoreIt)
{
    struct Restorer : Recorder
    {
        void convertedButtonWillChange(qint32 id, QAbstractButton *button) override
        {
            restored << id;
            lastButton = button;
        }
        QList<qint32> restored;
        QAbstractButton *lastButton = nullptr;
    } rec;
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(existingFile(QStringLiteral("convert-me.mp4")));
    item->setDownloadID(31);
    Row r(item, DownloadedItemViewCtrl::Converter, &rec);
    auto *button = qobject_cast<ConverterButton *>(r.row->satrtTaskButton());
    ASSERT_TRUE(button);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(button->title(), QStringLiteral("Convert"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(rec.restored, QList<qint32>{31});
    EXPECT_EQ(rec.lastButton, button);
}
