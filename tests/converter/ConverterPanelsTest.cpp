// The output-format chooser's geometry and selection, and the converter's small controls.
#include "converter/CascadePanel.h"
#include "converter/CategoryPanel.h"
#include "converter/EncValueValidator.h"
#include "converter/FormatPanel.h"
#include "converter/MyFloatFormatter.h"
#include "converter/MyFrameRateFormatter.h"
#include "converter/MyIntegerFormatter.h"
#include "converter/MyResolutionFormatter.h"
#include "converter/OpenPanel.h"
#include "converter/SubFormatView.h"
#include "converter/UrlLabel.h"
#include "converter/VCPopUpButton.h"
#include "platform/Workspace.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

struct Recorder : CascadePanelDelegate
{
    void itemSelectedChange(int id) override { announced << id; }
    void showEncParamInfo(int id) override { opened << id; }
    void saveEncParamSetting(int id) override { saved << id; }
    QList<int> announced, opened, saved;
};

} // namespace

TEST(CategoryStrip, SevenCategoriesFiveInSight)
{
    const CategoryPanel::Metrics m = CategoryPanel::metricsFor(780, {108, 125});
    EXPECT_EQ(m.maxBoxCount, 5);
    EXPECT_EQ(m.widthDis, 54);
    const struct
    {
        int offset;
        bool left, right;
    } arrows[] = {{0, false, true}, {-1, true, true}, {-2, true, false}};
    for (const auto &c : arrows) {
        const auto [left, right] = CategoryPanel::arrowsVisible(7, c.offset, m.maxBoxCount);
        EXPECT_EQ(left, c.left) << c.offset;
        EXPECT_EQ(right, c.right) << c.offset;
    }
    // Five boxes of 108 points 20 apart, centred; the others off to either side.
    const QList<QRectF> boxes = CategoryPanel::boxFrames(7, -1, m, 780);
    EXPECT_EQ(boxes[0].x(), -128);
    EXPECT_EQ(boxes[1].x(), 16 + 10 + 54);
    EXPECT_EQ(boxes[5].x(), 80 + 4 * 128);
    EXPECT_EQ(boxes[6].x(), 780 + 12);
    EXPECT_EQ(boxes[1].size(), QSizeF(108, 125));
    const qreal left = boxes[1].x(), right = 780 - (boxes[5].x() + 108);
    EXPECT_NEAR(left, right, 20) << "the row stands near the middle";
}

TEST(FormatGrid, RowsGrowDownwardsAndOpenAtTheTop)
{
    const QSizeF tile(130, 165);
    EXPECT_EQ(FormatPanel::columnsFor(749, tile), 5);
    const struct
    {
        int n;
        qreal height;
        QList<QPointF> some; // (index, y) pairs as x = index
    } cases[] = {
        {3, 341, {{0, 175}, {2, 175}}},              // one row: the top visible slot
        {10, 341, {{0, 175}, {5, 10}}},              // two rows fit
        {12, 506, {{0, 340}, {5, 175}, {10, 10}}},   // three rows: one more row of height
    };
    for (const auto &c : cases) {
        const FormatPanel::Grid g = FormatPanel::gridFor(c.n, 5, 341, tile);
        ASSERT_EQ(g.tiles.size(), c.n);
        EXPECT_EQ(g.panelHeight, c.height) << c.n;
        for (const QPointF &p : c.some)
            EXPECT_EQ(g.tiles[int(p.x())].y(), p.y()) << c.n << " tile " << p.x();
        EXPECT_EQ(g.tiles[1].x(), 40 + 135);
    }
}

TEST(FormatTile, TitleCutAndPictureSize)
{
    auto width = [](const QString &t) { return qreal(t.size() * 10); };
    const QPair<const char *, const char *> titles[] = {
        {"MP4", "MP4"},
        {"H.264, MP4 HD Video", "H.264"},
        {"MKV Matroska Video", "MKV"},
        {"Supercalifragilistic", "Supercalifragilistic"},
    };
    for (const auto &[title, shown] : titles)
        EXPECT_EQ(SubFormatView::shownTitle(QString::fromUtf8(title), 130, width), QString::fromUtf8(shown));
    EXPECT_EQ(SubFormatView::pictureFrame({130, 165}, 1.0, false), QRectF((130 - 84.8) / 2, 49, 84.8, 84.8));
    EXPECT_EQ(SubFormatView::pictureFrame({130, 165}, 1.0, true), QRectF(12, 49, 106, 106));
    EXPECT_EQ(SubFormatView::pictureFrame({130, 165}, 2.0, true), QRectF(10, 49, 110, 55));
    EXPECT_EQ(SubFormatView::innerRect({130, 165}), QRectF(13, 16, 104, 132));
}

class Cascade : public ::testing::Test
{
protected:
    void SetUp() override
    {
        panel = std::make_unique<CascadePanel>(QSizeF(780, 470));
        panel->setDelegate(&rec);
        panel->addMenuItem(100, "Recently Used", "catRecent");
        panel->addMenuItem(1, "General", "catVideo");
        panel->addMenuItem(8, "Audio", "catAudio");
        for (int id : {1, 2, 3})
            panel->addSubMenuItem(id, QStringLiteral("Video %1").arg(id), "fmtMP4", "1280*720", 1);
        for (int id : {30, 31})
            panel->addSubMenuItem(id, QStringLiteral("Audio %1").arg(id), "audMP3", "", 8);
        panel->updateView();
        panel->show();
    }
    Recorder rec;
    std::unique_ptr<CascadePanel> panel;
};

TEST_F(Cascade, EveryCategoryChangeAnnouncesTheCurrentPresetAgain)
{
    panel->SelectedFirstItem();
    EXPECT_EQ(rec.announced, (QList<int>{0, 1})) << "the old identifier first";
    EXPECT_FALSE(panel->SelectedFirstRecentItem()) << "no recent presets yet";
    rec.announced.clear();
    panel->setSelectCategoryID(8);
    EXPECT_EQ(rec.announced, QList<int>{1}) << "announced although Audio does not hold it";
    ASSERT_EQ(panel->formatPanel()->tiles().size(), 2);
    EXPECT_FALSE(panel->formatPanel()->tiles()[0]->isSelected());
    // A recent preset shown under two categories: the tiles bearing it follow the selection.
    panel->addSubMenuItem(31, "Audio 31", "audMP3", "", 100);
    EXPECT_TRUE(panel->SelectedFirstRecentItem());
    EXPECT_EQ(panel->getSelSubItemID(), 31);
    EXPECT_EQ(panel->getSubItemCountforParentID(100), 1);
    EXPECT_EQ(panel->getSubItemCountforParentID(55), 0);
    QTest::mouseClick(panel->formatPanel()->tiles()[0], Qt::LeftButton);
    EXPECT_EQ(rec.announced.constLast(), 31) << "clicking the selected tile announces nothing new";
}

TEST_F(Cascade, SettingsViewSlidesInAndBackWithoutChangingTheGrid)
{
    panel->SelectedFirstItem();
    const QRectF home = panel->oldFormatViewRect();
    panel->ShowParamInfoView();
    EXPECT_TRUE(rec.saved.isEmpty()) << "closing a closed view sends nothing";

    SubFormatView *tile = panel->formatPanel()->tiles()[1];
    tile->doFormatParam();
    EXPECT_EQ(rec.opened, QList<int>{2});
    EXPECT_EQ(rec.announced.constLast(), 2) << "the settings button selects its tile";
    EXPECT_FALSE(panel->returnButton()->isVisible()) << "the return button waits for the slide";
    EXPECT_FALSE(panel->categoryPanel()->isEnable());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return panel->returnButton()->isVisible(); }, 3000));
    EXPECT_FALSE(panel->categoryPanel()->forwardButton()->isEnabled());

    // A click on the strip is ignored while the settings show.
    const CMMenuItem *before = panel->menuData().selItem();
    const QRectF audioBox = panel->menuData().menuItemArray()[2]->frame;
    QTest::mouseClick(panel->categoryPanel(), Qt::LeftButton, {},
                      QPoint(int(audioBox.center().x()), panel->categoryPanel()->height() / 2));
    EXPECT_EQ(panel->menuData().selItem(), before);

    QTest::mouseClick(panel->returnButton(), Qt::LeftButton);
    EXPECT_EQ(rec.saved, QList<int>{2});
    EXPECT_FALSE(panel->returnButton()->isVisible());
    EXPECT_TRUE(panel->categoryPanel()->isEnable());
    EXPECT_EQ(panel->oldFormatViewRect(), home);
    panel->resetResolution(640, 360, 2);
    EXPECT_EQ(panel->formatPanel()->tileForID(2)->mtNewResolution(), QStringLiteral("640*360"));
    EXPECT_TRUE(panel->formatPanel()->tileForID(2)->resChanged());
}

TEST(OpenPanelFilter, ChooserTitleTable)
{
    const QString mixed = QStringLiteral("Video Files (*.mp4;*.MOV)");
    const QString all = QStringLiteral("All Files *.*");
    const struct
    {
        const char *path;
        QString title;
        bool folder, shown;
    } cases[] = {
        {"/m/a.mov", mixed, false, true},
        {"/m/a.MP4", mixed, false, true},
        {"/m/a.Mov", mixed, false, true},
        {"/m/a.mkv", mixed, false, false},
        {"/m/noext", mixed, false, false},
        {"/m/a.mkv", all, false, true},
        {"/m/VIDEO_TS.IFO", all, false, false},
        {"/m/video_ts.vob", mixed, false, false},
        {"/m/VIDEO_TS", mixed, true, true},
        {"/m/sub", mixed, true, true},
        {"/m/a.mkv", QString(), false, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OpenPanel::shouldShowFilename(QString::fromUtf8(c.path), c.title, c.folder), c.shown)
            << c.path << " / " << c.title.toStdString();
    EXPECT_EQ(OpenPanel::extensionsOfTitle(mixed), (QStringList{"mp4", "mov"}));
    EXPECT_TRUE(OpenPanel::extensionsOfTitle(all).isEmpty());

    QTemporaryDir dir;
    QFile(dir.filePath("a.mp4")).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir("folder.mp4");
    EXPECT_TRUE(OpenPanel::canConfirm({dir.filePath("a.mp4")}, mixed));
    EXPECT_FALSE(OpenPanel::canConfirm({dir.filePath("folder.mp4")}, mixed)) << "a folder is never confirmed";
    EXPECT_FALSE(OpenPanel::canConfirm({dir.filePath("a.mp4"), dir.filePath("folder.mp4")}, mixed));
    EXPECT_FALSE(OpenPanel::canConfirm({}, mixed));
}

TEST(LinkLabel, OpensOnlyWebAddresses)
{
    const struct
    {
        const char *url, *text, *opened;
    } cases[] = {
        {"https://example.org/help", "Help", "https://example.org/help"},
        {"", "http://example.org/page", "http://example.org/page"},
        {"", " HTTPS://Example.org ", "https://example.org"},
        {"file:///etc/passwd", "x", nullptr},
        {"", "javascript:alert(1)", nullptr},
        {"", "/usr/bin/xterm", nullptr},
        {"", "smb://host/share", nullptr},
        {"", "https://", nullptr},
        {"", "", nullptr},
    };
    for (const auto &c : cases) {
        const QUrl u = UrlLabel::addressToOpen(QString::fromUtf8(c.url), QString::fromUtf8(c.text));
        if (c.opened)
            EXPECT_EQ(u.toString(), QString::fromUtf8(c.opened)) << c.text;
        else
            EXPECT_TRUE(u.isEmpty()) << c.url << c.text;
    }
    // A click inside opens through the desktop; a click on a refused text opens nothing.
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &, const QStringList &targets) {
        opened << targets;
        return true;
    });
    UrlLabel label;
    label.resize(120, 20);
    label.setText(QStringLiteral("https://example.org/guide"));
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    label.setText(QStringLiteral("file:///etc/passwd"));
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    Workspace::setHookForTesting({});
    EXPECT_EQ(opened, QStringList{QStringLiteral("https://example.org/guide")});
}

TEST(ConverterPopUp, BezelPictures)
{
    EXPECT_EQ(VCPopUpButton::bezelImageNames(false, false, false),
              (QStringList{"VCPopupBtnLeftN", "VCPopupBtnFillN", "VCPopupBtnRightN"}));
    EXPECT_EQ(VCPopUpButton::bezelImageNames(false, false, true),
              (QStringList{"VCPopupBtnLeftN", "VCPopupBtnFillN", "PullDownRightN"}));
    EXPECT_EQ(VCPopUpButton::bezelImageNames(false, true, false),
              (QStringList{"VCPopupBtnLeftP", "VCPopupBtnFillP", "VCPopupBtnRightP"}))
        << "pressed pictures at rest";
    EXPECT_EQ(VCPopUpButton::bezelImageNames(true, false, true),
              (QStringList{"VCPopupBtnLeftP", "VCPopupBtnFillP", "PullDownRightP"}));
}

TEST(ConverterPopUp, PictureAndTitleGeometry)
{
    using P = VCPopUpButton::ImagePosition;
    const QRect bounds(0, 0, 180, 24); // interior 6..161, the picture 16 x 16 centred at y 4
    const struct
    {
        P position;
        Qt::Alignment alignment;
        QRect image, title;
    } cases[] = {
        {P::ImageLeft, Qt::AlignLeft, QRect(5, 4, 16, 16), QRect(27, -1, 143, 24)},
        {P::ImageRight, Qt::AlignLeft, QRect(149, 4, 16, 16), QRect(6, -1, 143, 24)},
        {P::ImageRight, Qt::AlignRight, QRect(149, 4, 16, 16), QRect(3, -1, 143, 24)},
        {P::ImageOnly, Qt::AlignLeft, QRect(80, 4, 16, 16), QRect(6, -1, 162, 24)},
        {P::ImageOverlaps, Qt::AlignLeft, QRect(80, 4, 16, 16), QRect(6, -1, 162, 24)},
        {P::ImageAbove, Qt::AlignLeft, QRect(80, 4, 16, 16), QRect(6, -1, 162, 24)},
        {P::NoImage, Qt::AlignLeft, QRect(), QRect(6, -1, 162, 24)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.position));
        EXPECT_EQ(VCPopUpButton::imageRectForBounds(bounds, QSize(16, 16), c.position), c.image);
        EXPECT_EQ(VCPopUpButton::titleRectForBounds(bounds, QSize(16, 16), c.position, c.alignment), c.title);
    }
    EXPECT_EQ(VCPopUpButton::drawnImageSize(QSize(32, 32), QStringLiteral("NSActionTemplate")), QSize(10, 10));
    EXPECT_EQ(VCPopUpButton::drawnImageSize(QSize(32, 32), QStringLiteral("other")), QSize(32, 32));
}

TEST(ConverterPopUp, DrawsItsPictureUnscaledAndTheActionPictureAtTenPoints)
{
    auto pictureBox = [](VCPopUpButton &b) {
        QImage shot = b.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QRect box;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixelColor(x, y) == QColor(Qt::red))
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    QImage red(12, 12, QImage::Format_ARGB32);
    red.fill(Qt::red);
    VCPopUpButton b;
    b.resize(180, 24);
    b.addItem(QStringLiteral("Actions"));
    EXPECT_TRUE(pictureBox(b).isNull()) << "no picture, none drawn";
    b.setImage(red);
    EXPECT_EQ(pictureBox(b), VCPopUpButton::imageRectForBounds(b.rect(), QSize(12, 12), VCPopUpButton::ImagePosition::ImageLeft));
    b.setImage(red.scaled(32, 32), QStringLiteral("NSActionTemplate"));
    EXPECT_EQ(pictureBox(b).size(), QSize(10, 10));
    b.setImagePosition(VCPopUpButton::ImagePosition::NoImage);
    EXPECT_TRUE(pictureBox(b).isNull());
    EXPECT_FALSE(VCPopUpButton::actionTemplateImage().isNull());
}

TEST(EncoderValues, FormattersTypingAndValues)
{
    MyIntegerFormatter integer;
    MyFloatFormatter decimal;
    MyResolutionFormatter resolution;
    MyFrameRateFormatter frameRate;
    const struct
    {
        const NumberFieldFormatter *formatter;
        const char *text;
        bool typeable;
        QVariant value; // null: refused
    } cases[] = {
        {&integer, "128", true, QVariant(qlonglong(128))},
        {&integer, "", true, {}},
        {&integer, "0", true, {}},
        {&integer, "12a", false, {}},
        {&integer, "-5", false, {}},
        {&integer, "99999999999999999999", true, {}}, // too large: refused, not wrapped
        {&decimal, "29.97", true, QVariant(29.97)},
        {&decimal, "25.", true, QVariant(25.0)},
        {&decimal, "0.5", true, {}},
        {&decimal, ".5", true, {}},
        {&decimal, "1.2.3", false, {}},
        {&decimal, "1,5", false, {}},
        {&resolution, "1920*1080", true, QVariant(QStringLiteral("1920*1080"))},
        {&resolution, "1280*", true, QVariant(QStringLiteral("1280*"))},
        {&resolution, "0*720", true, {}},
        {&resolution, "*720", true, {}},
        {&resolution, "1920*1080*2", false, {}},
        {&resolution, "1920x1080", false, {}},
        {&frameRate, "29.97 fps", true, QVariant(QStringLiteral("29.97 fps"))},
        {&frameRate, "30", true, QVariant(QStringLiteral("30"))},
        {&frameRate, "29.9.7", false, QVariant(QStringLiteral("29.9.7"))},
        {&frameRate, "30 fp", false, QVariant(QStringLiteral("30 fp"))},
        {&frameRate, "-5 fps", false, {}},
        {&frameRate, "-3x", false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(c.formatter->isPartialStringValid(text), c.typeable);
        QVariant value(QStringLiteral("stale"));
        EXPECT_TRUE(c.formatter->getObjectValue(&value, text));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(c.formatter->stringForObjectValue(value), c.value.isNull() ? QString() : c.value.toString());
        int pos = 0;
        const QValidator::State want = !c.typeable        ? QValidator::Invalid
                                       : c.value.isNull() ? QValidator::Intermediate
                                                          : QValidator::Acceptable;
        EXPECT_EQ(c.formatter->validate(text, pos), want);
    }
}

TEST(EncoderValues, ValidatorTable)
{
    const struct
    {
        EncValueValidator::Kind kind;
        const char *text;
        QValidator::State state;
    } cases[] = {
        {EncValueValidator::Resolution, "1920*1080", QValidator::Acceptable},
        {EncValueValidator::Resolution, "16*16", QValidator::Acceptable},
        {EncValueValidator::Resolution, "1921*1080", QValidator::Intermediate},
        {EncValueValidator::Resolution, "2048*1080", QValidator::Intermediate},
        {EncValueValidator::Resolution, "12*12", QValidator::Intermediate},
        {EncValueValidator::Resolution, "1920x1080", QValidator::Invalid},
        {EncValueValidator::Resolution, "1920**1080", QValidator::Invalid},
        {EncValueValidator::Resolution, "-8*8", QValidator::Invalid},
        {EncValueValidator::FrameRate, "30", QValidator::Acceptable},
        {EncValueValidator::FrameRate, "100", QValidator::Acceptable},
        {EncValueValidator::FrameRate, "101", QValidator::Intermediate},
        {EncValueValidator::FrameRate, "0", QValidator::Intermediate},
        {EncValueValidator::FrameRate, "29.97", QValidator::Invalid},
        {EncValueValidator::FrameRate, "Keep original frame rate", QValidator::Acceptable},
        {EncValueValidator::FrameRate, "Keep orig", QValidator::Intermediate},
        {EncValueValidator::Bitrate, "64", QValidator::Acceptable},
        {EncValueValidator::Bitrate, "128000", QValidator::Acceptable},
        {EncValueValidator::Bitrate, "63", QValidator::Intermediate},
        {EncValueValidator::Bitrate, "99999999999999999999", QValidator::Intermediate},
        {EncValueValidator::Bitrate, "1500k", QValidator::Invalid},
    };
    for (const auto &c : cases) {
        EncValueValidator v(c.kind);
        QString text = QString::fromUtf8(c.text);
        int pos = 0;
        EXPECT_EQ(v.validate(text, pos), c.state) << c.text;
    }
}
