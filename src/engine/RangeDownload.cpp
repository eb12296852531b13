#include "RangeDownload.h"

#include "ConnectionGovernor.h"
#include "CurlSetup.h"
#include "DashManifest.h"
#include "DiskSpace.h"
#include "EngineError.h"
#include "EngineLog.h"
#include "FileTools.h"
#include "SlowTransfer.h"
#include "engine/Corvidash.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxFailures = 4;
constexpr size_t kMaxPlaylistBytes = 4 << 20;
// The control file is rewritten once every connection may have gained a chunk,
// at most every kControlMinInterval and at least every kControlInterval, so a
// kill re-fetches about a chunk per connection (however many run) without a
// write storm on fast links: a rewrite is a few kilobytes and a rename. What a
// kill costs beyond that is what the sockets held, which no save can keep.
constexpr int64_t kControlChunk = 64 << 10;
constexpr auto kControlMinInterval = std::chrono::milliseconds(5);
constexpr auto kControlInterval = std::chrono::milliseconds(500);
// Turbo starts with this many connections; the governor doubles from there.
constexpr int kTurboInitialConnections = 2;
// Without turbo a download still takes more connections when one is clearly slower than the
// server allows, but never more than this.
constexpr int kPoliteConnections = 8;
// Every request asks for a bounded piece, so sharing work never means cutting a connection off
// (which wastes what is already on its way) and a connection carries one piece after another.
// The first is small, to learn the size quickly and let more connections in early; later ones
// are a share of what is left, so they shrink towards the end and the connections finish together.
constexpr int64_t kFirstPiece = 1 << 20;
constexpr int64_t kMinPiece = 256 << 10;
constexpr int64_t kMaxPiece = 64 << 20;
constexpr int64_t kPieceAlign = 64 << 10;
constexpr int kAbortRestart = -1;
constexpr int kAbortRangeRefused = -2;

bool startsWithNoCase(const std::string &s, const char *prefix)
{
    const size_t n = strlen(prefix);
    return s.size() >= n && strncasecmp(s.data(), prefix, n) == 0;
}

std::string trimmed(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool retryable(int code)
{
    return code == CORVIDASH_SIZE_MISMATCH || code == CORVIDASH_NO_DATA || code == CORVIDASH_CONNECT_FAILED;
}

} // namespace

struct RangeDownload::Connection
{
    RangeDownload *owner = nullptr;
    CURL *easy = nullptr;
    curl_slist *headers = nullptr;
    int64_t first = 0;
    int64_t pos = 0;
    int64_t end = -1; // exclusive; -1 until the end of the body
    bool active = false;
    bool capped = false;
    bool decided = false;
    bool playlist = false;
    int abortCode = 0;
    long status = 0;
    int64_t contentLength = -1;
    int64_t rangeFirst = -1;
    int64_t rangeTotal = -2; // -2 no Content-Range, -1 "*"
    std::string contentType;
    std::string etag;
    std::string lastModified;
    Clock::time_point retryAt{};
    // When data last came on this connection (its pieces follow one another closely, so a
    // short piece does not hide the pacing), and the longest wait for more since the
    // governor's window opened: a connection the server paces waits long in mid-body.
    Clock::time_point lastData{};
    Clock::duration longestPause{};
    SlowTransfer slow;

    ~Connection()
    {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
};

RangeDownload::RangeDownload(const DownloadJob &job, const std::atomic<bool> &stop, ProgressSink &sink)
    : m_job(job), m_stop(stop), m_sink(sink), m_partPath(ControlFile::partPathFor(job.savePath)),
      m_controlPath(ControlFile::pathFor(job.savePath))
{
}

RangeDownload::~RangeDownload()
{
    for (auto &c : m_connections) {
        if (c->active && m_multi)
            curl_multi_remove_handle(m_multi, c->easy);
    }
    m_connections.clear();
    if (m_multi)
        curl_multi_cleanup(m_multi);
    if (m_fd >= 0)
        ::close(m_fd);
}

int64_t RangeDownload::downloaded() const
{
    int64_t n = m_doneBytes;
    for (const auto &c : m_connections) {
        if (c->active && !c->playlist)
            n += c->pos - c->first;
    }
    return n;
}

bool RangeDownload::openPart()
{
    if (!FileTools::makeParentFolder(m_job.savePath))
        return false;
    m_fd = ::open(m_partPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return m_fd >= 0;
}

void RangeDownload::resetToEmpty()
{
    m_done.clear();
    m_doneBytes = 0;
    m_allocated = false;
    m_preallocated = false;
    if (m_fd >= 0 && ::ftruncate(m_fd, 0) != 0)
        EngineLog::line(1, "cannot truncate %s: %s", m_partPath.c_str(), strerror(errno));
    ::unlink(m_controlPath.c_str());
}

void RangeDownload::addDone(int64_t first, int64_t end)
{
    if (end <= first)
        return;
    // Merge with neighbours so the map stays a set of disjoint intervals.
    auto it = m_done.upper_bound(first);
    if (it != m_done.begin()) {
        auto prev = std::prev(it);
        if (prev->second >= first) {
            first = prev->first;
            end = std::max(end, prev->second);
            m_doneBytes -= prev->second - prev->first;
            it = m_done.erase(prev);
        }
    }
    while (it != m_done.end() && it->first <= end) {
        end = std::max(end, it->second);
        m_doneBytes -= it->second - it->first;
        it = m_done.erase(it);
    }
    m_done.emplace(first, end);
    m_doneBytes += end - first;
}

bool RangeDownload::paced(Clock::time_point now) const
{
    int busy = 0;
    for (const auto &c : m_connections) {
        if (!c->active)
            continue;
        if (c->lastData == Clock::time_point{} ||
            std::max(c->longestPause, now - c->lastData) < ConnectionGovernor::pauseWorthGrowing)
            return false;
        ++busy;
    }
    return busy > 0;
}

int RangeDownload::activeCount() const
{
    int n = 0;
    for (const auto &c : m_connections)
        n += c->active ? 1 : 0;
    return n;
}

size_t RangeDownload::onHeader(char *data, size_t size, size_t count, void *user)
{
    auto &c = *static_cast<Connection *>(user);
    const size_t n = size * count;
    const std::string line(data, n);
    if (startsWithNoCase(line, "HTTP/")) {
        // A new response (after a redirect or 100-continue): forget the previous one's fields.
        c.status = 0;
        c.contentLength = -1;
        c.rangeFirst = -1;
        c.rangeTotal = -2;
        c.contentType.clear();
        c.etag.clear();
        c.lastModified.clear();
        const auto sp = line.find(' ');
        if (sp != std::string::npos)
            c.status = strtol(line.c_str() + sp + 1, nullptr, 10);
        return n;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos)
        return n;
    const std::string name = line.substr(0, colon);
    const std::string value = trimmed(line.substr(colon + 1));
    if (strcasecmp(name.c_str(), "content-length") == 0) {
        c.contentLength = strtoll(value.c_str(), nullptr, 10);
    } else if (strcasecmp(name.c_str(), "content-type") == 0) {
        c.contentType = value;
        std::transform(c.contentType.begin(), c.contentType.end(), c.contentType.begin(),
                       [](unsigned char ch) { return std::tolower(ch); });
    } else if (strcasecmp(name.c_str(), "etag") == 0) {
        c.etag = value;
    } else if (strcasecmp(name.c_str(), "last-modified") == 0) {
        c.lastModified = value;
    } else if (strcasecmp(name.c_str(), "content-range") == 0) {
        long long a = -1, b = -1, t = -1;
        if (sscanf(value.c_str(), "bytes %lld-%lld/%lld", &a, &b, &t) == 3) {
            c.rangeFirst = a;
            c.rangeTotal = t;
        } else if (sscanf(value.c_str(), "bytes %lld-%lld/*", &a, &b) == 2) {
            c.rangeFirst = a;
            c.rangeTotal = -1;
        }
    }
    return n;
}

bool RangeDownload::decide(Connection &c)
{
    c.decided = true;
    const bool partial = c.status == 206 && c.rangeFirst >= 0;
    if (m_decided) {
        // A further connection must answer exactly the range it asked for.
        if (!partial || c.rangeFirst != c.pos || c.rangeTotal != m_total) {
            c.abortCode = kAbortRangeRefused;
            return false;
        }
        return true;
    }
    m_decided = true;
    // Playlists, and DASH manifests, whose representations are downloaded like playlists.
    if (c.contentType.find("mpegurl") != std::string::npos || c.contentType.find("dash+xml") != std::string::npos ||
        DashManifest::readPieceWiseAddress(m_job.url, nullptr, nullptr, nullptr) ||
        (CurlSetup::pathExtension(m_job.url) == "m3u8" && c.contentType.rfind("video/", 0) != 0)) {
        c.playlist = true;
        return true;
    }
    if (partial && c.rangeTotal >= 0) {
        if (c.rangeFirst != c.pos) {
            c.abortCode = CORVIDASH_SIZE_MISMATCH;
            return false;
        }
        if (m_total >= 0 && c.rangeTotal != m_total) {
            // The resource changed since the partial data was written.
            c.abortCode = kAbortRestart;
            return false;
        }
        m_total = c.rangeTotal;
        m_ranges = true;
        c.end = c.end < 0 ? m_total : std::min(c.end, m_total);
        m_validator = !c.etag.empty() ? c.etag : c.lastModified;
    } else {
        // Whole body: ranges refused, or the validator no longer matched.
        if (c.pos != 0 || !m_done.empty()) {
            resetToEmpty();
            c.first = c.pos = 0;
        }
        m_ranges = false;
        m_total = c.contentLength >= 0 && c.status != 0 ? c.contentLength : -1;
        c.end = -1;
    }
    if (m_total > 0)
        m_space->lengthKnown();
    if (m_total > 0 && !m_allocated) {
        // A body that cannot fit above the reserve fails now, not when the disk is nearly full.
        if (m_total - m_doneBytes > m_space->room()) {
            EngineLog::line(0, "%lld bytes announced, room for %lld", static_cast<long long>(m_total),
                            static_cast<long long>(m_space->room()));
            c.abortCode = CORVIDASH_WRITE_FAILED;
            return false;
        }
        // Ranged files are reserved up front: no fragmentation. A stream is not: its length is
        // only the server's word, and a server that announces gigabytes and sends kilobytes
        // must not hold the gigabytes.
        if (m_ranges) {
            if (fallocate(m_fd, 0, 0, m_total) == 0) {
                m_preallocated = true;
                m_space->used(m_total);
            } else if (errno == ENOSPC || errno == EFBIG || errno == EDQUOT) {
                c.abortCode = CORVIDASH_WRITE_FAILED;
                return false;
            } else if (::ftruncate(m_fd, m_total) != 0) {
                c.abortCode = CORVIDASH_WRITE_FAILED;
                return false;
            }
        }
        m_allocated = true;
    }
    return true;
}

size_t RangeDownload::onWrite(char *data, size_t size, size_t count, void *user)
{
    auto &c = *static_cast<Connection *>(user);
    RangeDownload &self = *c.owner;
    const size_t n = size * count;
    if (!c.decided && !self.decide(c))
        return 0;
    if (!c.playlist && !self.m_ranges && c.pos == 0 && n >= 7 && memcmp(data, "#EXTM3U", 7) == 0 &&
        (self.m_total < 0 || self.m_total <= static_cast<int64_t>(kMaxPlaylistBytes)))
        c.playlist = true;
    if (c.playlist) {
        if (self.m_playlistBody.size() + n > kMaxPlaylistBytes) {
            c.abortCode = CORVIDASH_INVALID_URL;
            return 0;
        }
        self.m_playlistBody.append(data, n);
        return n;
    }
    int64_t take = static_cast<int64_t>(n);
    if (c.end >= 0)
        take = std::max<int64_t>(0, std::min(take, c.end - c.pos));
    if (!self.m_ranges && self.m_total >= 0 && c.pos + take > self.m_total) {
        EngineLog::line(0, "%s sends more than the %lld bytes it announced", self.m_job.url.c_str(),
                        static_cast<long long>(self.m_total));
        c.abortCode = CORVIDASH_SIZE_MISMATCH;
        return 0;
    }
    if (!self.m_preallocated && !self.m_space->take(take)) {
        EngineLog::line(0, "stopped at %lld bytes: the disk's reserve of %lld bytes is reached",
                        static_cast<long long>(c.pos), static_cast<long long>(self.m_space->reserve()));
        c.abortCode = CORVIDASH_WRITE_FAILED;
        return 0;
    }
    int64_t off = 0;
    while (off < take) {
        const ssize_t w = ::pwrite(self.m_fd, data + off, static_cast<size_t>(take - off), c.pos + off);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            EngineLog::line(0, "write to %s failed: %s", self.m_partPath.c_str(), strerror(errno));
            c.abortCode = CORVIDASH_WRITE_FAILED;
            return 0;
        }
        off += w;
    }
    c.pos += take;
    self.m_bytesThisRun += take;
    const auto now = Clock::now();
    if (c.lastData != Clock::time_point{})
        c.longestPause = std::max(c.longestPause, now - c.lastData);
    c.lastData = now;
    // Also from here: one transfer step can take in many megabytes when every connection's
    // socket is full, and a kill in it must not lose them all.
    self.saveControlIfDue(now);
    if (!self.m_firstBytesReported && take > 0 && self.m_total >= 0) {
        // Reported from here: one transfer step can take in megabytes before the loop reports.
        self.m_firstBytesReported = true;
        self.m_sink.progress(self.downloaded(), self.m_total);
    }
    if (take < static_cast<int64_t>(n)) {
        // The rest of this range was handed to another connection.
        c.capped = true;
        return static_cast<size_t>(take);
    }
    return n;
}

void RangeDownload::start(Connection &c, int64_t first, int64_t end)
{
    if (!c.easy) {
        c.easy = curl_easy_init();
        if (!c.easy) {
            m_error = CORVIDASH_INIT_FAILED;
            return;
        }
    } else {
        curl_easy_reset(c.easy);
    }
    curl_slist_free_all(c.headers);
    c.headers = nullptr;
    CurlSetup::common(c.easy, m_job);
    c.slow.install(c.easy);
    curl_easy_setopt(c.easy, CURLOPT_HEADERFUNCTION, &RangeDownload::onHeader);
    curl_easy_setopt(c.easy, CURLOPT_HEADERDATA, &c);
    curl_easy_setopt(c.easy, CURLOPT_WRITEFUNCTION, &RangeDownload::onWrite);
    curl_easy_setopt(c.easy, CURLOPT_WRITEDATA, &c);
    curl_easy_setopt(c.easy, CURLOPT_BUFFERSIZE, 256L * 1024L);
    if (!m_noRangeHeader) {
        const std::string range = end > 0 ? std::to_string(first) + "-" + std::to_string(end - 1)
                                          : std::to_string(first) + "-";
        curl_easy_setopt(c.easy, CURLOPT_RANGE, range.c_str());
        if (!m_validator.empty() && !m_decided)
            c.headers = curl_slist_append(c.headers, ("If-Range: " + m_validator).c_str());
    }
    if (c.headers)
        curl_easy_setopt(c.easy, CURLOPT_HTTPHEADER, c.headers);
    c.first = c.pos = first;
    c.end = end;
    c.active = true;
    c.capped = false;
    c.decided = false;
    c.playlist = false;
    c.abortCode = 0;
    c.status = 0;
    if (curl_multi_add_handle(m_multi, c.easy) != CURLM_OK) {
        c.active = false;
        m_error = CORVIDASH_INIT_FAILED;
        return;
    }
    m_connectionsUsed = std::max(m_connectionsUsed, activeCount());
}

bool RangeDownload::nextRange(int64_t &first, int64_t &end)
{
    if (m_total <= 0)
        return false;
    // Covered = on disk or promised to a running connection.
    std::vector<std::pair<int64_t, int64_t>> covered(m_done.begin(), m_done.end());
    for (const auto &c : m_connections) {
        if (c->active)
            covered.emplace_back(c->first, c->end < 0 ? m_total : c->end);
    }
    std::sort(covered.begin(), covered.end());
    std::vector<std::pair<int64_t, int64_t>> gaps;
    int64_t at = 0, open = 0;
    for (auto [a, b] : covered) {
        if (a > at) {
            gaps.emplace_back(at, a);
            open += a - at;
        }
        at = std::max(at, b);
    }
    if (at < m_total) {
        gaps.emplace_back(at, m_total);
        open += m_total - at;
    }
    if (gaps.empty())
        return false;
    // No range is ever taken from a running connection: the server would already be sending
    // its tail, which would come twice. Pieces shrink with what is open instead, so at the end
    // every connection holds a small one and they finish together.
    int64_t piece = std::clamp<int64_t>(open / (2 * m_connectionCap), kMinPiece, kMaxPiece);
    piece -= piece % kPieceAlign;
    first = gaps.front().first;
    end = std::min(gaps.front().second, first + piece);
    // A remainder too small to be a piece of its own goes with this one.
    if (gaps.front().second - end < kMinPiece)
        end = gaps.front().second;
    return true;
}

void RangeDownload::schedule(Clock::time_point now)
{
    if (m_error || m_restart)
        return;
    Connection *idle = nullptr;
    auto findIdle = [&]() -> Connection * {
        for (auto &c : m_connections) {
            if (!c->active && c->retryAt <= now)
                return c.get();
        }
        if (static_cast<int>(m_connections.size()) < m_connectionCap) {
            auto c = std::make_unique<Connection>();
            c->owner = this;
            m_connections.push_back(std::move(c));
            return m_connections.back().get();
        }
        return nullptr;
    };
    if (!m_decided || !m_ranges) {
        // One connection until the first answer says ranges work; a stream that broke
        // off starts again from the top.
        if (activeCount() == 0 && !m_streamComplete && !m_playlistReady) {
            bool waiting = false;
            for (auto &c : m_connections)
                waiting = waiting || c->retryAt > now;
            if (waiting)
                return;
            if ((idle = findIdle())) {
                if (!m_decided && !m_done.empty()) {
                    int64_t first = 0, end = 0;
                    if (nextRange(first, end))
                        start(*idle, first, end);
                } else {
                    if (m_decided && !m_ranges) {
                        resetToEmpty();
                        m_decided = false;
                        m_total = -1;
                    }
                    start(*idle, 0, m_noRangeHeader ? -1 : kFirstPiece);
                }
            }
        }
        return;
    }
    const int target = m_rangeRefused ? 1 : std::min(m_governor->target(), m_connectionCap);
    while (activeCount() < target) {
        idle = findIdle();
        if (!idle)
            return;
        int64_t first = 0, end = 0;
        if (!nextRange(first, end)) {
            m_governor->freeze();
            return;
        }
        start(*idle, first, end);
        if (m_error)
            return;
    }
}

void RangeDownload::finished(Connection &c, CURLcode result)
{
    curl_multi_remove_handle(m_multi, c.easy);
    c.active = false;
    if (!c.playlist && c.pos > c.first)
        addDone(c.first, c.pos);
    long status = 0;
    curl_easy_getinfo(c.easy, CURLINFO_RESPONSE_CODE, &status);
    if (c.abortCode == kAbortRestart) {
        m_restart = true;
        return;
    }
    if (c.abortCode == kAbortRangeRefused) {
        // The server took the first range but not this one: carry on with one connection.
        m_rangeRefused = true;
        return;
    }
    const bool ok = (result == CURLE_OK || (result == CURLE_WRITE_ERROR && c.capped && !c.abortCode));
    if (ok) {
        if (c.playlist) {
            char *effective = nullptr;
            curl_easy_getinfo(c.easy, CURLINFO_EFFECTIVE_URL, &effective);
            m_playlistUrl = effective ? effective : m_job.url;
            m_playlistReady = true;
            return;
        }
        if (!m_ranges) {
            if (m_total >= 0 && c.pos != m_total) {
                m_error = CORVIDASH_SIZE_MISMATCH;
                return;
            }
            m_total = c.pos;
            m_streamComplete = true;
            return;
        }
        if (c.end >= 0 && c.pos < c.end) {
            // The body ended before the range did (a server that shortens its answers).
            if (++m_failures > kMaxFailures)
                m_error = CORVIDASH_SIZE_MISMATCH;
            c.retryAt = Clock::now() + std::chrono::milliseconds(100 * m_failures);
        }
        return;
    }
    if (!m_decided && status == 416 && c.first == 0 && m_done.empty() && !m_noRangeHeader) {
        // "bytes=0-" of an empty resource: ask again without a range.
        m_noRangeHeader = true;
        return;
    }
    int code = c.abortCode;
    if (c.slow.tripped()) {
        code = CORVIDASH_TIMED_OUT;
        EngineError::noteReason(code, SlowTransfer::kReason, m_job.url);
    } else if (!code) {
        code = EngineError::failed(result, status, m_job.url);
    }
    // Nothing answered at all: retrying a refused connection only delays the error. A trickle
    // has already cost a whole window: the helper asks again, with its back-off, and counts it.
    const bool canRetry = retryable(code) && !c.slow.tripped() && !(code == CORVIDASH_CONNECT_FAILED && !m_decided);
    if (canRetry && ++m_failures <= kMaxFailures) {
        EngineLog::line(1, "connection failed (%d, %s), retry %d", code, EngineError::text(code), m_failures);
        c.retryAt = Clock::now() + std::chrono::milliseconds(150 * m_failures);
        return;
    }
    m_error = code;
}

std::vector<std::pair<int64_t, int64_t>> RangeDownload::written() const
{
    std::vector<std::pair<int64_t, int64_t>> out(m_done.begin(), m_done.end());
    for (const auto &c : m_connections) {
        if (c->active && !c->playlist && c->pos > c->first)
            out.emplace_back(c->first, c->pos);
    }
    return out;
}

void RangeDownload::saveControl()
{
    if (!m_ranges || m_total <= 0)
        return;
    ControlFile ctl;
    ctl.kind = ControlFile::Kind::Ranges;
    ctl.url = m_job.url;
    ctl.total = m_total;
    ctl.validator = m_validator;
    ctl.done = written();
    ctl.save(m_controlPath);
}

void RangeDownload::saveControlIfDue(Clock::time_point now)
{
    const auto since = now - m_lastControl;
    if (since < kControlMinInterval)
        return;
    if (since < kControlInterval && m_bytesThisRun - m_controlBytes < kControlChunk * std::max(1, activeCount()))
        return;
    saveControl();
    m_lastControl = now;
    m_controlBytes = m_bytesThisRun;
}

void RangeDownload::releaseUnusable()
{
    if (m_fd < 0)
        return;
    if (m_decided && !m_ranges) {
        // A stream cannot be resumed: none of it is worth its space.
        if (::ftruncate(m_fd, 0) != 0)
            EngineLog::line(1, "cannot empty %s: %s", m_partPath.c_str(), strerror(errno));
        return;
    }
    if (!m_ranges || m_total <= 0)
        return; // undecided: an earlier run's data and control file stay as they were
    // Blocks reserved for ranges that never came go back to the disk; the size stays, which
    // is how a resume recognises the file.
    auto kept = written();
    std::sort(kept.begin(), kept.end());
    int64_t at = 0;
    auto punch = [this](int64_t first, int64_t end) {
        if (end > first && fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, first, end - first) != 0)
            EngineLog::line(2, "cannot free %lld bytes of %s: %s", static_cast<long long>(end - first),
                            m_partPath.c_str(), strerror(errno));
    };
    for (auto [a, b] : kept) {
        punch(at, std::min(a, m_total));
        at = std::max(at, b);
    }
    punch(at, m_total);
}

int RangeDownload::finalize()
{
    if (m_fd >= 0) {
        if (m_total >= 0 && ::ftruncate(m_fd, m_total) != 0)
            return close(CORVIDASH_WRITE_FAILED);
        ::close(m_fd);
        m_fd = -1;
    }
    if (::rename(m_partPath.c_str(), m_job.savePath.c_str()) != 0) {
        EngineLog::line(0, "cannot move %s into place: %s", m_partPath.c_str(), strerror(errno));
        return CORVIDASH_FILE_ERROR;
    }
    ::unlink(m_controlPath.c_str());
    return CORVIDASH_OK;
}

int RangeDownload::close(int code)
{
    if (code != CORVIDASH_OK)
        saveControl();
    if (code != CORVIDASH_OK && code != RunResult::Stopped && code != RunResult::IsPlaylist)
        releaseUnusable();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    return code;
}

int RangeDownload::run()
{
    if (!openPart())
        return CORVIDASH_FILE_ERROR;
    m_space = std::make_unique<DiskSpace>(m_fd);
    if (m_job.resume) {
        ControlFile ctl;
        struct stat st{};
        if (ctl.load(m_controlPath) && ctl.kind == ControlFile::Kind::Ranges && ::fstat(m_fd, &st) == 0 &&
            st.st_size == ctl.total) {
            m_total = ctl.total;
            m_validator = ctl.validator;
            m_allocated = true;
            for (auto [a, b] : ctl.done)
                addDone(a, b);
            EngineLog::line(2, "resume %s at %lld of %lld bytes", m_job.savePath.c_str(),
                            static_cast<long long>(m_doneBytes), static_cast<long long>(m_total));
            if (m_doneBytes == m_total) {
                m_sink.progress(m_total, m_total);
                return finalize();
            }
        } else {
            resetToEmpty();
        }
    } else {
        resetToEmpty();
    }
    m_multi = curl_multi_init();
    if (!m_multi)
        return close(CORVIDASH_INIT_FAILED);
    m_connectionCap = m_job.turbo ? std::max(m_job.maxConnections, kPoliteConnections) : kPoliteConnections;
    m_governor = std::make_unique<ConnectionGovernor>(m_connectionCap, m_job.turbo ? kTurboInitialConnections : 1);
    m_lastControl = Clock::now();
    m_controlBytes = m_bytesThisRun;
    for (int restarts = 0;;) {
        if (m_stop.load())
            return close(RunResult::Stopped);
        const auto now = Clock::now();
        schedule(now);
        if (m_error)
            return close(m_error);
        int running = 0;
        curl_multi_perform(m_multi, &running);
        int left = 0;
        bool freed = false;
        while (CURLMsg *msg = curl_multi_info_read(m_multi, &left)) {
            if (msg->msg != CURLMSG_DONE)
                continue;
            for (auto &c : m_connections) {
                if (c->active && c->easy == msg->easy_handle) {
                    freed = true;
                    finished(*c, msg->data.result);
                    break;
                }
            }
        }
        if (m_restart) {
            if (++restarts > 2)
                return close(CORVIDASH_SIZE_MISMATCH);
            for (auto &c : m_connections) {
                if (c->active) {
                    curl_multi_remove_handle(m_multi, c->easy);
                    c->active = false;
                }
            }
            m_restart = false;
            m_decided = false;
            m_ranges = false;
            m_total = -1;
            m_validator.clear();
            resetToEmpty();
            continue;
        }
        if (m_error)
            return close(m_error);
        if (m_playlistReady) {
            close(RunResult::IsPlaylist);
            ::unlink(m_partPath.c_str());
            return RunResult::IsPlaylist;
        }
        // A freed connection takes its next piece before the rate is sampled: a piece boundary
        // is not an idle connection.
        if (freed) {
            schedule(now);
            if (m_error)
                return close(m_error);
        }
        const int active = activeCount();
        if (m_ranges) {
            const bool wasOpen = m_governor->windowOpen();
            m_governor->sample(now, m_bytesThisRun, active, paced(now));
            if (!wasOpen && m_governor->windowOpen()) {
                for (auto &c : m_connections)
                    c->longestPause = {};
            }
        }
        const bool complete = m_streamComplete || (m_ranges && active == 0 && m_doneBytes >= m_total);
        m_sink.progress(downloaded(), m_decided && !m_playlistReady ? m_total : -1);
        if (complete)
            return finalize();
        saveControlIfDue(now);
        // A finished connection takes its next range at once instead of after the wait.
        if (!freed)
            curl_multi_poll(m_multi, nullptr, 0, 50, nullptr);
    }
}
