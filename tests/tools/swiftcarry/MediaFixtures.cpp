#include "MediaFixtures.h"

#include "media/VexlumeCodecs.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>

namespace MediaFixtures {

using VexlumeCodecs::fourCC;

IM_EncodeParamEx mp4Target(int width, int height, uint32_t videoBitrate, uint32_t sampleRate, uint32_t channels,
                           uint32_t audioBitrate)
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.containerFourCC = fourCC("mp4 ");
    b.videoFourCC = fourCC("avc1");
    b.width = width;
    b.height = height;
    b.videoBitrate = videoBitrate;
    b.audioFourCC = fourCC("mp4a");
    b.sampleRate = sampleRate;
    b.channels = channels;
    b.audioBitrate = audioBitrate;
    return b;
}

IM_EncodeParamEx mp3Target(uint32_t audioBitrate)
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.containerFourCC = fourCC("mp3 ");
    b.videoDisabled = 1;
    b.audioFourCC = fourCC(".mp3");
    b.audioBitrate = audioBitrate;
    return b;
}

QString makeClip(const QString &dir, const QString &name, const ClipSpec &wanted)
{
    const QString out = QDir(dir).filePath(name);
    const QString secs = QString::number(wanted.seconds);
    QStringList args{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                     QStringLiteral("-y")};
    if (wanted.video)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("testsrc=size=%1:rate=25:duration=%2").arg(wanted.size, secs);
    if (wanted.audio)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(secs);
    if (wanted.video)
        args << QStringLiteral("-c:v") << wanted.videoCodec << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p");
    if (wanted.video && wanted.videoCodec == QLatin1String("libx264"))
        args << QStringLiteral("-preset") << QStringLiteral("ultrafast");
    if (wanted.audio)
        args << QStringLiteral("-c:a") << QStringLiteral("aac");
    args << QStringLiteral("file:") + out;
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return out;
}

QString makeCorrupt(const QString &dir, const QString &name)
{
    const QString out = QDir(dir).filePath(name);
    QFile f(out);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    QByteArray junk(4096, '\0');
    QRandomGenerator gen(42);
    for (char &c : junk)
        c = char(gen.bounded(256));
    junk.replace(0, 8, QByteArray("\x00\x00\x00\x18junk", 8));
    f.write(junk);
    return out;
}

QVariantMap probe(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_streams"),
                                        QStringLiteral("-show_format"), QStringLiteral("-of"), QStringLiteral("json"),
                                        QStringLiteral("file:") + path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).toVariant().toMap();
}

QStringList codecNames(const QVariantMap &probe)
{
    QStringList out;
    for (const QVariant &s : probe.value(QStringLiteral("streams")).toList())
        out << s.toMap().value(QStringLiteral("codec_name")).toString();
    return out;
}

double duration(const QVariantMap &probe)
{
    return probe.value(QStringLiteral("format")).toMap().value(QStringLiteral("duration")).toDouble();
}

QString writeScript(const QString &dir, const QString &name, const QString &body)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("#!/bin/sh\n" + body.toUtf8() + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

char processState(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    return close >= 0 && close + 2 < stat.size() ? stat.at(close + 2) : 0;
}

QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> out;
    QFile f(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &part : f.readAll().split(' '))
        if (!part.trimmed().isEmpty())
            out << part.trimmed().toLongLong();
    return out;
}

} // namespace MediaFixtures
