#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QVMediaFileInfo;

// Argument lists of the ffmpeg program for the tool's uses. Paths go in as "file:" URLs so a
// name never reads as an option or another protocol; no argument passes through a shell.
namespace FfmpegCommand {

QString fileArgument(const QString &path);
// A path as a value inside a filter graph ("subtitles=filename=<here>"): escaped for the
// filter's option parser and then for the graph parser.
QString escapeFilterValue(const QString &value);
// One line of a concat list for path, quoted for the concat demuxer.
QString concatListLine(const QString &path);

// Conversion of source into out by the encoder block; empty with *error when the block asks
// for something the installed FFmpeg cannot do. lossless copies streams that the target can
// carry unchanged (never when a subtitle is burnt in, which needs the picture re-encoded).
QStringList conversionArguments(const IM_EncodeParamEx &block, const QVMediaFileInfo &source, const QString &in,
                                const QString &subtitle, const QString &out, bool lossless, QString *error);
// The helper's audio extraction: MP3 at 320 kbit/s.
QStringList audioExtractArguments(const QString &in, const QString &out);
// Joins an audio file and a video file without re-encoding.
QStringList muxArguments(const QString &audio, const QString &video, const QString &out);
// Concatenates the files of a concat list without re-encoding.
QStringList concatArguments(const QString &listFile, const QString &out);

// Reads the key=value blocks of "-progress". feed() answers true when a block ended.
class Progress
{
public:
    bool feed(const QByteArray &chunk);
    qint64 outTimeUs() const { return m_outTimeUs; }
    bool ended() const { return m_ended; }

private:
    QByteArray m_pending;
    qint64 m_outTimeUs = 0;
    bool m_ended = false;
};

} // namespace FfmpegCommand
