#include "recording/MediaProbe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

MediaProbe MediaProbe::of(const QString &path)
{
    MediaProbe probe;
    QProcess p;
    p.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-print_format"), QStringLiteral("json"),
                                        QStringLiteral("-show_format"), QStringLiteral("-show_streams"), path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return probe;
    const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    probe.seconds = root.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble();
    for (const QJsonValue &v : root.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject s = v.toObject();
        const QString type = s.value(QStringLiteral("codec_type")).toString();
        if (type == QLatin1String("video") && !probe.hasVideo) {
            probe.hasVideo = true;
            probe.width = s.value(QStringLiteral("width")).toInt();
            probe.height = s.value(QStringLiteral("height")).toInt();
            probe.videoSeconds = s.value(QStringLiteral("duration")).toString().toDouble();
        } else if (type == QLatin1String("audio") && !probe.hasAudio) {
            probe.hasAudio = true;
            probe.audioSeconds = s.value(QStringLiteral("duration")).toString().toDouble();
        }
    }
    probe.ok = true;
    return probe;
}
