#pragma once

#include "converter/FormatItem.h"

#include <QString>

// The entries the encoder settings panel offers, by the tag of the control asking:
// 0 video encoders, 1 resolutions, 2 frame rates, 3 audio encoders, 4 channels, 5 sample
// rates. Tags 1, 2, 4 and 5 start with "Smart Fit".
class EncDataSource
{
public:
    enum Tag { VideoEncoder = 0, Resolution = 1, FrameRate = 2, AudioEncoder = 3, Channel = 4, SampleRate = 5 };

    void setData(const FormatSettingsLists &lists) { m_lists = lists; }
    const FormatSettingsLists &data() const { return m_lists; }

    int numberOfItems(int tag) const;
    // Null for an index out of range, an unknown tag or a channel count without a title.
    QString itemAtIndex(int tag, int index) const;

    // "1 Channel Mono", "2 Channels Stereo", "5.1 Channels Surround" for "1", "2", "6".
    static QString channelTitle(const QString &count);
    // The count of a channel title; 0 for another text.
    static int channelCount(const QString &title);
    static QString smartFit();

private:
    FormatSettingsLists m_lists;
};
