#include "shell/GolobFunDesktop.h"

#include <gtest/gtest.h>

TEST(GolobFunDesktop, ColourFromHexText)
{
    const struct
    {
        const char *text;
        QColor colour;
    } colours[] = {
        {"#FFF", Qt::white},
        {"0x00FF00", QColor(0, 255, 0)},
        {"#ff0000", QColor(255, 0, 0)},
        {"  #1A2B3C\n", QColor(0x1a, 0x2b, 0x3c)},
        {"123456", QColor(0x12, 0x34, 0x56)},
        {"#1234567", Qt::white},
        {"", Qt::white},
    };
    for (const auto &c : colours) {
        SCOPED_TRACE(c.text);
        const QColor got = GolobFunDesktop::colorWithHexString(QString::fromLatin1(c.text));
        EXPECT_EQ(got.rgba(), c.colour.rgba());
    }
    // Components are fractions of 255: full green is 1.0, not 255.
    EXPECT_DOUBLE_EQ(GolobFunDesktop::colorWithHexString(QStringLiteral("0x00FF00")).greenF(), 1.0);
    EXPECT_NEAR(GolobFunDesktop::colorWithHexString(QStringLiteral("#808080")).redF(), 128.0 / 255, 1e-4);
}

TEST(GolobFunDesktop, DefaultImagesAreReadOnce)
{
    // Cached: the same image every time (null while the resource is not shipped).
    EXPECT_EQ(GolobFunDesktop::defaultThumbnail().cacheKey(), GolobFunDesktop::defaultThumbnail().cacheKey());
    EXPECT_EQ(GolobFunDesktop::defaultWebIcon().cacheKey(), GolobFunDesktop::defaultWebIcon().cacheKey());
}
