#include "support/TestEnvironment.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

TEST(ControlsGallery, RendersEveryCardIntoPictures)
{
    const QString out = TestEnvironment::home() + "/gallery";
    QProcess gallery;
    gallery.setProcessChannelMode(QProcess::MergedChannels);
    gallery.start(QStringLiteral(CONTROLS_GALLERY_PATH), {"--out", out, "--ratio", "1"});
    ASSERT_TRUE(gallery.waitForFinished(150000)) << gallery.readAll().toStdString();
    ASSERT_EQ(gallery.exitCode(), 0) << gallery.readAll().toStdString();

    const QStringList pictures = QDir(out).entryList({"*.png"});
    EXPECT_GT(pictures.size(), 150);
    for (const char *name : {"gallery.png", "card-mghoverbutton-type1-dialog.png", "card-mgcheckbutton.png",
                             "card-afswitchcontrol.png", "card-linklabels.png", "card-backgroundviews.png",
                             "mghoverbutton-type4-filled-disabled.png", "sheet-mainform.png"})
        EXPECT_TRUE(pictures.contains(name)) << name;

    // Pictures are not blank: the filled button's middle is the accent green.
    const QImage filled(out + "/mghoverbutton-type4-filled-normal.png");
    ASSERT_FALSE(filled.isNull());
    const QColor mid = filled.pixelColor(12 + 10, 12 + 3);
    EXPECT_GT(mid.green(), mid.red() + 60);
}

TEST(ControlsGallery, RefusesMissingOrBadArguments)
{
    QProcess gallery;
    gallery.start(QStringLiteral(CONTROLS_GALLERY_PATH), {});
    ASSERT_TRUE(gallery.waitForFinished(30000));
    EXPECT_EQ(gallery.exitCode(), 2);
    gallery.start(QStringLiteral(CONTROLS_GALLERY_PATH), {"--out", TestEnvironment::home() + "/g2", "--ratio", "99"});
    ASSERT_TRUE(gallery.waitForFinished(30000));
    EXPECT_EQ(gallery.exitCode(), 2);
}
