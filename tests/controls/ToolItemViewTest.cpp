#include "ActionReceiver.h"
#include "WidgetTestSupport.h"

#include "controls/ActionView.h"
#include "controls/ToolItemView.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace WidgetTest;

namespace {
using Receiver = ActionReceiver;

void release(QWidget *w, QPoint at)
{
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

ToolItemView::Text text(const QString &s, int px = 13)
{
    QFont f;
    f.setPixelSize(px);
    return {s, f, Qt::black};
}
} // namespace

TEST(ActionView, ClickSendsOnlyWhenEnabledInsideAndWired)
{
    Receiver r;
    ActionView v;
    v.resize(100, 40);
    v.show();
    v.setTarget(&r);
    v.setClickAction("picked");
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(r.senders.isEmpty()) << "made in code, so still disabled";

    v.awakeFromNib();
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(r.senders.size(), 1);
    EXPECT_EQ(r.senders[0], &v);

    QTest::mousePress(&v, Qt::LeftButton, {}, QPoint(10, 10));
    release(&v, QPoint(150, 10));
    EXPECT_EQ(r.senders.size(), 1) << "released outside";

    v.setClickAction("");
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(r.senders.size(), 1) << "no action";
}

TEST(ActionView, DisabledDrawsDimmed)
{
    ActionView v;
    v.resize(20, 20);
    auto page = [&v] {
        QImage img(v.size(), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::black);
        v.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
        return img.pixelColor(10, 10);
    };
    EXPECT_NEAR(page().red(), 230, 2);  // white at 90 % over black
    v.setIsEnabled(true);
    EXPECT_EQ(page().red(), 255);
}

TEST(ToolItemView, ReleaseOutsideOrDisabledSendsNothingAndClearsThePressedLook)
{
    Receiver r;
    ToolItemView t(QRect(0, 0, 200, 60));
    t.show();
    t.setTarget(&r);
    t.setClickAction("picked");
    t.awakeFromNib();

    enter(&t);
    EXPECT_EQ(t.curBackgroundImage(), "toolbox-199_");
    QTest::mousePress(&t, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(t.isPressed());
    EXPECT_EQ(t.curBackgroundImage(), "toolbox-197_");
    release(&t, QPoint(250, 20));
    EXPECT_TRUE(r.senders.isEmpty());
    EXPECT_FALSE(t.isPressed());
    EXPECT_EQ(t.curBackgroundImage(), "");

    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(r.senders.size(), 1);

    t.setIsEnabled(false);
    QTest::mousePress(&t, Qt::LeftButton, {}, QPoint(20, 20));
    release(&t, QPoint(20, 20));
    EXPECT_EQ(r.senders.size(), 1);
    EXPECT_FALSE(t.isPressed());

    t.setIsEnabled(true);
    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(r.senders.size(), 2);
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(20, 20), t.mapToGlobal(QPointF(20, 20)), Qt::LeftButton,
                       Qt::LeftButton, {});
    QApplication::sendEvent(&t, &second);
    EXPECT_TRUE(t.isPressed());
    release(&t, QPoint(20, 20));
    EXPECT_EQ(r.senders.size(), 2) << "the second click of a double click";
    EXPECT_FALSE(t.isPressed());

    leave(&t);
    EXPECT_FALSE(t.isEntered());
}

TEST(ToolItemView, ClickAreaFollowsTheTileSize)
{
    Receiver r;
    ToolItemView t;
    t.setTarget(&r);
    t.setClickAction("picked");
    t.awakeFromNib();
    t.resize(120, 50);
    t.show();
    EXPECT_EQ(t.clickRect(), QRect(0, 0, 120, 50));
    QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(110, 40));
    EXPECT_EQ(r.senders.size(), 1);
}

TEST(ToolItemView, TextSizeTable)
{
    const ToolItemView::Text shortText = text("Convert");
    const QSizeF one = QFontMetricsF(shortText.font).size(Qt::TextSingleLine, shortText.string);
    const ToolItemView::Text longText = text(QString(40, QLatin1Char('W')));
    const QSizeF longOne = QFontMetricsF(longText.font).size(Qt::TextSingleLine, longText.string);
    ASSERT_GT(longOne.width(), 100);
    struct Case { ToolItemView::Text t; int width; QSizeF want; };
    const Case cases[] = {
        {shortText, 400, one},
        {shortText, int(std::ceil(one.width())), one},  // exactly as wide fits
        {text(""), 0, QFontMetricsF(shortText.font).size(Qt::TextSingleLine, "")},
        {longText, 100, {100, longOne.height() + std::floor(longOne.width() / 100) * longOne.height() + 10}},
        {longText, int(longOne.width()) - 1, {int(longOne.width()) - 1.0, 2 * longOne.height() + 10}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ToolItemView::calcTextSize(c.t, c.width), c.want) << c.t.string.toStdString() << " in " << c.width;
}

TEST(ToolItemView, LayoutPlacesIconAndStacksTheTexts)
{
    const QSizeF bounds(240, 80);
    const auto withIcon = ToolItemView::layoutFor(bounds, QSizeF(32, 32), text("Video"), text("Convert media"));
    EXPECT_EQ(withIcon.icon, QRectF(18, (80 - 10 - 32) / 2.0, 32, 32));
    EXPECT_EQ(withIcon.title.x(), 18 + 32 + 10);
    EXPECT_EQ(withIcon.title.bottom(), withIcon.subTitle.top()) << "the subtitle meets the title";
    EXPECT_EQ(withIcon.subTitle.top(), 80 - 50);

    const auto bare = ToolItemView::layoutFor(bounds, QSizeF(), text("Video"), text("x"));
    EXPECT_EQ(bare.title.x(), 0);
    EXPECT_TRUE(bare.icon.isNull());

    // A long title gets the whole text width and a taller box, cut to 20 past 40 points.
    const auto wrapped = ToolItemView::layoutFor(bounds, QSizeF(), text(QString(60, QLatin1Char('W'))), text(""));
    EXPECT_EQ(wrapped.title.width(), 240 - 18);
    EXPECT_EQ(wrapped.title.height(), 20);
}
