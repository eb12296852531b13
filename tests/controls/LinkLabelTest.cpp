#include "WidgetTestSupport.h"

#include "controls/FNClickTextField.h"
#include "controls/LinkOpening.h"
#include "controls/MyUrlLabel.h"
#include "controls/QVUrlLabel.h"
#include "controls/URLLabel.h"
#include "platform/Workspace.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace WidgetTest;

class LinkReceiver : public QObject
{
    Q_OBJECT
public:
    int clicks = 0;
public slots:
    void linkClicked(QObject *) { ++clicks; }
};

class LinkLabels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Workspace::setHookForTesting([this](const QString &action, const QStringList &targets) {
            opened << action + ":" + targets.join(",");
            return true;
        });
    }
    void TearDown() override { Workspace::setHookForTesting({}); }
    QStringList opened;
};

TEST(LinkOpening, OnlyWebAndMailAddresses)
{
    struct Case { const char *url; bool allowed; };
    const Case cases[] = {
        {"https://example.org/faq", true}, {"http://example.org", true}, {"mailto:help@example.org", true},
        {"HTTPS://EXAMPLE.ORG", true},     {"file:///etc/passwd", false}, {"javascript:alert(1)", false},
        {"ftp://example.org/x", false},    {"smb://host/share", false},   {"/usr/bin/xterm", false},
        {"http://", false},                {"mailto:", false},            {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LinkOpening::isAllowed(QUrl(QString::fromLatin1(c.url))), c.allowed) << c.url;
}

TEST_F(LinkLabels, ActiveRectangleTakesClicksAndOpensTheAddress)
{
    QVUrlLabel label;
    QFont f = label.font();
    f.setPixelSize(12);
    label.setFont(f);
    label.resize(200, 20);
    label.setText("Help");
    label.show();
    LinkReceiver r;
    label.setClickURLAction(&r, "linkClicked");
    label.setUrl("https://example.org/help");
    // Before any restyling the active rectangle is empty: clicks do nothing.
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(r.clicks, 0);
    label.resetAttributedString();
    const qreal w = QFontMetricsF(label.font()).horizontalAdvance("Help") + 10;
    EXPECT_EQ(label.textFrame(), QRectF(0, 0, w, 20));
    EXPECT_TRUE(label.isUnderlined());
    EXPECT_EQ(label.currentTextColor(), QColor(32, 192, 91));
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(r.clicks, 1);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.first().endsWith("https://example.org/help"));
    // Outside the text, or a double click: nothing.
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(150, 10));
    QTest::mouseDClick(&label, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(r.clicks, 2);  // the double click's first press counts once
    EXPECT_EQ(opened.size(), 2);
    label.setEnableClick(false);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(r.clicks, 2);
}

TEST_F(LinkLabels, RightAlignedActiveRectangleEndsAtTheRightEdge)
{
    QVUrlLabel label;
    label.resize(200, 20);
    label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label.setText("Help");
    label.resetAttributedString();
    EXPECT_DOUBLE_EQ(label.textFrame().right(), 200);
    EXPECT_LT(label.textFrame().width(), 200);
}

TEST_F(LinkLabels, HoverColourOnlyWhenSet)
{
    QVUrlLabel label;
    label.resize(200, 20);
    label.setText("Help");
    label.show();
    label.resetAttributedString();
    label.resetTrackingArea();
    move(&label, QPointF(5, 10));
    EXPECT_EQ(label.currentTextColor(), QColor(32, 192, 91));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    move(&label, QPointF(190, 10));
    label.setMoveOverForegroundColor(QColor(1, 2, 3));
    move(&label, QPointF(5, 10));
    EXPECT_EQ(label.currentTextColor(), QColor(1, 2, 3));
    move(&label, QPointF(190, 10));
    EXPECT_EQ(label.currentTextColor(), QColor(32, 192, 91));
}

TEST_F(LinkLabels, HostileAddressesAreNotOpened)
{
    QVUrlLabel label;
    label.resize(200, 20);
    label.setText("Open");
    label.setUrl("file:///etc/passwd");
    label.show();
    label.resetAttributedString();
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 10));
    URLLabel plain;
    plain.resize(200, 20);
    plain.setText("javascript:alert(1)");
    plain.show();
    QTest::mouseClick(&plain, Qt::LeftButton, {}, QPoint(5, 10));
    MyUrlLabel mine;
    mine.resize(200, 20);
    mine.setURL("/usr/bin/xterm");
    mine.show();
    QTest::mouseClick(&mine, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(LinkLabels, UrlLabelOpensItsTextAndMyUrlLabelItsAddress)
{
    URLLabel plain;
    plain.resize(200, 20);
    plain.setText("https://example.org/a");
    plain.show();
    QTest::mouseClick(&plain, Qt::LeftButton, {}, QPoint(5, 10));
    MyUrlLabel mine;
    mine.resize(200, 20);
    mine.show();
    QTest::mouseClick(&mine, Qt::LeftButton, {}, QPoint(5, 10));  // no address: nothing
    mine.setURL("mailto:help@example.org");
    QTest::mouseClick(&mine, Qt::LeftButton, {}, QPoint(5, 10));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].endsWith("https://example.org/a"));
    EXPECT_TRUE(opened[1].endsWith("mailto:help@example.org"));
}

TEST(FNClickTextField, SingleClickSendsDoubleClickDoesNot)
{
    FNClickTextField field;
    field.resize(100, 20);
    field.show();
    LinkReceiver r;
    field.setClickTarget(&r, "linkClicked");
    QTest::mouseClick(&field, Qt::LeftButton);
    EXPECT_EQ(r.clicks, 1);
    QTest::mouseDClick(&field, Qt::LeftButton);
    EXPECT_EQ(r.clicks, 2);  // only the first press of the pair
    field.setStringValue(QString());
    EXPECT_TRUE(field.text().isEmpty());
}

#include "LinkLabelTest.moc"
