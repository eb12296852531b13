#include "devices/AdbFileStore.h"

#include "devices/AdbHelper.h"
#include "devices/DeviceTypes.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

AdbFileStore::AdbFileStore(const QString &serialNumber)
    : m_serial(serialNumber)
{
}

std::optional<StorageMedium> AdbFileStore::parseDfLine(const QString &output, const QString &root)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.trimmed().split(space);
        if (fields.size() < 4)
            continue;
        bool okTotal = false, okFree = false;
        const qint64 totalK = fields[1].toLongLong(&okTotal);
        const qint64 freeK = fields[3].toLongLong(&okFree);
        if (!okTotal || !okFree || totalK <= 0)
            continue;
        StorageMedium medium;
        medium.total = totalK * 1024;
        medium.used = medium.total - std::min(freeK, totalK) * 1024;
        medium.StoreMediumrootPath = root;
        return medium;
    }
    return std::nullopt;
}

std::optional<StorageMedium> AdbFileStore::readMedium(const QString &root)
{
    const auto result = AdbHelper::shell(m_serial, QStringLiteral("df -k ") + AdbHelper::shellQuote(root));
    if (!result.ok())
        return std::nullopt;
    return parseDfLine(QString::fromUtf8(result.output), root);
}

std::optional<DeviceStorageInfos::Snapshot> AdbFileStore::readStorages()
{
    DeviceStorageInfos::Snapshot snapshot;
    snapshot.card = readMedium(builtInRoot());
    if (!snapshot.card)
        return std::nullopt;
    snapshot.memory = snapshot.card;
    // Removable cards show as /storage/XXXX-XXXX beside "emulated" and "self".
    const auto list = AdbHelper::shell(m_serial, QStringLiteral("ls /storage"));
    static const QRegularExpression volumeName(QStringLiteral("^[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}$"));
    for (const QString &entry : QString::fromUtf8(list.output).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (!volumeName.match(entry).hasMatch())
            continue;
        if (auto card = readMedium(QStringLiteral("/storage/") + entry)) {
            snapshot.externalCard = card;
            break;
        }
    }
    return snapshot;
}

std::optional<RemoteFileInfo> AdbFileStore::stat(const QString &path)
{
    if (!isSafePath(path))
        return std::nullopt;
    const auto result = AdbHelper::shell(m_serial, QStringLiteral("stat -c '%s %F' ") + AdbHelper::shellQuote(path));
    // Old phones end every shell command with 0: the output decides.
    static const QRegularExpression line(QStringLiteral("^(\\d+) (.+)$"));
    const auto match = line.match(QString::fromUtf8(result.output).trimmed());
    if (!result.started || !match.hasMatch())
        return std::nullopt;
    const bool directory = match.captured(2) == QLatin1String("directory");
    return RemoteFileInfo{path, directory ? 0 : match.captured(1).toLongLong(), directory};
}

bool AdbFileStore::makePath(const QString &folder, QString *error)
{
    if (!isSafePath(folder)) {
        if (error)
            *error = QStringLiteral("unsafe path");
        return false;
    }
    const auto result = AdbHelper::shell(m_serial, QStringLiteral("mkdir -p ") + AdbHelper::shellQuote(folder));
    const auto made = stat(folder);
    if (!made || !made->isDirectory) {
        if (error)
            *error = QString::fromUtf8(result.error + result.output).trimmed();
        return false;
    }
    return true;
}

std::optional<int> AdbFileStore::push(const QString &localPath, const QString &path, const Progress &progress,
                                      const Cancelled &cancelled, QString *error)
{
    const QString adb = AdbHelper::adbProgram();
    const qint64 size = QFileInfo(localPath).size();
    if (adb.isEmpty() || !isSafePath(path) || !QFileInfo(localPath).isFile()) {
        if (error)
            *error = QStringLiteral("cannot push %1").arg(localPath);
        return AsyncTaskResult::Failed;
    }
    QProcess process;
    process.setProgram(adb);
    // The device path travels over adb's file protocol, not through a shell: no quoting.
    process.setArguments({QStringLiteral("-s"), m_serial, QStringLiteral("push"), localPath, path});
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted(10000))
        return AsyncTaskResult::Failed;
    static const QRegularExpression percentLine(QStringLiteral("\\[\\s*(\\d+)%\\]"));
    QByteArray pending;
    QByteArray transcript;
    bool sawPercent = false;
    int last = -1;
    qint64 grown = 0; // bytes on the phone at the last look
    QElapsedTimer sincePoll;
    sincePoll.start();
    while (true) {
        const bool finished = process.waitForFinished(300);
        const QByteArray chunk = process.readAll();
        pending += chunk;
        transcript += chunk;
        // Progress lines end with "\r" on a terminal and "\n" elsewhere.
        qsizetype cut;
        while ((cut = std::max(pending.indexOf('\n'), pending.indexOf('\r'))) >= 0) {
            const QString line = QString::fromUtf8(pending.left(cut));
            pending.remove(0, cut + 1);
            const auto match = percentLine.match(line);
            if (match.hasMatch()) {
                // Every line is reported, a repeated percent too: it shows the phone still takes data.
                sawPercent = true;
                last = std::max(last, std::min(match.captured(1).toInt(), 100));
                progress(last);
            }
        }
        if (finished)
            break;
        if (cancelled()) {
            process.kill();
            process.waitForFinished(3000);
            return AsyncTaskResult::Failed;
        }
        // adb prints no progress when its output is not a terminal: watch the file grow.
        if (!sawPercent && size > 0 && sincePoll.elapsed() >= 1000) {
            sincePoll.restart();
            if (auto info = stat(path); info && info->length > grown) {
                grown = info->length;
                last = std::max(last, int(std::min<qint64>(99, info->length * 100 / size)));
                progress(last);
            }
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error)
            *error = QString::fromUtf8(transcript).trimmed();
        return AsyncTaskResult::Failed;
    }
    if (last < 100)
        progress(100);
    return AsyncTaskResult::Done;
}

void AdbFileStore::mediaScan(const QString &path)
{
    const QString uri = QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
    AdbHelper::shell(m_serial, QStringLiteral("am broadcast -a android.intent.action.MEDIA_SCANNER_SCAN_FILE -d ")
                                   + AdbHelper::shellQuote(uri));
}
