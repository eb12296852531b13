#include "tools/swiftcarry/ThumbnailMaker.h"

#include "platform/AppPaths.h"
#include "platform/SafeFileReader.h"
#include "platform/SafeSaveFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace ThumbnailMaker {

namespace {

struct Resources
{
    AVFormatContext *format = nullptr;
    AVCodecContext *decoder = nullptr;
    AVCodecContext *encoder = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    AVFrame *scaled = av_frame_alloc();
    SwsContext *sws = nullptr;
    ~Resources()
    {
        sws_freeContext(sws);
        av_frame_free(&scaled);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&encoder);
        avcodec_free_context(&decoder);
        avformat_close_input(&format);
    }
};

bool decodeOne(Resources &r, int streamIndex)
{
    int packets = 0;
    while (av_read_frame(r.format, r.packet) >= 0) {
        const bool ours = r.packet->stream_index == streamIndex;
        if (ours && avcodec_send_packet(r.decoder, r.packet) < 0) {
            av_packet_unref(r.packet);
            return false;
        }
        av_packet_unref(r.packet);
        if (ours && avcodec_receive_frame(r.decoder, r.frame) == 0)
            return true;
        if (++packets > 2000)  // a stream that never yields a picture
            return false;
    }
    avcodec_send_packet(r.decoder, nullptr);
    return avcodec_receive_frame(r.decoder, r.frame) == 0;
}

} // namespace

QString thumbnailPathFor(const QString &mediaPath)
{
    const QByteArray key = QFileInfo(mediaPath).absoluteFilePath().toUtf8();
    const QString name = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
    return QDir(AppPaths::productSupport()).filePath(QStringLiteral("Thumbnails/%1.jpg").arg(name));
}

bool capture(const QString &mediaPath, const QString &jpegPath, int maxWidth, QString *error)
{
    auto fail = [&](const char *text) {
        if (error)
            *error = QString::fromLatin1(text);
        return false;
    };
    Resources r;
    if (!r.packet || !r.frame || !r.scaled)
        return fail("out of memory");
    // FFmpeg would block for good opening a FIFO planted under the name.
    if (!SafeFileReader::isRegularOrMissing(mediaPath))
        return fail("not a regular file");
    const QByteArray url = "file:" + QFileInfo(mediaPath).absoluteFilePath().toUtf8();
    if (avformat_open_input(&r.format, url.constData(), nullptr, nullptr) < 0)
        return fail("cannot open the file");
    if (avformat_find_stream_info(r.format, nullptr) < 0)
        return fail("cannot read the streams");
    const AVCodec *decoderCodec = nullptr;
    const int stream = av_find_best_stream(r.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoderCodec, 0);
    if (stream < 0 || !decoderCodec)
        return fail("no video stream");
    AVStream *st = r.format->streams[stream];
    r.decoder = avcodec_alloc_context3(decoderCodec);
    if (!r.decoder || avcodec_parameters_to_context(r.decoder, st->codecpar) < 0)
        return fail("no decoder");
    r.decoder->thread_count = 1;  // one small picture: threads cost more than they give
    if (avcodec_open2(r.decoder, decoderCodec, nullptr) < 0)
        return fail("cannot open the decoder");

    if (r.format->duration > 0 && !(st->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        const int64_t target = av_rescale_q(r.format->duration / 10, AVRational{1, AV_TIME_BASE}, st->time_base);
        const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        if (av_seek_frame(r.format, stream, start + target, AVSEEK_FLAG_BACKWARD) >= 0)
            avcodec_flush_buffers(r.decoder);
    }
    if (!decodeOne(r, stream)) {
        // Seeking can land where nothing decodes; the start always works for a sound file.
        av_seek_frame(r.format, stream, 0, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(r.decoder);
        if (!decodeOne(r, stream))
            return fail("no picture could be decoded");
    }
    const int srcW = r.frame->width;
    const int srcH = r.frame->height;
    if (srcW <= 0 || srcH <= 0 || srcW > 16384 || srcH > 16384)
        return fail("bad picture size");
    int w = std::min(maxWidth, srcW);
    int h = int(int64_t(srcH) * w / srcW);
    w = std::max(2, w - w % 2);
    h = std::max(2, h - h % 2);

    r.sws = sws_getContext(srcW, srcH, AVPixelFormat(r.frame->format), w, h, AV_PIX_FMT_YUVJ420P, SWS_BILINEAR,
                           nullptr, nullptr, nullptr);
    if (!r.sws)
        return fail("cannot scale the picture");
    r.scaled->format = AV_PIX_FMT_YUVJ420P;
    r.scaled->width = w;
    r.scaled->height = h;
    if (av_frame_get_buffer(r.scaled, 0) < 0)
        return fail("out of memory");
    sws_scale(r.sws, r.frame->data, r.frame->linesize, 0, srcH, r.scaled->data, r.scaled->linesize);

    const AVCodec *mjpeg = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    if (!mjpeg)
        return fail("no JPEG encoder");
    r.encoder = avcodec_alloc_context3(mjpeg);
    r.encoder->width = w;
    r.encoder->height = h;
    r.encoder->pix_fmt = AV_PIX_FMT_YUVJ420P;
    r.encoder->time_base = AVRational{1, 25};
    r.encoder->flags |= AV_CODEC_FLAG_QSCALE;
    r.encoder->global_quality = FF_QP2LAMBDA * 3;
    if (avcodec_open2(r.encoder, mjpeg, nullptr) < 0)
        return fail("cannot open the JPEG encoder");
    r.scaled->pts = 0;
    r.scaled->quality = r.encoder->global_quality;
    if (avcodec_send_frame(r.encoder, r.scaled) < 0 || avcodec_receive_packet(r.encoder, r.packet) < 0)
        return fail("cannot encode the picture");

    QDir().mkpath(QFileInfo(jpegPath).absolutePath());
    SafeSaveFile out(jpegPath);
    const bool written = out.open(QIODevice::WriteOnly)
        && out.write(reinterpret_cast<const char *>(r.packet->data), r.packet->size) == r.packet->size && out.commit();
    av_packet_unref(r.packet);
    if (!written)
        return fail("cannot write the picture");
    return true;
}

} // namespace ThumbnailMaker
