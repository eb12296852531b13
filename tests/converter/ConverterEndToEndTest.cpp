// The Convert page with the real conversion tool: import through the sheet, convert with an
// MP4 and an MP3 preset, check the results with ffprobe, end every child at quit, and a picture
// of the page with a converting, a paused, a finished and a failed row.
#include "ConverterFixtures.h"
#include "ConverterPageRig.h"

#include "converter/CascadePanel.h"
#include "converter/ConvFromatController.h"
#include "controls/MGCheckButton.h"
#include "converter/ConverterViewCtrl.h"
#include "converter/EncFormatMgr.h"
#include "converter/EncSettingViewCtl.h"
#include "controls/DownloadTableView.h"
#include "converter/TBVideoConvertTask.h"
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "support/TestEnvironment.h"
#include "tools/swiftcarry/MediaFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ConverterEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.make());
        // The real sheet, answered as a user would: a preset, then OK.
        page->setSheetShower([this](ConvFromatController *sheet) {
            sheet->prepareForShowing();
            sheet->formatControl()->setSelSubItemID(preset, preset == 100 ? 8 : 1);
            sheet->clickDone();
        });
        window.setCentralWidget(page->view());
        window.resize(960, 560);
        window.show();
    }
    void TearDown() override { page.reset(); }
    int rowOf(const QString &path) const
    {
        for (int i = 0; i < page->converlist().size(); ++i)
            if (page->converlist()[i]->downloadItem()->filePath() == path)
                return i;
        return -1;
    }
    std::shared_ptr<DownloadedItem> itemOf(const QString &path) const
    {
        const int row = rowOf(path);
        return row < 0 ? nullptr : page->converlist()[row]->downloadItem();
    }
    void convert(const QString &path, int formatID)
    {
        preset = formatID;
        page->selectRows({rowOf(path)});
        page->convertItems();
    }
    QList<qint64> toolChildren() const
    {
        QList<qint64> tools;
        for (qint64 pid : MediaFixtures::childrenOf(QCoreApplication::applicationPid())) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            if (comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("SwiftcarryCmd")
                && MediaFixtures::processState(pid) != 'Z')
                tools << pid;
        }
        return tools;
    }

    ConverterPageRig rig;
    QTemporaryDir &dir = rig.dir;
    const QString &out = rig.out;
    std::unique_ptr<ConverterViewCtrl> &page = rig.page;
    int preset = 1;
    QMainWindow window;
};

double streamBitRate(const QVariantMap &probe, const QString &type)
{
    for (const QVariant &s : probe.value(QStringLiteral("streams")).toList())
        if (s.toMap().value(QStringLiteral("codec_type")).toString() == type)
            return s.toMap().value(QStringLiteral("bit_rate")).toDouble();
    return 0;
}

QSize videoSize(const QVariantMap &probe)
{
    for (const QVariant &s : probe.value(QStringLiteral("streams")).toList())
        if (s.toMap().value(QStringLiteral("codec_type")).toString() == QLatin1String("video"))
            return QSize(s.toMap().value(QStringLiteral("width")).toInt(), s.toMap().value(QStringLiteral("height")).toInt());
    return {};
}

} // namespace

TEST_F(ConverterEndToEnd, ImportTwoClipsAndConvertThemWithAnMp4AndAnMp3Preset)
{
    const QString alpha = MediaFixtures::makeClip(dir.path(), QStringLiteral("alpha.mp4"), {2.0, QStringLiteral("320x240")});
    const QString beta = MediaFixtures::makeClip(dir.path(), QStringLiteral("beta.mp4"), {2.0, QStringLiteral("480x360")});
    if (alpha.isEmpty() || beta.isEmpty())
        GTEST_SKIP() << "ffmpeg could not make the clips";
    page->importPaths({alpha, beta});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->converlist().size() == 2; }, 30000));
    EXPECT_EQ(itemOf(alpha)->videoWidth(), 320);

    convert(alpha, 1);
    convert(beta, 100);
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] {
            return itemOf(alpha)->taskStatus() >= DownloadedItem::TaskFinished
                   && itemOf(beta)->taskStatus() >= DownloadedItem::TaskFinished;
        },
        120000));
    EXPECT_EQ(itemOf(alpha)->taskStatus(), DownloadedItem::TaskFinished);
    EXPECT_EQ(itemOf(beta)->taskStatus(), DownloadedItem::TaskFinished);
    const QString mp4 = itemOf(alpha)->covertedFilePath();
    const QString mp3 = itemOf(beta)->covertedFilePath();
    EXPECT_EQ(QFileInfo(mp4).path(), out);
    EXPECT_EQ(QFileInfo(mp3).path(), out);
    EXPECT_EQ(QFileInfo(mp4).fileName(), QStringLiteral("alpha_320x240_MP4.mp4")) << "Smart Fit keeps the source's size";
    EXPECT_EQ(QFileInfo(mp3).fileName(), QStringLiteral("beta_MP3.mp3"));

    const QVariantMap videoProbe = MediaFixtures::probe(mp4);
    EXPECT_EQ(MediaFixtures::codecNames(videoProbe), (QStringList{"h264", "aac"}));
    // H.264/AAC into the MP4 preset at the source's size is taken over losslessly.
    EXPECT_NEAR(MediaFixtures::duration(videoProbe), 2.0, 0.3);
    const QVariantMap audioProbe = MediaFixtures::probe(mp3);
    EXPECT_EQ(MediaFixtures::codecNames(audioProbe), QStringList{"mp3"});
    EXPECT_NEAR(streamBitRate(audioProbe, QStringLiteral("audio")), 320000, 320000 * 0.1) << "the block's bit rate, in bit/s";
    EXPECT_FALSE(page->isHasTask());
    EXPECT_TRUE(toolChildren().isEmpty());
}

// Smart Fit off in the sheet and the MP4 preset at 1280x720: an H.264 source is taken over
// unchanged at its own size, and its output is named after that size; an MPEG-4 source is
// re-encoded to the preset's size and named after it.
TEST_F(ConverterEndToEnd, OutputIsNamedAfterTheSizeItReallyHas)
{
    // The settings' first showing would raise the modal Smart Fit tip; it counts as seen.
    UserDefaults::standard().setBool(QStringLiteral("SmartFitTipsPoped"), true);
    page->setSheetShower([](ConvFromatController *sheet) {
        sheet->prepareForShowing();
        sheet->formatControl()->setSelSubItemID(1, 1);
        sheet->showEncParamInfo(1);
        EncSettingViewCtl *settings = sheet->encSettingView();
        settings->selectVideoResolution(QStringLiteral("1280*720"));
        settings->selectVideoFrameRate(QStringLiteral("25 fps"));
        settings->selectVideoBitRate(QStringLiteral("1000 kbps"));
        sheet->saveEncParamSetting(1);
        EXPECT_EQ(sheet->workingBlock().smartFitMask & (IM_AutoResolution | IM_AutoFrameRate | IM_AutoVideoBitrate), 0u);
        sheet->clickDone();
    });
    const struct
    {
        const char *source, *codec;
        bool lossless;
        const char *output;
        QSize size;
    } cases[] = {
        {"copied.mp4", "libx264", true, "copied_640x480_MP4.mp4", {640, 480}},
        {"encoded.mp4", "mpeg4", false, "encoded_1280x720_MP4.mp4", {1280, 720}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        MediaFixtures::ClipSpec clipSpec{1.0, QStringLiteral("640x480")};
        clipSpec.videoCodec = QString::fromLatin1(c.codec);
        const QString clip = MediaFixtures::makeClip(dir.path(), QString::fromLatin1(c.source), clipSpec);
        if (clip.isEmpty())
            GTEST_SKIP() << "ffmpeg could not make the clip";
        page->importPaths({clip});
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return itemOf(clip) != nullptr; }, 30000));
        convert(clip, 1);
        const auto item = itemOf(clip);
        const auto job = std::dynamic_pointer_cast<TBVideoConvertTask>(item->converterItem());
        ASSERT_TRUE(job);
        EXPECT_EQ(job->isLosslessConvert(), c.lossless);
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return item->taskStatus() >= DownloadedItem::TaskFinished; }, 120000));
        ASSERT_EQ(item->taskStatus(), DownloadedItem::TaskFinished);
        const QString output = item->covertedFilePath();
        EXPECT_EQ(QFileInfo(output).fileName().toStdString(), c.output);
        EXPECT_EQ(job->targetFilePath(), output);
        EXPECT_EQ(videoSize(MediaFixtures::probe(output)), c.size);
    }
    EXPECT_TRUE(toolChildren().isEmpty());
}

TEST_F(ConverterEndToEnd, QuittingEndsEveryConversionChild)
{
    const QString longClip = MediaFixtures::makeClip(dir.path(), QStringLiteral("long.mp4"), {20.0, QStringLiteral("640x480")});
    if (longClip.isEmpty())
        GTEST_SKIP() << "ffmpeg could not make the clip";
    page->importPaths({longClip});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->converlist().size() == 1; }, 30000));
    convert(longClip, 1);
    const auto job = std::dynamic_pointer_cast<TBVideoConvertTask>(itemOf(longClip)->converterItem());
    ASSERT_TRUE(job);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return job->hasToolProcess() && !toolChildren().isEmpty(); }, 20000));
    NotificationCenter::defaultCenter().post(QStringLiteral("FENNIXPROWillQuitNotification"));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return toolChildren().isEmpty(); }, 10000));
}

// Stop from the row's menu while the real tool converts: the tool and its ffmpeg are gone at
// once, the partial output is in the Trash, not the output folder. A picture of the menu.
TEST_F(ConverterEndToEnd, StopFromTheRowMenuEndsTheToolItsFfmpegAndThePartialOutput)
{
    // MPEG-4 Part 2 into the H.264 preset: ffmpeg re-encodes for a while.
    MediaFixtures::ClipSpec clip{60.0, QStringLiteral("640x480")};
    clip.videoCodec = QStringLiteral("mpeg4");
    const QString longClip = MediaFixtures::makeClip(dir.path(), QStringLiteral("long.mp4"), clip);
    if (longClip.isEmpty())
        GTEST_SKIP() << "ffmpeg could not make the clip";
    page->importPaths({longClip});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->converlist().size() == 1; }, 30000));
    convert(longClip, 1);
    const auto item = itemOf(longClip);
    const auto job = std::dynamic_pointer_cast<TBVideoConvertTask>(item->converterItem());
    ASSERT_TRUE(job);
    const QString target = item->covertedFilePath();
    qint64 tool = 0;
    QList<qint64> grandchildren;
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] {
            const QList<qint64> tools = toolChildren();
            tool = tools.isEmpty() ? 0 : tools.first();
            grandchildren = tool ? MediaFixtures::childrenOf(tool) : QList<qint64>();
            return !grandchildren.isEmpty() && QFileInfo(target).size() > 0;
        },
        30000))
        << "the tool's ffmpeg writes " << target.toStdString();

    DownloadTableView *table = page->tableView();
    const QPoint at = table->visualRect(table->model()->index(0, 0)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseClick(table->viewport(), Qt::RightButton, {}, at);
    QMenu *menu = page->contextMenu();
    ASSERT_TRUE(menu->isVisible());
    QAction *stop = page->menuItem(QStringLiteral("stopItems:"));
    ASSERT_TRUE(stop && stop->isEnabled());
    menu->setActiveAction(stop);
    EXPECT_TRUE(menu->grab().save(QStringLiteral(CONVERT_GRAB_PATH).replace(".png", "-row-menu.png")));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(stop).center());

    EXPECT_EQ(job->taskStatus(), ConvertJob::StoppedByUser);
    EXPECT_EQ(item->taskStatus(), DownloadedItem::TaskNone);
    EXPECT_EQ(MediaFixtures::processState(tool), 0) << "the tool is gone when Stop returns";
    for (qint64 ffmpeg : grandchildren)
        EXPECT_TRUE(TestEnvironment::waitFor([&] { const char st = MediaFixtures::processState(ffmpeg); return st == 0 || st == 'Z'; }, 5000))
            << "ffmpeg " << ffmpeg;
    EXPECT_FALSE(QFileInfo::exists(target)) << "the partial output left the folder";
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(TestEnvironment::home() + QStringLiteral("/.local/share/Trash/files/") + QFileInfo(target).fileName()));
    EXPECT_TRUE(toolChildren().isEmpty());
    EXPECT_FALSE(page->isHasTask());
}

// With "Open the output folder when the conversion is done." ticked in the sheet, the folder
// opens once, after the last of the batch's conversions.
TEST_F(ConverterEndToEnd, TickedBoxOpensTheOutputFolderAfterTheBatch)
{
    const QString alpha = MediaFixtures::makeClip(dir.path(), QStringLiteral("alpha.mp4"), {1.0, QStringLiteral("320x240")});
    const QString beta = MediaFixtures::makeClip(dir.path(), QStringLiteral("beta.mp4"), {1.0, QStringLiteral("320x240")});
    if (alpha.isEmpty() || beta.isEmpty())
        GTEST_SKIP() << "ffmpeg could not make the clips";
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &action, const QStringList &targets) {
        opened << action + QLatin1Char(' ') + targets.join(QLatin1Char(','));
        return true;
    });
    page->setSheetShower([this](ConvFromatController *sheet) {
        sheet->prepareForShowing();
        sheet->formatControl()->setSelSubItemID(preset, 1);
        QTest::mouseClick(sheet->openFolderBox(), Qt::LeftButton);
        sheet->clickDone();
    });
    page->importPaths({alpha, beta});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->converlist().size() == 2; }, 30000));
    page->selectRows({0, 1});
    page->convertItems();
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] {
            return itemOf(alpha)->taskStatus() == DownloadedItem::TaskFinished
                   && itemOf(beta)->taskStatus() == DownloadedItem::TaskFinished && !opened.isEmpty();
        },
        120000));
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    Workspace::setHookForTesting(nullptr);
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + QUrl::fromLocalFile(out).toString()});
}

// Four rows, one in each state a user meets, drawn into a picture to look at.
TEST_F(ConverterEndToEnd, PictureOfThePageWithRowsInEveryState)
{
    const QString sleeper = MediaFixtures::writeScript(dir.path(), QStringLiteral("sleeper.sh"), QStringLiteral("exec sleep 60"));
    ScopedTool tool(sleeper);
    // Empty, the page shows its guide over the whole list, also after the window grew.
    window.resize(1100, 640);
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_TRUE(page->guideBox()->isVisible());
    EXPECT_EQ(page->guideBox()->geometry(), page->tableView()->geometry());
    EXPECT_TRUE(window.grab().toImage().save(QStringLiteral(CONVERT_GRAB_PATH).replace(".png", "-empty.png")));
    window.resize(960, 560);
    QList<std::shared_ptr<DownloadedItem>> items;
    const char *names[] = {"Failed clip.avi", "Finished clip.mkv", "Paused clip.mov", "Converting clip.mp4"};
    for (const char *name : names) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3 * 1024 * 1024, 'x'));
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(path);
        item->setTime(95);
        item->setVideoSize(f.size());
        item->setVideoWidth(1280);
        item->setVideoHeight(720);
        item->setResolution(720);
        items << item;
    }
    page->mediaLoaderDidEndLoadFiles(items); // rows: converting, paused, finished, failed
    page->convertAll();
    const auto rows = page->converlist();
    auto item = [&](int row) { return rows[row]->downloadItem(); };
    ASSERT_EQ(item(0)->taskStatus(), DownloadedItem::TaskWaiting);
    item(0)->convertTaskDidChangeProgress(*item(0)->converterItem(), 42);
    page->taskItemWillPause(rows[1]);
    for (int row : {2, 3}) {
        page->stopTaskItemForDownloadedItem(rows[row], false);
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return item(row)->taskStatus() == DownloadedItem::TaskNone; }, 5000));
    }
    item(2)->setTaskStatus(DownloadedItem::TaskFinished);
    item(2)->setPercent(100);
    item(2)->setCovertedFilePath(dir.filePath(QStringLiteral("Finished clip_1280x720_MP4.mp4")));
    item(2)->setTaskFinishStr(QStringLiteral("Converted"));
    item(2)->sendTaskDidChangeState();
    item(3)->setTaskStatus(DownloadedItem::TaskFailed);
    item(3)->sendTaskDidChangeState();
    page->selectRows({});
    page->refresh();
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    const QImage shot = window.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral(CONVERT_GRAB_PATH)));
    EXPECT_EQ(page->stateText(), QStringLiteral("4 items"));
}
