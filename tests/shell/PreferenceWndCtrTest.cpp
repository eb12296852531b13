#include "controls/AFSwitchControl.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "shell/GolobFun.h"
#include "shell/MGMessageBox.h"
#include "shell/PreferenceWndCtr.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

namespace {

class PreferencesFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QVariantMap info = MainBundle::infoDictionary();
        m_savedInfo = info;
        info.insert(QStringLiteral("DisableUpdate"), false);
        MainBundle::setInfoDictionaryForTesting(info);
        defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("prefs.ini")));
        defaults->registerDefaults(GolobFun::defaultValues());
    }
    void TearDown() override
    {
        MainBundle::setInfoDictionaryForTesting(m_savedInfo);
        PreferenceWndCtr::setFolderChooserForTesting({});
        MGMessageBox::setRunHookForTesting({});
    }
    QString folder(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    QTemporaryDir m_dir;
    QVariantMap m_savedInfo;
    std::unique_ptr<UserDefaults> defaults;
};

TEST_F(PreferencesFixture, LoadsStoredValuesAndFallsBackForUnofferedOnes)
{
    defaults->setInteger(QStringLiteral("numberOfDownload"), 0);
    defaults->setString(QStringLiteral("DesiredDownloadFormat"), QStringLiteral("Bogus"));
    defaults->setString(QStringLiteral("DefaultSubtitleLanguageCode"), QStringLiteral("ja"));
    defaults->setBool(QStringLiteral("YouTubeAutoDownloadMode"), true);
    const QString downloads = folder(QStringLiteral("dl"));
    defaults->setString(QStringLiteral("downloadedSavePath"), downloads);
    // A folder on a drive that is not connected now.
    defaults->setString(QStringLiteral("recordPath"), QStringLiteral("/media/absent-drive/Record"));

    PreferenceWndCtr w(*defaults);
    EXPECT_EQ(w.simultaneousNumber()->currentText(), QStringLiteral("5"));
    EXPECT_EQ(w.downloadOption()->currentIndex(), 0);
    EXPECT_EQ(w.qualityOption()->count(), 7);
    EXPECT_EQ(w.qualityOption()->itemText(0), QStringLiteral("720P"));
    EXPECT_EQ(w.qualityOption()->currentText(), QStringLiteral("480P")); // registered default
    EXPECT_EQ(w.subtitlesOption()->currentData().toString(), QStringLiteral("ja"));
    EXPECT_EQ(w.youTubeAutoMode()->state(), 1);
    EXPECT_EQ(w.showDownSuccPopup()->state(), 1);
    EXPECT_EQ(w.autoResumeUnfinishTask()->state(), 1);
    EXPECT_EQ(w.downloadSavePath()->text(), downloads);
    EXPECT_EQ(w.recordSavePath()->text(), QStringLiteral("/media/absent-drive/Record"));
    EXPECT_TRUE(w.recordSavePath()->property("missing").toBool());
    EXPECT_EQ(w.convertSavePath()->text(), PreferenceWndCtr::defaultConvertSavePath());

    // The audio kind offers one quality.
    w.downloadOption()->setCurrentIndex(1);
    EXPECT_EQ(w.qualityOption()->count(), 1);
    EXPECT_EQ(w.qualityOption()->currentText(), QStringLiteral("320Kbps"));

    // Tab switching: Reset only on the Download tab.
    w.show();
    EXPECT_EQ(w.currentTab(), int(PreferenceWndCtr::DownloadTab));
    w.selectTab(PreferenceWndCtr::OthersTab);
    EXPECT_EQ(w.currentTab(), int(PreferenceWndCtr::OthersTab));
    EXPECT_FALSE(w.resetButton()->isVisible());
    w.swithItemTabView(nullptr);
    EXPECT_TRUE(w.resetButton()->isVisible());

    // Each tab button is its tile; the shown tab's is the selected tile with a white title.
    w.selectTab(PreferenceWndCtr::ExtensionsTab);
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const bool selected = n == PreferenceWndCtr::ExtensionsTab;
        MGHoverButton *b = w.tabButton(n);
        EXPECT_EQ(b->imageName(), QStringLiteral("mainform"));
        EXPECT_EQ(b->normalSliceName(),
                  selected ? QStringLiteral("mainform-%1").arg(589 + n) : QStringLiteral("mainform-58%1").arg(n));
        EXPECT_EQ(b->cell()->normalColor, selected ? QColor(Qt::white) : QColor::fromRgbF(0.236, 0.236, 0.236));
        EXPECT_EQ(b->isChecked(), selected);
    }
}

TEST_F(PreferencesFixture, OkStoresEverythingAndTellsTheApplication)
{
    const QString downloads = folder(QStringLiteral("dl"));
    const QString records = folder(QStringLiteral("rec"));
    defaults->setString(QStringLiteral("recordPath"), QStringLiteral("/media/absent-drive/Record"));
    PreferenceWndCtr w(*defaults);

    QObject observer;
    QVariant object;
    int posts = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("Noticication-Named-Preferences-Update"),
                                                    [&](const Notification &n) { ++posts; object = n.object; });
    w.simultaneousNumber()->setCurrentText(QStringLiteral("3"));
    w.simultaneousNumber()->setCurrentIndex(w.simultaneousNumber()->findText(QStringLiteral("3")));
    w.downloadSavePath()->setText(downloads);
    w.subtitlesOption()->setCurrentIndex(w.subtitlesOption()->findData(QStringLiteral("es-419")));
    w.autoResumeUnfinishTask()->setState(0);
    w.updateTime()->setCurrentIndex(1);
    w.clickBtnOk();

    EXPECT_EQ(posts, 1);
    EXPECT_EQ(object.value<QObject *>(), &w);
    EXPECT_EQ(defaults->integerForKey(QStringLiteral("numberOfDownload")), 3);
    EXPECT_EQ(defaults->stringForKey(QStringLiteral("downloadedSavePath")), downloads);
    // The absent folder stays chosen rather than being swapped for the default.
    EXPECT_EQ(defaults->stringForKey(QStringLiteral("recordPath")), QStringLiteral("/media/absent-drive/Record"));
    EXPECT_EQ(defaults->stringForKey(QStringLiteral("DefaultSubtitleLanguageCode")), QStringLiteral("es-419"));
    EXPECT_EQ(defaults->objectForKey(QStringLiteral("isAutoResumeTask")).toInt(), 0);
    EXPECT_TRUE(defaults->boolForKey(QStringLiteral("SUEnableAutomaticChecks")));
    EXPECT_EQ(defaults->integerForKey(QStringLiteral("SUScheduledCheckInterval")), 86400);
    (void)records;

    // "Never" turns checks off.
    w.setupDefaultWidget();
    w.updateTime()->setCurrentIndex(0);
    w.clickBtnOk();
    EXPECT_FALSE(defaults->boolForKey(QStringLiteral("SUEnableAutomaticChecks")));
}

TEST_F(PreferencesFixture, UnknownUpdateIntervalIsLeftAlone)
{
    defaults->setBool(QStringLiteral("SUEnableAutomaticChecks"), true);
    defaults->setInteger(QStringLiteral("SUScheduledCheckInterval"), 1234);
    PreferenceWndCtr w(*defaults);
    EXPECT_EQ(w.updateTime()->currentIndex(), -1);
    w.clickBtnOk();
    EXPECT_TRUE(defaults->boolForKey(QStringLiteral("SUEnableAutomaticChecks")));
    EXPECT_EQ(defaults->integerForKey(QStringLiteral("SUScheduledCheckInterval")), 1234);

    // The update interval is not the user's to change when updates are disabled.
    QVariantMap info = MainBundle::infoDictionary();
    info.insert(QStringLiteral("DisableUpdate"), true);
    MainBundle::setInfoDictionaryForTesting(info);
    defaults->setInteger(QStringLiteral("SUScheduledCheckInterval"), 604800);
    w.setupDefaultWidget();
    EXPECT_FALSE(w.updateTime()->isEnabled());
    w.clickBtnOk();
    EXPECT_EQ(defaults->integerForKey(QStringLiteral("SUScheduledCheckInterval")), 604800);
}

// With nowhere to look for updates the setting says so in its place instead of an empty,
// greyed choice; with a feed the choice is back.
TEST_F(PreferencesFixture, UpdateSettingSaysWhenTheBuildHasNoUpdateSource)
{
    const struct
    {
        const char *name;
        bool disableUpdate;
        QString feed;
        bool noteShown;
    } cases[] = {
        {"updates disabled", true, QString(), true},
        {"no feed", false, QString(), true},
        {"feed that is no web address", false, QStringLiteral("file:///etc/passwd"), true},
        {"disabled with a feed", true, QStringLiteral("https://updates.example.invalid/appcast.xml"), true},
        {"a feed", false, QStringLiteral("https://updates.example.invalid/appcast.xml"), false},
    };
    for (const auto &c : cases) {
        QVariantMap info = m_savedInfo;
        info.insert(QStringLiteral("DisableUpdate"), c.disableUpdate);
        info.insert(QStringLiteral("SUFeedURL"), c.feed);
        MainBundle::setInfoDictionaryForTesting(info);
        PreferenceWndCtr w(*defaults);
        w.show();
        w.selectTab(PreferenceWndCtr::OthersTab);
        EXPECT_EQ(w.updateNote()->isVisible(), c.noteShown) << c.name;
        EXPECT_EQ(w.updateTime()->isVisible(), !c.noteShown) << c.name;
        EXPECT_EQ(w.updateNote()->text(), QStringLiteral("Updates are not configured for this build.")) << c.name;
        if (!c.noteShown) {
            EXPECT_TRUE(w.updateTime()->isEnabled() && w.updateTime()->currentIndex() >= 0) << c.name;
        }
    }
}

TEST_F(PreferencesFixture, CancelStoresNothingAfterResetsAndResetWarningsCoversEveryKey)
{
    for (const QString &key : PreferenceWndCtr::warningKeys())
        defaults->setBool(key, false);
    defaults->setInteger(QStringLiteral("isHadWarningRevolution"), 1);
    defaults->setBool(QStringLiteral("DontNeedExtensionGuideKey"), true);
    defaults->setInteger(QStringLiteral("numberOfDownload"), 8);
    defaults->setBool(QStringLiteral("YouTubeAutoDownloadMode"), true);
    const QString before = QString::fromUtf8([&] {
        defaults->synchronize();
        QFile f(defaults->filePath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());

    PreferenceWndCtr w(*defaults);
    w.clickResetWarning();
    w.clickBtnReset(0);
    EXPECT_EQ(w.simultaneousNumber()->currentText(), QStringLiteral("5"));
    EXPECT_EQ(w.youTubeAutoMode()->state(), 0);
    w.clickBtnCancel();
    EXPECT_FALSE(w.isResetWarning());
    EXPECT_EQ(w.simultaneousNumber()->currentText(), QStringLiteral("8"));
    for (const QString &key : PreferenceWndCtr::warningKeys())
        EXPECT_FALSE(defaults->boolForKey(key)) << key.toStdString();
    EXPECT_EQ(defaults->integerForKey(QStringLiteral("numberOfDownload")), 8);

    w.clickResetWarning();
    w.clickBtnOk();
    for (const QString &key : PreferenceWndCtr::warningKeys())
        EXPECT_TRUE(defaults->boolForKey(key)) << key.toStdString();
    EXPECT_TRUE(PreferenceWndCtr::warningKeys().contains(QStringLiteral("ShowWarningNotYoutubeAudioDownload")));
    EXPECT_EQ(defaults->integerForKey(QStringLiteral("isHadWarningRevolution")), 0);
    EXPECT_FALSE(defaults->boolForKey(QStringLiteral("DontNeedExtensionGuideKey")));
    // numberOfDownload was not changed, so OK did not rewrite it.
    EXPECT_EQ(defaults->integerForKey(QStringLiteral("numberOfDownload")), 8);
    (void)before;
}

TEST_F(PreferencesFixture, UnwritableFolderIsRefusedAndTheChooserRunsAgain)
{
    const QString locked = folder(QStringLiteral("locked"));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool rootCanWrite = QFileInfo(locked).isWritable();
    const QString good = folder(QStringLiteral("good"));
    QStringList answers{locked, good};
    int asked = 0;
    PreferenceWndCtr::setFolderChooserForTesting([&](QWidget *, const QString &) {
        ++asked;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    });
    int warnings = 0;
    MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
        ++warnings;
        QTimer::singleShot(0, box, [box] { box->done(1); });
    });
    PreferenceWndCtr w(*defaults);
    w.clickBtnChange(3);
    EXPECT_EQ(w.recordSavePath()->text(), rootCanWrite ? locked : good);
    if (!rootCanWrite) {
        EXPECT_EQ(asked, 2);
        EXPECT_EQ(warnings, 1);
    }
    EXPECT_TRUE(w.isEnabled());
    // Cancelling the chooser changes nothing; a Location reset puts the default back.
    answers.clear();
    w.clickBtnChange(5);
    EXPECT_EQ(w.convertSavePath()->text(), PreferenceWndCtr::defaultConvertSavePath());
    w.clickBtnReset(4);
    EXPECT_EQ(w.recordSavePath()->text(), PreferenceWndCtr::defaultRecordSavePath());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(PreferencesFixture, GrabsOfEveryTab)
{
    PreferenceWndCtr w(*defaults);
    w.show();
    const QString dir = QStringLiteral(WINDOWS_SCREENS_DIR);
    QDir().mkpath(dir);
    for (int tab = 1; tab <= 4; ++tab) {
        w.selectTab(tab);
        QImage image = w.grab().toImage();
        EXPECT_FALSE(image.isNull());
        image.save(dir + QStringLiteral("/preferences-tab%1.png").arg(tab));
    }
}

} // namespace
