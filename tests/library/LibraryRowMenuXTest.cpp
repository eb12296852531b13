// A right click on a library row's title, by real X input on a private X server with a window
// manager: the list's menu opens, not the title editor's own.
#include "LibraryStoreFixture.h"

#include "controls/DownloadTableView.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "library/DownloadedViewCtrl.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <gtest/gtest.h>

namespace {

// The display's connection for fake input, and whether a window manager runs on it.
class XInput
{
public:
    XInput() : m_c(xcb_connect(nullptr, nullptr))
    {
        if (!xcb_connection_has_error(m_c))
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~XInput() { xcb_disconnect(m_c); }
    bool ok() const { return m_root != 0; }

    bool hasWindowManager() const
    {
        const char name[] = "_NET_SUPPORTING_WM_CHECK";
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 1, sizeof name - 1, name), nullptr);
        if (!atom)
            return false;
        const xcb_atom_t check = atom->atom;
        free(atom);
        if (check == XCB_ATOM_NONE)
            return false;
        xcb_get_property_reply_t *reply =
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, m_root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
        const bool present = reply && xcb_get_property_value_length(reply) == 4;
        free(reply);
        return present;
    }

    void rightClick(const QPoint &global)
    {
        xcb_test_fake_input(m_c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, int16_t(global.x()), int16_t(global.y()), 0);
        xcb_test_fake_input(m_c, XCB_BUTTON_PRESS, 3, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_c, XCB_BUTTON_RELEASE, 3, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_c);
    }

private:
    xcb_connection_t *m_c;
    xcb_window_t m_root = 0;
};

class LibraryRowMenuX : public LibraryStoreFixture
{
protected:
    LibraryRowMenuX() : LibraryStoreFixture(QStringLiteral("libx-")) {}
    void TearDown() override
    {
        m_page.reset();
        LibraryStoreFixture::TearDown();
    }
    std::unique_ptr<DownloadedViewCtrl> m_page;
};

}

TEST_F(LibraryRowMenuX, RightClickOnTheTitleOpensTheListMenu)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a private X server with a window manager (Xvfb and openbox)";
    XInput x;
    ASSERT_TRUE(x.ok());
    ASSERT_TRUE(QTest::qWaitFor([&] { return x.hasWindowManager(); }, 10000)) << "the window manager did not start";

    const QString path = m_folder + QStringLiteral("/Mountain lake at dawn.mp4");
    QFile media(path);
    ASSERT_TRUE(media.open(QIODevice::WriteOnly));
    media.write(QByteArray(1024, 'x'));
    media.close();
    DownloadedItem item;
    item.setFilePath(path);
    item.setPageURL(QStringLiteral("https://video.example.org/lake"));
    item.setAddDate(QDateTime::currentDateTimeUtc());
    ASSERT_GE(m_db->insertDownloadedItem(item), 1);

    m_page = std::make_unique<DownloadedViewCtrl>(m_db.get(), m_thumbnails.get());
    QWidget *view = m_page->view();
    view->resize(860, 400);
    view->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view));
    m_page->refreshDownloadedTableView();
    QApplication::processEvents();
    ASSERT_EQ(m_page->numberOfRowsInTableView(), 1);
    auto row = m_page->displayNodeArr().first()->downloadingItemViewCtr<DownloadedItemViewCtrl>();
    ASSERT_TRUE(row && row->isViewLoaded());
    QLineEdit *title = row->getTitleTxtField();
    ASSERT_TRUE(title && title->isVisible());

    QSignalSpy shown(m_page->tableView(), &DownloadTableView::contextMenuShown);
    x.rightClick(title->mapToGlobal(QPoint(12, title->height() / 2)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 10000)) << "the list's menu did not open";
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }, 10000));
    QWidget *popup = QApplication::activePopupWidget();
    EXPECT_EQ(popup, shown.first().first().value<QMenu *>());
    EXPECT_NE(popup->objectName(), QStringLiteral("qt_edit_menu")) << "the title's own edit menu opened";
    EXPECT_EQ(m_page->tableView()->selectedRowList(), QList<int>{0});
    popup->close();
}
