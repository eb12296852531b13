#include "PresetFixtures.h"

#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"
#include "converter/IM_MediaItemExtended.h"
#include "converter/IM_MediaItemExtendedImages.h"
#include "converter/ImageManager.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A 40 x 100 sheet: top 20 rows red, the rest blue.
QString writeSheet(const QString &dir, const QString &name)
{
    QImage sheet(40, 100, QImage::Format_ARGB32);
    sheet.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            sheet.setPixel(x, y, qRgb(255, 0, 0));
    const QString path = QDir(dir).filePath(name);
    sheet.save(path, "PNG");
    return path;
}

QString writeList(const QString &dir, const QVariantMap &languages)
{
    const QString path = QDir(dir).filePath(QStringLiteral("ImageMgr.xml"));
    PropertyList::writeFile(path, languages);
    return path;
}

} // namespace

TEST(ConverterImages, SlicesCutFromTheTopLeftAndLanguageFallBack)
{
    QTemporaryDir dir;
    writeSheet(dir.path(), QStringLiteral("a.png"));
    writeSheet(dir.path(), QStringLiteral("b.png"));
    PresetFixtures::write(dir.path(), QStringLiteral("en.xml"), R"(<images>
      <image fileName="a.png" identifier="SheetA">
        <slice id="top" rect="0, 0, 10, 20"/><slice id="bottom" rect="0,80,10,20"/>
        <slice id="bad" rect="1,2,3"/><slice rect="0,0,1,1"/>
      </image>
      <image fileName="b.png" identifier="SheetB"><slice id="top" rect="0,0,10,20"/></image>
      <image fileName="missing.png" identifier="Gone"><slice id="x" rect="0,0,1,1"/></image>
    </images>)");
    PresetFixtures::write(dir.path(), QStringLiteral("de.xml"), R"(<images><image fileName="b.png" identifier="German"/></images>)");
    const QString list = writeList(dir.path(), {{QStringLiteral("en"), QStringList{QStringLiteral("en.xml")}},
                                                {QStringLiteral("de"), QStringList{QStringLiteral("de.xml")}},
                                                {QStringLiteral("fr"), QStringList{QStringLiteral("de.xml"), QStringLiteral("nope.xml")}}});
    auto mgr = ImageManager::initWithFile(list, QStringLiteral("ja"));  // no "ja": the English files
    ASSERT_TRUE(mgr);
    EXPECT_EQ(mgr->sheetIds(), (QStringList{QStringLiteral("SheetA"), QStringLiteral("SheetB")}));
    EXPECT_EQ(mgr->sliceIds(QStringLiteral("SheetA")), (QStringList{QStringLiteral("bottom"), QStringLiteral("top")}));

    // y counts from the top-left corner: in bottom-up terms 0,0,10,20 of a 100-high sheet is 80..100.
    const QImage top = mgr->imageWithSliceId(QStringLiteral("top"), QStringLiteral("SheetA"));
    ASSERT_EQ(top.size(), QSize(10, 20));
    EXPECT_EQ(QColor(top.pixel(5, 0)), QColor(Qt::red));
    EXPECT_EQ(QColor(top.pixel(5, 19)), QColor(Qt::red));
    const QImage bottom = mgr->imageWithSliceId(QStringLiteral("bottom"), QStringLiteral("SheetA"));
    EXPECT_EQ(QColor(bottom.pixel(5, 0)), QColor(Qt::blue));
    EXPECT_TRUE(mgr->imageWithSliceId(QStringLiteral("bad"), QStringLiteral("SheetA")).isNull());
    EXPECT_TRUE(mgr->imageWithSliceId(QStringLiteral("top"), QStringLiteral("Gone")).isNull());
    EXPECT_TRUE(mgr->imageWithSliceId(QString(), QStringLiteral("SheetA")).isNull());

    // One sheet at a time: cutting from SheetB releases SheetA at once.
    EXPECT_TRUE(mgr->isSheetLoaded(QStringLiteral("SheetA")));
    mgr->imageWithSliceId(QStringLiteral("top"), QStringLiteral("SheetB"));
    EXPECT_FALSE(mgr->isSheetLoaded(QStringLiteral("SheetA")));
    EXPECT_TRUE(mgr->isSheetLoaded(QStringLiteral("SheetB")));
    mgr->delayReleaseBigImage();
    EXPECT_FALSE(mgr->isSheetLoaded(QStringLiteral("SheetB")));
    // Cut slices stay.
    EXPECT_EQ(mgr->imageWithSliceId(QStringLiteral("top"), QStringLiteral("SheetA")).size(), QSize(10, 20));
    EXPECT_FALSE(mgr->isSheetLoaded(QStringLiteral("SheetA")));
    EXPECT_EQ(mgr->imageWithName(QStringLiteral("SheetB")).size(), QSize(40, 100));
    EXPECT_TRUE(mgr->imageWithName(QStringLiteral("Nope")).isNull());

    mgr->setLanguage(QStringLiteral("de"));
    EXPECT_EQ(mgr->language(), QStringLiteral("de"));
    EXPECT_TRUE(mgr->sliceIds(QStringLiteral("German")).isEmpty());
    EXPECT_TRUE(mgr->sheetIds().contains(QStringLiteral("German")));
    // A language whose list names a missing file takes the English list instead.
    auto french = ImageManager::initWithFile(list, QStringLiteral("fr"));
    EXPECT_FALSE(french->sheetIds().contains(QStringLiteral("German")));
    EXPECT_FALSE(ImageManager::initWithFile(QString()));
    EXPECT_TRUE(ImageSliceFromImageRect(QImage(), QRect(0, 0, 1, 1)).isNull());
}

TEST(ConverterImages, BuiltInSheetsHoldEveryPresetIcon)
{
    auto mgr = ImageManager::initWithFile(ConverterResources::imageListFile(), QStringLiteral("en"));
    ASSERT_TRUE(mgr);
    for (const char *part : {"VCPopupBtnLeftN", "VCPopupBtnLeftP", "VCPopupBtnFillN", "VCPopupBtnFillP", "VCPopupBtnRightN",
                             "VCPopupBtnRightP", "MediaMergedImage"})
        EXPECT_FALSE(mgr->imageWithSliceId(QLatin1String(part), QStringLiteral("MainWnd")).isNull()) << part;
    QTemporaryDir dir;
    auto catalogue = EncFormatMgr::initWithFile(ConverterResources::formatFile(), dir.filePath(QStringLiteral("c.pro")));
    ASSERT_TRUE(catalogue);
    for (const auto &preset : catalogue->formatItems()) {
        const QImage icon = mgr->imageWithSliceId(preset->pixID(), QStringLiteral("formatIcons"));
        EXPECT_EQ(icon.size(), QSize(48, 48)) << preset->pixID().toStdString();
    }
    for (const QVariantMap &category : catalogue->formatCategorys())
        EXPECT_FALSE(mgr->imageWithSliceId(category.value(QStringLiteral("pixId")).toString(), QStringLiteral("formatIcons")).isNull());

    // The media item's icon comes from the global manager.
    g_imageMgr = std::move(mgr);
    IM_MediaItemExtended item;
    item.setFormatCatalogue(catalogue.get());
    item.setFormatId(catalogue->defaultMp4Format()->iD());
    EXPECT_EQ(IM_MediaItemExtendedImages::formatImage(item).size(), QSize(48, 48));
    EXPECT_TRUE(IM_MediaItemExtendedImages::image(item).isNull());
    item.setMergedGroup(true);
    EXPECT_FALSE(IM_MediaItemExtendedImages::image(item).isNull());
    // Another preset shows its own icon; none without a manager.
    const auto other = catalogue->defaultMp3Format();
    ASSERT_TRUE(other);
    item.setFormatId(other->iD());
    EXPECT_EQ(IM_MediaItemExtendedImages::formatImage(item).cacheKey(),
              g_imageMgr->imageWithSliceId(other->pixID(), QStringLiteral("formatIcons")).cacheKey());
    g_imageMgr.reset();
    EXPECT_TRUE(IM_MediaItemExtendedImages::formatImage(item).isNull());
}
