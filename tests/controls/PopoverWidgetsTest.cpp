#include "ActionReceiver.h"
#include "WidgetTestSupport.h"

#include "controls/EditMenu.h"
#include "controls/EditMenuBgView.h"
#include "controls/EditMenuItem.h"
#include "controls/MAAttachedWindow.h"
#include "controls/MTArrowPopView.h"
#include "controls/MTPopUpButtonCell.h"
#include "controls/MTThreePartButton.h"
#include "controls/MenuItemView.h"
#include "controls/ShowTipMessage.h"
#include "controls/SuggestionWindow.h"
#include "support/TestEnvironment.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>

using namespace WidgetTest;

namespace {

using Receiver = ActionReceiver;

std::unique_ptr<QWidget> topLevel(const QRect &geometry)
{
    auto w = std::make_unique<QWidget>();
    w->setGeometry(geometry);
    w->show();
    return w;
}

QWidget *fixedView(int w, int h)
{
    auto *v = new QWidget;
    v->resize(w, h);
    return v;
}

} // namespace

// --- Attached pop-over ---

TEST(MAAttachedWindow, NullViewMakesNothing)
{
    EXPECT_EQ(MAAttachedWindow::create(nullptr, QPointF(10, 10)), nullptr);
    EXPECT_EQ(MAAttachedWindow::create(nullptr, QPointF(10, 10), nullptr, 1, 5), nullptr);
}

TEST(MAAttachedWindow, SettersClampAndArrowKeepsItsRoom)
{
    std::unique_ptr<MAAttachedWindow> w(MAAttachedWindow::create(fixedView(50, 20), QPointF(300, 300), nullptr, 1, 0));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->borderWidth(), 2.0);
    EXPECT_EQ(w->cornerRadius(), 8.0);
    EXPECT_EQ(w->windowBackgroundColor(), QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.75f));
    w->setBorderWidth(10);
    EXPECT_EQ(w->borderWidth(), 2.0);
    w->setCornerRadius(10);
    EXPECT_EQ(w->cornerRadius(), 2.0);  // 50 × 20 view, margin 2, arrow 20
    EXPECT_EQ(w->arrowBaseWidth(), 20.0);

    // 54 × 24 plus 16 of arrow room; the bubble hangs below the point, centred.
    EXPECT_EQ(w->geometry(), QRect(300 - 27, 300, 54, 40));
    EXPECT_EQ(w->tipView()->geometry(), QRect(2, 18, 50, 20));
    const QRect before = w->geometry();
    w->setHasArrow(0.0);
    EXPECT_EQ(w->hasArrow(), 0.0);
    EXPECT_EQ(w->geometry(), before);

    // Side 12 at setPoint: the window's lower-left corner on the point, no arrow room.
    w->setPoint(QPointF(100, 200), 12);
    EXPECT_EQ(w->geometry(), QRect(100, 200 - 24, 54, 24));
}

TEST(MAAttachedWindow, DrawsBubbleAndArrow)
{
    std::unique_ptr<MAAttachedWindow> w(MAAttachedWindow::create(fixedView(60, 30), QPointF(300, 300), nullptr, 1, 0));
    auto *view = w->tipView();
    view->setAutoFillBackground(true);
    w->setBackgroundColor(Qt::white);
    w->setBorderColor(QColor(32, 192, 91));
    const QImage img = w->grab().toImage();
    ASSERT_EQ(img.size(), QSize(64, 50));
    EXPECT_EQ(qAlpha(img.pixel(0, 16)), 0);               // rounded corner stays clear
    EXPECT_EQ(qAlpha(img.pixel(5, 5)), 0);                // beside the arrow
    EXPECT_GT(qAlpha(img.pixel(32, 8)), 200);             // inside the arrow
    EXPECT_GT(qGreen(img.pixel(32, 17)), 150);            // border along the top edge
}

TEST(MAAttachedWindow, FollowsParentWindowAndEscapeResigns)
{
    auto parent = topLevel(QRect(100, 100, 400, 300));
    std::unique_ptr<MAAttachedWindow> w(MAAttachedWindow::create(fixedView(80, 40), QPointF(200, 50), parent.get(), 1, 4));
    // Hanging below the point, centred, 4 points away.
    const auto expected = [&] { return parent->mapToGlobal(QPoint(200, 50)) + QPoint(-42, 4); };
    EXPECT_EQ(w->pos(), expected());
    const QPoint start = w->pos();
    parent->move(160, 130);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return w->pos() != start; }, 2000));
    EXPECT_EQ(w->pos(), expected());
    EXPECT_NE(expected(), start);

    QSignalSpy resigned(w.get(), &MAAttachedWindow::didResignKey);
    w->makeKeyAndOrderFront();
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_GE(resigned.count(), 1);
    EXPECT_TRUE(w->isVisible());  // owners close it
}

TEST(MAAttachedWindow, AutomaticSideChoosesBelowWithRoom)
{
    std::unique_ptr<MAAttachedWindow> w(MAAttachedWindow::create(fixedView(80, 40), QPointF(300, 100)));
    ASSERT_TRUE(w);
    EXPECT_NE(w->side(), 12);
    EXPECT_EQ(w->side(),
              PopoverGeometry::bestSide(w->metrics(), QSizeF(80, 40), w->anchorUp(), 0, w->screenRectUp(), w->parentRectUp()));
}

// --- Tip bubble ---

TEST(ShowTipMessage, ReusesOneBubbleAndFitsLongText)
{
    auto parent = topLevel(QRect(50, 50, 600, 400));
    ShowTipMessage &tips = ShowTipMessage::share();
    tips.showTipWithString(QStringLiteral("Download"), QPointF(100, 20), parent.get());
    MAAttachedWindow *first = tips.getTipWindow();
    EXPECT_FALSE(first->isVisible());  // getTipWindow hides it
    tips.showTipWithString(QStringLiteral("Convert"), QPointF(120, 20), parent.get());
    EXPECT_EQ(tips.getTipWindow(), first);
    tips.showTipWithString(QStringLiteral("Convert"), QPointF(120, 20), parent.get());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->tipView(), tips.tipTextField());
    EXPECT_EQ(tips.tipTextField()->text(), QStringLiteral("Convert"));
    EXPECT_EQ(first->side(), 1);
    // The clamps of the bubble apply: border 8 asked, margin 2 given.
    EXPECT_EQ(first->borderWidth(), 2.0);

    const QString longText(200, QLatin1Char('w'));
    tips.showTipWithString(longText, QPointF(120, 20), parent.get());
    const qreal textWidth = QFontMetricsF(tips.tipTextField()->font()).horizontalAdvance(longText);
    EXPECT_GE(tips.tipTextField()->width(), int(std::min<qreal>(textWidth, 1000)));
    EXPECT_GT(first->width(), tips.tipTextField()->width());
    tips.closeTipWindow();
    EXPECT_FALSE(first->isVisible());
}

TEST(ShowTipMessage, ShowsTheGivenViewThenTheTextAgain)
{
    auto parent = topLevel(QRect(50, 50, 600, 400));
    auto *button = new QPushButton(QStringLiteral("Here"), parent.get());
    button->setGeometry(200, 100, 80, 30);
    ShowTipMessage &tips = ShowTipMessage::share();
    auto *custom = new QLabel(QStringLiteral("Custom"));
    custom->resize(120, 40);
    tips.showTipWithView(custom, button);
    MAAttachedWindow *w = tips.getTipWindow();
    EXPECT_EQ(w->tipView(), custom);
    EXPECT_EQ(custom->parentWidget(), w);
    tips.showTipWithView(custom, button);
    EXPECT_TRUE(custom->isVisible());
    EXPECT_EQ(w->tipView()->size(), QSize(120, 40));

    tips.showTipWithString(QStringLiteral("Back to text"), button);
    EXPECT_EQ(w->tipView(), tips.tipTextField());
    EXPECT_EQ(custom->parentWidget(), nullptr);
    EXPECT_FALSE(custom->isVisible());
    delete custom;
    tips.closeTipWindow();
}

// --- Edit menu ---

TEST(EditMenu, PlacesRowsAndPopsUpAtTheAnchoredPoint)
{
    EditMenu menu(QImage(), QSizeF(120, 38));
    Receiver r;
    EXPECT_EQ(menu.addItemWithTitle(QString(), &r, "picked"), nullptr);
    EXPECT_EQ(menu.count(), 0);
    EditMenuItem *item = menu.addItemWithTitle(QStringLiteral("Download MP3"), &r, "picked");
    ASSERT_TRUE(item);
    item->setIsSelected(true);
    EXPECT_EQ(item->geometry(), QRect(1, 4, 118, 30));
    EXPECT_EQ(menu.bgView()->geometry(), QRect(0, 0, 120, 38));
    EXPECT_EQ(menu.menuItemAtIndex(0), item);
    EXPECT_EQ(menu.menuItemAtIndex(1), nullptr);
    EXPECT_EQ(menu.indexOfItemWithObjectValue(item), 0);

    QSignalSpy opened(&menu, &EditMenu::editMenuWillOpen);
    menu.setAnchorPoint(QPointF(10, 5));
    menu.popUpAtPoint(QPoint(300, 200));
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(menu.geometry().topLeft(), QPoint(290, 195));
    EXPECT_TRUE(menu.isVisible());
}

TEST(EditMenu, ClicksChooseHideOrIgnore)
{
    struct Case { const char *why; bool disable; QPoint at; int sent; };
    const Case cases[] = {
        {"a click on an enabled row sends and hides", false, QPoint(60, 20), 1},
        {"a click on a disabled row hides without sending", true, QPoint(60, 20), 0},
        {"a click beside the rows hides", false, QPoint(60, 1), 0},
    };
    // Activations other tests asked for land first, or they would close the pop-up mid-click.
    QApplication::processEvents();
    for (const Case &c : cases) {
        EditMenu menu(QImage(), QSizeF(120, 38));
        Receiver r;
        EditMenuItem *item = menu.addItemWithTitle(QStringLiteral("Download MP3"), &r, "picked");
        item->setIsEnable(!c.disable);
        QSignalSpy closed(&menu, &EditMenu::editMenuWillClose);
        menu.popUpAtPoint(QPoint(100, 100));
        QTest::mouseMove(&menu, c.at);
        QTest::mouseClick(&menu, Qt::LeftButton, {}, c.at);
        EXPECT_FALSE(menu.isVisible()) << c.why;
        EXPECT_EQ(r.senders.size(), c.sent) << c.why;
        if (c.sent && !r.senders.isEmpty()) {
            EXPECT_EQ(r.senders.first(), item) << c.why;
        }
        EXPECT_EQ(closed.count(), 1) << c.why;
    }
}

TEST(EditMenu, HoverFollowsThePointerAndEscapeDrops)
{
    EditMenu menu(QImage(), QSizeF(120, 72));
    Receiver r;
    EditMenuItem *a = menu.addItemWithTitle(QStringLiteral("One"), &r, "picked");
    menu.addSeparator();
    EditMenuItem *b = menu.addItemWithTitle(QStringLiteral("Two"), &r, "picked");
    EXPECT_EQ(b->geometry().top(), 4 + 30 + 1);
    menu.popUpAtPoint(QPoint(100, 100));
    move(&menu, QPointF(50, 10), Qt::LeftButton);
    EXPECT_TRUE(a->isMouseIn());
    EXPECT_FALSE(b->isMouseIn());
    move(&menu, QPointF(50, 50), Qt::LeftButton);
    EXPECT_FALSE(a->isMouseIn());
    EXPECT_TRUE(b->isMouseIn());
    QTest::keyClick(&menu, Qt::Key_Escape);
    EXPECT_FALSE(menu.isVisible());
    EXPECT_TRUE(r.senders.isEmpty());
}

TEST(EditMenuItem, SelectedRowShowsTheCheckMark)
{
    std::unique_ptr<EditMenuItem> item(EditMenuItem::create(QStringLiteral("Download MP3"), nullptr, nullptr));
    item->resize(160, 30);
    auto darkIn = [](const QImage &img, const QRect &r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(img.pixel(x, y)) < 120 ? 1 : 0;
        return n;
    };
    const QRect checkArea(8, 8, 14, 14);
    EXPECT_EQ(darkIn(render(item.get()), checkArea), 0);
    item->setIsSelected(true);
    EXPECT_GT(darkIn(render(item.get()), checkArea), 3);
    // Hovered: green row, the check turns white.
    item->mouseEntered();
    const QImage hovered = render(item.get());
    EXPECT_EQ(darkIn(hovered, checkArea), 0);
    EXPECT_GT(qGreen(hovered.pixel(150, 3)), qRed(hovered.pixel(150, 3)) + 60);
    // Titles keep their indent whether selected or not.
    EXPECT_DOUBLE_EQ(item->titleRect().x(), 14 + 8.5 + 5.0);
}

TEST(MenuItemView, ClickTogglesAndSendsWhenEnabled)
{
    MenuItemView v;
    v.resize(180, 30);
    v.setTitle(QStringLiteral("Shut down"));
    v.setTagValue(2);
    Receiver r;
    v.setTarget(&r);
    v.setSelector("picked");
    QTest::mouseClick(&v, Qt::LeftButton);
    EXPECT_TRUE(v.isSelected());
    ASSERT_EQ(r.senders.size(), 1);
    EXPECT_EQ(r.senders.first(), &v);
    render(&v);
    EXPECT_EQ(v.bgColor(), QColor::fromRgbF(221 / 255.0f, 237 / 255.0f, 252 / 255.0f));
    v.setIsEnable(false);
    QTest::mouseClick(&v, Qt::LeftButton);
    EXPECT_FALSE(v.isSelected());
    EXPECT_EQ(r.senders.size(), 1);
    EXPECT_DOUBLE_EQ(v.titleRect().x(), 16.0);
}

// --- Suggestion window ---

namespace {
class WheelCounter : public QPushButton
{
public:
    int wheels = 0;
    using QPushButton::QPushButton;

protected:
    void wheelEvent(QWheelEvent *) override { ++wheels; }
};
} // namespace

TEST(SuggestionWindow, FakeMenuSwallowsScrollAndOutsideClicks)
{
    auto other = topLevel(QRect(0, 0, 300, 200));
    auto *button = new WheelCounter(QStringLiteral("Other"), other.get());
    button->setGeometry(10, 10, 100, 30);
    button->show();
    QSignalSpy clicked(button, &QPushButton::clicked);

    SuggestionWindow s;
    s.setGeometry(400, 0, 200, 100);
    auto *inside = new QPushButton(QStringLiteral("Mine"), &s);
    inside->setGeometry(10, 10, 100, 30);
    QSignalSpy insideClicked(inside, &QPushButton::clicked);
    s.beginFakeMenu();
    ASSERT_TRUE(s.inFakeMenu());

    QWheelEvent wheel(QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(button, &wheel);
    EXPECT_EQ(button->wheels, 0);

    QTest::mouseClick(inside, Qt::LeftButton);
    EXPECT_EQ(insideClicked.count(), 1);
    EXPECT_TRUE(s.inFakeMenu());

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_FALSE(s.inFakeMenu());
    EXPECT_FALSE(s.isVisible());

    // Outside the mode nothing is held back.
    QApplication::sendEvent(button, &wheel);
    EXPECT_EQ(button->wheels, 1);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

// --- Arrow pop view and three-part buttons ---

TEST(MTArrowPopView, ReportsRowsCountedFromTheTop)
{
    MTArrowPopView v(QStringLiteral("findlist_t"), QStringLiteral("findlist_m"), QStringLiteral("findlist_b"), true);
    v.resize(260, 80);
    v.setType(1);
    v.addOneRowString(QStringLiteral("Show downloaded file"));
    v.addOneRowString(QString());
    v.addOneRowString(QStringLiteral("Show converted file"));
    ASSERT_EQ(v.rows().size(), 2);
    EXPECT_EQ(v.rows().first(), QStringLiteral("Show converted file"));
    QSignalSpy spy(&v, &MTArrowPopView::didClickAtRow);
    struct Case { int yFromBottom; int row; };
    for (const Case &c : {Case{20, 1}, Case{40, 0}}) {
        QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(50, 80 - c.yFromBottom));
        ASSERT_FALSE(spy.isEmpty());
        const QList<QVariant> args = spy.takeLast();
        EXPECT_EQ(args.at(1).toInt(), c.row) << c.yFromBottom;
        EXPECT_EQ(args.at(2).toInt(), 1);
    }
    // Beside the rows: nothing is reported.
    QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_TRUE(spy.isEmpty());
}

TEST(MTArrowPopView, WithoutPicturesDrawsWhite)
{
    MTArrowPopView v(QString(), QString(), QString(), true);
    v.resize(100, 60);
    const QImage img = render(&v);
    EXPECT_EQ(img.pixel(2, 2), QColor(Qt::white).rgba());
    MTArrowPopView art(QStringLiteral("findlist_t"), QStringLiteral("findlist_m"), QStringLiteral("findlist_b"), true);
    art.resize(260, 80);
    EXPECT_FALSE(art.headImg().isNull());
    EXPECT_EQ(qAlpha(render(&art).pixel(2, 2)), 0);  // the head's clear corner above the bubble
}

TEST(MTThreePartButton, ScaleToFitTitle)
{
    MTThreePartButton b;
    b.setGeometry(100, 10, 80, 30);
    b.scaleToFitTitle(QStringLiteral("Transfer"), 2, 14);
    EXPECT_EQ(b.geometry(), QRect(100, 10, 80, 30));  // no title yet: unchanged
    b.setTitle(QStringLiteral("Go"));
    b.scaleToFitTitle(QStringLiteral("Transfer"), 0, 0);
    const qreal w = QFontMetricsF(b.textFont()).horizontalAdvance(QStringLiteral("Transfer"));
    EXPECT_EQ(b.width(), QRectF(0, 0, w + 6, 1).toRect().width());
    EXPECT_EQ(b.x(), 100);
    EXPECT_EQ(b.title(), QStringLiteral("Transfer"));
    b.setHeadImg(QImage(), QImage(), QImage());
    EXPECT_FALSE(b.normalImage().isNull());  // composed, if empty, at the size of the moment
}

TEST(MTPopUpButtonCell, NoPicturesNoBezelAndTitleColours)
{
    MTPopUpButtonCell::ClassImages saved = MTPopUpButtonCell::classImages();
    MTPopUpButtonCell cell;
    cell.resize(140, 30);
    EXPECT_FALSE(cell.bezelRect().isEmpty());  // the program's "select" pictures
    EXPECT_EQ(cell.bezelRect().height(), 26);
    MTPopUpButtonCell::classImages() = {};
    EXPECT_TRUE(cell.bezelRect().isEmpty());
    cell.setTitleImage(QImage(16, 16, QImage::Format_ARGB32));
    EXPECT_DOUBLE_EQ(cell.titleRectForBounds(QRectF(0, 0, 140, 26)).x(), 23.0);
    MTPopUpButtonCell::classImages() = saved;
    EXPECT_EQ(cell.titleColor(), QColor(Qt::white));
}

#include "PopoverWidgetsTest.moc"
