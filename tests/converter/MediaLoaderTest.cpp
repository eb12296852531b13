#include "ConverterFixtures.h"
#include "converter/MediaLoaderController.h"
#include "downloads/DownloadedItem.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "platform/NamedConnection.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SheetRecorder : public MediaLoaderSheet
{
public:
    void beginSheet(QObject *, const QString &text) override
    {
        ++begun;
        texts << text;
    }
    void setProgressText(const QString &text) override { texts << text; }
    void setCancelEnabled(bool) override {}
    void endSheet() override { ++ended; }
    void showAlert(const QString &, const QString &informative) override { alerts << informative; }
    int begun = 0;
    int ended = 0;
    QStringList texts;
    QStringList alerts;
};

class LoaderRecorder : public MediaLoaderControllerDelegate
{
public:
    void mediaLoaderDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items) override
    {
        ++localCalls;
        result = items;
    }
    void networkDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items, const QVariant &id) override
    {
        ++networkCalls;
        result = items;
        lastID = id;
    }
    int localCalls = 0;
    int networkCalls = 0;
    QList<std::shared_ptr<DownloadedItem>> result;
    QVariant lastID = QStringLiteral("unset");
};

class MediaLoaderTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_good = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("good.mp4"), {1.0, QStringLiteral("320x240")});
        s_bad = MediaFixtures::makeCorrupt(s_dir->path(), QStringLiteral("bad.mp4"));
    }
    static void TearDownTestSuite() { delete s_dir; }
    static QTemporaryDir *s_dir;
    static QString s_good;
    static QString s_bad;
};
QTemporaryDir *MediaLoaderTest::s_dir = nullptr;
QString MediaLoaderTest::s_good;
QString MediaLoaderTest::s_bad;

} // namespace

TEST_F(MediaLoaderTest, GoodAndCorruptFileGiveOneItemAndOneAlert)
{
    ASSERT_FALSE(s_good.isEmpty());
    SheetRecorder sheet;
    LoaderRecorder delegate;
    std::weak_ptr<MediaLoaderController> weak;
    {
        auto loader = std::make_shared<MediaLoaderController>();
        weak = loader;
        loader->setSheet(&sheet);
        loader->setDelegate(&delegate);
        loader->runModalForMainWindow(nullptr, {s_good, s_bad});
    }
    // The caller let go; the running loader keeps itself alive until its tool ends.
    ASSERT_FALSE(weak.expired());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.localCalls > 0; }, 20000));
    EXPECT_EQ(delegate.localCalls, 1);
    ASSERT_EQ(delegate.result.size(), 1);
    const auto &item = delegate.result.first();
    EXPECT_EQ(item->filePath(), s_good);
    EXPECT_EQ(item->time(), 1);
    EXPECT_EQ(item->resolution(), 240);
    EXPECT_EQ(item->videoWidth(), 320);
    EXPECT_EQ(item->videoSize(), QFileInfo(s_good).size());
    EXPECT_TRUE(item->addDate().isValid());
    EXPECT_EQ(sheet.begun, 1);
    EXPECT_EQ(sheet.ended, 1);
    EXPECT_EQ(sheet.texts.first(), QStringLiteral("Importing file(s)..."));
    EXPECT_TRUE(sheet.texts.contains(QStringLiteral("Importing files(1/2):\r\ngood.mp4")));
    ASSERT_EQ(sheet.alerts.size(), 1);
    EXPECT_EQ(sheet.alerts.first(), QStringLiteral("Importing completed. 1 video(s) failed to import:\r\nbad.mp4"));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return weak.expired(); }, 2000));
}

TEST_F(MediaLoaderTest, NetworkModeHasNoSheetAndNoIdentifier)
{
    SheetRecorder sheet;
    LoaderRecorder delegate;
    auto loader = std::make_shared<MediaLoaderController>();
    loader->setSheet(&sheet);
    loader->setDelegate(&delegate);
    loader->loadMediaFiles({s_good}, QVariant(77));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.networkCalls > 0; }, 20000));
    EXPECT_EQ(delegate.result.size(), 1);
    EXPECT_FALSE(delegate.lastID.isValid());
    EXPECT_EQ(sheet.begun, 0);
    EXPECT_EQ(sheet.ended, 0);
    EXPECT_TRUE(sheet.alerts.isEmpty());
}

TEST_F(MediaLoaderTest, EmptyListDoesNothing)
{
    SheetRecorder sheet;
    LoaderRecorder delegate;
    auto loader = std::make_shared<MediaLoaderController>();
    loader->setSheet(&sheet);
    loader->setDelegate(&delegate);
    loader->runModalForMainWindow(nullptr, {});
    loader->loadMediaFiles({}, {});
    EXPECT_FALSE(loader->isLoading());
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_EQ(sheet.begun, 0);
    EXPECT_EQ(delegate.localCalls + delegate.networkCalls, 0);
}

// A tool that cannot start, or leaves without its reports, still ends the run: the sheet
// closes and the caller hears back.
TEST_F(MediaLoaderTest, MissingOrSilentToolEndsTheRun)
{
    QTemporaryDir scripts;
    const QString silent = MediaFixtures::writeScript(scripts.path(), QStringLiteral("silent.sh"), QStringLiteral("exit 3"));
    const QString crasher = MediaFixtures::writeScript(scripts.path(), QStringLiteral("crash.sh"), QStringLiteral("kill -9 $$"));
    for (const QString &tool : {scripts.filePath(QStringLiteral("absent")), silent, crasher}) {
        ScopedTool scoped(tool);
        SheetRecorder sheet;
        LoaderRecorder delegate;
        auto loader = std::make_shared<MediaLoaderController>();
        loader->setSheet(&sheet);
        loader->setDelegate(&delegate);
        loader->runModalForMainWindow(nullptr, {s_good});
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.localCalls > 0; }, 5000)) << tool.toStdString();
        EXPECT_TRUE(delegate.result.isEmpty());
        EXPECT_EQ(sheet.ended, 1);
        EXPECT_FALSE(loader->isLoading());
    }
}

TEST_F(MediaLoaderTest, CancelEndsWithoutDelegateOrAlert)
{
    SheetRecorder sheet;
    LoaderRecorder delegate;
    auto loader = std::make_shared<MediaLoaderController>();
    loader->setSheet(&sheet);
    loader->setDelegate(&delegate);
    loader->runModalForMainWindow(nullptr, {s_bad, s_bad, s_good});
    loader->cancelButtonClick();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !loader->isLoading(); }, 5000));
    // Reports the cancelled tool had queued have run by now, and changed nothing.
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_TRUE(loader->isCancelled());
    EXPECT_EQ(sheet.ended, 1);
    EXPECT_TRUE(sheet.alerts.isEmpty());
    EXPECT_EQ(delegate.localCalls, 0);
}

// A stand-in tool that only records its connection name, so the test can speak for it and send
// reports a real tool would not: odd sizes, other content, files nobody asked for, junk bytes.
TEST_F(MediaLoaderTest, ReportsAreCheckedBeforeTheyBecomeItems)
{
    using namespace SwiftcarryProtocol;
    QTemporaryDir scripts;
    const QString nameFile = scripts.filePath(QStringLiteral("name"));
    ScopedTool tool(MediaFixtures::writeScript(scripts.path(), QStringLiteral("standin.sh"),
                                               QStringLiteral("printf '%s' \"$1\" > '%1'\nexec sleep 60").arg(nameFile)));
    SheetRecorder sheet;
    LoaderRecorder delegate;
    auto loader = std::make_shared<MediaLoaderController>();
    loader->setSheet(&sheet);
    loader->setDelegate(&delegate);
    loader->loadMediaFilesFromLocal({s_good});
    QString name;
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] {
            QFile f(nameFile);
            name = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
            return !name.isEmpty();
        },
        5000));
    auto peer = NamedConnection::connectTo(name);
    ASSERT_TRUE(peer);
    auto report = [&](const QString &content, const QString &path, double w, double h) {
        QVariantMap m{{QStringLiteral("dictionary-content"), content},
                      {QStringLiteral("filePath"), path},
                      {QStringLiteral("duration"), 61},
                      {QStringLiteral("resolution"), QVariantMap{{QStringLiteral("width"), w}, {QStringLiteral("height"), h}}},
                      {QStringLiteral("fileIndex"), 1},
                      {QStringLiteral("filesCount"), 1}};
        peer->sendMessage(QLatin1String(MediaInfoDidLoad), archiveDictionary(m));
    };
    report(QStringLiteral("Swiftcarry-Convert-Progress"), s_good, 640, 480);  // other content
    report(QLatin1String(MediaInfoContent), QStringLiteral("/etc/passwd"), 640, 480);  // not asked for
    peer->sendMessage(QLatin1String(MediaInfoDidLoad), QByteArray("\xbf\xff\x00junk", 7));
    report(QLatin1String(MediaInfoContent), s_good, 1279.6, 719.9);
    report(QLatin1String(MediaInfoContent), s_good, 1e300, -1e300);  // absurd sizes read as 0
    peer->sendMessage(QLatin1String(MediaInfoDidEnd), {});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return loader->mediaFiles().size() == 2; }, 5000));
    const auto &item = loader->mediaFiles().first();
    EXPECT_EQ(item->videoWidth(), 1279);
    EXPECT_EQ(item->videoHeight(), 719);
    EXPECT_EQ(item->resolution(), 720);
    EXPECT_EQ(item->time(), 61);
    EXPECT_EQ(loader->mediaFiles().at(1)->videoWidth(), 0);
    // The stand-in is still running; the run ends when it goes.
    EXPECT_EQ(delegate.localCalls, 0);
    peer.reset();
    loader->cancelButtonClick();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !loader->isLoading(); }, 5000));
}
