#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// The codecs and containers the framework knows by four-character code, and which FFmpeg
// encoder or muxer serves each. Only what the installed FFmpeg has counts as available.
namespace VexlumeCodecs {

constexpr uint32_t fourCC(const char (&s)[5])
{
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) | (uint32_t(uint8_t(s[2])) << 8)
        | uint32_t(uint8_t(s[3]));
}

struct Container
{
    uint32_t fourCC;
    QString muxer;      // FFmpeg muxer name
    QString extension;  // without the dot
    bool audioOnly;
};

// Every container the framework knows, in catalogue order.
const QList<Container> &containers();
// The known container of that code, or nullptr.
const Container *containerForFourCC(uint32_t code);
// The known container whose extension matches (case-insensitive), or nullptr.
const Container *containerForExtension(const QString &extension);
bool isMuxerAvailable(const QString &muxer);

// FFmpeg encoder for a codec code, the first of its candidates that is installed; empty when
// the code is unknown or no candidate is installed.
QString encoderForFourCC(uint32_t code, bool video);
// Candidate encoder names for the code, installed or not.
QStringList encoderCandidates(uint32_t code, bool video);
// FFmpeg codec id (AVCodecID) for a codec code; 0 when unknown.
int codecIdForFourCC(uint32_t code, bool video);
// Codec code for an FFmpeg codec id; 0 when the framework has none.
uint32_t fourCCForCodecId(int codecId);
// Codes of every known video or audio codec.
QList<uint32_t> knownCodecs(bool video);
// Whether the muxer can carry the codec (FFmpeg's own answer; unknown counts as yes).
bool containerAcceptsCodec(const QString &muxer, int codecId);
// Sample rates the encoder accepts (empty: any).
QList<int> supportedSampleRates(const QString &encoder);

} // namespace VexlumeCodecs
