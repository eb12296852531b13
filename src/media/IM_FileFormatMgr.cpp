#include "media/IM_FileFormatMgr.h"

#include "media/VexlumeCodecs.h"

const IM_FileFormatMgr &IM_FileFormatMgr::sharedFileFormatMgr()
{
    static const IM_FileFormatMgr instance;
    return instance;
}

IM_FileFormatMgr::IM_FileFormatMgr()
{
    for (const VexlumeCodecs::Container &c : VexlumeCodecs::containers()) {
        if (!VexlumeCodecs::isMuxerAvailable(c.muxer))
            continue;
        IM_FileFormat f;
        f.fourCC = c.fourCC;
        f.muxer = c.muxer;
        f.extension = c.extension;
        f.audioOnly = c.audioOnly;
        auto collect = [&](bool video, QList<uint32_t> &out) {
            for (uint32_t code : VexlumeCodecs::knownCodecs(video)) {
                if (VexlumeCodecs::encoderForFourCC(code, video).isEmpty())
                    continue;
                if (VexlumeCodecs::containerAcceptsCodec(c.muxer, VexlumeCodecs::codecIdForFourCC(code, video)))
                    out.append(code);
            }
        };
        if (!c.audioOnly)
            collect(true, f.videoEncoders);
        collect(false, f.audioEncoders);
        if (f.audioEncoders.isEmpty() && f.videoEncoders.isEmpty())
            continue;
        m_formats.append(f);
    }
}

const IM_FileFormat *IM_FileFormatMgr::fileFormatAtIndex(int index) const
{
    if (index < 0 || index >= m_formats.size())
        return nullptr;
    return &m_formats[index];
}

const IM_FileFormat *IM_FileFormatMgr::fileFormatWithFourCC(uint32_t code) const
{
    for (const IM_FileFormat &f : m_formats)
        if (f.fourCC == code)
            return &f;
    return nullptr;
}
