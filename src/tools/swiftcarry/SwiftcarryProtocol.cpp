#include "tools/swiftcarry/SwiftcarryProtocol.h"

#include "platform/KeyedArchiver.h"
#include "platform/MainBundle.h"
#include "platform/NamedConnection.h"

#include <QCborValue>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QUuid>

namespace SwiftcarryProtocol {

QString bundleIdentifier()
{
    const QString id = MainBundle::infoString(QStringLiteral("CFBundleIdentifier"));
    return id.isEmpty() ? QStringLiteral("com.iquenmark.fennixpro") : id;
}

QString convertConnectionName(quint32 taskID)
{
    return bundleIdentifier() + QStringLiteral(":%1.%2").arg(QLatin1String(MediaConvertService)).arg(taskID);
}

QString uniqueConnectionName(const char *service)
{
    return bundleIdentifier()
        + QStringLiteral(":%1-%2").arg(QLatin1String(service), QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
}

Use useOfConnectionName(const QString &name)
{
    const int colon = name.lastIndexOf(QLatin1Char(':'));
    const QString tail = colon >= 0 ? name.mid(colon + 1) : name;
    if (tail.startsWith(QLatin1String(MediaConvertService) + QLatin1Char('.')))
        return Use::Convert;
    if (tail.startsWith(QLatin1String(MediaInfoService) + QLatin1Char('-')))
        return Use::MediaInfo;
    if (tail.startsWith(QLatin1String(ThumbnailService) + QLatin1Char('-')))
        return Use::Thumbnail;
    return Use::Unknown;
}

QString toolPath()
{
    const QString over = qEnvironmentVariable("FENNIX_SWIFTCARRY");
    if (!over.isEmpty())
        return over;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("SwiftcarryCmd"));
}

QString ffmpegPath()
{
    const QString over = qEnvironmentVariable("FENNIX_FFMPEG");
    if (!over.isEmpty())
        return over;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/ffmpeg") : found;
}

QByteArray archiveString(const QString &value) { return KeyedArchiver::archivedRootString(value); }

QString unarchiveString(const QByteArray &data) { return KeyedUnarchiver::rootString(data); }

QByteArray archiveStringList(const QStringList &value)
{
    KeyedArchiver a;
    a.encodeStringList(QStringLiteral("root"), value);
    return a.archivedData();
}

QStringList unarchiveStringList(const QByteArray &data)
{
    KeyedUnarchiver u(data);
    return u.isValid() ? u.decodeStringList(QStringLiteral("root")) : QStringList();
}

QByteArray archiveDictionary(const QVariantMap &value)
{
    KeyedArchiver a;
    for (auto it = value.begin(); it != value.end(); ++it)
        a.encodeVariant(it.key(), it.value());
    return a.archivedData();
}

QVariantMap unarchiveDictionary(const QByteArray &data)
{
    QCborValue parsed;
    if (!KeyedUnarchiver::parseCbor(data, parsed, nullptr) || !parsed.isMap())
        return {};
    return parsed.toMap().toVariantMap();
}

void drainAndClose(NamedConnection *connection, int timeoutMs)
{
    if (!connection)
        return;
    if (auto *socket = connection->findChild<QLocalSocket *>()) {
        QDeadlineTimer deadline(timeoutMs);
        socket->flush();
        while (socket->state() == QLocalSocket::ConnectedState && socket->bytesToWrite() > 0 && !deadline.hasExpired())
            socket->waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    connection->invalidate();
}

} // namespace SwiftcarryProtocol
