#include "support/TestEnvironment.h"

#include "converter/ConverterGlobal.h"
#include "converter/EncodeOpenPanel.h"
#include "platform/AppPaths.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Answer : EncodeOpenPanelDelegate
{
    bool yes = false;
    QStringList asked;
    bool shouldLoadSubtitleWithPath(const QString &path, const QString &encoding) override
    {
        asked << path + QLatin1Char('|') + encoding;
        return yes;
    }
};

} // namespace

TEST(EncodeOpenPanelTest, EncodingFolderAndDelegate)
{
    g_productSettings = std::make_unique<MacPreferences>(QStringLiteral("test.fennix.panel"));
    g_strDefaultSubtitleEncoding = QStringLiteral("GBK");
    EncodeOpenPanel panel;
    EXPECT_EQ(panel.selectedEncoding(), QStringLiteral("UTF-8"));  // nothing chosen yet

    // A remembered folder that was deleted: the Movies folder.
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("gone"));
    QDir().mkpath(gone);
    g_productSettings->setStringValue(gone, QStringLiteral("EncodeOpenPanel/LastSubtitleFolder"));
    EXPECT_EQ(EncodeOpenPanel::startFolder(), gone);
    QDir(gone).removeRecursively();
    EXPECT_EQ(EncodeOpenPanel::startFolder(), AppPaths::movies());

    panel.beginSheetForDirectory(dir.path(), QString(), {}, nullptr);
    EXPECT_EQ(panel.selectedEncoding(), QStringLiteral("GBK"));
    EXPECT_EQ(panel.encodingPopUp()->count(), 6);

    QFile subtitle(dir.filePath(QStringLiteral("a.srt")));
    ASSERT_TRUE(subtitle.open(QIODevice::WriteOnly));
    subtitle.write("1\n00:00:00,000 --> 00:00:01,000\nhi\n");
    subtitle.close();
    Answer answer;
    panel.setEncodeDelegate(&answer);
    panel.selectFile(subtitle.fileName());
    panel.accept();  // refused: the panel stays open
    EXPECT_TRUE(panel.isVisible());
    ASSERT_EQ(answer.asked.size(), 1);
    EXPECT_EQ(answer.asked.first(), QFileInfo(subtitle.fileName()).absoluteFilePath() + QStringLiteral("|GBK"));
    EXPECT_EQ(g_productSettings->stringValueForKey(QStringLiteral("EncodeOpenPanel/LastSubtitleFolder")), QFileInfo(dir.path()).absoluteFilePath());
    answer.yes = true;
    panel.accept();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.result(), int(QDialog::Accepted));

    g_productSettings.reset();
    g_strDefaultSubtitleEncoding.clear();
}
