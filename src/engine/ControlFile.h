#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What a partial download has achieved, kept beside it as "<target>.cvctl"
// so a stopped or killed run continues where it was. Text, one field a line:
//   corvidash-control 1
//   kind ranges|hls
//   url <address>
//   total <bytes, -1 unknown>
//   validator <ETag or Last-Modified, may be empty>
//   done <first> <end>          (ranges: byte intervals on disk, end exclusive)
//   segments <count> <done> <bytes>   (hls: playlist length, segments written, file size)
// It is replaced atomically (write beside, rename), so a kill leaves either the
// old or the new state; data is on disk before the state that names it.
class ControlFile
{
public:
    enum class Kind { Ranges, Hls };

    Kind kind = Kind::Ranges;
    std::string url;
    int64_t total = -1;
    std::string validator;
    std::vector<std::pair<int64_t, int64_t>> done;
    int64_t segmentCount = 0;
    int64_t segmentsDone = 0;
    int64_t bytesWritten = 0;

    static std::string pathFor(const std::string &savePath);
    static std::string partPathFor(const std::string &savePath);

    // False when the file is missing or not a control file of this version;
    // intervals outside [0, total) are dropped.
    bool load(const std::string &path);
    bool save(const std::string &path) const;
};
