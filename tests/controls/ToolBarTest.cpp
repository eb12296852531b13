#include "WidgetTestSupport.h"

#include "support/TestEnvironment.h"

#include "controls/ControlSlices.h"
#include "controls/QVToolBar.h"
#include "controls/QVToolBarItem.h"

#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>

using namespace WidgetTest;

namespace {

class PageSwitch : public QObject
{
    Q_OBJECT
public:
    QList<int> tags;
public slots:
    void showPage(QObject *sender) { tags.append(static_cast<QVToolBarItem *>(sender)->tag()); }
};

class Veto : public QVToolBarDelegate
{
public:
    bool allow = true;
    int asked = 0;
    bool toolBarShouldSelectItem(QVToolBar *, QVToolBarItem *) override
    {
        ++asked;
        return allow;
    }
};

// The main window's bar: a column of five page items, 122 x 94 each, image above label.
struct Bar
{
    std::unique_ptr<QVToolBar> bar = std::make_unique<QVToolBar>();
    PageSwitch pages;

    Bar()
    {
        const char *names[] = {"Download", "Record", "Convert", "Transfer", "Online"};
        const int icons[] = {111, 113, 109, 115, 117};
        for (int i = 0; i < 5; ++i) {
            auto *item = new QVToolBarItem(QString::fromLatin1(names[i]));
            item->setLabel(QString::fromLatin1(names[i]));
            item->setTag(i);
            item->setImagePosition(5);
            item->setImage(ControlSlices::image(QStringLiteral("mainform-%1").arg(icons[i])));
            item->setTarget(&pages, "showPage");
            bar->addItem(item);
        }
        bar->setItemSize(QSizeF(122, 94));
        bar->resize(122, 600);
        bar->show();
        paint();
    }
    void paint() { render(bar.get()); }
    QVToolBarItem *item(int i) const { return bar->toolBarItemWithTag(i); }
    // The centre of item i in widget coordinates (the column runs down from the top).
    QPoint centre(int i) const { return QPoint(61, 94 * i + 47); }
    void click(int i) { QTest::mouseClick(bar.get(), Qt::LeftButton, Qt::NoModifier, centre(i)); }
};

} // namespace

TEST(QVToolBar, ClickSelectsTheItemAndSendsItsAction)
{
    Bar b;
    b.bar->selectItemWithTag(0);
    EXPECT_TRUE(b.pages.tags.isEmpty());  // selecting by tag calls no target
    b.click(2);
    EXPECT_EQ(b.pages.tags, QList<int>{2});
    EXPECT_EQ(b.bar->selectedItem(), b.item(2));
    EXPECT_FALSE(b.item(0)->isSelected());
    // The selected item ignores further clicks.
    b.click(2);
    EXPECT_EQ(b.pages.tags, QList<int>{2});
    // A disabled item sends nothing.
    b.item(4)->setEnabled(false);
    b.click(4);
    EXPECT_EQ(b.pages.tags, QList<int>{2});
    EXPECT_EQ(b.bar->selectedItem(), b.item(2));
}

TEST(QVToolBar, PressOnOneItemAndReleaseOnAnotherSelectsNothing)
{
    Bar b;
    QTest::mousePress(b.bar.get(), Qt::LeftButton, Qt::NoModifier, b.centre(1));
    EXPECT_TRUE(b.item(1)->isMouseDown());
    QTest::mouseRelease(b.bar.get(), Qt::LeftButton, Qt::NoModifier, b.centre(3));
    EXPECT_TRUE(b.pages.tags.isEmpty());
    EXPECT_EQ(b.bar->selectedItem(), nullptr);
    EXPECT_FALSE(b.item(1)->isMouseDown());
    // Off every item: nothing either.
    QTest::mousePress(b.bar.get(), Qt::LeftButton, Qt::NoModifier, b.centre(1));
    QTest::mouseRelease(b.bar.get(), Qt::LeftButton, Qt::NoModifier, QPoint(61, 590));
    EXPECT_TRUE(b.pages.tags.isEmpty());
}

TEST(QVToolBar, DelegateVetoAndNewBadge)
{
    Bar b;
    Veto veto;
    b.bar->setDelegate(&veto);
    b.item(3)->setNewOrHot(true);
    veto.allow = false;
    b.click(3);
    EXPECT_EQ(veto.asked, 1);
    EXPECT_TRUE(b.item(3)->isNewOrHot());
    EXPECT_EQ(b.bar->selectedItem(), nullptr);
    EXPECT_TRUE(b.pages.tags.isEmpty());

    veto.allow = true;
    b.click(3);
    EXPECT_FALSE(b.item(3)->isNewOrHot());  // cleared by the click
    EXPECT_EQ(b.pages.tags, QList<int>{3});

    b.item(2)->setNewOrHot(true);
    b.item(2)->setClickHideNewOrHot(false);
    b.click(2);
    EXPECT_TRUE(b.item(2)->isNewOrHot());
    EXPECT_EQ(b.pages.tags, (QList<int>{3, 2}));
}

TEST(QVToolBar, BarTypeOneNeverChangesTheSelection)
{
    Bar b;
    b.bar->setBarType(1);
    b.click(1);
    EXPECT_EQ(b.pages.tags, QList<int>{1});
    EXPECT_EQ(b.bar->selectedItem(), nullptr);
    b.bar->selectItemWithTag(2);
    b.bar->selectItemWithItemIdentifier(QStringLiteral("Convert"));
    EXPECT_EQ(b.bar->selectedItem(), nullptr);
}

TEST(QVToolBar, FramesShowCountHiddenItemsAndIconFrame)
{
    Bar b;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(b.bar->getItemFrame(b.item(i)), QRectF(0, 600 - 94 * (i + 1), 122, 94)) << i;
    // The icon frame is where the picture was drawn (y-up): centred, 5 below the top.
    const QSizeF icon = ControlSlices::pointSize(b.item(0)->image());
    EXPECT_EQ(b.item(0)->icoFrame(), QRectF((122 - icon.width()) / 2, 600 - 5 - icon.height(), icon.width(), icon.height()));

    b.item(1)->setVisabled(false);
    b.paint();
    EXPECT_EQ(b.bar->getItemFrame(b.item(2)), QRectF(0, 600 - 188, 122, 94));
    b.click(1);  // the place of item 1 now holds item 2
    EXPECT_EQ(b.pages.tags, QList<int>{2});

    b.bar->setShowCount(2);
    b.paint();
    b.click(3);
    EXPECT_EQ(b.pages.tags, QList<int>{2});
    EXPECT_EQ(b.bar->getItemFrame(b.item(3)), QRectF());
    EXPECT_EQ(b.bar->toolBarItemWithTag(9), nullptr);
    EXPECT_EQ(b.bar->toolBarItemWithIdentifier("nothing"), nullptr);
}

TEST(QVToolBar, HoverFollowsThePointerUnlessMovesAreOff)
{
    Bar b;
    enter(b.bar.get(), b.centre(0));
    move(b.bar.get(), b.centre(1));
    EXPECT_TRUE(b.item(1)->isMouseOver());
    EXPECT_EQ(b.bar->hoverIndex(), 1);
    move(b.bar.get(), b.centre(2));
    EXPECT_FALSE(b.item(1)->isMouseOver());
    EXPECT_TRUE(b.item(2)->isMouseOver());
    // A disabled item takes no hover; the old one still loses it.
    b.item(3)->setEnabled(false);
    move(b.bar.get(), b.centre(3));
    EXPECT_FALSE(b.item(2)->isMouseOver());
    EXPECT_FALSE(b.item(3)->isMouseOver());
    leave(b.bar.get());
    EXPECT_EQ(b.bar->hoverIndex(), QVToolBar::NotFound);

    b.bar->setIsDisableMouseMove(true);
    enter(b.bar.get());
    move(b.bar.get(), b.centre(0));
    EXPECT_FALSE(b.item(0)->isMouseOver());
}

TEST(QVToolBar, TipsShowTheHoveredLabel)
{
    Bar b;
    b.bar->setIsShowTip(true);
    enter(b.bar.get(), b.centre(0));
    move(b.bar.get(), b.centre(2));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Convert"));
    leave(b.bar.get());
    EXPECT_TRUE(TestEnvironment::waitFor([] { return !QToolTip::isVisible(); }, 3000));
}

TEST(QVToolBar, StateImagesAndSlices)
{
    QVToolBarItem item("x");
    QImage base(4, 4, QImage::Format_ARGB32), selected = base.copy(), over = base.copy(), disabled = base.copy();
    base.fill(Qt::red);
    selected.fill(Qt::green);
    over.fill(Qt::blue);
    disabled.fill(Qt::gray);
    item.setImage(base);
    item.setSelected(true);
    item.setMouseOver(true);
    EXPECT_EQ(item.currentImage(), base);  // nothing but the base image: it shows in every state
    item.setSelectedImage(selected);
    item.setAlternateImage(over);
    item.setDisabledImage(disabled);
    EXPECT_EQ(item.currentImage(), selected);
    item.setSelected(false);
    EXPECT_EQ(item.currentImage(), over);
    item.setEnabled(false);
    item.setSelected(true);
    EXPECT_EQ(item.currentImage(), disabled);

    item.setNormalSliceName("n");
    item.setDownSliceName("d");
    EXPECT_EQ(item.currentSliceName(), "n");  // disabled without a disabled slice
    item.setEnabled(true);
    EXPECT_EQ(item.currentSliceName(), "d");
    item.setSelected(false);
    EXPECT_EQ(item.currentSliceName(), "n");  // no hover slice
    EXPECT_EQ(item.icoFrame(), QRectF());
}

TEST(QVToolBar, DrawsTheRedDotBesideTheIcon)
{
    Bar b;
    b.bar->setBackgroundColor(QColor(32, 192, 91));
    b.item(0)->setImage(QImage());
    QImage icon(40, 40, QImage::Format_ARGB32);
    icon.fill(Qt::white);
    b.item(0)->setImage(icon);
    b.item(0)->setNewOrHot(true);
    const QImage img = render(b.bar.get());
    // Item 0 is the top one, (0, 506, 122, 94) y-up: its dot (74, 506 + 67, 10, 10) has its
    // centre 22 points from the bar's top.
    const QColor dot = img.pixelColor(79, 22);
    EXPECT_GT(dot.red(), 200);
    EXPECT_LT(dot.green(), 120);
    // A hot image replaces the dot.
    b.item(0)->setHotImage(icon);
    const QColor none = render(b.bar.get()).pixelColor(79, 22);
    EXPECT_GT(none.green(), 200);  // the white hot image, no red dot over it
}

#include "ToolBarTest.moc"
