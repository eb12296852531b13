#include "Downloader.h"

#include "ControlFile.h"
#include "CookieJar.h"
#include "CurlSetup.h"
#include "EngineError.h"
#include "EngineLog.h"
#include "HlsDownload.h"
#include "RangeDownload.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

std::string text(const char *s)
{
    return s ? std::string(s) : std::string();
}
}

void Downloader::setUrl(const char *url)
{
    std::lock_guard lock(m_configMutex);
    m_config.url = text(url);
}

void Downloader::setSavePath(const char *path)
{
    std::lock_guard lock(m_configMutex);
    m_config.savePath = text(path);
}

void Downloader::setUserAgent(const char *userAgent)
{
    std::lock_guard lock(m_configMutex);
    m_config.userAgent = text(userAgent);
}

void Downloader::setCookie(const char *cookie)
{
    std::lock_guard lock(m_configMutex);
    m_config.cookie = text(cookie);
}

void Downloader::setCallback(CorvidashCallback callback, void *context)
{
    std::lock_guard lock(m_callbackMutex);
    m_callback = callback;
    m_context = callback ? context : nullptr;
    if (callback) {
        // Attaching a callback is how a caller sets up a new run: an earlier
        // stop that found nothing running must not cancel it.
        std::lock_guard state(m_stateMutex);
        m_pendingStop = false;
    }
}

void Downloader::emit(int32_t type, int32_t code, int64_t downloaded, int64_t total)
{
    std::lock_guard lock(m_callbackMutex);
    if (!m_callback)
        return;
    const CorvidashEvent event{type, code, downloaded, total < 0 ? CORVIDASH_TOTAL_UNKNOWN : total};
    m_callback(&event, m_context);
}

void Downloader::progress(int64_t downloaded, int64_t total)
{
    const auto now = Clock::now();
    // The first bytes are reported at once, so a list shows a download moving without waiting
    // a whole interval; later reports keep the interval.
    const bool first = !m_progressSent && downloaded > 0 && total >= 0;
    if (!first && now - m_lastProgress < kProgressInterval)
        return;
    m_progressSent = true;
    const double seconds = std::chrono::duration<double>(now - m_lastProgress).count();
    const double rate = seconds > 0 && seconds < 5 ? static_cast<double>(downloaded - m_lastProgressBytes) / seconds : 0.0;
    m_lastProgress = now;
    m_lastProgressBytes = downloaded;
    const double capped = std::clamp(rate, 0.0, static_cast<double>(std::numeric_limits<uint32_t>::max()));
    const uint32_t speed = static_cast<uint32_t>(capped);
    emit(CORVIDASH_EVENT_PROGRESS, static_cast<int32_t>(speed), downloaded, total);
}

int Downloader::runJob(DownloadJob &job, int64_t &downloaded, int64_t &total)
{
    if (job.url.empty())
        return CORVIDASH_INVALID_URL;
    if (!CurlSetup::parses(job.url))
        return CORVIDASH_MALFORMED_URL;
    if (!CurlSetup::hasSupportedScheme(job.url))
        return CORVIDASH_UNSUPPORTED_PROTOCOL;
    // Plain cookie text belongs to the address it was handed in for, not to every host on the way.
    job.cookie = CookieJar::scoped(job.cookie, job.url);
    struct stat st{};
    if (job.savePath.empty() || job.savePath.back() == '/' ||
        (::stat(job.savePath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
        return CORVIDASH_FILE_ERROR;

    ControlFile ctl;
    if (job.resume && ctl.load(ControlFile::pathFor(job.savePath)) && ctl.kind == ControlFile::Kind::Hls) {
        HlsDownload hls(job, m_stop, *this);
        const int code = hls.run({}, job.url);
        downloaded = hls.downloaded();
        total = hls.total();
        return code;
    }
    RangeDownload plain(job, m_stop, *this);
    int code = plain.run();
    downloaded = plain.downloaded();
    total = plain.total();
    EngineLog::line(2, "download of %s ended (%d) with up to %d connections", job.url.c_str(), code,
                    plain.connectionsUsed());
    if (code != RunResult::IsPlaylist)
        return code;
    HlsDownload hls(job, m_stop, *this);
    code = hls.run(plain.playlistBody(), plain.playlistUrl());
    downloaded = hls.downloaded();
    total = hls.total();
    return code;
}

int Downloader::start(bool resume, bool turbo)
{
    std::unique_lock run(m_runMutex);
    {
        std::lock_guard state(m_stateMutex);
        if (m_pendingStop) {
            m_pendingStop = false;
            return CORVIDASH_OK;
        }
        m_running = true;
        m_stop = false;
        m_runThread = std::this_thread::get_id();
    }
    DownloadJob job;
    {
        std::lock_guard lock(m_configMutex);
        job = m_config;
    }
    job.resume = resume;
    job.turbo = turbo;
    EngineLog::line(2, "start %s -> %s (resume %d, turbo %d)", job.url.c_str(), job.savePath.c_str(), resume, turbo);
    m_lastProgress = Clock::now();
    m_lastProgressBytes = 0;
    m_progressSent = false;
    m_errorText.clear();
    EngineError::clearNote();
    emit(CORVIDASH_EVENT_STARTED, 0, 0, -1);
    int64_t downloaded = 0, total = -1;
    const int code = runJob(job, downloaded, total);
    int result = code;
    if (code == RunResult::Stopped) {
        EngineLog::line(2, "stopped %s at %lld bytes", job.savePath.c_str(), static_cast<long long>(downloaded));
        result = CORVIDASH_OK;
    } else if (code == CORVIDASH_OK) {
        emit(CORVIDASH_EVENT_FINISHED, CORVIDASH_OK, downloaded, total < 0 ? downloaded : total);
    } else {
        m_errorText = EngineError::sentence(code, "The address holds no video");
        EngineLog::line(0, "download of %s failed: %d %s (%s)", job.url.c_str(), code, EngineError::text(code),
                        m_errorText.c_str());
        emit(CORVIDASH_EVENT_ERROR, code, downloaded, total);
    }
    {
        std::lock_guard state(m_stateMutex);
        m_running = false;
        m_runThread = {};
    }
    m_stateChanged.notify_all();
    return result;
}

void Downloader::stop()
{
    std::unique_lock state(m_stateMutex);
    if (!m_running) {
        m_pendingStop = true;
        return;
    }
    m_stop = true;
    if (m_runThread == std::this_thread::get_id())
        return; // from inside an event: the run ends when the callback returns
    m_stateChanged.wait(state, [this] { return !m_running; });
}

void Downloader::deleteTempFiles()
{
    bool running = false;
    {
        std::lock_guard state(m_stateMutex);
        running = m_running;
    }
    if (running)
        stop();
    std::string savePath;
    {
        std::lock_guard lock(m_configMutex);
        savePath = m_config.savePath;
    }
    if (savePath.empty())
        return;
    ::unlink(ControlFile::partPathFor(savePath).c_str());
    ::unlink(ControlFile::pathFor(savePath).c_str());
    ::unlink((ControlFile::pathFor(savePath) + ".new").c_str());
}
