#include "controls/slices/SlicesManager.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char *kSvg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20" viewBox="0 0 40 20">
<rect x="0" y="0" width="20" height="20" fill="#ff0000"/><rect x="20" y="0" width="20" height="20" fill="#0000ff"/></svg>)";

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

class SheetFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        writeFile(dir.filePath("pic.svg"), kSvg);
    }
    QString writeSheet(const QString &name, const QByteArray &xml)
    {
        const QString path = dir.filePath(name + ".xml");
        writeFile(path, xml);
        return path;
    }
    QTemporaryDir dir;
    SlicesManager manager;
};

} // namespace

TEST_F(SheetFolder, CutsNamedSlicesAtTheAskedRatio)
{
    const QString path = writeSheet("two", R"(<sheet name="two" source="pic.svg">
        <slice name="red" x="0" y="0" width="20" height="20"/>
        <slice name="blue" x="20" y="0" width="20" height="20" left="4" right="5"/></sheet>)");
    QString error;
    ASSERT_TRUE(manager.addConfigFile(path, &error)) << error.toStdString();

    const QImage red = manager.sliceNamed("red", "two", 1);
    ASSERT_FALSE(red.isNull());
    EXPECT_EQ(red.size(), QSize(20, 20));
    EXPECT_EQ(red.pixelColor(10, 10), QColor(255, 0, 0));

    const QImage blue2x = manager.sliceNamed("blue", "two", 2);
    EXPECT_EQ(blue2x.size(), QSize(40, 40));
    EXPECT_DOUBLE_EQ(blue2x.devicePixelRatio(), 2.0);
    EXPECT_EQ(blue2x.pixelColor(20, 20), QColor(0, 0, 255));

    const SliceInfo info = manager.sliceInfo("blue", "two");
    EXPECT_EQ(info.rect, QRectF(20, 0, 20, 20));
    EXPECT_EQ(info.caps, QMarginsF(4, 0, 5, 0));
    EXPECT_EQ(manager.sliceNames("two"), QStringList({"red", "blue"}));
}

TEST_F(SheetFolder, UnknownSliceOrSheetGivesNullImage)
{
    ASSERT_TRUE(manager.addConfigFile(writeSheet("one", R"(<sheet name="one" source="pic.svg">
        <slice name="a" x="0" y="0" width="5" height="5"/></sheet>)")));
    EXPECT_TRUE(manager.sliceNamed("missing", "one").isNull());
    EXPECT_TRUE(manager.sliceNamed("a", "nosuchsheet").isNull());
    EXPECT_TRUE(manager.sliceNamed("a", "").isNull());
    EXPECT_FALSE(manager.hasSlice("a", "../one"));
}

TEST_F(SheetFolder, FindsUnregisteredSheetOnFirstUse)
{
    writeSheet("later", R"(<sheet name="later" source="pic.svg"><slice name="x" x="0" y="0" width="20" height="20"/></sheet>)");
    EXPECT_TRUE(manager.sliceNamed("x", "later").isNull()); // no search path yet
    manager.addSearchPath(dir.path());
    EXPECT_FALSE(manager.sliceNamed("x", "later", 1).isNull());
    EXPECT_TRUE(manager.sheetNames().contains("later"));
}

TEST_F(SheetFolder, RefusesBadDescriptions)
{
    struct Case { const char *what; QByteArray xml; };
    const Case cases[] = {
        {"not xml", "<<<"},
        {"wrong root", R"(<slices name="s" source="pic.svg"/>)"},
        {"no source", R"(<sheet name="s"/>)"},
        {"source outside", R"(<sheet name="s" source="../pic.svg"/>)"},
        {"absolute source", R"(<sheet name="s" source="/etc/passwd"/>)"},
        {"missing picture", R"(<sheet name="s" source="nothere.svg"/>)"},
        {"bad number", R"(<sheet name="s" source="pic.svg"><slice name="a" x="zz" y="0" width="5" height="5"/></sheet>)"},
        {"negative", R"(<sheet name="s" source="pic.svg"><slice name="a" x="-1" y="0" width="5" height="5"/></sheet>)"},
        {"huge", R"(<sheet name="s" source="pic.svg"><slice name="a" x="0" y="0" width="90000" height="90000"/></sheet>)"},
        {"zero size", R"(<sheet name="s" source="pic.svg"><slice name="a" x="0" y="0" width="0" height="5"/></sheet>)"},
        {"caps too wide", R"(<sheet name="s" source="pic.svg"><slice name="a" x="0" y="0" width="10" height="5" left="6" right="6"/></sheet>)"},
        {"unnamed slice", R"(<sheet name="s" source="pic.svg"><slice x="0" y="0" width="5" height="5"/></sheet>)"},
        {"truncated", R"(<sheet name="s" source="pic.svg"><slice name="a" x="0" y="0" width="5" height="5"/>)"},
    };
    for (const Case &c : cases) {
        QString error;
        EXPECT_FALSE(manager.addConfigFile(writeSheet("bad", c.xml), &error)) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
    }
    EXPECT_FALSE(manager.addConfigFile(dir.filePath("absent.xml")));
    EXPECT_TRUE(manager.sheetNames().isEmpty());
}

TEST(SlicesManagerDefault, ShipsTheApplicationSheets)
{
    auto &m = SlicesManager::defaultManager();
    struct Case { const char *slice; const char *sheet; };
    const Case cases[] = {
        {"mainform-40", "mainform"}, {"mainform-92", "mainform"}, {"mainform-73", "mainform"},
        {"mainform-290", "mainform"}, {"slice-127_", "mainform"}, {"mainform-357_", "MainSlice"},
        {"Guidancemap-107", "Guidancemap"}, {"Instructions-16", "Instructions"}, {"id1-02043_", "Animation"},
        {"tips07_", "tips"}, {"toolbox-150_", "ToolboxSlice"}, {"device-202205_", "DeviceSlice"},
    };
    for (const Case &c : cases) {
        const QImage img = m.sliceNamed(c.slice, c.sheet, 1);
        EXPECT_FALSE(img.isNull()) << c.slice;
        // Our art is never blank.
        bool painted = false;
        for (int y = 0; y < img.height() && !painted; ++y)
            for (int x = 0; x < img.width() && !painted; ++x)
                painted = qAlpha(img.pixel(x, y)) > 0;
        EXPECT_TRUE(painted) << c.slice;
    }
}
