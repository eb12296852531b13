#include "shell/CommonFun.h"
#include "shell/CommonFunDesktop.h"
#include "shell/NSAttributedStringLinkToURL.h"
#include "shell/NSButtonTextColor.h"
#include "shell/NSViewFrame.h"
#include "shell/NSWindowCommon.h"

#include "support/TestEnvironment.h"

#include <QAbstractAnimation>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

TEST(NSViewFrame, MeasuresAndCentres)
{
    QWidget parent;
    parent.resize(400, 300);
    auto *view = new QWidget(&parent);
    view->setGeometry(10, 20, 101, 51);

    EXPECT_EQ(NSViewFrame::width(view), 101);
    EXPECT_EQ(NSViewFrame::height(view), 51);
    EXPECT_EQ(NSViewFrame::maxX(view), 111);
    EXPECT_EQ(NSViewFrame::maxY(view), 71);
    EXPECT_EQ(NSViewFrame::midX(view), 60);
    EXPECT_EQ(NSViewFrame::midY(view), 45);
    EXPECT_EQ(NSViewFrame::width(nullptr), 0);
    EXPECT_EQ(NSViewFrame::midY(nullptr), 0);

    const struct
    {
        QRect rect;
        QPoint centre;
    } frames[] = {
        {QRect(0, 0, 50, 20), QPoint(10 + 51 / 2, 20 + 31 / 2)},
        {QRect(0, 0, 150, 90), QPoint(10 + 49 / 2, 20 + 39 / 2)}, // wider: the absolute difference
        {QRect(0, 0, 101, 51), QPoint(10, 20)},
    };
    for (const auto &f : frames)
        EXPECT_EQ(NSViewFrame::frameCenterPoint(view, f.rect), f.centre);

    auto *other = new QWidget(&parent);
    other->setGeometry(100, 100, 200, 100);
    EXPECT_EQ(NSViewFrame::viewCenterPoint(view, other), QPoint(100 + 99 / 2, 100 + 49 / 2));
    EXPECT_EQ(NSViewFrame::viewCenterPoint(view, nullptr), QPoint(60, 45));

    NSViewFrame::moveToViewCenter(view, &parent);
    EXPECT_EQ(view->pos(), QPoint((400 - 101) / 2, (300 - 51) / 2));
    view->resize(500, 10);
    NSViewFrame::moveToViewCenter(view, &parent);
    EXPECT_EQ(view->pos().x(), 0); // never left of the container
}

TEST(NSViewFrame, RemoveAllSubViewsAndFrameToFit)
{
    QWidget parent;
    QPointer<QWidget> a = new QWidget(&parent);
    QPointer<QWidget> b = new QLabel(QStringLiteral("x"), &parent);
    NSViewFrame::removeAllSubViews(&parent);
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());

    auto *button = new QPushButton(QStringLiteral("Download all"), &parent);
    button->setGeometry(300, 10, 40, 24);
    NSViewFrame::frameToFit(button);
    const int expected = button->fontMetrics().horizontalAdvance(button->text()) + 10;
    EXPECT_EQ(button->width(), expected);
    EXPECT_EQ(button->geometry().x() + button->width(), 340); // right edge kept
    EXPECT_EQ(button->height(), 24);

    auto *label = new QLabel(QStringLiteral("not a button"), &parent);
    label->setGeometry(1, 2, 3, 4);
    NSViewFrame::frameToFit(label);
    EXPECT_EQ(label->geometry(), QRect(1, 2, 3, 4));
}

TEST(NSWindowCommon, TitleBarGrowsToTwentyTwo)
{
    QWidget window;
    window.resize(300, 200);
    window.setContentsMargins(0, 16, 0, 0);
    auto *strip = new QWidget;
    NSWindowCommon::addViewToTitleBar(&window, strip, 0);
    EXPECT_EQ(window.height(), 206);
    EXPECT_EQ(NSWindowCommon::heightOfTitleBar(&window), 22);
    EXPECT_EQ(window.contentsRect().height(), 184); // the contents keep their size
    EXPECT_EQ(strip->parentWidget(), &window);
    EXPECT_EQ(strip->geometry(), QRect(0, 0, 300, 22));

    // A strip already tall enough stays; the view follows the window's width.
    QWidget tall;
    tall.resize(100, 100);
    tall.setContentsMargins(0, 30, 0, 0);
    tall.show();
    auto *view = new QWidget;
    NSWindowCommon::addViewToTitleBar(&tall, view, 0);
    EXPECT_EQ(tall.height(), 100);
    EXPECT_EQ(view->height(), 30);
    tall.resize(250, 100);
    EXPECT_EQ(view->width(), 250);

    NSWindowCommon::makeContentViewFillWindow(&tall, true);
    EXPECT_EQ(tall.contentsRect(), tall.rect());
}

TEST(NSWindowCommon, ButtonsCentringAndShake)
{
    QWidget window;
    NSWindowCommon::zoomButtonHidden(&window, true);
    NSWindowCommon::miniButtonHidden(&window, true);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    NSWindowCommon::zoomButtonHidden(&window, false);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    QWidget big;
    big.setGeometry(100, 100, 601, 401);
    QWidget small;
    small.setGeometry(0, 0, 200, 100);
    NSWindowCommon::moveToWindowCenter(&small, &big);
    const QRect bigFrame = big.frameGeometry();
    const QRect smallFrame = small.frameGeometry();
    EXPECT_EQ(small.frameGeometry().topLeft(),
              bigFrame.topLeft() + QPoint((bigFrame.width() - smallFrame.width()) / 2,
                                          (bigFrame.height() - smallFrame.height()) / 2));
    EXPECT_EQ(NSWindowCommon::width(nullptr), 0);

    small.show();
    const QPoint origin = small.pos();
    QPointer<QAbstractAnimation> shake = NSWindowCommon::shakeWindow(&small);
    ASSERT_FALSE(shake.isNull());
    EXPECT_EQ(shake->totalDuration(), 300);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return shake.isNull(); }, 3000));
    EXPECT_EQ(small.pos(), origin);
    EXPECT_EQ(NSWindowCommon::shakeWindow(nullptr), nullptr);
}

TEST(NSButtonTextColor, SetsAndReadsTheTitleColour)
{
    QPushButton button(QStringLiteral("OK"));
    EXPECT_EQ(NSButtonTextColor::textColor(&button), button.palette().color(QPalette::ButtonText));
    NSButtonTextColor::setTextColor(&button, QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(NSButtonTextColor::textColor(&button), QColor(0x12, 0x34, 0x56));
    EXPECT_FALSE(NSButtonTextColor::textColor(nullptr).isValid());
}

TEST(CommonFunMenu, LocalizesTitlesAndSubMenusWhenAsked)
{
    QMenu menu(QStringLiteral("File"));
    menu.addAction(QStringLiteral("Open"));
    menu.addSeparator();
    QMenu *sub = menu.addMenu(QStringLiteral("Recent"));
    sub->addAction(QStringLiteral("Clear"));
    // Without translations the English text is its own localisation; nothing may be lost.
    CommonFunDesktop::localizeMenu(&menu, true);
    EXPECT_EQ(menu.title(), QStringLiteral("File"));
    EXPECT_EQ(menu.actions().first()->text(), QStringLiteral("Open"));
    EXPECT_EQ(sub->actions().first()->text(), QStringLiteral("Clear"));
    CommonFunDesktop::localizeMenu(nullptr, true);
}

TEST(NSAttributedStringLinkToURL, MakesABlueUnderlinedLink)
{
    const AttributedString link =
        NSAttributedStringLinkToURL::attributedStringWithLinkToURL(QStringLiteral("https://example.com/?a=1&b=\"2\""),
                                                                   QStringLiteral("Example <site>"));
    EXPECT_EQ(link.string(), QStringLiteral("Example <site>"));
    EXPECT_TRUE(link.format().isAnchor());
    EXPECT_EQ(link.format().foreground().color(), QColor(Qt::blue));
    EXPECT_EQ(link.format().underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_EQ(link.elideMode(), Qt::ElideMiddle);
    const QString html = link.toHtml();
    EXPECT_TRUE(html.contains(QLatin1String("href=\"https://example.com/?a=1&amp;b=&quot;2&quot;\""))) << html.toStdString();
    EXPECT_TRUE(html.contains(QLatin1String("Example &lt;site&gt;")));

    QLabel label;
    label.setText(html);
    EXPECT_EQ(label.textFormat(), Qt::AutoText);
}
