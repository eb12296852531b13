#include "converter/EncDataSource.h"

#include "platform/MainBundle.h"
#include "platform/log/ScribletLogger.h"

namespace {

const char *const ChannelTitles[][2] = {{"1", "1 Channel Mono"}, {"2", "2 Channels Stereo"}, {"6", "5.1 Channels Surround"}};

} // namespace

QString EncDataSource::smartFit() { return MainBundle::localizedString("Smart Fit"); }

QString EncDataSource::channelTitle(const QString &count)
{
    for (const auto &entry : ChannelTitles)
        if (count.trimmed() == QLatin1String(entry[0]))
            return MainBundle::localizedString(entry[1]);
    return QString();
}

int EncDataSource::channelCount(const QString &title)
{
    for (const auto &entry : ChannelTitles)
        if (title == MainBundle::localizedString(entry[1]))
            return QString::fromLatin1(entry[0]).toInt();
    return 0;
}

int EncDataSource::numberOfItems(int tag) const
{
    switch (tag) {
    case VideoEncoder: return int(m_lists.videoEncoders.size());
    case Resolution: return int(m_lists.list(QStringLiteral("Resolution")).size()) + 1;
    case FrameRate: return int(m_lists.list(QStringLiteral("FrameRate")).size()) + 1;
    case AudioEncoder: return int(m_lists.audioEncoders.size());
    case Channel: return int(m_lists.list(QStringLiteral("Channel")).size()) + 1;
    case SampleRate: return int(m_lists.list(QStringLiteral("SampleRate")).size()) + 1;
    default: return 0;
    }
}

QString EncDataSource::itemAtIndex(int tag, int index) const
{
    if (index < 0 || index >= numberOfItems(tag))
        return QString();
    switch (tag) {
    case VideoEncoder: return m_lists.videoEncoders.at(index).second;
    case AudioEncoder: {
        const QString name = m_lists.audioEncoders.at(index).second;
        ScribletLogDebug(QStringLiteral("array audio encoder = %1").arg(name));
        return name;
    }
    default: break;
    }
    if (index == 0)
        return smartFit();
    const QString key = tag == Resolution  ? QStringLiteral("Resolution")
                        : tag == FrameRate ? QStringLiteral("FrameRate")
                        : tag == Channel   ? QStringLiteral("Channel")
                                           : QStringLiteral("SampleRate");
    const QString value = m_lists.list(key).at(index - 1).trimmed();
    switch (tag) {
    case Resolution: return value;
    case FrameRate:
        return value == QLatin1String("0") ? MainBundle::localizedString("Keep original frame rate")
                                           : value + QStringLiteral(" fps");
    case Channel: return channelTitle(value);
    default: return value + QStringLiteral(" Hz");
    }
}
