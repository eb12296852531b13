#pragma once

#include "TransferFixtures.h"

#include "devices/DeviceTypes.h"
#include "devices/FakeDeviceBackend.h"
#include "devices/FakeFileStore.h"
#include "devices/StoreMobileDevice.h"

#include <QDir>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

// A scripted phone on a temporary folder: it arrives in `status`, and connect() answers the
// value of `answer` (counted in `connects`).
struct ScriptedPhone
{
    explicit ScriptedPhone(quint32 platform = DeviceTransferPlatform::Android, int status = 0,
                           int prepareCheck = DevicePrepareCheck::Ready, const QString &name = QStringLiteral("Pixel Fake"),
                           bool iPod = false)
    {
        const QString root = platform == DeviceTransferPlatform::iOS ? QStringLiteral("/Documents") : QStringLiteral("/storage/emulated/0");
        QDir().mkpath(dir.path() + root + QStringLiteral("/Music"));
        QDir().mkpath(dir.path() + root + QStringLiteral("/Video"));
        store = makePhoneStore(dir.path(), root);
        StoreMobileDevice::Setup setup;
        setup.info.displayName = name;
        setup.info.serialNumber = QStringLiteral("SCRIPTED-%1").arg(quintptr(this), 0, 16);
        setup.info.OSPlatform = platform;
        setup.info.OSVersion = QStringLiteral("12");
        setup.musicFolder = root + QStringLiteral("/Music");
        setup.videoFolder = root + QStringLiteral("/Video");
        setup.connectionStatus = status;
        setup.prepareCheck = prepareCheck;
        setup.iPod = iPod;
        setup.connector = [this] {
            ++connects;
            if (gate)
                gate();
            return answer.load();
        };
        device = FakeDeviceBackend::makeDevice(store, setup);
    }
    QString local(const QString &devicePath) const { return store->localPath(devicePath); }

    QTemporaryDir dir;
    std::shared_ptr<FakeFileStore> store;
    std::shared_ptr<StoreMobileDevice> device;
    std::atomic<int> answer{DeviceConnectionStatus::Connected};
    std::atomic<int> connects{0};
    // Runs inside connect() on its thread before the answer (tests hold a connection here).
    std::function<void()> gate;
};
