#include "recording/AudioCaptureDevice.h"
#include "recording/PrivateSoundServer.h"

#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

#define REQUIRE_SERVER(server)                                                                        \
    if (!(server).isRunning())                                                                        \
    GTEST_SKIP() << "no private sound server: " << qPrintable((server).reason())

const QString kName = QString::fromLatin1(AudioCaptureDevice::DriverName);
const QString kFile = QString::fromLatin1(AudioCaptureDevice::DriverFileName);

TEST(AudioCaptureDevice, ServerWithoutOutputGetsOwnSinkAndLosesItOnRemoval)
{
    PrivateSoundServer server(QStringList{});
    REQUIRE_SERVER(server);
    AudioCaptureDevice device(server.serverString());

    QString reason;
    EXPECT_FALSE(device.isInstallAudioDeviceWithClassName(&reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(device.hasOwnVirtualSink(kName));

    ASSERT_TRUE(device.installAudioDevice2(kName, &reason)) << qPrintable(reason);
    EXPECT_TRUE(device.isInstallAudioDeviceWithClassName());
    EXPECT_EQ(device.getDefaultAuidoEnginePath(), kName + QStringLiteral(".monitor"));
    EXPECT_EQ(device.launchAudioDeviceWithClassName(), kName + QStringLiteral(".monitor"));
    EXPECT_TRUE(device.hasOwnVirtualSink(kName));
    // Installed already: a second install loads nothing more.
    ASSERT_TRUE(device.installAudioDevice2(kName));

    ASSERT_TRUE(device.unInstallAudioDevice(kFile, &reason)) << qPrintable(reason);
    EXPECT_FALSE(device.hasOwnVirtualSink(kName));
    EXPECT_FALSE(device.isInstallAudioDeviceWithClassName());
    EXPECT_TRUE(device.getDefaultAuidoEnginePath().isEmpty());
}

TEST(AudioCaptureDevice, UsesTheUsersOutputAndNeverRemovesWhatItDidNotLoad)
{
    // The user's own sinks, one of them under the very name the program would use.
    PrivateSoundServer server({QStringLiteral("speakers"), kName});
    REQUIRE_SERVER(server);
    AudioCaptureDevice device(server.serverString());

    EXPECT_TRUE(device.isInstallAudioDeviceWithClassName());
    EXPECT_EQ(device.getDefaultAuidoEnginePath(), QStringLiteral("speakers.monitor"));
    ASSERT_TRUE(device.installAudioDevice2(kName));
    EXPECT_FALSE(device.hasOwnVirtualSink(kName)) << "an output existed: nothing to add";

    EXPECT_TRUE(device.unInstallAudioDevice(kFile));
    EXPECT_EQ(device.getDefaultAuidoEnginePath(), QStringLiteral("speakers.monitor"));
}

TEST(AudioCaptureDevice, NoServerIsAClearFailureAndNothingToRemove)
{
    QTemporaryDir dir;
    AudioCaptureDevice device(QStringLiteral("unix:") + dir.filePath(QStringLiteral("no-such-socket")), 1000);
    QString reason;
    EXPECT_FALSE(device.isInstallAudioDeviceWithClassName(&reason));
    EXPECT_TRUE(reason.contains(QLatin1String("No sound server"))) << qPrintable(reason);
    EXPECT_TRUE(device.launchAudioDeviceWithClassName().isEmpty());
    reason.clear();
    EXPECT_FALSE(device.installAudioDevice2(kName, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_TRUE(device.unInstallAudioDevice(kFile));
}

TEST(AudioCaptureDevice, InstallStartsOnlyTheUsersServerAndReportsItsFailure)
{
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("fake-server"));
    const QString argsFile = dir.filePath(QStringLiteral("args"));
    {
        QFile f(fake);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\necho 'no audio hardware' >&2\nexit 1\n").arg(argsFile).toLocal8Bit());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", (QStringLiteral("unix:") + dir.filePath(QStringLiteral("none"))).toLocal8Bit());
    AudioCaptureDevice::setSoundServerProgramForTesting(fake);

    QString reason;
    const bool ok = AudioCaptureDevice(QString(), 1000).installAudioDevice2(kName, &reason);

    AudioCaptureDevice::setSoundServerProgramForTesting(QStringLiteral("pulseaudio"));
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(reason.contains(QLatin1String("no audio hardware"))) << qPrintable(reason);
    QFile args(argsFile);
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(args.readAll().trimmed(), QByteArray("--start"));
}

TEST(AudioCaptureDevice, RefusesNamesThatWouldReachTheModuleArguments)
{
    QString reason;
    for (const QString &bad : {QString(), QStringLiteral("a b"), QStringLiteral("x=y")})
        EXPECT_FALSE(AudioCaptureDevice(QStringLiteral("unix:/nonexistent"), 200).installAudioDevice2(bad, &reason)) << qPrintable(bad);
}

} // namespace
