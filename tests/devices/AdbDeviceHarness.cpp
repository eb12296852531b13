#include "AdbDeviceHarness.h"

#include "devices/AdbBackend.h"

#include <QDir>
#include <QFile>

#include <cstdio>

AdbDeviceHarness::AdbDeviceHarness(const QString &serial)
    : m_serial(serial)
    , m_oldPath(qgetenv("PATH"))
{
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    QFile::copy(QStringLiteral(FENNIX_FAKE_ADB), bin + QStringLiteral("/adb"));
    QFile::setPermissions(bin + QStringLiteral("/adb"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QDir().mkpath(m_dir.filePath(QStringLiteral("phone/") + serial + QStringLiteral("/storage/emulated/0")));
    QDir().mkpath(m_dir.filePath(QStringLiteral("props")));
    QFile props(m_dir.filePath(QStringLiteral("props/") + serial));
    props.open(QIODevice::WriteOnly);
    props.write("[ro.product.model]: [Pixel Test]\n[ro.product.brand]: [google]\n[ro.build.version.release]: [13]\n");
    QFile devices(m_dir.filePath(QStringLiteral("devices")));
    devices.open(QIODevice::WriteOnly);
    qputenv("PATH", bin.toLocal8Bit() + ':' + m_oldPath);
    qputenv("FAKE_ADB_ROOT", m_dir.path().toLocal8Bit());
}

AdbDeviceHarness::~AdbDeviceHarness()
{
    qputenv("PATH", m_oldPath);
    qunsetenv("FAKE_ADB_ROOT");
}

QString AdbDeviceHarness::skipReason() const
{
    return QFile::exists(QStringLiteral(FENNIX_FAKE_ADB)) ? QString() : QStringLiteral("fake adb script missing");
}

std::shared_ptr<IDeviceBackend> AdbDeviceHarness::backend()
{
    if (!m_backend)
        m_backend = std::make_shared<AdbBackend>();
    return m_backend;
}

void AdbDeviceHarness::setState(const QString &state)
{
    // Written whole and renamed, so the watching script never reads half a file.
    QFile next(m_dir.filePath(QStringLiteral("devices.next")));
    next.open(QIODevice::WriteOnly);
    if (!state.isEmpty())
        next.write((m_serial + QLatin1Char(' ') + state + QLatin1Char('\n')).toUtf8());
    next.close();
    ::rename(QFile::encodeName(next.fileName()).constData(), QFile::encodeName(m_dir.filePath(QStringLiteral("devices"))).constData());
}

void AdbDeviceHarness::pull()
{
    setState(QString());
}

void AdbDeviceHarness::pullDuringNextWrite(const std::shared_ptr<IMobileDevice> &)
{
    QFile marker(m_dir.filePath(QStringLiteral("pull-at-50")));
    marker.open(QIODevice::WriteOnly);
}

QString AdbDeviceHarness::localFile(const QString &devicePath) const
{
    return m_dir.filePath(QStringLiteral("phone/") + m_serial) + devicePath;
}

QStringList AdbDeviceHarness::watchedFolders() const
{
    return {m_dir.path(), QDir::currentPath()};
}

QList<QStringList> AdbDeviceHarness::calls() const
{
    QFile log(m_dir.filePath(QStringLiteral("log")));
    log.open(QIODevice::ReadOnly);
    QList<QStringList> calls;
    for (const QByteArray &line : log.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList argv = QString::fromUtf8(line).split(QChar(0x1f));
        argv.removeLast();
        calls.append(argv);
    }
    return calls;
}
