#include "platform/LauncherEntry.h"

#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QObject>
#include <gtest/gtest.h>

#include <limits>

namespace {

// A panel on the private bus: keeps every "Update" it sees.
class Panel : public QObject
{
    Q_OBJECT
public:
    struct Seen
    {
        QString uri;
        QVariantMap properties;
    };
    QList<Seen> seen;

public slots:
    void Update(const QString &uri, const QVariantMap &properties) { seen.append({uri, properties}); }
};

} // namespace

TEST(LauncherEntry, PanelsOnTheBusSeeProgressAndCount)
{
    const QString address = TestEnvironment::privateSessionBus();
    if (address.isEmpty())
        GTEST_SKIP() << "dbus-daemon could not start";
    QDBusConnection panelSide = QDBusConnection::connectToBus(address, QStringLiteral("panel-side"));
    ASSERT_TRUE(panelSide.isConnected());
    Panel panel;
    ASSERT_TRUE(panelSide.connect(QString(), QString::fromLatin1(LauncherEntry::ObjectPath), QString::fromLatin1(LauncherEntry::Interface),
                                  QStringLiteral("Update"), &panel, SLOT(Update(QString, QVariantMap))));

    struct Case
    {
        double progress;
        bool progressVisible;
        int count;
        double sentProgress;
        qlonglong sentCount;
    } cases[] = {
        {0.25, true, 3, 0.25, 3},
        {1.7, true, 0, 1.0, 0},
        {-0.5, false, -2, 0.0, 0},
        {std::numeric_limits<double>::quiet_NaN(), true, 1, 0.0, 1},
    };
    {
        LauncherEntry entry(QStringLiteral("application://FennixPro.desktop"),
                            QDBusConnection::connectToBus(address, QStringLiteral("app-side")));
        for (const Case &c : cases)
            EXPECT_TRUE(entry.update(c.progress, c.progressVisible, c.count));
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return panel.seen.size() == int(std::size(cases)); }));
    }
    for (int i = 0; i < int(std::size(cases)); ++i) {
        SCOPED_TRACE(i);
        const Case &c = cases[i];
        const QVariantMap &p = panel.seen[i].properties;
        EXPECT_EQ(panel.seen[i].uri, QStringLiteral("application://FennixPro.desktop"));
        EXPECT_EQ(p.value(QStringLiteral("progress")).typeId(), QMetaType::Double);
        EXPECT_DOUBLE_EQ(p.value(QStringLiteral("progress")).toDouble(), c.sentProgress);
        EXPECT_EQ(p.value(QStringLiteral("progress-visible")).toBool(), c.progressVisible);
        // The panels read the count as a 64-bit integer.
        EXPECT_EQ(p.value(QStringLiteral("count")).typeId(), QMetaType::LongLong);
        EXPECT_EQ(p.value(QStringLiteral("count")).toLongLong(), c.sentCount);
        EXPECT_EQ(p.value(QStringLiteral("count-visible")).toBool(), c.sentCount > 0);
    }

    // No bus: nothing is sent and the caller hears so.
    LauncherEntry offline(QStringLiteral("application://FennixPro.desktop"), QDBusConnection(QStringLiteral("no-such-connection")));
    EXPECT_FALSE(offline.update(0.5, true, 1));

    QDBusConnection::disconnectFromBus(QStringLiteral("app-side"));
    QDBusConnection::disconnectFromBus(QStringLiteral("panel-side"));
}

#include "LauncherEntryTest.moc"
