#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// One output container the installed FFmpeg can write, with the codecs it can carry.
struct IM_FileFormat
{
    uint32_t fourCC = 0;
    QString muxer;
    QString extension;
    bool audioOnly = false;
    QList<uint32_t> videoEncoders;  // codec codes with an installed encoder the muxer accepts
    QList<uint32_t> audioEncoders;
};

// The catalogue of output containers, built once from what FFmpeg actually has.
class IM_FileFormatMgr
{
public:
    static const IM_FileFormatMgr &sharedFileFormatMgr();
    int count() const { return int(m_formats.size()); }
    const IM_FileFormat *fileFormatAtIndex(int index) const;
    const IM_FileFormat *fileFormatWithFourCC(uint32_t code) const;

private:
    IM_FileFormatMgr();
    QList<IM_FileFormat> m_formats;
};
