#include "HlsDownload.h"

#include "Aes128Cbc.h"
#include "ConnectionGovernor.h"
#include "ControlFile.h"
#include "CurlSetup.h"
#include "DashManifest.h"
#include "EngineError.h"
#include "EngineLog.h"
#include "FileTools.h"
#include "HttpFetch.h"
#include "SlowTransfer.h"
#include "engine/Corvidash.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kMaxSegmentBytes = 64 << 20;
constexpr int kMaxSegmentFailures = 3;
// The control file follows every written segment, at most this often, so a kill
// costs little more than the segments in flight.
constexpr auto kControlMinInterval = std::chrono::milliseconds(20);
constexpr auto kControlInterval = std::chrono::milliseconds(250);
// Each piece costs a round trip, so several are always in flight (over re-used connections);
// turbo lets the governor grow past this when more of them still raise the rate.
constexpr int kPieceTransfers = 8;
}

struct HlsDownload::Transfer
{
    HlsDownload *owner = nullptr;
    CURL *easy = nullptr;
    size_t index = 0;
    bool active = false;
    bool tooLarge = false;
    std::string data;
    SlowTransfer slow;

    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
    }
};

HlsDownload::HlsDownload(const DownloadJob &job, const std::atomic<bool> &stop, ProgressSink &sink)
    : m_job(job), m_stop(stop), m_sink(sink), m_partPath(ControlFile::partPathFor(job.savePath)),
      m_controlPath(ControlFile::pathFor(job.savePath))
{
}

HlsDownload::~HlsDownload()
{
    for (auto &t : m_transfers) {
        if (t->active && m_multi)
            curl_multi_remove_handle(m_multi, t->easy);
    }
    m_transfers.clear();
    if (m_multi)
        curl_multi_cleanup(m_multi);
    if (m_fd >= 0)
        ::close(m_fd);
}

int HlsDownload::loadManifest(const std::string &body, const std::string &url)
{
    std::string manifestUrl, id;
    size_t period = 0;
    if (!DashManifest::readPieceWiseAddress(m_job.url, &manifestUrl, &period, &id)) {
        EngineLog::line(0, "manifest %s names no representation to download", url.c_str());
        return CORVIDASH_INVALID_URL;
    }
    DashManifest manifest;
    std::string why;
    // Pieces resolve against where the manifest came from, redirects included.
    if (!manifest.parse(body, url.substr(0, url.find('#')), &why)) {
        EngineLog::line(0, "manifest %s rejected: %s", url.c_str(), why.c_str());
        return manifest.live ? CORVIDASH_LIVE_STREAM : CORVIDASH_INVALID_URL;
    }
    const DashManifest::Representation *rep = manifest.find(period, id);
    if (!rep || !rep->pieceWise) {
        why = manifest.refusalOf(period, id);
        EngineLog::line(0, "manifest %s: representation %s of period %zu %s", url.c_str(), id.c_str(), period,
                        !why.empty() ? ("refused: " + why).c_str() : rep ? "is one file" : "is gone");
        return CORVIDASH_INVALID_URL;
    }
    DashManifest::Piece init;
    std::vector<DashManifest::Piece> pieces;
    if (!DashManifest::pieces(*rep, init, pieces, &why)) {
        EngineLog::line(0, "manifest %s: representation %s refused: %s", url.c_str(), id.c_str(), why.c_str());
        return CORVIDASH_INVALID_URL;
    }
    // The representation as the media playlist it amounts to: one init section, then the pieces.
    m_playlist = HlsPlaylist();
    m_playlist.endList = true;
    if (!init.url.empty())
        m_playlist.maps.push_back({init.url, init.length, init.offset});
    m_playlist.segments.reserve(pieces.size());
    for (auto &piece : pieces) {
        HlsPlaylist::Segment seg;
        seg.uri = std::move(piece.url);
        seg.duration = piece.duration;
        seg.length = piece.length;
        seg.offset = piece.offset;
        seg.mapIndex = m_playlist.maps.empty() ? -1 : 0;
        seg.sequence = static_cast<int64_t>(m_playlist.segments.size());
        m_playlist.segments.push_back(std::move(seg));
    }
    EngineLog::line(2, "manifest %s: representation %s has %zu pieces", url.c_str(), id.c_str(), m_playlist.segments.size());
    return CORVIDASH_OK;
}

int HlsDownload::loadPlaylist(std::string &body, std::string &url)
{
    HttpFetch::Options options;
    options.maxBytes = 4 << 20;
    options.stop = &m_stop;
    // An address naming a DASH representation is its manifest's address plus a fragment.
    const bool dash = DashManifest::readPieceWiseAddress(m_job.url, nullptr, nullptr, nullptr);
    for (int depth = 0; depth < 3; ++depth) {
        if (body.empty()) {
            auto r = HttpFetch::get(url.substr(0, url.find('#')), m_job, options);
            if (m_stop.load())
                return RunResult::Stopped;
            if (r.code)
                return r.code == CORVIDASH_SIZE_MISMATCH ? CORVIDASH_INVALID_URL : r.code;
            body = std::move(r.body);
            url = r.effectiveUrl;
        }
        if (dash || (body.compare(0, 7, "#EXTM3U") != 0 && DashManifest::looksLikeManifest(body)))
            return loadManifest(body, url);
        std::string why;
        if (!m_playlist.parse(body, url, &why)) {
            EngineLog::line(0, "playlist %s rejected: %s", url.c_str(), why.c_str());
            return CORVIDASH_INVALID_URL;
        }
        if (m_playlist.isLive()) {
            EngineLog::line(0, "playlist %s is live: no end to save", url.c_str());
            return CORVIDASH_LIVE_STREAM;
        }
        if (!m_playlist.isMaster)
            return CORVIDASH_OK;
        // A master playlist as download address: take its best variant.
        const auto best = std::max_element(m_playlist.variants.begin(), m_playlist.variants.end(),
                                           [](const auto &a, const auto &b) {
                                               return std::tie(a.bandwidth, a.height) < std::tie(b.bandwidth, b.height);
                                           });
        url = best->uri;
        body.clear();
    }
    return CORVIDASH_INVALID_URL;
}

size_t HlsDownload::onWrite(char *data, size_t size, size_t count, void *user)
{
    auto &t = *static_cast<Transfer *>(user);
    const size_t n = size * count;
    if (t.data.size() + n > kMaxSegmentBytes) {
        t.tooLarge = true;
        return 0;
    }
    t.data.append(data, n);
    t.owner->m_bytesThisRun += static_cast<int64_t>(n);
    return n;
}

void HlsDownload::startTransfer(Transfer &t, size_t index)
{
    if (!t.easy)
        t.easy = curl_easy_init();
    else
        curl_easy_reset(t.easy);
    const auto &seg = m_playlist.segments[index];
    DownloadJob job = m_job;
    job.url = seg.uri;
    CurlSetup::common(t.easy, job);
    t.slow.install(t.easy);
    curl_easy_setopt(t.easy, CURLOPT_WRITEFUNCTION, &HlsDownload::onWrite);
    curl_easy_setopt(t.easy, CURLOPT_WRITEDATA, &t);
    if (seg.length >= 0) {
        const std::string range = std::to_string(seg.offset) + "-" + std::to_string(seg.offset + seg.length - 1);
        curl_easy_setopt(t.easy, CURLOPT_RANGE, range.c_str());
    }
    t.index = index;
    t.data.clear();
    t.tooLarge = false;
    t.active = true;
    curl_multi_add_handle(m_multi, t.easy);
}

int HlsDownload::bytesOf(const std::string &uri, int64_t length, int64_t offset, std::string &out)
{
    HttpFetch::Options options;
    options.maxBytes = kMaxSegmentBytes;
    options.stop = &m_stop;
    if (length == 0) {
        out.clear();
        return CORVIDASH_OK;
    }
    if (length > 0)
        options.range = std::to_string(offset) + "-" + std::to_string(offset + length - 1);
    auto r = HttpFetch::get(uri, m_job, options);
    if (m_stop.load())
        return RunResult::Stopped;
    if (r.code)
        return r.code;
    if (length > 0) {
        // The part asked for, or the whole resource when the server ignores ranges.
        if (r.status == 206) {
            if (static_cast<int64_t>(r.body.size()) != length)
                return CORVIDASH_SIZE_MISMATCH;
        } else {
            if (offset + length > static_cast<int64_t>(r.body.size()))
                return CORVIDASH_SIZE_MISMATCH;
            r.body = r.body.substr(static_cast<size_t>(offset), static_cast<size_t>(length));
        }
    }
    out = std::move(r.body);
    return CORVIDASH_OK;
}

int HlsDownload::keyFor(int keyIndex, std::string &key)
{
    auto found = m_keys.find(keyIndex);
    if (found != m_keys.end()) {
        key = found->second;
        return CORVIDASH_OK;
    }
    const auto &k = m_playlist.keys[static_cast<size_t>(keyIndex)];
    if (k.method != "AES-128")
        return CORVIDASH_UNSUPPORTED_PROTOCOL;
    // Keys shared by many segments are fetched once per address.
    for (const auto &[index, bytes] : m_keys) {
        if (m_playlist.keys[static_cast<size_t>(index)].uri == k.uri) {
            m_keys[keyIndex] = bytes;
            key = bytes;
            return CORVIDASH_OK;
        }
    }
    std::string bytes;
    const int code = bytesOf(k.uri, -1, 0, bytes);
    if (code)
        return code;
    if (bytes.size() != 16)
        return CORVIDASH_INVALID_URL;
    m_keys[keyIndex] = bytes;
    key = bytes;
    return CORVIDASH_OK;
}

int HlsDownload::writeReady()
{
    auto writeAll = [this](const std::string &data) {
        if (m_space && !m_space->take(static_cast<int64_t>(data.size()))) {
            EngineLog::line(0, "stopped at %lld bytes: the disk's reserve of %lld bytes is reached",
                            static_cast<long long>(m_bytesWritten), static_cast<long long>(m_space->reserve()));
            return false;
        }
        size_t off = 0;
        while (off < data.size()) {
            const ssize_t w = ::pwrite(m_fd, data.data() + off, data.size() - off, m_bytesWritten + static_cast<int64_t>(off));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            off += static_cast<size_t>(w);
        }
        m_bytesWritten += static_cast<int64_t>(data.size());
        return true;
    };
    while (!m_ready.empty() && m_ready.begin()->first == m_nextWrite) {
        std::string data = std::move(m_ready.begin()->second);
        m_ready.erase(m_ready.begin());
        m_readyBytes -= static_cast<int64_t>(data.size());
        const auto &seg = m_playlist.segments[m_nextWrite];
        if (seg.keyIndex >= 0) {
            std::string key;
            const int code = keyFor(seg.keyIndex, key);
            if (code)
                return code;
            const auto &k = m_playlist.keys[static_cast<size_t>(seg.keyIndex)];
            uint8_t iv[16] = {};
            if (k.hasIv) {
                memcpy(iv, k.iv, 16);
            } else {
                for (int i = 0; i < 8; ++i)
                    iv[15 - i] = static_cast<uint8_t>(static_cast<uint64_t>(seg.sequence) >> (8 * i));
            }
            if (!Aes128Cbc::decrypt(reinterpret_cast<const uint8_t *>(key.data()), iv, data, true)) {
                EngineLog::line(0, "segment %zu does not decrypt", m_nextWrite);
                return CORVIDASH_INVALID_URL;
            }
        }
        if (seg.mapIndex >= 0 && seg.mapIndex != m_lastMap) {
            const auto &map = m_playlist.maps[static_cast<size_t>(seg.mapIndex)];
            std::string init;
            const int code = bytesOf(map.uri, map.length, map.offset, init);
            if (code)
                return code;
            if (!writeAll(init))
                return CORVIDASH_WRITE_FAILED;
            m_lastMap = seg.mapIndex;
        }
        if (!writeAll(data))
            return CORVIDASH_WRITE_FAILED;
        ++m_nextWrite;
    }
    return CORVIDASH_OK;
}

void HlsDownload::saveControl()
{
    ControlFile ctl;
    ctl.kind = ControlFile::Kind::Hls;
    ctl.url = m_job.url;
    ctl.segmentCount = static_cast<int64_t>(m_playlist.segments.size());
    ctl.segmentsDone = static_cast<int64_t>(m_nextWrite);
    ctl.bytesWritten = m_bytesWritten;
    ctl.save(m_controlPath);
}

int64_t HlsDownload::estimateTotal() const
{
    if (m_nextWrite == 0)
        return -1;
    const double perSegment = static_cast<double>(m_bytesWritten) / static_cast<double>(m_nextWrite);
    return std::max<int64_t>(downloaded(), static_cast<int64_t>(perSegment * static_cast<double>(m_playlist.segments.size())));
}

int HlsDownload::finished(Transfer &t, CURLcode result)
{
    curl_multi_remove_handle(m_multi, t.easy);
    t.active = false;
    long status = 0;
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &status);
    if (result == CURLE_OK) {
        const auto &seg = m_playlist.segments[t.index];
        if (seg.length >= 0 && status == 200) {
            // Ranges refused: the whole resource came, cut the segment out of it.
            if (seg.offset + seg.length > static_cast<int64_t>(t.data.size()))
                return CORVIDASH_SIZE_MISMATCH;
            t.data = t.data.substr(static_cast<size_t>(seg.offset), static_cast<size_t>(seg.length));
        }
        m_readyBytes += static_cast<int64_t>(t.data.size());
        m_ready.emplace(t.index, std::move(t.data));
        t.data = std::string();
        return CORVIDASH_OK;
    }
    const std::string &uri = m_playlist.segments[t.index].uri;
    int code = CORVIDASH_MEMORY_ERROR;
    if (t.tooLarge) {
        EngineError::noteReason(code, "A piece of the stream never ended", uri);
    } else if (t.slow.tripped()) {
        code = CORVIDASH_TIMED_OUT;
        EngineError::noteReason(code, SlowTransfer::kReason, uri);
    } else {
        code = EngineError::failed(result, status, uri);
    }
    const bool retry = code == CORVIDASH_SIZE_MISMATCH || code == CORVIDASH_NO_DATA || code == CORVIDASH_CONNECT_FAILED;
    if (retry && ++m_failures[t.index] <= kMaxSegmentFailures) {
        EngineLog::line(1, "segment %zu failed (%d), retry", t.index, code);
        m_retryAt[t.index] = Clock::now() + std::chrono::milliseconds(150 * m_failures[t.index]);
        return CORVIDASH_OK;
    }
    return code;
}

int HlsDownload::run(std::string body, std::string playlistUrl)
{
    int code = loadPlaylist(body, playlistUrl);
    if (code)
        return code;
    for (const auto &key : m_playlist.keys) {
        if (key.method != "AES-128")
            return CORVIDASH_UNSUPPORTED_PROTOCOL;
    }
    if (!FileTools::makeParentFolder(m_job.savePath))
        return CORVIDASH_FILE_ERROR;
    m_fd = ::open(m_partPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return CORVIDASH_FILE_ERROR;
    m_space = std::make_unique<DiskSpace>(m_fd);
    const size_t count = m_playlist.segments.size();
    ControlFile ctl;
    struct stat st{};
    if (m_job.resume && ctl.load(m_controlPath) && ctl.kind == ControlFile::Kind::Hls &&
        ctl.segmentCount == static_cast<int64_t>(count) && ::fstat(m_fd, &st) == 0 && st.st_size >= ctl.bytesWritten) {
        m_nextWrite = m_nextStart = static_cast<size_t>(ctl.segmentsDone);
        m_bytesWritten = ctl.bytesWritten;
        if (m_nextWrite > 0)
            m_lastMap = m_playlist.segments[m_nextWrite - 1].mapIndex;
        EngineLog::line(2, "resume %s at segment %zu of %zu", m_job.savePath.c_str(), m_nextWrite, count);
    }
    if (::ftruncate(m_fd, m_bytesWritten) != 0)
        return CORVIDASH_WRITE_FAILED;
    m_multi = curl_multi_init();
    if (!m_multi)
        return CORVIDASH_INIT_FAILED;
    ConnectionGovernor governor(m_job.turbo ? std::max(m_job.maxConnections, kPieceTransfers) : kPieceTransfers,
                                kPieceTransfers);
    auto lastControl = Clock::now();
    size_t controlSegments = m_nextWrite;
    auto stopWith = [this](int result) {
        saveControl();
        return result;
    };
    while (m_nextWrite < count) {
        if (m_stop.load())
            return stopWith(RunResult::Stopped);
        const auto now = Clock::now();
        const size_t target = static_cast<size_t>(governor.target());
        // Keep the window of fetched-but-unwritten segments bounded.
        const size_t window = 2 * target + 4;
        auto activeCount = [this] {
            return static_cast<size_t>(std::count_if(m_transfers.begin(), m_transfers.end(), [](auto &t) { return t->active; }));
        };
        // Retries first, so the segment that blocks writing is not starved.
        for (auto it = m_retryAt.begin(); it != m_retryAt.end() && activeCount() < target;) {
            if (it->second > now) {
                ++it;
                continue;
            }
            Transfer *idle = nullptr;
            for (auto &t : m_transfers)
                if (!t->active)
                    idle = t.get();
            if (!idle) {
                m_transfers.push_back(std::make_unique<Transfer>());
                idle = m_transfers.back().get();
                idle->owner = this;
            }
            startTransfer(*idle, it->first);
            it = m_retryAt.erase(it);
        }
        while (activeCount() < target && m_nextStart < count && m_nextStart < m_nextWrite + window) {
            Transfer *idle = nullptr;
            for (auto &t : m_transfers)
                if (!t->active)
                    idle = t.get();
            if (!idle) {
                m_transfers.push_back(std::make_unique<Transfer>());
                idle = m_transfers.back().get();
                idle->owner = this;
            }
            startTransfer(*idle, m_nextStart++);
        }
        int running = 0;
        curl_multi_perform(m_multi, &running);
        int left = 0;
        bool freed = false;
        while (CURLMsg *msg = curl_multi_info_read(m_multi, &left)) {
            if (msg->msg != CURLMSG_DONE)
                continue;
            for (auto &t : m_transfers) {
                if (t->active && t->easy == msg->easy_handle) {
                    freed = true;
                    if ((code = finished(*t, msg->data.result)))
                        return stopWith(code);
                    break;
                }
            }
        }
        if ((code = writeReady())) {
            if (m_stop.load())
                return stopWith(RunResult::Stopped);
            return stopWith(code);
        }
        // Finished segments are replaced at once while work is left, so a gap between
        // two transfers does not count as an idle connection.
        const bool workLeft = m_nextStart < count && m_nextStart < m_nextWrite + window;
        governor.sample(now, m_bytesThisRun, workLeft ? static_cast<int>(target) : static_cast<int>(activeCount()));
        if (m_nextStart >= count)
            governor.freeze();
        m_total = estimateTotal();
        m_sink.progress(downloaded(), m_total);
        if (now - lastControl >= kControlInterval ||
            (m_nextWrite != controlSegments && now - lastControl >= kControlMinInterval)) {
            saveControl();
            lastControl = now;
            controlSegments = m_nextWrite;
        }
        // A finished transfer is replaced at once: waiting here would idle its slot.
        if (m_nextWrite < count && !freed)
            curl_multi_poll(m_multi, nullptr, 0, 50, nullptr);
    }
    m_total = m_bytesWritten;
    ::close(m_fd);
    m_fd = -1;
    if (::rename(m_partPath.c_str(), m_job.savePath.c_str()) != 0)
        return CORVIDASH_FILE_ERROR;
    ::unlink(m_controlPath.c_str());
    m_sink.progress(m_total, m_total);
    return CORVIDASH_OK;
}
