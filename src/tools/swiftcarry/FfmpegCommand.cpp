#include "tools/swiftcarry/FfmpegCommand.h"

#include "media/IM_MediaItem.h"
#include "media/QVMediaFileInfo.h"
#include "media/VexlumeCodecs.h"

#include <QFileInfo>

namespace FfmpegCommand {

namespace {

const QStringList &commonHead()
{
    static const QStringList head = {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                                     QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y")};
    return head;
}

QString escapeChars(const QString &value, const QString &special)
{
    QString out;
    out.reserve(value.size() * 2);
    for (QChar c : value) {
        if (special.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

int even(int v) { return v - v % 2; }

} // namespace

QString fileArgument(const QString &path)
{
    return QStringLiteral("file:") + QFileInfo(path).absoluteFilePath();
}

QString escapeFilterValue(const QString &value)
{
    // First level: the filter's "key=value:key=value" parser; second: the graph parser.
    const QString level1 = escapeChars(value, QStringLiteral("\\':"));
    return escapeChars(level1, QStringLiteral("\\'[],;"));
}

QString concatListLine(const QString &path)
{
    QString quoted = QFileInfo(path).absoluteFilePath();
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QStringLiteral("file '%1'\n").arg(quoted);
}

QStringList conversionArguments(const IM_EncodeParamEx &b, const QVMediaFileInfo &source, const QString &in,
                                const QString &subtitle, const QString &out, bool lossless, QString *error)
{
    auto fail = [&](const QString &text) {
        if (error)
            *error = text;
        return QStringList();
    };
    if (!source.isValid())
        return fail(QStringLiteral("cannot read the source: %1").arg(source.errorString()));

    // No container code: the output's extension decides.
    const VexlumeCodecs::Container *container = b.containerFourCC
        ? VexlumeCodecs::containerForFourCC(b.containerFourCC)
        : VexlumeCodecs::containerForExtension(QFileInfo(out).suffix());
    if (b.containerFourCC && !container)
        return fail(QStringLiteral("unknown container code %1").arg(b.containerFourCC));
    if (container && !VexlumeCodecs::isMuxerAvailable(container->muxer))
        return fail(QStringLiteral("no muxer %1").arg(container->muxer));

    const QVStreamInfo *sv = source.firstVideo();
    const QVStreamInfo *sa = source.firstAudio();
    const bool wantVideo = sv && !b.videoDisabled && !(container && container->audioOnly);
    const bool wantAudio = sa && !b.audioDisabled;
    if (!wantVideo && !wantAudio)
        return fail(QStringLiteral("nothing to convert: the target takes no stream of the source"));

    QStringList args = commonHead();
    args << QStringLiteral("-i") << fileArgument(in);
    const bool burnSubtitle = wantVideo && !subtitle.isEmpty();
    // Values under Smart Fit were fitted to the source and the rules before the block got here;
    // the block always says what to write.

    if (wantVideo) {
        args << QStringLiteral("-map") << QStringLiteral("0:v:0");
        const int targetId = VexlumeCodecs::codecIdForFourCC(b.videoFourCC, true);
        const bool copy = lossless && !burnSubtitle && targetId && targetId == sv->codecId()
            && (!container || VexlumeCodecs::containerAcceptsCodec(container->muxer, sv->codecId()));
        if (copy) {
            args << QStringLiteral("-c:v") << QStringLiteral("copy");
        } else {
            QString encoder = VexlumeCodecs::encoderForFourCC(b.videoFourCC, true);
            if (encoder.isEmpty())
                return fail(QStringLiteral("no encoder for video code %1").arg(b.videoFourCC));
            args << QStringLiteral("-c:v") << encoder;
            QStringList filters;
            if ((b.width > 0 || b.height > 0))
                filters << QStringLiteral("scale=%1:%2")
                               .arg(b.width > 0 ? even(b.width) : -2)
                               .arg(b.height > 0 ? even(b.height) : -2);
            if (burnSubtitle)
                filters << QStringLiteral("subtitles=filename=%1").arg(escapeFilterValue(QFileInfo(subtitle).absoluteFilePath()));
            if (!filters.isEmpty())
                args << QStringLiteral("-vf") << filters.join(QLatin1Char(','));
            if (b.frameRate > 0)
                args << QStringLiteral("-r") << QString::number(b.frameRate, 'g', 10);
            if (b.videoBitrate > 0)
                args << QStringLiteral("-b:v") << QString::number(b.videoBitrate);
            else if (sv->bitRate() > 0)
                args << QStringLiteral("-b:v") << QString::number(sv->bitRate());
            if (encoder == QLatin1String("libx264") || encoder == QLatin1String("libx265")
                || encoder == QLatin1String("mpeg4") || encoder == QLatin1String("libxvid"))
                args << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p");
        }
    } else {
        args << QStringLiteral("-vn");
    }

    if (wantAudio) {
        args << QStringLiteral("-map") << QStringLiteral("0:a:0");
        const int targetId = VexlumeCodecs::codecIdForFourCC(b.audioFourCC, false);
        const bool copy = lossless && targetId && targetId == sa->codecId()
            && (!container || VexlumeCodecs::containerAcceptsCodec(container->muxer, sa->codecId()));
        if (copy) {
            args << QStringLiteral("-c:a") << QStringLiteral("copy");
        } else {
            const QString encoder = VexlumeCodecs::encoderForFourCC(b.audioFourCC, false);
            if (encoder.isEmpty())
                return fail(QStringLiteral("no encoder for audio code %1").arg(b.audioFourCC));
            args << QStringLiteral("-c:a") << encoder;
            if (b.audioBitrate > 0)
                args << QStringLiteral("-b:a") << QString::number(b.audioBitrate);
            if (b.sampleRate > 0)
                args << QStringLiteral("-ar") << QString::number(b.sampleRate);
            if (b.channels > 0)
                args << QStringLiteral("-ac") << QString::number(b.channels);
        }
    } else {
        args << QStringLiteral("-an");
    }

    args << QStringLiteral("-sn") << QStringLiteral("-dn");
    if (container)
        args << QStringLiteral("-f") << container->muxer;
    args << QStringLiteral("-progress") << QStringLiteral("pipe:1") << QStringLiteral("-nostats");
    args << fileArgument(out);
    if (error)
        error->clear();
    return args;
}

QStringList audioExtractArguments(const QString &in, const QString &out)
{
    return commonHead()
        + QStringList{QStringLiteral("-i"), fileArgument(in), QStringLiteral("-f"), QStringLiteral("mp3"),
                      QStringLiteral("-vn"), QStringLiteral("-ab"), QStringLiteral("320000"), fileArgument(out)};
}

QStringList muxArguments(const QString &audio, const QString &video, const QString &out)
{
    return commonHead()
        + QStringList{QStringLiteral("-i"), fileArgument(audio), QStringLiteral("-i"), fileArgument(video),
                      QStringLiteral("-map"), QStringLiteral("1:v?"), QStringLiteral("-map"), QStringLiteral("0:a?"),
                      QStringLiteral("-acodec"), QStringLiteral("copy"), QStringLiteral("-vcodec"), QStringLiteral("copy"),
                      fileArgument(out)};
}

QStringList concatArguments(const QString &listFile, const QString &out)
{
    return commonHead()
        + QStringList{QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                      QStringLiteral("-i"), fileArgument(listFile), QStringLiteral("-c"), QStringLiteral("copy"),
                      fileArgument(out)};
}

bool Progress::feed(const QByteArray &chunk)
{
    m_pending += chunk;
    bool blockEnded = false;
    for (;;) {
        const qsizetype nl = m_pending.indexOf('\n');
        if (nl < 0)
            break;
        const QByteArray line = m_pending.left(nl).trimmed();
        m_pending.remove(0, nl + 1);
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        if (key == "out_time_us" || key == "out_time_ms") {  // both are microseconds
            bool ok = false;
            const qint64 us = value.toLongLong(&ok);
            if (ok && us >= 0)
                m_outTimeUs = us;
        } else if (key == "progress") {
            blockEnded = true;
            if (value == "end")
                m_ended = true;
        }
    }
    if (m_pending.size() > 64 * 1024)  // a line this long is not progress output
        m_pending.clear();
    return blockEnded;
}

} // namespace FfmpegCommand
