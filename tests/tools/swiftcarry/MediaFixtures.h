#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QString>
#include <QVariantMap>

// Test media made on the spot with ffmpeg's own sources, and ffprobe's view of a result.
namespace MediaFixtures {

struct ClipSpec
{
    double seconds = 2.0;
    QString size = QStringLiteral("320x240");
    bool video = true;
    bool audio = true;
    QString videoCodec = QStringLiteral("libx264"); // ffmpeg's encoder name
};

// Encoder blocks of the usual targets: H.264/AAC in MP4, and MP3 without video (bit/s).
IM_EncodeParamEx mp4Target(int width, int height, uint32_t videoBitrate, uint32_t sampleRate = 44100,
                           uint32_t channels = 2, uint32_t audioBitrate = 128000);
IM_EncodeParamEx mp3Target(uint32_t audioBitrate);

// A H.264/AAC MP4 (or audio-only M4A when video is off) at dir/name; empty on failure.
QString makeClip(const QString &dir, const QString &name, const ClipSpec &wanted = {});
// Bytes that look like nothing a demuxer accepts.
QString makeCorrupt(const QString &dir, const QString &name);
// ffprobe's streams and format as JSON (an empty map when ffprobe fails).
QVariantMap probe(const QString &path);
// Codec names of the streams of a probe, in order ("h264", "aac", ...).
QStringList codecNames(const QVariantMap &probe);
double duration(const QVariantMap &probe);
// Writes an executable shell script; returns its path.
QString writeScript(const QString &dir, const QString &name, const QString &body);
// State letter of /proc/<pid>/stat ('R', 'S', 'T', ...), or 0 when there is no such process.
char processState(qint64 pid);
// Child pids of pid.
QList<qint64> childrenOf(qint64 pid);

} // namespace MediaFixtures
