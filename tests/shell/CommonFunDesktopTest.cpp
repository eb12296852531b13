#include "shell/CommonFunDesktop.h"

#include "platform/MainBundle.h"
#include "platform/Workspace.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CommonFunDesktop, OpenUrlGoesThroughWorkspace)
{
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &action, const QStringList &targets) {
        opened << action + QLatin1Char(' ') + targets.join(QLatin1Char(','));
        return true;
    });
    MainBundle::setInfoDictionaryForTesting({{QStringLiteral("SurveyURL"), QStringLiteral("https://example.com/survey page")},
                                             {QStringLiteral("Empty"), QString()}});
    EXPECT_TRUE(CommonFunDesktop::openMainBundleURLForKey(QStringLiteral("SurveyURL")));
    EXPECT_FALSE(CommonFunDesktop::openMainBundleURLForKey(QStringLiteral("Empty")));
    EXPECT_FALSE(CommonFunDesktop::openMainBundleURLForKey(QStringLiteral("Missing")));
    EXPECT_FALSE(CommonFunDesktop::openURL(QString()));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.first().startsWith(QLatin1String("open https://example.com/survey"))) << opened.first().toStdString();

    opened.clear();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("shown.mp4"));
    QFile shown(file);
    ASSERT_TRUE(shown.open(QIODevice::WriteOnly));
    shown.close();
    EXPECT_TRUE(CommonFunDesktop::showFileInFinders({QUrl::fromLocalFile(file), QUrl(QStringLiteral("https://x/"))}));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.first().startsWith(QLatin1String("reveal ")));
    EXPECT_TRUE(opened.first().contains(QLatin1String("shown.mp4")));
    EXPECT_FALSE(opened.first().contains(QLatin1String("https")));
    Workspace::setHookForTesting(nullptr);
    MainBundle::setInfoDictionaryForTesting({});
}

TEST(CommonFunDesktop, AttributedStrings)
{
    EXPECT_TRUE(CommonFunDesktop::makeupString(QString(), {}).isNull());
    EXPECT_FALSE(CommonFunDesktop::makeupString(QStringLiteral("x"), {}).isNull());

    const AttributedString empty = CommonFunDesktop::attributedString(QString(), std::nullopt, QColor(), Qt::AlignLeft, true);
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());

    const AttributedString s = CommonFunDesktop::attributedString(QStringLiteral("a<b"), std::nullopt, QColor(Qt::red),
                                                           Qt::AlignHCenter, true);
    EXPECT_EQ(s.format().foreground().color(), QColor(Qt::red));
    EXPECT_EQ(s.format().underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_EQ(s.elideMode(), Qt::ElideRight);
    EXPECT_EQ(s.alignment(), Qt::AlignHCenter);
    const QString html = s.toHtml();
    EXPECT_TRUE(html.contains(QLatin1String("a&lt;b")));
    EXPECT_TRUE(html.contains(QLatin1String("align=\"center\"")));
    EXPECT_TRUE(html.contains(QLatin1String("underline")));
}

TEST(CommonFunDesktop, CropImages)
{
    QImage image(30, 10, QImage::Format_ARGB32);
    for (int x = 0; x < 30; ++x)
        for (int y = 0; y < 10; ++y)
            image.setPixelColor(x, y, x < 5 ? Qt::red : x < 25 ? Qt::green : Qt::blue);

    EXPECT_TRUE(CommonFunDesktop::cropImageFromRect(QImage(), QRect(0, 0, 5, 5)).isNull());
    const QImage part = CommonFunDesktop::cropImageFromRect(image, QRect(24, 2, 4, 4));
    ASSERT_EQ(part.size(), QSize(4, 4));
    EXPECT_EQ(part.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(part.pixelColor(1, 0), QColor(Qt::blue));
    // A rectangle reaching past the image leaves the rest transparent.
    const QImage past = CommonFunDesktop::cropImageFromRect(image, QRect(28, 0, 5, 2));
    EXPECT_EQ(past.pixelColor(4, 0).alpha(), 0);
    EXPECT_TRUE(CommonFunDesktop::cropImageFromRect(image, QRect(0, 0, 1 << 20, 1 << 20)).isNull());

    EXPECT_TRUE(CommonFunDesktop::cropThreePartImages(QImage(), 5, 20).isEmpty());
    const QList<QImage> three = CommonFunDesktop::cropThreePartImages(image, 5, 20);
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three[0].size(), QSize(5, 10));
    EXPECT_EQ(three[1].size(), QSize(20, 10));
    EXPECT_EQ(three[2].size(), QSize(5, 10));
    EXPECT_EQ(three[0].pixelColor(4, 5), QColor(Qt::red));
    EXPECT_EQ(three[1].pixelColor(0, 5), QColor(Qt::green));
    EXPECT_EQ(three[2].pixelColor(0, 5), QColor(Qt::blue));
    // Caps wider than the image give an empty right part, not a crash.
    EXPECT_TRUE(CommonFunDesktop::cropThreePartImages(image, 20, 20)[2].isNull());
}
