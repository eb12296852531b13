#include "media/IM_EncodeParamEx.h"

#include "media/FourCC.h"

#include <cstring>

bool IsAutomaticOfMask(uint32_t mask, uint32_t bit) { return (mask & bit) != 0; }

void SetAutomaticOfEncParam(IM_EncodeParamEx *block, uint32_t bit, bool on)
{
    if (!block)
        return;
    if (on)
        block->smartFitMask |= bit;
    else
        block->smartFitMask &= ~bit;
}

QString EncodeParamDescription(const IM_EncodeParamEx *block, int level)
{
    if (!block)
        return QStringLiteral("(no encode param)");
    QString text = QStringLiteral("container=%1").arg(FourCCToString(block->containerFourCC));
    if (block->videoDisabled)
        text += QStringLiteral(" video=off");
    else
        text += QStringLiteral(" video=%1 %2x%3 %4fps %5bps")
                    .arg(FourCCToString(block->videoFourCC))
                    .arg(block->width)
                    .arg(block->height)
                    .arg(block->frameRate)
                    .arg(block->videoBitrate);
    if (block->audioDisabled)
        text += QStringLiteral(" audio=off");
    else
        text += QStringLiteral(" audio=%1 %2Hz %3ch %4bps")
                    .arg(FourCCToString(block->audioFourCC))
                    .arg(block->sampleRate)
                    .arg(block->channels)
                    .arg(block->audioBitrate);
    if (level >= 4)
        text += QStringLiteral(" smartfit=0x%1 3d=%2/%3/%4")
                    .arg(block->smartFitMask, 0, 16)
                    .arg(block->convert2DTo3D)
                    .arg(block->convert3DType)
                    .arg(block->convert3DOffset);
    return text;
}

namespace EncodeParamData {

IM_EncodeParamEx zeroed()
{
    IM_EncodeParamEx block;
    std::memset(&block, 0, sizeof block);
    return block;
}

QByteArray toData(const IM_EncodeParamEx &block)
{
    return QByteArray(reinterpret_cast<const char *>(&block), sizeof block);
}

bool fromData(const QByteArray &data, IM_EncodeParamEx *block)
{
    if (!block || data.size() != qsizetype(sizeof(IM_EncodeParamEx)))
        return false;
    std::memcpy(block, data.constData(), sizeof(IM_EncodeParamEx));
    return true;
}

} // namespace EncodeParamData
