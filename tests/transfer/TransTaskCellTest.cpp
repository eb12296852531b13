#include "downloads/FileInfoItem.h"
#include "shell/GolobFun.h"
#include "shell/GolobFunDesktop.h"
#include "transfer/NSStringTruncating.h"
#include "transfer/TransTaskCell.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString LongName = QStringLiteral("An evening concert recorded from the gallery, full length (720p).mp4");

qreal widthOf(const QString &text) { return QFontMetricsF(TransTaskCell::nameFont()).horizontalAdvance(text); }

TEST(TransTaskCell, NameShortensStepByStepWithTheCellWidth)
{
    const QString path = QStringLiteral("/media/clips/") + LongName;
    const QString at50 = NSStringTruncating::stringByTruncatingMiddleToLength(LongName, 50, false);
    const QString at40 = NSStringTruncating::stringByTruncatingMiddleToLength(LongName, 40, false);
    const QString at30 = NSStringTruncating::stringByTruncatingMiddleToLength(LongName, 30, false);
    // The name gets the cell's width less 32 for the icon and 35 for where it starts.
    const qreal fit50 = widthOf(at50) + 67;
    const qreal fit40 = widthOf(at40) + 67;
    const struct
    {
        const char *what;
        qreal width;
        QString expected;
    } cases[] = {
        {"wide", 2000, at50},
        {"50 fits exactly", fit50, at50},
        {"50 too wide by a hair", fit50 - 1, at40},
        {"40 fits exactly", fit40, at40},
        {"narrow", fit40 - 1, at30},
        {"very narrow stops at 30", 10, at30},
        {"no width at all", 0, at30},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TransTaskCell::displayName(path, c.width), c.expected);
    }
    EXPECT_EQ(TransTaskCell::displayName(QStringLiteral("/a/short.mp3"), 10), QStringLiteral("short.mp3"));
}

TEST(TransTaskCell, IsStringInSizeAnswersWhetherTheTextIsWider)
{
    const QString text = QStringLiteral("clip.mp4");
    const qreal w = widthOf(text);
    EXPECT_TRUE(TransTaskCell::isStringInSize(text, w - 1));
    EXPECT_FALSE(TransTaskCell::isStringInSize(text, w));
    EXPECT_FALSE(TransTaskCell::isStringInSize(QString(), 0));
}

TEST(TransTaskCell, MissingOrBrokenIconsDrawTheDefaultSiteIcon)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.png");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x89PNG not really");
    f.close();
    const QString good = dir.filePath("good.png");
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(good));

    EXPECT_EQ(TransTaskCell::iconFor(QString()), GolobFunDesktop::defaultWebIcon());
    EXPECT_EQ(TransTaskCell::iconFor(dir.filePath("none.png")), GolobFunDesktop::defaultWebIcon());
    EXPECT_EQ(TransTaskCell::iconFor(broken), GolobFunDesktop::defaultWebIcon());
    EXPECT_EQ(TransTaskCell::iconFor(good).pixelColor(3, 3), QColor(Qt::red));
}

TEST(TransTaskCell, DrawsIconAndNameAndNeverAHighlight)
{
    QTemporaryDir dir;
    const QString iconPath = dir.filePath("site.png");
    QImage blue(20, 20, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(iconPath));
    auto item = std::make_shared<FileInfoItem>();
    item->setFilePath(QStringLiteral("/media/") + LongName);
    item->setIconFilePath(iconPath);

    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QVariant::fromValue(item), TransTaskCell::ObjectRole);
    TransTaskCell cell;
    QImage canvas(300, TransTaskCell::RowHeight, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    QStyleOptionViewItem option;
    option.rect = canvas.rect();
    option.state = QStyle::State_Selected | QStyle::State_Enabled;
    cell.paint(&painter, option, model.index(0, 0));
    painter.end();

    EXPECT_EQ(canvas.pixelColor(20, 21), QColor(Qt::blue));  // icon at (10, 11, 20, 20)
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::white));   // selected, yet no highlight
    EXPECT_EQ(canvas.pixelColor(295, 38), QColor(Qt::white));
    int dark = 0;
    for (int x = 35; x < 300; ++x)
        for (int y = 14; y < 32; ++y)
            dark += canvas.pixelColor(x, y).lightness() < 128;
    EXPECT_GT(dark, 20) << "the name is drawn";
}

} // namespace
