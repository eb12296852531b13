#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QList>

struct IM_MediaInfo;

// Verdicts: the video verdict sits in the low byte, the audio verdict in the high byte.
enum IM_CheckVerdict : uint8_t {
    IM_CheckOK = 0,
    IM_CheckCorrected = 1,    // the block was changed to something the encoder takes
    IM_CheckUnsupported = 2,  // no installed encoder or the container cannot carry it
};

inline uint8_t IM_VideoVerdict(uint16_t answer) { return uint8_t(answer & 0xFF); }
inline uint8_t IM_AudioVerdict(uint16_t answer) { return uint8_t(answer >> 8); }

// Which streams of a source can go to the target unchanged (stream copy).
class IM_ReadLossParams
{
public:
    static IM_ReadLossParams &defaultReadLossParams();
    // Per stream 1 when the source stream can be copied into the block's target, else 0. With
    // useAutoMatchfourCC, a source codec listed among the output encoders becomes the target's
    // codec so that the stream is copied. Updates the lossless marks of sourceInfo.
    uint16_t checkLossLessOutPutParams(IM_EncodeParamEx *block, const QList<uint32_t> &outputAudioEncList,
                                       const QList<uint32_t> &outputVideoEncList, int outputHardware,
                                       IM_MediaInfo *sourceInfo, bool useAutoMatchfourCC) const;
};

// Brings a user's block within what the installed encoders accept.
class IM_CheckEncodeParam
{
public:
    static IM_CheckEncodeParam &defaultCheckEncodeParam();
    uint16_t checkInputParamforUserInputParamEX(IM_EncodeParamEx *block) const;
};
