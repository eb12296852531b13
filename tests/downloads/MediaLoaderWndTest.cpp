#include "controls/MTThreePartButton.h"
#include "downloads/DownloadedItem.h"
#include "downloads/MediaLoaderWnd.h"
#include "shell/MGMessageBox.h"
#include "support/TestEnvironment.h"
#include "tools/swiftcarry/MediaFixtures.h"

#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class Receiver : public MediaLoaderControllerDelegate
{
public:
    void mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items) override
    {
        ++calls;
        for (const auto &i : items)
            paths << i->filePath();
    }
    int calls = 0;
    QStringList paths;
};

struct AlertCatcher
{
    AlertCatcher()
    {
        MGMessageBox::setRunHookForTesting([this](MGMessageBox *box) {
            notes << box->noteTextField()->text();
            QTimer::singleShot(0, box, [box] { box->done(1); });
        });
    }
    ~AlertCatcher() { MGMessageBox::setRunHookForTesting({}); }
    QStringList notes;
};

class MediaLoaderWndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        good = MediaFixtures::makeClip(dir.path(), QStringLiteral("good.mp4"), {1.0, QStringLiteral("320x240")});
        bad = MediaFixtures::makeCorrupt(dir.path(), QStringLiteral("bad.mp4"));
        if (good.isEmpty())
            GTEST_SKIP() << "ffmpeg could not make a clip";
        window.resize(800, 500);
        window.show();
    }
    // The sheet goes with deleteLater(); outside a running event loop those wait to be sent.
    MediaLoaderWnd *sheetOf() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.findChild<MediaLoaderWnd *>();
    }

    QTemporaryDir dir;
    QString good, bad;
    QMainWindow window;
};

} // namespace

TEST_F(MediaLoaderWndTest, SheetShowsWhileLoadingThenNamesTheUnreadableFile)
{
    AlertCatcher alerts;
    Receiver receiver;
    std::weak_ptr<MediaLoaderController> weak = MediaLoaderWnd::importFiles(&window, {good, bad}, &receiver);
    MediaLoaderWnd *sheet = sheetOf();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->isSpinning());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->progressText(), QStringLiteral("Importing file(s)..."));
    EXPECT_EQ(sheet->cancelButton()->title(), QStringLiteral("Cancel"));

    ASSERT_TRUE(TestEnvironment::waitFor([&] { return receiver.calls > 0; }, 20000));
    EXPECT_EQ(receiver.paths, QStringList{good});
    ASSERT_EQ(alerts.notes.size(), 1);
    EXPECT_EQ(alerts.notes.first(), QStringLiteral("Importing completed. 1 video(s) failed to import:\nbad.mp4"));
    // The caller kept nothing: loader and sheet go away once the tool has ended.
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return weak.expired() && !sheetOf(); }, 5000));
}

TEST_F(MediaLoaderWndTest, CancelClosesTheSheetAndTellsNobody)
{
    AlertCatcher alerts;
    Receiver receiver;
    auto loader = MediaLoaderWnd::importFiles(&window, {good, bad}, &receiver);
    MediaLoaderWnd *sheet = window.findChild<MediaLoaderWnd *>();
    ASSERT_NE(sheet, nullptr);
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !sheet->isVisible(); }, 5000));
    EXPECT_TRUE(loader->isCancelled());
    EXPECT_FALSE(loader->isLoading());
    EXPECT_FALSE(sheet->cancelButton()->isEnabled());
    loader.reset();
    // The sheet goes once the tool has ended: whatever it still reported has been heard.
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return !sheetOf(); }, 5000));
    EXPECT_EQ(receiver.calls, 0);
    EXPECT_TRUE(alerts.notes.isEmpty());
}

TEST_F(MediaLoaderWndTest, NothingToImportShowsNothing)
{
    Receiver receiver;
    auto loader = MediaLoaderWnd::importFiles(&window, {}, &receiver);
    EXPECT_FALSE(loader->isLoading());
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return !sheetOf(); }, 2000));
    EXPECT_EQ(receiver.calls, 0);
}
