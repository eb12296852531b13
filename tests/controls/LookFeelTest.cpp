#include "controls/MGHoverButton.h"
#include "controls/slices/SlicesManager.h"
#include "shell/UIManager.h"
#include "shell/UIStyle.h"

#include <gtest/gtest.h>

TEST(UIStyle, ThemeStringTrimmingAndFallbacks)
{
    auto two = UIStyle::styleWithSlice("  mainform-476 ,  mainform-477  ");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->normalSlice(), "mainform-476");
    EXPECT_EQ(two->hoverSlice(), "mainform-477");
    EXPECT_EQ(two->downSlice(), "mainform-476");
    EXPECT_EQ(two->disableSlice(), "mainform-476");
    EXPECT_EQ(two->drawMode(), 0);

    auto four = UIStyle::styleWithSlice("mainform-476,mainform-477,mainform-478,mainform-479", "Go", "Tip");
    EXPECT_EQ(four->disableSlice(), "mainform-479");
    EXPECT_EQ(four->stringValue(), "Go");
    EXPECT_EQ(four->toolTip(), "Tip");

    EXPECT_EQ(UIStyle::styleWithSlice(QString()), nullptr);
    auto empty = UIStyle::styleWithSliceArray({});
    EXPECT_TRUE(empty->normalSlice().isNull());
    EXPECT_TRUE(empty->hoverSlice().isNull());
    EXPECT_TRUE(empty->downSlice().isNull());
    EXPECT_TRUE(empty->disableSlice().isNull());

    auto coloured = UIStyle::styleWithSliceTextColor("a,b", QColor(1, 2, 3));
    EXPECT_EQ(coloured->textColor(), QColor(1, 2, 3));
    auto named = UIStyle::styleWithSliceNames({"x", "y"});
    EXPECT_EQ(named->sliceArray(), QStringList({"x", "y"}));
}

TEST(UIManager, ThemeAppliesSlicesSheetTitleAndColour)
{
    MGHoverButton b;
    b.setTitle("Keep me");
    b.setToolTip("old tip");
    UIManager::setupHoverButtonThemeInMain(&b, UIStyle::styleWithSliceTextColor("mainform-761, mainform-762", Qt::red));
    EXPECT_EQ(b.normalSliceName(), "mainform-761");
    EXPECT_EQ(b.hoverSliceName(), "mainform-762");
    EXPECT_EQ(b.downSliceName(), "mainform-761");
    EXPECT_EQ(b.disableSliceName(), "mainform-761");
    EXPECT_EQ(b.imageName(), "mainform");
    EXPECT_EQ(b.drawMode(), 0);
    EXPECT_EQ(b.title(), "Keep me");  // the style has no title
    EXPECT_EQ(b.toolTip(), "old tip");
    EXPECT_EQ(b.cell()->normalColor, QColor(Qt::red));

    UIManager::setupHoverButtonThemeInTips(&b, UIStyle::styleWithSlice("tips01_,tips03_", "Survey", "New Feature Request"));
    EXPECT_EQ(b.imageName(), "tips");
    EXPECT_EQ(b.title(), "Survey");
    EXPECT_EQ(b.toolTip(), "New Feature Request");
    // The theme-string form sets an empty tool tip.
    UIManager::setupHoverButtonThemeInMain(&b, QString("mainform-769,mainform-770,mainform-771,mainform-772"));
    EXPECT_EQ(b.toolTip(), "");
    EXPECT_EQ(b.disableSliceName(), "mainform-772");
    // Nothing happens for a missing button or style.
    UIManager::setupHoverButtonThemeInMain(nullptr, UIStyle::styleWithSlice("a"));
    UIManager::setupHoverButtonThemeInMain(&b, std::shared_ptr<UIStyle>());
    EXPECT_EQ(b.normalSliceName(), "mainform-769");
}

TEST(UIManager, LooksUpSlicesInEverySheet)
{
    EXPECT_EQ(UIManager::registeredSheets(),
              QStringList({"mainform", "Guidancemap", "Instructions", "Animation", "WebsiteCover", "tips",
                           "AddConverterAnimate", "AddTransferAnimate"}));
    EXPECT_FALSE(UIManager::sliceNamedInMain("mainform-73").isNull());
    EXPECT_FALSE(UIManager::sliceNamedInGuideMap("Guidancemap-125").isNull());
    EXPECT_FALSE(UIManager::sliceNamedInstructions("Instructions-13").isNull());
    EXPECT_FALSE(UIManager::sliceNamedInAnimation("id1-02002_").isNull());
    EXPECT_FALSE(UIManager::sliceNamedInToolbox("toolbox-150_").isNull());  // found on first use
    EXPECT_FALSE(UIManager::sliceNamedInDevice("device-195_").isNull());
    EXPECT_FALSE(UIManager::sliceNamed("mainform-86_", "MainSlice").isNull());
    EXPECT_TRUE(UIManager::sliceNamedInMain("mainform-99999").isNull());
    EXPECT_TRUE(UIManager::sliceNamedInAnimation5("anything").isNull());
    EXPECT_TRUE(SlicesManager::defaultManager().sheetNames().contains("mainform"));
}
