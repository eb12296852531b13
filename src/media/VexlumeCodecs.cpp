#include "media/VexlumeCodecs.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace VexlumeCodecs {

namespace {

struct CodecEntry
{
    uint32_t code;
    bool video;
    AVCodecID id;
    const char *encoders[3];
};

// The first code of an id is the one reported for sources.
const CodecEntry kCodecs[] = {
    {fourCC("avc1"), true, AV_CODEC_ID_H264, {"libx264", "h264_vaapi", nullptr}},
    {fourCC("H264"), true, AV_CODEC_ID_H264, {"libx264", nullptr, nullptr}},
    {fourCC("hvc1"), true, AV_CODEC_ID_HEVC, {"libx265", "hevc_vaapi", nullptr}},
    {fourCC("hev1"), true, AV_CODEC_ID_HEVC, {"libx265", nullptr, nullptr}},
    {fourCC("mp4v"), true, AV_CODEC_ID_MPEG4, {"mpeg4", nullptr, nullptr}},
    {fourCC("XVID"), true, AV_CODEC_ID_MPEG4, {"libxvid", "mpeg4", nullptr}},
    {fourCC("DIVX"), true, AV_CODEC_ID_MPEG4, {"mpeg4", nullptr, nullptr}},
    {fourCC("VP80"), true, AV_CODEC_ID_VP8, {"libvpx", nullptr, nullptr}},
    {fourCC("VP90"), true, AV_CODEC_ID_VP9, {"libvpx-vp9", nullptr, nullptr}},
    {fourCC("FLV1"), true, AV_CODEC_ID_FLV1, {"flv", nullptr, nullptr}},
    {fourCC("mjpg"), true, AV_CODEC_ID_MJPEG, {"mjpeg", nullptr, nullptr}},
    {fourCC("mpg2"), true, AV_CODEC_ID_MPEG2VIDEO, {"mpeg2video", nullptr, nullptr}},
    {fourCC("mpg1"), true, AV_CODEC_ID_MPEG1VIDEO, {"mpeg1video", nullptr, nullptr}},
    {fourCC("WMV2"), true, AV_CODEC_ID_WMV2, {"wmv2", nullptr, nullptr}},
    {fourCC("WMV1"), true, AV_CODEC_ID_WMV1, {"wmv1", nullptr, nullptr}},
    {fourCC("h263"), true, AV_CODEC_ID_H263, {"h263", nullptr, nullptr}},
    {fourCC("theo"), true, AV_CODEC_ID_THEORA, {"libtheora", nullptr, nullptr}},
    {fourCC("apcn"), true, AV_CODEC_ID_PRORES, {"prores_ks", "prores", nullptr}},
    {fourCC("dvsd"), true, AV_CODEC_ID_DVVIDEO, {"dvvideo", nullptr, nullptr}},
    {fourCC("AV01"), true, AV_CODEC_ID_AV1, {"libaom-av1", "libsvtav1", nullptr}},
    {fourCC("mp4a"), false, AV_CODEC_ID_AAC, {"aac", "libfdk_aac", nullptr}},
    {fourCC(".mp3"), false, AV_CODEC_ID_MP3, {"libmp3lame", nullptr, nullptr}},
    {fourCC("mp3 "), false, AV_CODEC_ID_MP3, {"libmp3lame", nullptr, nullptr}},
    {fourCC("mp2 "), false, AV_CODEC_ID_MP2, {"mp2", nullptr, nullptr}},
    {fourCC("ac-3"), false, AV_CODEC_ID_AC3, {"ac3", nullptr, nullptr}},
    {fourCC("vorb"), false, AV_CODEC_ID_VORBIS, {"libvorbis", "vorbis", nullptr}},
    {fourCC("opus"), false, AV_CODEC_ID_OPUS, {"libopus", "opus", nullptr}},
    {fourCC("flac"), false, AV_CODEC_ID_FLAC, {"flac", nullptr, nullptr}},
    {fourCC("alac"), false, AV_CODEC_ID_ALAC, {"alac", nullptr, nullptr}},
    {fourCC("sowt"), false, AV_CODEC_ID_PCM_S16LE, {"pcm_s16le", nullptr, nullptr}},
    {fourCC("lpcm"), false, AV_CODEC_ID_PCM_S16LE, {"pcm_s16le", nullptr, nullptr}},
    {fourCC("twos"), false, AV_CODEC_ID_PCM_S16BE, {"pcm_s16be", nullptr, nullptr}},
    {fourCC("wma2"), false, AV_CODEC_ID_WMAV2, {"wmav2", nullptr, nullptr}},
    {fourCC("samr"), false, AV_CODEC_ID_AMR_NB, {"libopencore_amrnb", nullptr, nullptr}},
};

} // namespace

const QList<Container> &containers()
{
    static const QList<Container> list = {
        {fourCC("mp4 "), QStringLiteral("mp4"), QStringLiteral("mp4"), false},
        {fourCC("m4v "), QStringLiteral("mp4"), QStringLiteral("m4v"), false},
        {fourCC("mov "), QStringLiteral("mov"), QStringLiteral("mov"), false},
        {fourCC("mkv "), QStringLiteral("matroska"), QStringLiteral("mkv"), false},
        {fourCC("webm"), QStringLiteral("webm"), QStringLiteral("webm"), false},
        {fourCC("avi "), QStringLiteral("avi"), QStringLiteral("avi"), false},
        {fourCC("flv "), QStringLiteral("flv"), QStringLiteral("flv"), false},
        {fourCC("mpg "), QStringLiteral("mpeg"), QStringLiteral("mpg"), false},
        {fourCC("vob "), QStringLiteral("vob"), QStringLiteral("vob"), false},
        {fourCC("ts  "), QStringLiteral("mpegts"), QStringLiteral("ts"), false},
        {fourCC("3gp "), QStringLiteral("3gp"), QStringLiteral("3gp"), false},
        {fourCC("3g2 "), QStringLiteral("3g2"), QStringLiteral("3g2"), false},
        {fourCC("wmv "), QStringLiteral("asf"), QStringLiteral("wmv"), false},
        {fourCC("asf "), QStringLiteral("asf"), QStringLiteral("asf"), false},
        {fourCC("dv  "), QStringLiteral("dv"), QStringLiteral("dv"), false},
        {fourCC("mp3 "), QStringLiteral("mp3"), QStringLiteral("mp3"), true},
        {fourCC("m4a "), QStringLiteral("ipod"), QStringLiteral("m4a"), true},
        {fourCC("m4r "), QStringLiteral("ipod"), QStringLiteral("m4r"), true},
        {fourCC("aac "), QStringLiteral("adts"), QStringLiteral("aac"), true},
        {fourCC("ac3 "), QStringLiteral("ac3"), QStringLiteral("ac3"), true},
        {fourCC("wav "), QStringLiteral("wav"), QStringLiteral("wav"), true},
        {fourCC("aiff"), QStringLiteral("aiff"), QStringLiteral("aiff"), true},
        {fourCC("flac"), QStringLiteral("flac"), QStringLiteral("flac"), true},
        {fourCC("ogg "), QStringLiteral("ogg"), QStringLiteral("ogg"), true},
        {fourCC("mka "), QStringLiteral("matroska"), QStringLiteral("mka"), true},
        {fourCC("wma "), QStringLiteral("asf"), QStringLiteral("wma"), true},
        {fourCC("mp2 "), QStringLiteral("mp2"), QStringLiteral("mp2"), true},
        {fourCC("amr "), QStringLiteral("amr"), QStringLiteral("amr"), true},
    };
    return list;
}

const Container *containerForFourCC(uint32_t code)
{
    for (const Container &c : containers())
        if (c.fourCC == code)
            return &c;
    return nullptr;
}

const Container *containerForExtension(const QString &extension)
{
    for (const Container &c : containers())
        if (c.extension.compare(extension, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

bool isMuxerAvailable(const QString &muxer)
{
    return av_guess_format(muxer.toLatin1().constData(), nullptr, nullptr) != nullptr;
}

QStringList encoderCandidates(uint32_t code, bool video)
{
    for (const CodecEntry &e : kCodecs)
        if (e.code == code && e.video == video) {
            QStringList out;
            for (const char *name : e.encoders)
                if (name)
                    out.append(QString::fromLatin1(name));
            return out;
        }
    return {};
}

QString encoderForFourCC(uint32_t code, bool video)
{
    for (const QString &name : encoderCandidates(code, video))
        if (avcodec_find_encoder_by_name(name.toLatin1().constData()))
            return name;
    return {};
}

int codecIdForFourCC(uint32_t code, bool video)
{
    for (const CodecEntry &e : kCodecs)
        if (e.code == code && e.video == video)
            return int(e.id);
    return 0;
}

uint32_t fourCCForCodecId(int codecId)
{
    for (const CodecEntry &e : kCodecs)
        if (int(e.id) == codecId)
            return e.code;
    return 0;
}

QList<uint32_t> knownCodecs(bool video)
{
    QList<uint32_t> out;
    for (const CodecEntry &e : kCodecs)
        if (e.video == video)
            out.append(e.code);
    return out;
}

bool containerAcceptsCodec(const QString &muxer, int codecId)
{
    const AVOutputFormat *format = av_guess_format(muxer.toLatin1().constData(), nullptr, nullptr);
    if (!format)
        return false;
    return avformat_query_codec(format, AVCodecID(codecId), FF_COMPLIANCE_NORMAL) != 0;
}

QList<int> supportedSampleRates(const QString &encoder)
{
    QList<int> out;
    const AVCodec *codec = avcodec_find_encoder_by_name(encoder.toLatin1().constData());
    if (codec && codec->supported_samplerates)
        for (const int *r = codec->supported_samplerates; *r; ++r)
            out.append(*r);
    return out;
}

} // namespace VexlumeCodecs
