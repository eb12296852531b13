// The "Download then Convert" switch and its output-format sheet (the stored choice the library
// converts with), the paste button's "Download MP3" menu, and the question after a helper update.
#include "SilentReelgrab.h"

#include "controls/AFSwitchControl.h"
#include "controls/EditMenu.h"
#include "controls/EditMenuItem.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "controls/MGPopupButton.h"
#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DatabaseLibraryHandoff.h"
#include "downloads/DownloadPageRegistration.h"
#include "downloads/FormatSheetHandoff.h"
#include "downloads/DownloadViewCtrl.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/Dispatch.h"
#include "platform/UserDefaults.h"
#include "shell/MGMessageBox.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString ParamKey = QStringLiteral("OneModeConvertSetingParam");
const QString ModeKey = QStringLiteral("values.DownAndConvertOneMode");

// A dictionary as the output-format sheet hands it on.
QVariantMap convertParam(const QString &title, int formatID, const IM_EncodeParamEx &block, bool itunes, bool finder,
                         bool merge)
{
    return QVariantMap{{"FormatTitle", title}, {"formatID", formatID}, {"encParam", EncodeParamData::toData(block)},
                       {"isExportToItunes", itunes}, {"isShowInFinder", finder}, {"isMergeSubtitle", merge}};
}

// Stands in for the converter's sheet: answers each showing with the next queued answer.
class ScriptedSheet : public QWidget, public FormatSheetHandoff
{
public:
    explicit ScriptedSheet(QWidget *parent) : QWidget(parent) {}
    void setCloseHandler(std::function<void(int, const QVariantMap &)> handler) override { m_handler = std::move(handler); }
    void setIsOneMode(bool on) override { oneMode = on; }
    void showSheet(QWidget *) override
    {
        ++shown;
        const auto [code, param] = answers.isEmpty() ? qMakePair(0, QVariantMap()) : answers.takeFirst();
        if (m_handler)
            m_handler(code, param);
    }
    QWidget *sheetWidget() override { return this; }
    static inline QList<QPair<int, QVariantMap>> answers;
    static inline int shown = 0;
    bool oneMode = false;

private:
    std::function<void(int, const QVariantMap &)> m_handler;
};

// Checks a dictionary as the library reads it: every key, its type, and the block inside.
void expectLibraryReadable(const QVariantMap &param, const QString &title, int formatID, bool itunes, bool finder,
                           bool merge, bool video, quint32 videoBps, quint32 audioBps)
{
    EXPECT_EQ(param.keys(), (QStringList{"FormatTitle", "encParam", "formatID", "isExportToItunes", "isMergeSubtitle",
                                         "isShowInFinder"}));
    EXPECT_EQ(param.value("FormatTitle").toString(), title);
    EXPECT_EQ(param.value("formatID").typeId(), QMetaType::Int);
    EXPECT_EQ(param.value("formatID").toInt(), formatID);
    for (const char *flag : {"isExportToItunes", "isShowInFinder", "isMergeSubtitle"})
        EXPECT_EQ(param.value(flag).typeId(), QMetaType::Bool) << flag;
    EXPECT_EQ(param.value("isExportToItunes").toBool(), itunes);
    EXPECT_EQ(param.value("isShowInFinder").toBool(), finder);
    EXPECT_EQ(param.value("isMergeSubtitle").toBool(), merge);
    ASSERT_EQ(param.value("encParam").typeId(), QMetaType::QByteArray);
    const QByteArray data = param.value("encParam").toByteArray();
    ASSERT_EQ(data.size(), 70480);
    IM_EncodeParamEx block;
    ASSERT_TRUE(EncodeParamData::fromData(data, &block));
    EXPECT_EQ(block.videoDisabled == 0, video) << title.toStdString();
    if (video) {
        EXPECT_EQ(block.videoBitrate, videoBps) << "bit rates are in bit/s";
    }
    EXPECT_EQ(block.audioBitrate, audioBps);
    EXPECT_EQ(block.presetDefaultsFlag, 1);
    EXPECT_EQ(block.smartFitMask & (IM_AutoResolution | IM_AutoFrameRate | IM_AutoVideoBitrate),
              quint32(IM_AutoResolution | IM_AutoFrameRate | IM_AutoVideoBitrate));
}

TEST(DownConvertSwitch, FormatStatisticsValueTable)
{
    const QPair<const char *, const char *> cases[] = {
        {"MP4", "wMP4"},
        {"MKV (Matroska)", "wMKV__Matroska_"},
        {"H.264, MP4 - HD (720p)", "wH.264__MP4___HD__720p_"},
        {"A-B-C (1) (2)", "wA_B-C__1__(2)"},
    };
    for (const auto &[title, value] : cases)
        EXPECT_EQ(DownloadViewCtrl::formatStatisticsValue(QString::fromUtf8(title)), QString::fromUtf8(value)) << title;
}

// The page over a silent queue -----------------------------------------------------------------

class PageFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SilentReelgrab::use();
        UserDefaults &d = UserDefaults::standard();
        d.removeObjectForKey(ParamKey);
        d.setBool(ModeKey, false);
        static int n = 0;
        const QString folder = TestEnvironment::home() + QStringLiteral("/convert-page-%1").arg(++n);
        QDir().mkpath(folder);
        db = std::make_unique<DataBaseManager>(folder);
        page = std::make_unique<DownloadViewCtrl>(std::make_unique<DatabaseLibraryHandoff>(db.get()), db->databasePath());
        page->view()->resize(1000, 600);
        page->downloadingList()->setOptionsDialog([this](const QString &url, const QString &) {
            ++dialogs;
            return DownloadContentRules::OptionsChoice{0, 0, {}, {}};
        });
    }
    void TearDown() override
    {
        setFormatSheetFactory({});
        MGMessageBox::setRunHookForTesting(nullptr);
        page->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
        page.reset();
        g_formatMgr.reset();
        SilentReelgrab::release();
    }
    QLabel *convertLabel() const
    {
        for (QLabel *l : page->view()->findChildren<QLabel *>())
            if (l->text().startsWith(QStringLiteral("Download then Convert")))
                return l;
        return nullptr;
    }
    static void press(QWidget *w)
    {
        const QPointF at(5, w->height() / 2.0);
        QMouseEvent e(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
        QMouseEvent r(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &r);
    }
    std::unique_ptr<DataBaseManager> db;
    std::unique_ptr<DownloadViewCtrl> page;
    int dialogs = 0;
};

using DownConvertSwitchPage = PageFixture;

TEST_F(DownConvertSwitchPage, SheetAnswerTable)
{
    UserDefaults &d = UserDefaults::standard();
    IM_EncodeParamEx block = EncodeParamData::zeroed();
    const QVariantMap mp4 = convertParam("MP4", 1, block, false, false, true);
    const QVariantMap mp3 = convertParam("MP3", 100, block, true, false, false);
    struct Case
    {
        const char *name;
        int code;
        QVariantMap param;
        bool modeAfter;
        QVariantMap storedAfter;
        const char *label;
    };
    const Case cases[] = {
        {"cancel", 0, {}, false, {}, "Download then Convert"},
        {"ok without a dictionary", 1, {}, false, {}, "Download then Convert"},
        {"code 0 with a dictionary", 0, mp4, false, {}, "Download then Convert"},
        {"ok", 1, mp4, true, mp4, "Download then Convert to MP4"},
        {"another choice replaces it", 1, mp3, true, mp3, "Download then Convert to MP3"},
        {"cancel later keeps it", 0, {}, true, mp3, "Download then Convert to MP3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 formatCount = QVHPHelper::share().count("Id_DC_Format", DownloadViewCtrl::formatStatisticsValue(
                                                                                 c.param.value("FormatTitle").toString()));
        page->paramWindowClose(c.code, c.param);
        EXPECT_EQ(d.boolForKey(ModeKey), c.modeAfter);
        EXPECT_EQ(page->convertSwitch()->state() != 0, c.modeAfter);
        EXPECT_EQ(d.dictionaryForKey(ParamKey), c.storedAfter);
        ASSERT_TRUE(convertLabel());
        EXPECT_EQ(convertLabel()->text(), QString::fromUtf8(c.label));
        const bool accepted = c.code != 0 && !c.param.isEmpty();
        EXPECT_EQ(QVHPHelper::share().count("Id_DC_Format", DownloadViewCtrl::formatStatisticsValue(
                                                               c.param.value("FormatTitle").toString())),
                  formatCount + (accepted ? 1 : 0));
    }

    // Switching off: the mode is NO, the label plain; the stored choice stays for next time.
    const qint64 offs = QVHPHelper::share().count("Id_DC", "Id_DC_OFF");
    page->convertSwitch()->setState(0);
    EXPECT_FALSE(d.boolForKey(ModeKey));
    EXPECT_TRUE(d.hasUserValue(ModeKey)) << "NO is written, not just forgotten";
    EXPECT_EQ(convertLabel()->text(), QStringLiteral("Download then Convert"));
    EXPECT_EQ(QVHPHelper::share().count("Id_DC", "Id_DC_OFF"), offs + 1);
    EXPECT_EQ(d.dictionaryForKey(ParamKey), mp3);
}

TEST_F(DownConvertSwitchPage, ClickingTheSwitchAsksForTheFormatEvenWithAnEmptyList)
{
    ASSERT_EQ(page->downloadingList()->tasksCount(), 0);
    QWidget *window = page->view();
    window->show();
    // Without a sheet maker the switch cannot turn on.
    press(page->convertSwitch());
    EXPECT_EQ(page->convertSwitch()->state(), 0);

    int made = 0;
    setFormatSheetFactory([&](QWidget *parent) {
        ++made;
        return new ScriptedSheet(parent);
    });
    ScriptedSheet::shown = 0;
    ScriptedSheet::answers = {{0, {}}};
    press(page->convertSwitch());
    EXPECT_EQ(ScriptedSheet::shown, 1);
    EXPECT_EQ(page->convertSwitch()->state(), 0) << "cancelled: the mode stays off";
    EXPECT_FALSE(UserDefaults::standard().boolForKey(ModeKey));

    const qint64 ons = QVHPHelper::share().count("Id_DC", "Id_DC_ON");
    IM_EncodeParamEx block = EncodeParamData::zeroed();
    block.presetDefaultsFlag = 1;
    block.videoBitrate = 4'000'000;
    block.audioBitrate = 192'000;
    block.smartFitMask = IM_AutoResolution | IM_AutoFrameRate | IM_AutoVideoBitrate;
    ScriptedSheet::answers = {{1, convertParam("MKV (Matroska)", 7, block, false, false, false)}};
    press(page->convertSwitch());
    EXPECT_EQ(ScriptedSheet::shown, 2);
    EXPECT_EQ(made, 1) << "one sheet, kept for the next choice";
    EXPECT_TRUE(static_cast<ScriptedSheet *>(page->formatSheet()->sheetWidget())->oneMode);
    EXPECT_EQ(page->convertSwitch()->state(), 1);
    EXPECT_EQ(QVHPHelper::share().count("Id_DC", "Id_DC_ON"), ons + 1);

    // What another process reads from the settings file is the same dictionary, types included.
    ASSERT_TRUE(UserDefaults::standard().synchronize());
    UserDefaults reader(UserDefaults::standard().filePath());
    EXPECT_TRUE(reader.boolForKey(ModeKey));
    expectLibraryReadable(reader.dictionaryForKey(ParamKey), QStringLiteral("MKV (Matroska)"), 7, false, false, false,
                          true, 4'000'000, 192'000);
}

// The arrow of the paste button ------------------------------------------------------------------

using PasteArrowMenu = PageFixture;

TEST_F(PasteArrowMenu, OneSelectedItemThatQueuesAudioWithoutTheDialog)
{
    QWidget *window = page->view();
    window->show();
    page->clickPopupButton();
    EditMenu *menu = page->pasteListMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->width(), page->pasteButton()->width());
    EXPECT_EQ(menu->height(), 38);
    EXPECT_EQ(menu->knobWidth(), 0);
    ASSERT_EQ(menu->count(), 1);
    EXPECT_EQ(menu->menuItemAtIndex(0)->title(), QStringLiteral("Download MP3"));
    EXPECT_TRUE(menu->menuItemAtIndex(0)->isSelected());

    QApplication::clipboard()->setText(QStringLiteral("https://www.youtube.com/watch?v=song"));
    ASSERT_TRUE(menu->menuItemAtIndex(0)->sendTargetAction());
    const QList<QVReelgrabTask *> tasks = page->downloadingList()->reelgrabDispatcher()->tasks();
    ASSERT_EQ(tasks.size(), 1);
    EXPECT_EQ(tasks[0]->downloadContent(), 4);
    EXPECT_EQ(dialogs, 0) << "MP3 never asks, even for a YouTube page";

    // Each arrow click makes the menu anew.
    page->clickPopupButton();
    ASSERT_TRUE(page->pasteListMenu());
    EXPECT_NE(page->pasteListMenu(), menu);
    EXPECT_EQ(page->pasteListMenu()->count(), 1);
}

TEST_F(PasteArrowMenu, AClickOnTheArrowOpensTheMenuAndLeavesItOpen)
{
    QWidget *window = page->view();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    MGPopupButton *button = page->pasteButton();
    const QPoint arrow(button->width() - 12, button->height() / 2);
    // Press and release on the arrow, as a click is made: the release must not close it.
    QTest::mousePress(button, Qt::LeftButton, {}, arrow);
    QTest::mouseRelease(button, Qt::LeftButton, {}, arrow);
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    ASSERT_TRUE(page->pasteListMenu());
    EXPECT_TRUE(page->pasteListMenu()->isVisible()) << "the menu closed when the opening click ended";

    // A click elsewhere closes it.
    EditMenu *menu = page->pasteListMenu();
    const QPoint outside = menu->mapFromGlobal(window->mapToGlobal(QPoint(window->width() - 5, window->height() - 5)));
    QTest::mousePress(menu, Qt::LeftButton, {}, outside);
    QTest::mouseRelease(menu, Qt::LeftButton, {}, outside);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return !menu->isVisible(); }, 2000));
}

// After a helper update ------------------------------------------------------------------------

using KitUpdate = PageFixture;

TEST_F(KitUpdate, RelaunchNowPausesEverythingAndStartsTheProgramAgainAfterThisProcess)
{
    DownloadingViewCtr *list = page->downloadingList();
    // One task at a time: the second waits in the queue, where a pause shows at once.
    ASSERT_TRUE(list->addReelgrabTask(QStringLiteral("https://videos.example.com/a.mp4"), QVariantMap(), false));
    ASSERT_TRUE(list->addReelgrabTask(QStringLiteral("https://videos.example.com/b.mp4"), QVariantMap(), false));
    QVReelgrabTask *task = list->reelgrabDispatcher()->tasks().constLast();
    ASSERT_EQ(task->downloadStatus(), QVReelgrabTaskStatusQueued);
    QList<QPair<QString, QStringList>> relaunches;
    list->setRelaunchHandler([&](const QString &program, const QStringList &args) { relaunches.append({program, args}); });
    struct Case
    {
        int answer;
        bool relaunched;
    };
    for (const Case c : {Case{MGMessageBox::OtherButton, false}, Case{MGMessageBox::Closed, false},
                         Case{MGMessageBox::DefaultButton, true}}) {
        QStringList texts;
        MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
            texts << box->messageTextField()->text() << box->yesButton()->title() << box->noButton()->title();
            QTimer::singleShot(0, box, [box, a = c.answer] { box->done(a); });
        });
        // The helper's report may come from another thread: the question still runs here.
        QThread *caller = QThread::create([list] { list->reelgrabKitUpdateDidComplete2(QStringLiteral("2.0")); });
        caller->start();
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return caller->isFinished(); }, 10000));
        delete caller;
        EXPECT_EQ(texts, (QStringList{"Please relaunch to complete this update.", "Relaunch Now", "Cancel"}));
        EXPECT_EQ(relaunches.size(), c.relaunched ? 1 : 0) << c.answer;
        if (!c.relaunched) {
            EXPECT_EQ(task->downloadStatus(), QVReelgrabTaskStatusQueued) << "nothing is paused";
        }
    }
    ASSERT_EQ(relaunches.size(), 1);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return task->downloadStatus() == QVReelgrabTaskStatusPaused ||
                                                      task->downloadStatus() == 2; }, 10000))
        << task->downloadStatus();
    EXPECT_EQ(relaunches[0].first, QStringLiteral("/bin/sh"));
    const QStringList expected = DownloadingViewCtr::relaunchArguments(
        QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1), QCoreApplication::applicationPid());
    EXPECT_EQ(relaunches[0].second, expected);
}

TEST(KitUpdateRelaunch, TheShellWaitsForTheProcessThenRunsTheProgramWithHostileNamesKeptApart)
{
    // The script runs for real: it waits for a process that has ended and then runs the
    // "program" (here a shell writing its arguments), whose names never become script text.
    const QString out = TestEnvironment::home() + QStringLiteral("/relaunch-out.txt");
    const QString program = QStringLiteral("/bin/sh");
    const QStringList args{QStringLiteral("-c"), QStringLiteral("printf '%s|' \"$@\" > \"$0\""), out,
                           QStringLiteral("a b"), QStringLiteral("$(touch pwned)"), QStringLiteral("; rm -rf x")};
    QProcess gone;
    gone.start(QStringLiteral("/bin/true"));
    ASSERT_TRUE(gone.waitForFinished(5000));
    const qint64 pid = gone.processId() > 0 ? gone.processId() : 999999;
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), DownloadingViewCtr::relaunchArguments(program, args, pid));
    ASSERT_TRUE(shell.waitForFinished(10000));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), QStringLiteral("a b|$(touch pwned)|; rm -rf x|"));
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + QStringLiteral("/pwned")));
}

} // namespace
