// The Online page inside the real main window, next to the real Download page whose running
// list starts real helper processes: a page with a video served from 127.0.0.1 shows the
// download button, a click puts the page on the running list and starts the fly-in from the
// button; a page without media shows no button and adds nothing.
#include "controls/AddToTaskAnimationWnd.h"
#include "controls/MGHoverButton.h"
#include "downloads/DownloadPageRegistration.h"
#include "downloads/DownloadViewCtrl.h"
#include "downloads/DownloadingViewCtr.h"
#include "downloads/OnlineRegistration.h"
#include "downloads/OnlineViewCtrl.h"
#include "downloads/OnlineWebViewCtrl.h"
#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"
#include "platform/AppPaths.h"
#include "platform/NotificationCenter.h"
#include "reelgrab/QVReelgrabTask.h"
#include "shell/AppDelegate.h"
#include "shell/MainWindowCtrl.h"
#include "shell/ShellRegistry.h"

#include "LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const bool sandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

LoopbackServer::Resource htmlPage(const std::string &body)
{
    LoopbackServer::Resource r;
    r.contentType = "text/html; charset=utf-8";
    r.body = body;
    return r;
}

class OnlinePageEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVReelgrabTask::setHelperExecutable(QStringLiteral(REELGRAB_PROGRAM));
        QApplication::setQuitOnLastWindowClosed(false);
        registerDownloadPage();
        registerOnlinePage();
        AppDelegate::initializeClass();
        delegate = std::make_unique<AppDelegate>();
        delegate->launch();
        ctrl = delegate->mainWindowCtrl();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ctrl->window()));
        download = dynamic_cast<DownloadViewCtrl *>(ctrl->page(ShellRegistry::Download));
        ASSERT_NE(download, nullptr) << "the main window opens the Download page at start";
        ctrl->gotoOnlineView();
        online = dynamic_cast<OnlineViewCtrl *>(ctrl->page(ShellRegistry::Online));
        ASSERT_NE(online, nullptr);

        server.add("/watch/clip-page.html",
                   htmlPage("<html><head><title>Clip</title></head><body><h1>Clip</h1>"
                            "<video controls src=\"/media/clip.mp4\"></video></body></html>"));
        server.add("/reading/plain-page.html",
                   htmlPage("<html><head><title>Plain</title></head><body><p>Only words.</p></body></html>"));
    }
    void TearDown() override
    {
        if (download)
            download->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
        if (delegate)
            delegate->applicationWillTerminate();
        delegate.reset();
        QVReelgrabTask::setHelperExecutable(QString());
    }
    QString url(const std::string &path) const { return QString::fromStdString(server.url(path)); }
    // Loads an address through the address field; answers whether the page was judged to hold
    // media (the answer given after the load finished).
    bool load(const QString &address, bool *media)
    {
        online->addressField()->setText(address);
        if (!online->addressEntered())
            return false;
        bool finished = false;
        int answers = 0;
        QObject guard;
        QObject::connect(online->webCtrl()->webView(), &QWebEngineView::loadFinished, &guard, [&] { finished = true; });
        QObject::connect(online, &OnlineViewCtrl::mediaCheckDone, &guard, [&](bool m) {
            if (finished) {
                ++answers;
                *media = m;
            }
        });
        return TestEnvironment::waitFor([&] { return answers > 0; }, 60000);
    }
    QStringList listedAddresses() const
    {
        QStringList out;
        for (QVReelgrabTask *t : download->downloadingList()->reelgrabDispatcher()->tasks())
            out << t->storedPageUrl();
        return out;
    }

    LoopbackServer server;
    std::unique_ptr<AppDelegate> delegate;
    MainWindowCtrl *ctrl = nullptr;
    DownloadViewCtrl *download = nullptr;
    OnlineViewCtrl *online = nullptr;
};

TEST_F(OnlinePageEndToEnd, ADownloadClickPutsThePageOnTheRunningList)
{
    const QString address = url("/watch/clip-page.html");
    bool media = false;
    ASSERT_TRUE(load(address, &media));
    ASSERT_TRUE(media);
    MGHoverButton *button = online->downloadButton();
    ASSERT_TRUE(button->isVisible());
    EXPECT_EQ(online->addressField()->text(), address);
    // Tasks of earlier tests come back from the stored running list; only ours is new.
    const QStringList before = listedAddresses();
    ASSERT_FALSE(before.contains(address));

    QStringList order;
    QObject observer;
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    for (const char *name : {"DragURLToMainApp", "OnlineDownloadedFinishNotification"})
        nc.addObserver(&observer, QString::fromLatin1(name), [&](const Notification &n) { order << n.name; });

    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    nc.removeObserver(&observer);
    EXPECT_EQ(order, (QStringList{QStringLiteral("DragURLToMainApp"), QStringLiteral("OnlineDownloadedFinishNotification")}));

    // The page's address is on the real running list, with a row.
    EXPECT_EQ(listedAddresses(), before + QStringList{address});
    DownloadingViewCtr *list = download->downloadingList();
    EXPECT_EQ(list->tasksCount(), before.size() + 1);
    EXPECT_TRUE(list->isTaskAdd());
    QVReelgrabTask *task = list->reelgrabDispatcher()->tasks().value(before.size());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->storedPageUrl(), address);
    EXPECT_NE(list->nodeForTask(task), nullptr);

    // The main window answered the second notification: one fly-in towards Download, starting
    // where the button sits (its lower left corner), not mirrored to the other half.
    AddToTaskAnimationWnd *flyIn = ctrl->addToTaskAnimationWnd();
    ASSERT_NE(flyIn, nullptr);
    ASSERT_EQ(flyIn->flightCount(), 1);
    const QRectF start = flyIn->flightRect(0);
    const QPoint lowerLeft = button->mapTo(ctrl->window(), QPoint(0, button->height()));
    EXPECT_NEAR(start.left(), lowerLeft.x(), 2.0);
    EXPECT_NEAR(start.bottom(), lowerLeft.y(), 2.0);
    EXPECT_EQ(start.size(), QSizeF(40, 40));

    // The task runs on (or has failed) without the Online page's help; it need not finish here.
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return task->downloadStatus() != 0 || task->hasHelperProcess(); }, 30000));
}

TEST_F(OnlinePageEndToEnd, APageWithoutMediaShowsNoButtonAndAddsNothing)
{
    const QStringList before = listedAddresses();
    bool media = true;
    ASSERT_TRUE(load(url("/reading/plain-page.html"), &media));
    EXPECT_FALSE(media);
    EXPECT_FALSE(online->downloadButton()->isVisible());

    // After a page with media, a plain page hides the button again.
    ASSERT_TRUE(load(url("/watch/clip-page.html"), &media));
    EXPECT_TRUE(online->downloadButton()->isVisible());
    ASSERT_TRUE(load(url("/reading/plain-page.html"), &media));
    EXPECT_FALSE(media);
    EXPECT_FALSE(online->downloadButton()->isVisible());
    EXPECT_EQ(listedAddresses(), before);
    EXPECT_TRUE(!ctrl->addToTaskAnimationWnd() || ctrl->addToTaskAnimationWnd()->flightCount() == 0);
}

// Run as root, loading a page on the Online page never ends the application: the engine starts
// without its sandbox and the log says so. The case runs again in a child process whose
// environment lacks the tests' own sandbox switch, as a user's start would.
class OnlinePageAsRoot : public OnlinePageEndToEnd
{
protected:
    static constexpr const char *ChildMark = "FENNIX_ONLINE_AS_ROOT";
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "only root meets the engine's refusal";
        if (qEnvironmentVariableIsSet(ChildMark))
            qunsetenv("QTWEBENGINE_DISABLE_SANDBOX"); // before the first page, as at a user's start
        OnlinePageEndToEnd::SetUp();
    }
};

TEST_F(OnlinePageAsRoot, LoadingAPageNeverEndsTheApplication)
{
    if (qEnvironmentVariableIsSet(ChildMark)) {
        bool media = true;
        ASSERT_TRUE(load(url("/reading/plain-page.html"), &media));
        EXPECT_FALSE(media);
        QFile log(AppPaths::logFolder() + QStringLiteral("/FennixPro.log"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(log.readAll().contains("running as root: the web engine starts without its sandbox"));
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    env.insert(QString::fromLatin1(ChildMark), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=OnlinePageAsRoot.*")});
    ASSERT_TRUE(child.waitForStarted(10000));
    ASSERT_TRUE(child.waitForFinished(240000));
    const QByteArray output = child.readAll();
    EXPECT_FALSE(output.contains("Running as root without --no-sandbox is not supported")) << output.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[       OK ] OnlinePageAsRoot.LoadingAPageNeverEndsTheApplication")) << output.toStdString();
}

} // namespace
