#include "WidgetTestSupport.h"

#include "controls/MGSearchFieldCell.h"
#include "controls/MGTextFieldCell.h"
#include "controls/PlaceHolderTextView.h"
#include "controls/QVCustomTextField.h"
#include "controls/ControlSlices.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

namespace {
bool TestEnvironmentFocus(QWidget *w)
{
    return TestEnvironment::waitFor([w] { return w->hasFocus(); }, 2000);
}
} // namespace

TEST(QVCustomTextField, AcceptsOnlyPastedWebAddresses)
{
    struct Case { const char *proposed; const char *result; };
    const Case cases[] = {
        {"  HTTPS://www.example.org/watch?v=1\nsecond line", "HTTPS://www.example.org/watch?v=1"},
        {"http://example.org", "http://example.org"},
        {"www.example.org", "www.example.org"},
        {"www.a.b", nullptr},              // fewer than 9 characters
        {"ftp://example.org/file", nullptr},
        {"javascript:alert(1)", nullptr},
        {"h", nullptr},
        {"", nullptr},
        {"   \n  ", nullptr},
    };
    for (const Case &c : cases) {
        const auto got = QVCustomTextField::filterReplacement(QString::fromLatin1(c.proposed));
        if (c.result)
            EXPECT_EQ(got, std::optional<QString>(QString::fromLatin1(c.result))) << c.proposed;
        else
            EXPECT_EQ(got, std::nullopt) << c.proposed;
    }
}

TEST(QVCustomTextField, TypingIsRefusedPastingAccepted)
{
    QWidget window;
    auto *first = new QLineEdit(&window);
    auto *field = new QVCustomTextField(&window);
    field->move(0, 40);
    field->setText("old text");
    QSignalSpy cleaned(field, &QVCustomTextField::customTextDidClean);
    QSignalSpy changed(field, &QVCustomTextField::customTextDidChange);
    window.show();
    QApplication::setActiveWindow(&window);
    first->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(first));
    EXPECT_EQ(field->text(), "old text");
    field->setFocus();
    EXPECT_TRUE(TestEnvironmentFocus(field));
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(cleaned.count(), 1);
    QTest::keyClicks(field, "http://typed.example");
    EXPECT_TRUE(field->text().isEmpty());
    QApplication::clipboard()->setText(" https://example.org/v/1 \nmore");
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "https://example.org/v/1");
    EXPECT_GE(changed.count(), 1);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "https://example.org/v/1");
}

TEST(MGTextFieldCell, HighlightSliceWhileEditing)
{
    QWidget window;
    auto *first = new QLineEdit(&window);
    auto *field = new MGTextFieldCell(&window);
    field->move(0, 40);
    EXPECT_EQ(field->imageName(), "DeviceSlice");
    EXPECT_EQ(field->drawMode(), 1);
    window.show();
    QApplication::setActiveWindow(&window);
    first->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(first));
    EXPECT_EQ(field->currentSliceName(), "device-195_");
    field->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(field));
    EXPECT_EQ(field->currentSliceName(), "device-204_");
    field->setReadOnly(true);
    EXPECT_EQ(field->currentSliceName(), "device-195_");
}

TEST(MGSearchFieldCell, SlicePicturesAreNotResizedInPlace)
{
    const QImage before = ControlSlices::image("mainform-357_", "MainSlice");
    MGSearchFieldCell field;
    field.resize(200, 26);
    WidgetTest::render(&field);
    EXPECT_EQ(ControlSlices::image("mainform-357_", "MainSlice"), before);
    EXPECT_FALSE(field.searchAction()->icon().isNull());
    EXPECT_FALSE(field.cancelAction()->isVisible());
    field.setText("x");
    EXPECT_TRUE(field.cancelAction()->isVisible());
}

TEST(PlaceHolderTextView, PlaceholderComesBackWhenLeftEmpty)
{
    QWidget window;
    auto *other = new QLineEdit(&window);
    auto *view = new PlaceHolderTextView(&window);
    view->move(0, 40);
    view->setPlaceHolderStr("Describe the problem");
    window.show();
    QApplication::setActiveWindow(&window);
    other->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(other));
    EXPECT_TRUE(view->isShowingPlaceholder());
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_EQ(view->toPlainText(), "Describe the problem");
    EXPECT_TRUE(view->userText().isEmpty());
    view->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(view));
    EXPECT_FALSE(view->isReadOnly());
    EXPECT_TRUE(view->toPlainText().isEmpty());
    other->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(other));
    EXPECT_TRUE(view->isShowingPlaceholder());
    EXPECT_EQ(view->toPlainText(), "Describe the problem");
    view->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(view));
    QTest::keyClicks(view, "It stops");
    other->setFocus();
    ASSERT_TRUE(TestEnvironmentFocus(other));
    EXPECT_FALSE(view->isShowingPlaceholder());
    EXPECT_EQ(view->userText(), "It stops");
}
