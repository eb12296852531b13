#include "media/QVMediaFileInfo.h"

#include "media/VexlumeCodecs.h"

#include <QFileInfo>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

const QVStreamInfo *QVStreamInfoList::itemAtIndex(int index) const
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return &m_items[index];
}

QVMediaFileInfo::QVMediaFileInfo(const QString &path, void *)
    : m_path(path)
{
    analyse();
}

const QVProgramInfo *QVMediaFileInfo::programInfoAtIndex(int index) const
{
    if (index != 0 || m_programs.isEmpty())
        return nullptr;
    return &m_programs.first();
}

const QVMediaFileInfo *QVMediaFileInfo::mediafileInfoAtchildFileIndex(int index) const
{
    return index == 0 ? this : nullptr;
}

const QVStreamInfo *QVMediaFileInfo::firstVideo() const
{
    const QVProgramInfo *p = programInfoAtIndex(0);
    return p ? p->videoStreamInfos().itemAtIndex(0) : nullptr;
}

const QVStreamInfo *QVMediaFileInfo::firstAudio() const
{
    const QVProgramInfo *p = programInfoAtIndex(0);
    return p ? p->audioStreamInfos().itemAtIndex(0) : nullptr;
}

void QVMediaFileInfo::analyse()
{
    const QFileInfo info(m_path);
    if (!info.isFile()) {
        m_error = QStringLiteral("no such file");
        return;
    }
    AVFormatContext *ctx = nullptr;
    // "file:" keeps names such as "concat:x" or "http:y" from choosing another protocol.
    const QByteArray url = "file:" + info.absoluteFilePath().toUtf8();
    int rc = avformat_open_input(&ctx, url.constData(), nullptr, nullptr);
    if (rc < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(rc, text, sizeof text);
        m_error = QString::fromUtf8(text);
        return;
    }
    rc = avformat_find_stream_info(ctx, nullptr);
    if (rc < 0) {
        avformat_close_input(&ctx);
        m_error = QStringLiteral("cannot read the streams");
        return;
    }
    m_formatName = QString::fromLatin1(ctx->iformat->name);
    if (const auto *c = VexlumeCodecs::containerForExtension(info.suffix()))
        m_containerFourCC = c->fourCC;
    m_bitRate = ctx->bit_rate > 0 ? ctx->bit_rate : 0;
    if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0)
        m_duration = double(ctx->duration) / AV_TIME_BASE;

    QVProgramInfo program;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream *st = ctx->streams[i];
        const AVCodecParameters *par = st->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_VIDEO && par->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && (st->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;  // cover art is not a video stream
        QVStreamInfo s;
        s.m_id = st->id ? st->id : int(i);
        s.m_bitRate = par->bit_rate;
        s.m_codecId = int(par->codec_id);
        s.m_codecName = QString::fromLatin1(avcodec_get_name(par->codec_id));
        s.m_fourCC = VexlumeCodecs::fourCCForCodecId(par->codec_id);
        if (!s.m_fourCC && par->codec_tag)
            s.m_fourCC = ((par->codec_tag & 0xFF) << 24) | (((par->codec_tag >> 8) & 0xFF) << 16)
                | (((par->codec_tag >> 16) & 0xFF) << 8) | ((par->codec_tag >> 24) & 0xFF);
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            s.m_width = par->width;
            s.m_height = par->height;
            const AVRational r = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
            s.m_frameRate = r.den ? av_q2d(r) : 0.0;
            if (s.m_width <= 0 || s.m_height <= 0)
                continue;
            program.m_video.m_items.append(s);
        } else {
            s.m_sampleRate = par->sample_rate;
            s.m_channels = par->ch_layout.nb_channels;
            program.m_audio.m_items.append(s);
        }
        if (m_duration <= 0 && st->duration != AV_NOPTS_VALUE && st->duration > 0)
            m_duration = st->duration * av_q2d(st->time_base);
    }
    avformat_close_input(&ctx);
    if (program.m_video.count() == 0 && program.m_audio.count() == 0) {
        m_error = QStringLiteral("no audio or video stream");
        return;
    }
    m_programs.append(program);
}
