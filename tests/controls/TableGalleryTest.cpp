#include "support/TestEnvironment.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

// The gallery renders the tool bar, tables, cells, badges and scrollers, and the pictures show
// the controls, not empty pages.
TEST(TableGallery, RendersTheTableControls)
{
    const QString out = TestEnvironment::home() + "/table-gallery";
    QProcess gallery;
    gallery.setProcessChannelMode(QProcess::MergedChannels);
    gallery.start(QStringLiteral(CONTROLS_GALLERY_PATH), {"--out", out, "--ratio", "1"});
    ASSERT_TRUE(gallery.waitForFinished(150000)) << gallery.readAll().toStdString();
    ASSERT_EQ(gallery.exitCode(), 0) << gallery.readAll().toStdString();
    const QStringList pictures = QDir(out).entryList({"*.png"});
    for (const char *name : {"card-qvtoolbar.png", "card-qvcustomtableview.png", "card-downloadtableview.png",
                             "card-tablecells.png", "card-qvtableviewheadercell.png", "card-ctbadge.png",
                             "card-mtimageview.png", "card-mgcustomscroller.png"})
        EXPECT_TRUE(pictures.contains(name)) << name;
    // Five items in each state.
    for (const char *state : {"normal", "hover", "pressed", "selected", "new", "disabled", "in-use"})
        EXPECT_TRUE(pictures.contains(QStringLiteral("qvtoolbar-%1.png").arg(state))) << state;

    // The bar is green with white icons; a selected item's plate is lighter than the bar.
    const QImage selected(out + "/qvtoolbar-selected.png");
    ASSERT_FALSE(selected.isNull());
    const QColor bar = selected.pixelColor(12 + 2, 12 + 40);
    const QColor plate = selected.pixelColor(12 + 14, 12 + 40);
    EXPECT_GT(bar.green(), bar.red() + 100);
    EXPECT_GT(plate.red(), bar.red());
    // The populated list has its rows: the first row's check box is the accent green.
    const QImage list(out + "/qvcustomtableview-populated.png");
    ASSERT_FALSE(list.isNull());
    const QColor check = list.pixelColor(12 + 20, 12 + 26 + 14);  // above the white tick
    EXPECT_GT(check.green(), check.red() + 60);
}
