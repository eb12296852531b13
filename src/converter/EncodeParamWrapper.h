#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QString>

// Rule conditions read the encoder block through this view, so they see its current values
// while it is being fitted. Does not own the block; every value is 0 without one.
class EncodeParamWrapper
{
public:
    explicit EncodeParamWrapper(const IM_EncodeParamEx *block = nullptr) : m_pEncodeParam(block) {}
    void setEncodeParam(const IM_EncodeParamEx *block) { m_pEncodeParam = block; }

    int width() const { return m_pEncodeParam ? m_pEncodeParam->width : 0; }
    int height() const { return m_pEncodeParam ? m_pEncodeParam->height : 0; }
    double framerate() const { return m_pEncodeParam ? m_pEncodeParam->frameRate : 0; }
    int videobitrate() const { return m_pEncodeParam ? int(m_pEncodeParam->videoBitrate) : 0; }
    int channel() const { return m_pEncodeParam ? int(m_pEncodeParam->channels) : 0; }
    int audiobitrate() const { return m_pEncodeParam ? int(m_pEncodeParam->audioBitrate) : 0; }
    int samplerate() const { return m_pEncodeParam ? int(m_pEncodeParam->sampleRate) : 0; }

    // Key-value access for conditions; false for a key the wrapper does not have.
    bool valueForKey(const QString &key, double *value) const;

private:
    const IM_EncodeParamEx *m_pEncodeParam;
};
