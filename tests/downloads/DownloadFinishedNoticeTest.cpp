// The finished-download notice: a desktop notification through a notification server on a
// private session bus, its Play and Show in Folder buttons, the in-window message where no
// server answers, and nothing at all when the preference is off.
#include "controls/MGHoverButton.h"
#include "downloads/DownloadFinishedNotice.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Stands in for the desktop's notification server.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        QString summary, body;
        QStringList actions;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        calls.append({summary, body, actions});
        return uint(calls.size() + 40);
    }
};

class NoticeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        address = TestEnvironment::privateSessionBus();
        if (address.isEmpty())
            GTEST_SKIP() << "dbus-daemon could not start";
        const QString n = QString::number(++serial);
        client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("client") + n));
        ASSERT_TRUE(client->isConnected());
        window.resize(800, 600);
        window.show();
        UserDefaults::standard().setInteger(QStringLiteral("PopupWhenDownloadSuccess"), 1);
        Workspace::setHookForTesting([this](const QString &action, const QStringList &targets) {
            opened.append(action + QLatin1Char(':') + targets.join(QLatin1Char(',')));
            return true;
        });
    }
    void TearDown() override
    {
        Workspace::setHookForTesting({});
        if (server) {
            server->unregisterService(QStringLiteral("org.freedesktop.Notifications"));
            QDBusConnection::disconnectFromBus(server->name());
        }
        if (client)
            QDBusConnection::disconnectFromBus(client->name());
    }
    // A real file: revealing needs one.
    static QString file(const QString &name)
    {
        const QString path = TestEnvironment::home() + QLatin1Char('/') + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        return path;
    }
    void startServer()
    {
        server = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("server") + QString::number(serial)));
        ASSERT_TRUE(server->registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(server->registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void invoke(uint id, const QString &key)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << id << key;
        server->send(signal);
    }

    static inline int serial = 0;
    QString address;
    std::unique_ptr<QDBusConnection> client, server;
    FakeNotifications fake;
    QWidget window;
    QStringList opened;
};

TEST_F(NoticeFixture, ADesktopNotificationWithPlayAndShowInFolder)
{
    startServer();
    DownloadFinishedNotice notice(&window, *client);
    int plays = 0;
    notice.downloadDidFinish(QStringLiteral("Cats <b>& dogs</b>"), file(QStringLiteral("cats.mp4")), [&] { ++plays; });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return fake.calls.size() == 1; }, 5000));
    EXPECT_EQ(fake.calls[0].summary, QStringLiteral("Download completed"));
    // Servers may read the body as markup: a page title arrives escaped.
    EXPECT_EQ(fake.calls[0].body, QStringLiteral("Cats &lt;b&gt;&amp; dogs&lt;/b&gt;"));
    EXPECT_EQ(fake.calls[0].actions, (QStringList{"play", "Play", "folder", "Show in Folder"}));

    invoke(41, QStringLiteral("play"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return plays == 1; }, 5000));
    // The action reached us, so the server's answer did too.
    EXPECT_EQ(notice.inWindowMessage(), nullptr) << "the server took it: no second message";
    invoke(41, QStringLiteral("folder"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !opened.isEmpty(); }, 5000));
    EXPECT_TRUE(opened.constFirst().endsWith(QLatin1String("/cats.mp4"))) << opened.constFirst().toStdString();

    // Another program's notification is none of ours; signals arrive in order, so once the
    // next one of ours played, the stranger's has been seen.
    invoke(7, QStringLiteral("play"));
    invoke(41, QStringLiteral("play"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return plays >= 2; }, 5000));
    EXPECT_EQ(plays, 2);
}

TEST_F(NoticeFixture, WithoutANotificationServerTheWindowSaysIt)
{
    DownloadFinishedNotice notice(&window, *client);
    int plays = 0;
    notice.downloadDidFinish(QStringLiteral("<i>Song</i>"), file(QStringLiteral("song.mp3")), [&] { ++plays; });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return notice.inWindowMessage() != nullptr; }, 5000));
    QWidget *box = notice.inWindowMessage();
    EXPECT_TRUE(window.rect().contains(box->geometry()));
    bool titled = false;
    for (QLabel *l : box->findChildren<QLabel *>())
        titled = titled || (l->text() == QStringLiteral("<i>Song</i>") && l->textFormat() == Qt::PlainText);
    EXPECT_TRUE(titled) << "the title is shown as it is, never as markup";

    QTest::mouseClick(notice.playButton(), Qt::LeftButton);
    EXPECT_EQ(plays, 1);
    EXPECT_EQ(notice.inWindowMessage(), nullptr);

    notice.downloadDidFinish(QStringLiteral("Song"), file(QStringLiteral("song.mp3")), {});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return notice.inWindowMessage() != nullptr; }, 5000));
    QTest::mouseClick(notice.showInFolderButton(), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.constFirst().endsWith(QLatin1String("/song.mp3")));
}

TEST_F(NoticeFixture, NothingWhenTheBoxIsOff)
{
    startServer();
    UserDefaults::standard().setInteger(QStringLiteral("PopupWhenDownloadSuccess"), 0);
    DownloadFinishedNotice notice(&window, *client);
    notice.downloadDidFinish(QStringLiteral("Quiet"), QStringLiteral("/videos/quiet.mp4"), {});
    EXPECT_EQ(notice.inWindowMessage(), nullptr);
    // Calls from one connection arrive in order: once a later notice is in, a quiet one would
    // have come first.
    UserDefaults::standard().setInteger(QStringLiteral("PopupWhenDownloadSuccess"), 1);
    notice.downloadDidFinish(QStringLiteral("Marker"), QStringLiteral("/videos/marker.mp4"), {});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !fake.calls.isEmpty(); }, 5000));
    ASSERT_EQ(fake.calls.size(), 1);
    EXPECT_EQ(fake.calls[0].body, QStringLiteral("Marker"));

    // Without any bus the message still shows in the window.
    UserDefaults::standard().setInteger(QStringLiteral("PopupWhenDownloadSuccess"), 1);
    DownloadFinishedNotice offline(&window, QDBusConnection(QStringLiteral("none")));
    offline.downloadDidFinish(QStringLiteral("Loud"), QStringLiteral("/videos/loud.mp4"), {});
    EXPECT_NE(offline.inWindowMessage(), nullptr);
}

} // namespace

#include "DownloadFinishedNoticeTest.moc"
