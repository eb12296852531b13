#pragma once

#include "devices/MediaMetadata.h"

#include <QString>

#include <memory>
#include <optional>

// The tags of one local media file, read and written with TagLib. A file TagLib cannot open
// (missing, damaged, not media) has no tags; nothing here throws or crashes on such input.
class ID3MediaHandle
{
public:
    explicit ID3MediaHandle(const QString &path);
    ~ID3MediaHandle();
    ID3MediaHandle(const ID3MediaHandle &) = delete;
    ID3MediaHandle &operator=(const ID3MediaHandle &) = delete;

    bool isValid() const;
    // Title, artist, album, genre, comment, year, track and the audio properties.
    std::optional<MediaMetadata> basicMetaData();
    // Everything known; empty when the file carries no descriptive tags (an encoder note
    // alone, as ffmpeg writes, is no tag).
    std::optional<MediaMetadata> fullMetaData();
    // Sets the basic fields to write with saveID3().
    void setBasicMetaData(const MediaMetadata &metadata);
    bool saveID3();

    struct Private;

private:
    QString m_path;
    std::unique_ptr<Private> d;
};
