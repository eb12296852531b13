// FennixDeviceProbe: what the device layer sees on this machine, for checks by hand with real
// phones, tablets and car devices.
//   FennixDeviceProbe list        every device found: name, kind, free space, status
//   FennixDeviceProbe push FILE   sends FILE to the first connected device, with progress

#include "devices/DeviceInfo.h"
#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/IMobileDevice.h"
#include "platform/Dispatch.h"
#include "transfer/QVMobileDeviceItem.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"
#include "transfer/TransferMediaTask.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include <cstdio>

namespace {

// adb, USB and volume watches report within a moment of starting.
constexpr int SettleMs = 2500;

void out(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString platformName(quint32 platform)
{
    switch (platform) {
    case DeviceTransferPlatform::Android: return QStringLiteral("Android");
    case DeviceTransferPlatform::iOS: return QStringLiteral("iOS");
    case DeviceTransferPlatform::Car: return QStringLiteral("car device");
    default: return QStringLiteral("platform %1").arg(platform);
    }
}

QString statusName(const IMobileDevice &device)
{
    if (device.connectPrepareCheck() != DevicePrepareCheck::Ready)
        return QStringLiteral("USB debugging is off: turn it on in the phone's developer options");
    switch (device.connectionStatus()) {
    case DeviceConnectionStatus::Connected: return QStringLiteral("connected");
    case DeviceConnectionStatus::Connecting: return QStringLiteral("connecting");
    case DeviceConnectionStatus::WaitingForTrust: return QStringLiteral("waiting for the user to allow this computer");
    case DeviceConnectionStatus::WaitingForPasscode: return QStringLiteral("locked with a passcode");
    case DeviceConnectionStatus::Asleep: return QStringLiteral("asleep");
    case DeviceConnectionStatus::ChargeOnly: return QStringLiteral("charging only");
    default: return QStringLiteral("failed (status %1)").arg(device.connectionStatus());
    }
}

QString bytes(qint64 n)
{
    return QLocale::c().formattedDataSize(n, 1, QLocale::DataSizeTraditionalFormat);
}

int list(const QList<std::shared_ptr<IMobileDevice>> &devices)
{
    if (devices.isEmpty()) {
        out(QStringLiteral("No devices found."));
        return 0;
    }
    for (const auto &device : devices) {
        auto item = std::make_shared<QVMobileDeviceItem>(device);
        const QString free = device->IsOnline() ? bytes(item->getFreeSpaceSize()) : QStringLiteral("-");
        out(QStringLiteral("%1\t%2 %3\tserial %4\tfree %5\t%6")
                .arg(item->deviceName(), platformName(item->platform()), device->deviceInfo()->OSVersion(),
                     item->serialNumber(), free, statusName(*device)));
    }
    return 0;
}

class ProgressPrinter : public TransferItemDelegate
{
public:
    void transferItemProgress(TransferFileItem &, int percent) override
    {
        if (percent != m_last)
            out(QStringLiteral("%1%").arg(m_last = percent));
    }

private:
    int m_last = -1;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("FennixPro"));
    const QStringList args = app.arguments().mid(1);
    const bool push = args.value(0) == QLatin1String("push") && args.size() == 2;
    if (!push && args.value(0) != QLatin1String("list")) {
        std::fputs("usage: FennixDeviceProbe list | push FILE\n", stderr);
        return 2;
    }
    if (push && !QFileInfo(args[1]).isFile()) {
        std::fprintf(stderr, "no file at %s\n", qPrintable(args[1]));
        return 2;
    }
    Dexmoor &manager = Dexmoor::defaultManager();
    manager.setPlatformFilter(DeviceTransferPlatform::Android | DeviceTransferPlatform::iOS);
    manager.startDexmoorListen();

    int rc = 0;
    auto printer = std::make_shared<ProgressPrinter>();
    std::shared_ptr<TransferMediaTask> job;
    QTimer::singleShot(SettleMs, &app, [&] {
        const auto devices = manager.getConnectDevices();
        if (!push) {
            rc = list(devices);
            app.quit();
            return;
        }
        std::shared_ptr<IMobileDevice> target;
        for (const auto &device : devices) {
            if (device->IsOnline()) {
                target = device;
                break;
            }
        }
        if (!target) {
            list(devices);
            out(QStringLiteral("No connected device to push to."));
            rc = 1;
            app.quit();
            return;
        }
        out(QStringLiteral("Pushing to %1 …").arg(target->deviceInfo()->displayName()));
        job = std::make_shared<TransferMediaTask>();
        job->setDestDevice(target);
        job->addWithFile(QFileInfo(args[1]).absoluteFilePath());
        const auto item = job->items().value(0);
        item->addDelegate(printer);
        job->setConverterCompleted([&, item](const std::shared_ptr<TransferMediaTask> &) {
            dispatch::async_main([&, item] {
                const bool ok = item->itemStatus() == TransferFileItem::StatusDone;
                out(ok ? QStringLiteral("Done: %1").arg(item->writeDestFilePath().isEmpty() ? item->filePath() : item->writeDestFilePath())
                       : QStringLiteral("Failed (status %1): %2")
                             .arg(item->itemStatus())
                             .arg(TransferDataItem::failureReasonText(item->errorText()).isEmpty()
                                      ? item->errorText()
                                      : TransferDataItem::failureReasonText(item->errorText())));
                rc = ok ? 0 : 1;
                app.quit();
            });
        });
        job->start();
    });
    app.exec();
    manager.stopListen();
    return rc;
}
