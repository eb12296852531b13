#pragma once

#include <QByteArray>
#include <QString>

#include <bit>
#include <cstddef>
#include <cstdint>

// The encoder parameter block exchanged between the converter and the conversion tool. Its
// size and the offsets of the members below are fixed: blocks are stored in presets and sent
// between processes as raw bytes (little-endian, 4-byte packing).
#pragma pack(push, 4)
struct IM_EncodeParamEx
{
    uint32_t videoFourCC;          // 0
    int32_t width;                 // 4
    int32_t height;                // 8
    double frameRate;              // 12
    uint32_t videoBitrate;         // 20, bit/s
    uint8_t reserved24[8];         // 24
    int32_t presetDefaultsFlag;    // 32, 1 before preset defaults are applied
    uint8_t reserved36[8];         // 36
    int32_t videoBitDepth;         // 44, 24 with the video defaults
    uint8_t videoExtra[6180];      // 48
    uint32_t audioFourCC;          // 6228
    uint32_t sampleRate;           // 6232
    uint32_t channels;             // 6236
    uint32_t audioBitrate;         // 6240, bit/s
    uint8_t reserved6244[8];       // 6244
    int32_t audioBitsPerSample;    // 6252, 16 with the audio defaults
    uint8_t audioExtra[6164];      // 6256
    int32_t videoDisabled;         // 12420
    int32_t audioDisabled;         // 12424
    uint32_t containerFourCC;      // 12428
    uint8_t reserved12432[58028];  // 12432
    uint8_t convert2DTo3D;         // 70460
    uint8_t reserved70461[3];      // 70461
    int32_t convert3DType;         // 70464
    int32_t convert3DOffset;       // 70468
    uint32_t smartFitMask;         // 70472
    uint8_t reserved70476[4];      // 70476
};
#pragma pack(pop)

static_assert(std::endian::native == std::endian::little, "the block is exchanged little-endian");
static_assert(sizeof(IM_EncodeParamEx) == 70480);
static_assert(offsetof(IM_EncodeParamEx, videoFourCC) == 0);
static_assert(offsetof(IM_EncodeParamEx, width) == 4);
static_assert(offsetof(IM_EncodeParamEx, height) == 8);
static_assert(offsetof(IM_EncodeParamEx, frameRate) == 12);
static_assert(offsetof(IM_EncodeParamEx, videoBitrate) == 20);
static_assert(offsetof(IM_EncodeParamEx, presetDefaultsFlag) == 32);
static_assert(offsetof(IM_EncodeParamEx, videoBitDepth) == 44);
static_assert(offsetof(IM_EncodeParamEx, audioFourCC) == 6228);
static_assert(offsetof(IM_EncodeParamEx, sampleRate) == 6232);
static_assert(offsetof(IM_EncodeParamEx, channels) == 6236);
static_assert(offsetof(IM_EncodeParamEx, audioBitrate) == 6240);
static_assert(offsetof(IM_EncodeParamEx, audioBitsPerSample) == 6252);
static_assert(offsetof(IM_EncodeParamEx, videoDisabled) == 12420);
static_assert(offsetof(IM_EncodeParamEx, audioDisabled) == 12424);
static_assert(offsetof(IM_EncodeParamEx, containerFourCC) == 12428);
static_assert(offsetof(IM_EncodeParamEx, convert2DTo3D) == 70460);
static_assert(offsetof(IM_EncodeParamEx, convert3DType) == 70464);
static_assert(offsetof(IM_EncodeParamEx, convert3DOffset) == 70468);
static_assert(offsetof(IM_EncodeParamEx, smartFitMask) == 70472);

// Smart Fit mask bits: a set bit means the value follows the source.
enum IM_AutomaticBit : uint32_t {
    IM_AutoResolution = 2,
    IM_AutoFrameRate = 4,
    IM_AutoVideoBitrate = 8,
    IM_AutoSampleRate = 16,
    IM_AutoChannels = 32,
    IM_AutoAudioBitrate = 64,
};

bool IsAutomaticOfMask(uint32_t mask, uint32_t bit);
void SetAutomaticOfEncParam(IM_EncodeParamEx *block, uint32_t bit, bool on);
// One line describing the block for the log; level 4 gives every member used.
QString EncodeParamDescription(const IM_EncodeParamEx *block, int level);

// Raw bytes of one block and back; a wrong size reads as false.
namespace EncodeParamData {
IM_EncodeParamEx zeroed();
QByteArray toData(const IM_EncodeParamEx &block);
bool fromData(const QByteArray &data, IM_EncodeParamEx *block);
} // namespace EncodeParamData
