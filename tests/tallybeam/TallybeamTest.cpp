#include "support/HttpsStub.h"
#include "support/SpecialFiles.h"
#include "support/TestCertificates.h"

#include "tallybeam/Tallybeam.h"
#include "tallybeam/TallybeamApplication.h"
#include "tallybeam/TallybeamEvent.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QUrlQuery>
#include <QUuid>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

TEST(Tallybeam, QueryStrings)
{
    auto plain = TallybeamEvent::tallybeamEventWithCategory(QStringLiteral("Video"), QStringLiteral("Play"));
    EXPECT_EQ(plain->querystring(), QStringLiteral("t=event&ec=Video&ea=Play&ev=0")) << "no label: no el, never (null)";

    TallybeamEvent escaped(QStringLiteral("a&b=c"), QStringLiteral("Play now"));
    escaped.setLable(QStringLiteral("x+y/z?é"));
    escaped.setValue(-7);
    EXPECT_EQ(escaped.querystring(), QStringLiteral("t=event&ec=a%26b%3Dc&ea=Play%20now&el=x%2By%2Fz%3F%C3%A9&ev=-7"));

    struct Case {
        std::optional<QString> id, version;
        QString expected;
    } cases[] = {
        {std::nullopt, std::nullopt, QStringLiteral("t=screenview&an=Fennix%20Pro")},
        {QStringLiteral("org.example.app"), std::nullopt, QStringLiteral("t=screenview&an=Fennix%20Pro&aid=org.example.app")},
        {QStringLiteral("id"), QStringLiteral("1.0 (2)"), QStringLiteral("t=screenview&an=Fennix%20Pro&aid=id&av=1.0%20%282%29")},
    };
    for (const auto &c : cases) {
        auto app = TallybeamApplication::tallybeamApplicationWithApplicationName(QStringLiteral("Fennix Pro"));
        if (c.id)
            app->setApplicationId(*c.id);
        if (c.version)
            app->setApplicationVersion(*c.version);
        EXPECT_EQ(app->querystring(), c.expected);
    }

    const Tallybeam sender(QStringLiteral("UA-1&x"));
    const QString common = sender.commonQueryString();
    const QUrlQuery q(common);
    EXPECT_TRUE(common.startsWith(QStringLiteral("v=1&tid=UA-1%26x&cid="))) << common.toStdString();
    const double z = q.queryItemValue(QStringLiteral("z")).toDouble();
    const double now = double(QDateTime::currentSecsSinceEpoch() - 978307200);
    EXPECT_NEAR(z, now, 120.0);
}

TEST(Tallybeam, ClientIdIsRandomPerUserAndKept)
{
    const QString id = Tallybeam::clientId();
    EXPECT_FALSE(QUuid::fromString(id).isNull()) << id.toStdString();
    EXPECT_EQ(Tallybeam(QStringLiteral("a")).commonQueryString().section(QLatin1Char('&'), 2, 2),
              Tallybeam(QStringLiteral("b")).commonQueryString().section(QLatin1Char('&'), 2, 2))
        << "two senders share one id";

    QFile stored(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/Tallybeam/client-id"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly)) << "kept in the user's configuration folder";
    EXPECT_EQ(QString::fromLatin1(stored.readAll()).trimmed(), id);

    for (const char *machineFile : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile f(QString::fromLatin1(machineFile));
        if (f.open(QIODevice::ReadOnly)) {
            EXPECT_NE(QString::fromLatin1(f.readAll()).trimmed(), QString(id).remove(QLatin1Char('-')));
        }
    }
}

namespace {

// What the id's name is made before the id is asked for: each special file but the link to a
// device (were the id ever written through it, the device itself would be replaced), and a link
// to a file of no id outside the id's folder.
struct IdPlant
{
    const char *name;
    std::optional<SpecialFiles::Kind> kind; // none: the link to a file elsewhere
    bool logged;                            // a word on what stood there
};
const QList<IdPlant> &idPlants()
{
    static const QList<IdPlant> plants = [] {
        QList<IdPlant> out;
        for (const SpecialFiles::Case &c : SpecialFiles::all())
            if (c.kind != SpecialFiles::Kind::DeviceLink)
                out.append({c.name, c.kind, true});
        out.append({"link to a file elsewhere", std::nullopt, false});
        return out;
    }();
    return plants;
}

} // namespace

// Run as a child by the case below, in a home of its own: plants what the parent names where
// the id is kept, then asks for the id. The id is written into its folder, never through a link.
TEST(TallybeamChild, ClientIdOverASpecialFile)
{
    const QByteArray index = qgetenv("FENNIX_TALLYBEAM_PLANT");
    if (index.isEmpty())
        GTEST_SKIP() << "run by Tallybeam.ClientIdOverASpecialFileIsMadeAfreshAtOnce";
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                         + QStringLiteral("/Tallybeam/client-id");
    const QString elsewhere = QDir::homePath() + QStringLiteral("/elsewhere/notes.txt");
    const IdPlant &plant = idPlants().at(index.toInt());
    if (plant.kind) {
        ASSERT_TRUE(SpecialFiles::plant(*plant.kind, path));
    } else {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(elsewhere).absolutePath()) && QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile notes(elsewhere);
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("not an id\n") > 0);
        notes.close();
        ASSERT_TRUE(QFile::link(elsewhere, path));
    }
    std::printf("client id: %s\n", qPrintable(Tallybeam::clientId()));
    if (plant.kind == SpecialFiles::Kind::Folder) {
        EXPECT_TRUE(QFileInfo(path).isDir()) << "a folder is left alone";
    } else {
        EXPECT_TRUE(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink()) << "the new id is kept in its own folder";
    }
    if (!plant.kind) {
        QFile notes(elsewhere);
        ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
        EXPECT_EQ(notes.readAll(), "not an id\n");
    }
}

// The stored id is read only from a regular file: anything else at its name gives a fresh id at
// once, with a log line, instead of a program held in open() or read(); the fresh id replaces
// what stood there instead of being written through it.
TEST(Tallybeam, ClientIdOverASpecialFileIsMadeAfreshAtOnce)
{
    for (qsizetype i = 0; i < idPlants().size(); ++i) {
        const IdPlant &plant = idPlants().at(i);
        SCOPED_TRACE(plant.name);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FENNIX_TALLYBEAM_PLANT"), QString::number(i));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=TallybeamChild.*")});
        const bool ended = child.waitForFinished(10000);
        if (!ended) {
            child.kill();
            child.waitForFinished();
        }
        ASSERT_TRUE(ended) << "the child must not wait on the id's file";
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(child.readAllStandardError());
        EXPECT_EQ(child.exitCode(), 0) << out.toStdString() << err.toStdString();
        const QRegularExpression id(QStringLiteral("client id: ([0-9a-f-]{36})"));
        const QRegularExpressionMatch m = id.match(out);
        ASSERT_TRUE(m.hasMatch()) << out.toStdString();
        EXPECT_FALSE(QUuid::fromString(m.captured(1)).isNull());
        if (plant.logged) {
            EXPECT_TRUE(err.contains(QStringLiteral("client-id is not a regular file"))) << err.toStdString();
        }
    }
}

TEST(Tallybeam, OffUntilConfigured)
{
    auto hit = TallybeamEvent::tallybeamEventWithCategory(QStringLiteral("c"), QStringLiteral("a"));
    Tallybeam sender;
    EXPECT_FALSE(sender.collectTallybeamObject(hit)) << "no tracking id, no endpoint";
    sender.setTid(QStringLiteral("UA-1"));
    EXPECT_FALSE(sender.collectTallybeamObject(hit)) << "no endpoint";
    for (const char *bad : {"http://127.0.0.1/collect", "ftp://example.org/collect", "https:///collect", "not a url"})
        EXPECT_FALSE(sender.setEndpoint(QUrl(QString::fromLatin1(bad)))) << bad;
    EXPECT_FALSE(sender.isEnabled());
    EXPECT_FALSE(Tallybeam::defaultMeasurement().isEnabled()) << "the library carries no id or endpoint";
}

class TallybeamSendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!certificates.ok())
            GTEST_SKIP() << certificates.why().toStdString();
        certificates.trust();
        stub = std::make_unique<HttpsStub>(certificates);
        ASSERT_TRUE(stub->listen());
        sender.setTid(QStringLiteral("UA-42-1"));
        ASSERT_TRUE(sender.setEndpoint(stub->url(QStringLiteral("/collect"))));
    }
    void TearDown() override
    {
        stub.reset();
        EXPECT_TRUE(Tallybeam::waitForDone(60000));
        TestCertificates::untrustAll();
    }

    TestCertificates certificates;
    std::unique_ptr<HttpsStub> stub;
    Tallybeam sender;
};

TEST_F(TallybeamSendTest, LoopbackEndpointReceivesTheHit)
{
    auto hit = TallybeamEvent::tallybeamEventWithCategory(QStringLiteral("Video"), QStringLiteral("Play"));
    hit->setLable(QStringLiteral("a&b"));
    ASSERT_TRUE(sender.collectTallybeamObject(hit));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stub->requests().isEmpty(); }, 30000));
    const QUrl got = stub->requests().first();
    EXPECT_EQ(got.path(), QStringLiteral("/collect"));
    const QUrlQuery q(got);
    EXPECT_EQ(q.queryItemValue(QStringLiteral("t")), QStringLiteral("event"));
    EXPECT_EQ(q.queryItemValue(QStringLiteral("ec")), QStringLiteral("Video"));
    EXPECT_EQ(q.queryItemValue(QStringLiteral("el"), QUrl::FullyDecoded), QStringLiteral("a&b"));
    EXPECT_EQ(q.queryItemValue(QStringLiteral("v")), QStringLiteral("1"));
    EXPECT_EQ(q.queryItemValue(QStringLiteral("tid")), QStringLiteral("UA-42-1"));
    EXPECT_EQ(q.queryItemValue(QStringLiteral("cid")), Tallybeam::clientId());
    EXPECT_FALSE(got.query().contains(QStringLiteral("(null)")));
}

TEST_F(TallybeamSendTest, StalledEndpointNeverSeesMoreThanTheCap)
{
    stub->setStalled(true);
    int accepted = 0;
    const int offered = Tallybeam::kMaxHitsInFlight + Tallybeam::kMaxHitsQueued + 10;
    for (int i = 0; i < offered; ++i)
        accepted += sender.collectTallybeamObject(
            TallybeamEvent::tallybeamEventWithCategory(QStringLiteral("c"), QString::number(i)));
    EXPECT_EQ(accepted, Tallybeam::kMaxHitsInFlight + Tallybeam::kMaxHitsQueued) << "the queue is bounded";
    ASSERT_TRUE(QTest::qWaitFor([&] { return stub->openConnections() == Tallybeam::kMaxHitsInFlight; }, 30000))
        << stub->openConnections();
    // Every queued hit goes out as the held ones are answered; the cap holds all the way.
    stub->releaseStalled();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stub->requests().size() == accepted; }, 30000)) << stub->requests().size();
    EXPECT_EQ(stub->maxOpenConnections(), Tallybeam::kMaxHitsInFlight);
}
