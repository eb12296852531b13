#include "ControlFile.h"

#include "FileTools.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kMaxControlBytes = 4 << 20;
constexpr size_t kMaxIntervals = 100000;
}

std::string ControlFile::pathFor(const std::string &savePath)
{
    return savePath + ".cvctl";
}

std::string ControlFile::partPathFor(const std::string &savePath)
{
    return savePath + ".cvpart";
}

bool ControlFile::load(const std::string &path)
{
    std::string text;
    if (!FileTools::readRegularFile(path, kMaxControlBytes, text))
        return false;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != "corvidash-control 1")
        return false;
    *this = ControlFile();
    bool haveKind = false;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
        std::istringstream fields(value);
        if (key == "kind") {
            if (value == "ranges")
                kind = Kind::Ranges;
            else if (value == "hls")
                kind = Kind::Hls;
            else
                return false;
            haveKind = true;
        } else if (key == "url") {
            url = value;
        } else if (key == "total") {
            if (!(fields >> total))
                return false;
        } else if (key == "validator") {
            validator = value;
        } else if (key == "done") {
            int64_t first = 0, end = 0;
            if (!(fields >> first >> end) || done.size() >= kMaxIntervals)
                return false;
            if (first >= 0 && end > first)
                done.emplace_back(first, end);
        } else if (key == "segments") {
            if (!(fields >> segmentCount >> segmentsDone >> bytesWritten))
                return false;
        }
    }
    if (!haveKind)
        return false;
    if (kind == Kind::Ranges) {
        if (total <= 0)
            return false;
        std::vector<std::pair<int64_t, int64_t>> kept;
        for (auto [first, end] : done) {
            if (first < total)
                kept.emplace_back(first, std::min(end, total));
        }
        done = std::move(kept);
    } else if (segmentsDone < 0 || bytesWritten < 0 || segmentsDone > segmentCount) {
        return false;
    }
    return true;
}

bool ControlFile::save(const std::string &path) const
{
    std::string text = "corvidash-control 1\n";
    text += kind == Kind::Hls ? "kind hls\n" : "kind ranges\n";
    // Addresses and validators are single lines; anything after a line break would
    // be read as another field.
    auto oneLine = [](const std::string &s) { return s.substr(0, s.find_first_of("\r\n")); };
    text += "url " + oneLine(url) + "\n";
    text += "total " + std::to_string(total) + "\n";
    text += "validator " + oneLine(validator) + "\n";
    for (auto [first, end] : done)
        text += "done " + std::to_string(first) + " " + std::to_string(end) + "\n";
    if (kind == Kind::Hls)
        text += "segments " + std::to_string(segmentCount) + " " + std::to_string(segmentsDone) + " " +
                std::to_string(bytesWritten) + "\n";
    const std::string temp = path + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t off = 0;
    while (off < text.size()) {
        const ssize_t n = ::write(fd, text.data() + off, text.size() - off);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        off += static_cast<size_t>(n);
    }
    ::close(fd);
    return ::rename(temp.c_str(), path.c_str()) == 0;
}
