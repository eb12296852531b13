#pragma once

#include "engine/Corvidash.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Collects the events of one download handle.
class EventLog
{
public:
    static void callback(const CorvidashEvent *event, void *context);
    std::vector<CorvidashEvent> events();
    int count(int type);
    CorvidashEvent last();
    int64_t lastDownloaded();
    void clear();

private:
    std::mutex m_mutex;
    std::vector<CorvidashEvent> m_events;
};

namespace EngineTestData {
std::string bytes(size_t size, unsigned seed);
std::string readFile(const std::string &path);
bool exists(const std::string &path);
int64_t fileSize(const std::string &path);
void writeFile(const std::string &path, const std::string &data);
// A loopback port that was just free: nothing listens there.
int closedPort();
}

class EngineFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string &name) const { return m_dir + "/" + name; }
    // One blocking run on a fresh handle; returns VantrelStart's result.
    int download(const std::string &url, const std::string &savePath, bool resume = false, bool turbo = false);
    // Checks the event order of a run that was not stopped and its final code.
    // monotonic: downloaded never goes back (false where a stream must start over).
    void expectWellFormed(int code, bool monotonic = true);
    // Stops the run that another thread started on the handle, without its last events, and
    // waits for that thread.
    void stopRun(std::thread &run);

    LoopbackServer server;
    CorvidashDownload *handle = nullptr;
    std::string cookie; // what download() hands the engine as cookies
    EventLog log;
    std::string m_dir;
};
