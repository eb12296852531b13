// The stream module that MediaRemuxer opens: the only place the helper touches the media
// libraries. Copies every stream of its inputs into one file without decoding anything.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Input
{
    AVFormatContext *format = nullptr;
    std::vector<int> outputIndex; // per input stream; -1 left out
    int64_t lastDts = INT64_MIN;  // in AV_TIME_BASE units, to interleave the inputs
    bool done = false;
};

void say(char *message, size_t size, const std::string &text)
{
    if (message && size)
        std::snprintf(message, size, "%s", text.c_str());
}

std::string describe(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

bool holds(const AVOutputFormat *format, const AVCodecParameters *par)
{
    return avformat_query_codec(format, par->codec_id, FF_COMPLIANCE_NORMAL) == 1;
}

const char *kindOf(AVMediaType type)
{
    switch (type) {
    case AVMEDIA_TYPE_VIDEO: return "picture";
    case AVMEDIA_TYPE_AUDIO: return "sound";
    case AVMEDIA_TYPE_SUBTITLE: return "subtitles";
    default: return "data";
    }
}

} // namespace

// inputs: count paths. Writes output as MP4, or as Matroska when a stream of picture, sound or
// subtitles cannot go into MP4; container receives "mp4" or "mkv". A data stream neither can
// hold (timed metadata) is left out; a stream of picture, sound or subtitles neither can hold
// fails with 6. message (may be null) tells what was chosen or what failed. Returns 0 on success.
extern "C" __attribute__((visibility("default"))) int fennix_reelgrab_remux(const char *const *inputs, int count,
                                                                          const char *output, char *container,
                                                                          size_t containerSize, char *message,
                                                                          size_t messageSize)
{
    if (!inputs || count <= 0 || count > 16 || !output || !container || containerSize < 4)
        return 1;
    av_log_set_level(AV_LOG_ERROR);
    std::vector<Input> in(static_cast<size_t>(count));
    AVFormatContext *out = nullptr;
    int result = 0;
    std::string note;
    auto finish = [&](int code, const std::string &text) {
        for (auto &i : in)
            avformat_close_input(&i.format);
        if (out) {
            if (out->pb)
                avio_closep(&out->pb);
            avformat_free_context(out);
        }
        if (code != 0)
            std::remove(output);
        say(message, messageSize, text);
        return code;
    };

    for (int k = 0; k < count; ++k) {
        if ((result = avformat_open_input(&in[k].format, inputs[k], nullptr, nullptr)) < 0)
            return finish(2, std::string("cannot read ") + inputs[k] + ": " + describe(result));
        if ((result = avformat_find_stream_info(in[k].format, nullptr)) < 0)
            return finish(2, std::string("no streams in ") + inputs[k] + ": " + describe(result));
    }

    const AVOutputFormat *mp4 = av_guess_format("mp4", nullptr, nullptr);
    const AVOutputFormat *mkv = av_guess_format("matroska", nullptr, nullptr);
    if (!mp4 || !mkv)
        return finish(3, "the media libraries lack the MP4 or Matroska writer");
    const AVOutputFormat *chosen = mp4;
    std::string refused;
    for (auto &i : in)
        for (unsigned s = 0; s < i.format->nb_streams; ++s) {
            const AVCodecParameters *par = i.format->streams[s]->codecpar;
            if (par->codec_type == AVMEDIA_TYPE_DATA || par->codec_type == AVMEDIA_TYPE_ATTACHMENT)
                continue;
            const std::string what = std::string(kindOf(par->codec_type)) + " in " + avcodec_get_name(par->codec_id);
            // Picture, sound and subtitles are never dropped: without a container here that
            // holds them the caller keeps the stream as it came.
            if (!holds(mp4, par) && !holds(mkv, par))
                return finish(6, "neither MP4 nor Matroska can hold the " + what + " stream");
            if (!holds(mp4, par)) {
                chosen = mkv;
                refused = what;
            }
        }
    std::snprintf(container, containerSize, "%s", chosen == mp4 ? "mp4" : "mkv");
    if (chosen == mkv)
        note = "kept as Matroska: MP4 cannot hold the " + refused + " stream";

    if ((result = avformat_alloc_output_context2(&out, chosen, nullptr, output)) < 0 || !out)
        return finish(3, "cannot make the output: " + describe(result));
    int streams = 0;
    std::string dropped;
    for (auto &i : in) {
        i.outputIndex.assign(i.format->nb_streams, -1);
        for (unsigned s = 0; s < i.format->nb_streams; ++s) {
            const AVStream *source = i.format->streams[s];
            const AVCodecParameters *par = source->codecpar;
            if (par->codec_id == AV_CODEC_ID_NONE || !holds(chosen, par)) {
                dropped += std::string(dropped.empty() ? "" : ", ") + kindOf(par->codec_type) + " in " +
                           avcodec_get_name(par->codec_id);
                continue;
            }
            AVStream *target = avformat_new_stream(out, nullptr);
            if (!target || avcodec_parameters_copy(target->codecpar, par) < 0)
                return finish(3, "cannot copy a stream");
            target->codecpar->codec_tag = 0; // the new container picks its own tag
            target->time_base = source->time_base;
            av_dict_copy(&target->metadata, source->metadata, 0);
            i.outputIndex[s] = streams++;
        }
    }
    if (!dropped.empty())
        note += std::string(note.empty() ? "" : "; ") + "left out " + dropped;
    if (streams == 0)
        return finish(2, "no picture or sound to keep");
    // Streams cut from a broadcast start late; the file starts at zero.
    out->avoid_negative_ts = AVFMT_AVOID_NEG_TS_MAKE_ZERO;
    if ((result = avio_open(&out->pb, output, AVIO_FLAG_WRITE)) < 0)
        return finish(4, std::string("cannot write ") + output + ": " + describe(result));
    if ((result = avformat_write_header(out, nullptr)) < 0)
        return finish(3, "cannot start the output: " + describe(result));

    AVPacket *packet = av_packet_alloc();
    if (!packet)
        return finish(5, "out of memory");
    int64_t written = 0;
    for (;;) {
        // The input that lags furthest behind goes next, so picture and sound interleave.
        Input *next = nullptr;
        for (auto &i : in)
            if (!i.done && (!next || i.lastDts < next->lastDts))
                next = &i;
        if (!next)
            break;
        result = av_read_frame(next->format, packet);
        if (result < 0) {
            next->done = true;
            if (result != AVERROR_EOF) {
                av_packet_free(&packet);
                return finish(2, "reading stopped: " + describe(result));
            }
            continue;
        }
        const int target = static_cast<unsigned>(packet->stream_index) < next->outputIndex.size()
                               ? next->outputIndex[static_cast<size_t>(packet->stream_index)]
                               : -1;
        if (target < 0) {
            av_packet_unref(packet);
            continue;
        }
        const AVRational from = next->format->streams[packet->stream_index]->time_base;
        if (packet->dts != AV_NOPTS_VALUE)
            next->lastDts = av_rescale_q(packet->dts, from, AV_TIME_BASE_Q);
        av_packet_rescale_ts(packet, from, out->streams[target]->time_base);
        packet->stream_index = target;
        packet->pos = -1;
        if ((result = av_interleaved_write_frame(out, packet)) < 0) {
            av_packet_free(&packet);
            return finish(4, "writing stopped: " + describe(result));
        }
        ++written;
    }
    av_packet_free(&packet);
    if (written == 0)
        return finish(2, "the inputs hold no packets");
    if ((result = av_write_trailer(out)) < 0)
        return finish(4, "cannot end the output: " + describe(result));
    return finish(0, note);
}
