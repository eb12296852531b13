#include "converter/ConverterUtilities.h"

#include "platform/MainBundle.h"
#include "platform/PowerService.h"
#include "platform/SafeFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

namespace {

QString firstLineValue(const QString &path, const QString &prefix, QChar separator)
{
    QFile file(path);
    if (!SafeFileReader::open(file))
        return {};
    // These files are small; a cap keeps a strange one from being read whole.
    const QList<QByteArray> lines = file.read(256 * 1024).split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw);
        if (!line.startsWith(prefix))
            continue;
        const qsizetype at = line.indexOf(separator);
        if (at < 0)
            continue;
        QString value = line.mid(at + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

} // namespace

bool MakeSureFolderExist(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !MakeSureFolderExist(parent))
        return false;
    return QDir().mkdir(clean);
}

QVariant ValueForKeyInInfoPlist(const QString &key)
{
    if (key.isEmpty())
        return {};
    return MainBundle::infoValue(key);
}

int SendAppleEventToSystemProcess(uint32_t eventID)
{
    int status = 0;
    if (eventID == kAESleep)
        status = PowerService::shared().suspend();
    else if (eventID == kAEShutDown)
        status = PowerService::shared().powerOff();
    else
        return errAEEventNotHandled;
    return status == PowerService::NoErr ? 0 : errAEEventFailed;
}

QVariantMap GetSystemInfo()
{
    QVariantMap info;
    QString version = firstLineValue(QStringLiteral("/etc/os-release"), QStringLiteral("VERSION_ID="), u'=');
    if (version.isEmpty())
        version = QSysInfo::productVersion();
    if (!version.isEmpty() && version != QLatin1String("unknown"))
        info.insert(QStringLiteral("OS Version"), version);

    const QString arch = QSysInfo::currentCpuArchitecture();
    const bool intel = arch.startsWith(QLatin1String("x86")) || arch == QLatin1String("i386");
    const bool power = arch.startsWith(QLatin1String("power"));
    info.insert(QStringLiteral("CPU Type"), intel ? QStringLiteral("Intel") : power ? QStringLiteral("PowerPC") : QStringLiteral("Unknown"));
    info.insert(QStringLiteral("CPU SubType"), intel ? QStringLiteral("Intel") : QStringLiteral("Other"));

    QFile modelFile(QStringLiteral("/sys/devices/virtual/dmi/id/product_name"));
    if (modelFile.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(modelFile.read(256)).trimmed();
        if (!name.isEmpty())
            info.insert(QStringLiteral("Computer Model"), name);
    }
    info.insert(QStringLiteral("CPU Number"), QThread::idealThreadCount());
    bool ok = false;
    const double mhz = firstLineValue(QStringLiteral("/proc/cpuinfo"), QStringLiteral("cpu MHz"), u':').toDouble(&ok);
    if (ok && mhz > 0)
        info.insert(QStringLiteral("CPU Speed"), qint64(mhz));
    const QString mem = firstLineValue(QStringLiteral("/proc/meminfo"), QStringLiteral("MemTotal:"), u':');
    const qint64 kb = mem.section(u' ', 0, 0).toLongLong(&ok);
    if (ok && kb > 0)
        info.insert(QStringLiteral("Memory"), kb / 1024);
    return info;
}
