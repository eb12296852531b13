#include "WidgetTestSupport.h"

#include "controls/ConverterButton.h"
#include "controls/MGAnimationButton.h"
#include "controls/MGBackgroundButton.h"
#include "controls/MGHoverButton.h"
#include "controls/MGPopupButton.h"
#include "controls/MGPullDownButtonCell.h"
#include "controls/TGImageCell.h"
#include "controls/ControlSlices.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

using namespace WidgetTest;

TEST(MGHoverButton, DisplayTypesSetSlicesFontAndColours)
{
    const QColor green(32, 192, 91), black(0, 0, 0), white(255, 255, 255);
    struct Case { int type; int first; int px; QColor normal, hover, disabled; };
    const Case cases[] = {
        {1, 40, 12, black, green, QColor(197, 197, 197)},
        {2, 67, 14, black, green, QColor(197, 197, 197)},
        {3, 56, 12, green, green, QColor(186, 186, 186)},
        {4, 89, 12, white, white, QColor(186, 186, 186)},
        {5, 62, 14, white, white, QColor(186, 186, 186)},
    };
    for (const Case &c : cases) {
        MGHoverButton b;
        b.setButtonDisplayType(c.type);
        auto *cell = b.cell();
        EXPECT_EQ(cell->drawMode, 1);
        EXPECT_EQ(cell->imageName, "mainform");
        EXPECT_EQ(cell->normalSliceName, QString("mainform-%1").arg(c.first));
        EXPECT_EQ(cell->hoverSliceName, QString("mainform-%1").arg(c.first + 1));
        EXPECT_EQ(cell->downSliceName, QString("mainform-%1").arg(c.first + 2));
        EXPECT_EQ(cell->disableSliceName, QString("mainform-%1").arg(c.first + 3));
        EXPECT_EQ(b.font().pixelSize(), c.px);
        EXPECT_EQ(cell->normalColor, c.normal);
        EXPECT_EQ(cell->overTextColor, c.hover);
        EXPECT_EQ(cell->downTextColor, c.hover);
        EXPECT_EQ(cell->disableColor, c.disabled);
        // Every slice of the preset exists in our art.
        for (int k = 0; k < 4; ++k)
            EXPECT_FALSE(ControlSlices::image(QString("mainform-%1").arg(c.first + k)).isNull());
    }
}

TEST(MGHoverButton, TypeZeroKeepsSlicesAndResetsSheetAndMode)
{
    MGHoverButton b;
    b.setNormalSliceName("tips01_");
    b.setImageName("tips");
    b.setDrawMode(0);
    for (int type : {0, 7, -1}) {
        b.setButtonDisplayType(type);
        EXPECT_EQ(b.normalSliceName(), "tips01_");
        EXPECT_EQ(b.imageName(), "mainform");
        EXPECT_EQ(b.drawMode(), 1);
    }
}

TEST(MGHoverButton, ClickHoverAndPressLooks)
{
    MGHoverButton b;
    b.setButtonDisplayType(1);
    b.setTitle("OK");
    b.resize(100, 28);
    b.show();
    QSignalSpy clicked(&b, &QAbstractButton::clicked);

    enter(&b);
    EXPECT_TRUE(b.cell()->mouseOver);
    EXPECT_EQ(b.cell()->currentSliceNameWithSetTextColor(true), "mainform-41");
    EXPECT_EQ(b.textColor(), QColor(32, 192, 91));

    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(50, 14));
    EXPECT_TRUE(b.cell()->mouseDown);
    EXPECT_FALSE(b.cell()->mouseOver);
    EXPECT_EQ(b.cell()->currentSliceNameWithSetTextColor(true), "mainform-42");
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(50, 14));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_FALSE(b.cell()->mouseDown);
    EXPECT_EQ(b.cell()->currentSliceNameWithSetTextColor(true), "mainform-40");
    EXPECT_EQ(b.textColor(), QColor(0, 0, 0));

    // Disabled: ignores the pointer, shows the disabled slice and colour.
    b.setEnabled(false);
    enter(&b);
    EXPECT_FALSE(b.cell()->mouseOver);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(b.cell()->currentSliceNameWithSetTextColor(false), "mainform-43");
    EXPECT_EQ(b.textColor(), QColor(197, 197, 197));
}

TEST(MGHoverButton, StickyButtonStaysPressedUntilReleasedByOwner)
{
    MGHoverButton b;
    b.setButtonDisplayType(3);
    b.setButtonType(1);
    b.resize(100, 28);
    b.show();
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(b.lockButtonState());
    EXPECT_TRUE(b.cell()->mouseDown);
    enter(&b);  // hover does nothing while locked
    EXPECT_FALSE(b.cell()->mouseOver);
    EXPECT_EQ(b.cell()->currentSliceNameWithSetTextColor(true), "mainform-58");
    b.setLockButtonState(false);
    EXPECT_FALSE(b.cell()->mouseDown);
    EXPECT_EQ(b.cell()->currentSliceNameWithSetTextColor(true), "mainform-56");
}

TEST(MGHoverButton, DisabledDrawsAtHalfOpacity)
{
    MGHoverButton b;
    b.resize(40, 20);
    b.setBgColor(QColor(0, 0, 0));
    const QImage enabled = render(&b);
    b.setEnabled(false);
    const QImage disabled = render(&b);
    EXPECT_EQ(qAlpha(enabled.pixel(20, 10)), 255);
    EXPECT_NEAR(qAlpha(disabled.pixel(20, 10)), 128, 2);
}

TEST(MGHoverButton, MissingSliceDrawsNothingAndEmptyTitleIsNeverRecoloured)
{
    MGHoverButton b;
    b.resize(40, 20);
    b.setNormalSliceName("mainform-no-such");
    const QImage img = render(&b);
    EXPECT_EQ(qAlpha(img.pixel(20, 10)), 0);
    b.setTextColor(Qt::red);
    EXPECT_EQ(b.textColor(), b.palette().color(QPalette::ButtonText));
}

TEST(MGBackgroundButton, BackgroundFromSecondSheetAndStateRules)
{
    MGBackgroundButton b;
    EXPECT_EQ(b.drawMode(), 2);
    EXPECT_EQ(b.iconSize(), QSizeF(80, 100));
    auto *cell = b.backgroundCell();
    b.setImageName("Guidancemap");
    b.setAlterImageName("mainform");
    EXPECT_EQ(cell->backgroundSheet("Guidancemap-17"), "Guidancemap");
    EXPECT_EQ(cell->backgroundSheet("mainform-379"), "mainform");
    b.setBgNormalSliceName("n");
    b.setBgHoverSliceName("h");
    b.setBgDownSliceName("d");
    b.setBgDisableSliceName("x");
    cell->mouseOver = true;
    cell->mouseDown = true;
    EXPECT_EQ(cell->currentBackgroundSliceName(true), "h");
    EXPECT_EQ(cell->currentBackgroundSliceName(false), "x");
    EXPECT_EQ(cell->currentTitleColor(true), QColor(Qt::white));
    cell->mouseOver = cell->mouseDown = false;
    EXPECT_EQ(cell->currentTitleColor(true), QColor(110, 110, 110));
}

class PopupReceiver : public QObject
{
    Q_OBJECT
public:
    int pops = 0;
public slots:
    void pastePopup(QObject *) { ++pops; }
};

TEST(MGPopupButton, RightPartSendsPopupActionOnPress)
{
    MGPopupButton b;
    b.resize(140, 30);
    b.show();
    EXPECT_EQ(b.bgImages().size(), 12);
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    // No pop-up target yet: the right part only redraws.
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(130, 15));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_TRUE(b.isPressed());
    PopupReceiver r;
    b.setPopTarget(&r);
    b.setPopupAction("pastePopup");
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(130, 15));
    EXPECT_EQ(r.pops, 1);
    EXPECT_EQ(clicked.count(), 0);
    // The left part sends the button's own action at once, on mouse-down.
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(r.pops, 1);
    EXPECT_EQ(b.popupRect(), QRectF(110, 0, 30, 30));
}

class ImageClickReceiver : public QObject
{
    Q_OBJECT
public:
    int clicks = 0;
public slots:
    void imageClicked() { ++clicks; }
};

TEST(TGImageCell, PressedInsideFiresOnReleaseAnywhere)
{
    TGImageCell cell;
    cell.resize(60, 60);
    cell.setImage(ControlSlices::image("mainform-504"));
    cell.show();
    ImageClickReceiver r;
    cell.setTarget(&r, "imageClicked");
    QTest::mousePress(&cell, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_TRUE(cell.mouseDown());
    QTest::mouseRelease(&cell, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(r.clicks, 1);
    // Pressed outside the picture: nothing.
    QTest::mousePress(&cell, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseRelease(&cell, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(r.clicks, 1);
}

TEST(MGAnimationButton, LoopHidesUnderPointerAndBreathingIsCutByTheLoop)
{
    MGAnimationButton b;
    b.setAnimationType(1);
    b.resize(40, 40);
    b.startAnimation();
    EXPECT_TRUE(b.isAnimating());
    EXPECT_TRUE(b.layerShown());
    enter(&b);
    EXPECT_FALSE(b.layerShown());
    leave(&b);
    EXPECT_TRUE(b.layerShown());
    b.stopAnimation();
    EXPECT_FALSE(b.isAnimating());
    EXPECT_NEAR(MGAnimationButton::rotationAt(0.25, 1.0), M_PI / 2, 1e-9);
    EXPECT_NEAR(MGAnimationButton::breathingOpacityAt(0.5, 1.0), 1.0, 1e-9);
    // With a 1 s loop the one-second fade-out is only half done when the loop ends.
    EXPECT_NEAR(MGAnimationButton::breathingOpacityAt(1.0, 1.0), 0.5, 1e-9);
}

TEST(MGPullDownButtonCell, PressOpensItsMenuUnderTheButton)
{
    MGPullDownButtonCell b;
    b.resize(170, 28);
    b.show();
    QMenu menu;
    menu.addAction("Pixel 8");
    b.setMenu(&menu);
    EXPECT_EQ(b.currentIconSliceName(), "device-186184_");
    QPoint shownAt(-1, -1);
    bool wasDown = false;
    QTimer::singleShot(0, [&] {
        shownAt = menu.pos();
        wasDown = b.isDown();
        EXPECT_EQ(b.currentIconSliceName(), "device-186190_");
        EXPECT_EQ(b.currentArrowSliceName(), "device-202205_");
        menu.close();
    });
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(20, 14));
    EXPECT_TRUE(wasDown);
    EXPECT_EQ(shownAt, b.mapToGlobal(QPoint(0, 32)));
    EXPECT_FALSE(b.isDown());
    b.showArrow = false;
    EXPECT_EQ(b.currentIconSliceName(), "device-186190_");
    b.setDefultIconStyle(2);
    EXPECT_EQ(b.currentIconSliceName(), "device-186191_");
}

#include "HoverButtonTest.moc"

TEST(ConverterButton, TellsItsDelegateWhenThePointerEntersAndLeaves)
{
    struct Recorder : ConverterButtonDelegate
    {
        void converterBtnHadChangedStatus(ConverterButton *b) override { events << QStringLiteral("enter") << b->objectName(); }
        void convertedBtnWillRestore(ConverterButton *b) override { events << QStringLiteral("leave") << b->objectName(); }
        QStringList events;
    } rec;
    ConverterButton button;
    button.setObjectName(QStringLiteral("row7"));
    button.resize(80, 24);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &enter); // no delegate yet: nothing to tell
    button.setDelegate(&rec);
    QApplication::sendEvent(&button, &enter);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(rec.events, (QStringList{"enter", "row7", "leave", "row7"}));
    EXPECT_FALSE(button.isConvertFinished());
    button.setIsConvertFinished(true);
    EXPECT_TRUE(button.isConvertFinished());
}
