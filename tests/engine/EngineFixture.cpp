#include "EngineFixture.h"

#include "support/TestEnvironment.h"

#include <QDir>

#include <fstream>
#include <random>
#include <sys/stat.h>

void EventLog::callback(const CorvidashEvent *event, void *context)
{
    auto *self = static_cast<EventLog *>(context);
    std::lock_guard lock(self->m_mutex);
    self->m_events.push_back(*event);
}

std::vector<CorvidashEvent> EventLog::events()
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

int EventLog::count(int type)
{
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const auto &e : m_events)
        n += e.type == type ? 1 : 0;
    return n;
}

CorvidashEvent EventLog::last()
{
    std::lock_guard lock(m_mutex);
    return m_events.empty() ? CorvidashEvent{} : m_events.back();
}

int64_t EventLog::lastDownloaded()
{
    std::lock_guard lock(m_mutex);
    return m_events.empty() ? 0 : m_events.back().downloaded;
}

void EventLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

namespace EngineTestData {

std::string bytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string out(size, '\0');
    for (auto &c : out)
        c = static_cast<char>(rng());
    return out;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool exists(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

int64_t fileSize(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

void writeFile(const std::string &path, const std::string &data)
{
    std::ofstream out(path, std::ios::binary);
    out << data;
}

int closedPort()
{
    LoopbackServer gone;
    return gone.port();
}

} // namespace EngineTestData

void EngineFixture::SetUp()
{
    m_dir = (TestEnvironment::home() + "/engine").toStdString();
    QDir().mkpath(QString::fromStdString(m_dir));
    handle = VantrelCreate();
    ASSERT_NE(handle, nullptr);
}

void EngineFixture::TearDown()
{
    VantrelRelease(handle);
}

int EngineFixture::download(const std::string &url, const std::string &savePath, bool resume, bool turbo)
{
    VantrelSetUrl(handle, url.c_str());
    VantrelSetSavePath(handle, savePath.c_str());
    VantrelSetUserAgent(handle, "");
    VantrelSetCookie(handle, cookie.c_str());
    VantrelSetCallback(handle, &EventLog::callback, &log);
    return VantrelStart(handle, resume ? 1 : 0, turbo ? 1 : 0);
}

void EngineFixture::expectWellFormed(int code, bool monotonic)
{
    const auto events = log.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front().type, CORVIDASH_EVENT_STARTED);
    const int terminal = code == 0 ? CORVIDASH_EVENT_FINISHED : CORVIDASH_EVENT_ERROR;
    EXPECT_EQ(events.back().type, terminal);
    EXPECT_EQ(events.back().code, code) << CorvidashErrorString(events.back().code);
    EXPECT_EQ(log.count(CORVIDASH_EVENT_STARTED), 1);
    EXPECT_EQ(log.count(CORVIDASH_EVENT_FINISHED) + log.count(CORVIDASH_EVENT_ERROR), 1);
    int64_t previous = 0;
    for (size_t i = 1; i + 1 < events.size(); ++i) {
        EXPECT_EQ(events[i].type, CORVIDASH_EVENT_PROGRESS);
        if (monotonic) {
            EXPECT_GE(events[i].downloaded, previous);
        }
        previous = events[i].downloaded;
    }
}

void EngineFixture::stopRun(std::thread &run)
{
    VantrelSetCallback(handle, nullptr, nullptr);
    VantrelStop(handle);
    run.join();
}
