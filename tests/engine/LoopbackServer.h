#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 for the engine's tests: ranges,
// per-connection throttling, dropped and stalled bodies, lying lengths,
// redirects and delays, gates that hold a body part-way, with a count of what was asked.
class LoopbackServer
{
public:
    struct Resource
    {
        std::string body;
        std::string contentType = "application/octet-stream";
        bool ranges = true;
        int64_t bytesPerSecond = 0;  // per response; 0 unlimited
        int64_t pieceBytes = 16384;  // bytes a write: small ones make a slow rate a trickle
        int64_t burstBytes = 0;      // pacing: after each burst of this many bytes...
        int burstPauseMs = 0;        // ...nothing for this long (as servers that throttle in steps do)
        int delayMs = 0;             // before each response
        int64_t dropAfter = -1;      // close after this many body bytes...
        int drops = 0;               // ...for this many responses (-1: always)
        int status = 200;
        std::string location;        // with a 3xx status
        int64_t announcedLength = -1; // Content-Length to claim instead of the real one
        bool stall = false;          // send the headers, then nothing
        bool chunked = false;        // no Content-Length
        bool endless = false;        // no Content-Length; the body repeats until the client hangs up
                                     // (or 64 MiB went out: a test must never fill the disk itself)
        bool closeAtOnce = false;    // close without answering
        std::string etag = "\"v1\"";
        std::vector<std::pair<std::string, std::string>> headers;
    };

    // address: any 127.x.y.z, so a test can play two hosts.
    explicit LoopbackServer(const std::string &address = "127.0.0.1");
    ~LoopbackServer();

    void add(const std::string &path, Resource resource);
    std::string url(const std::string &path) const;
    int port() const { return m_port; }
    int requests(const std::string &path);
    int maxConcurrent(const std::string &path);
    int maxConcurrentOverall();
    // TCP connections taken so far: fewer than requests when connections are re-used.
    int connectionsAccepted();
    // Responses for the path being answered right now.
    int concurrent(const std::string &path);
    int64_t bodyBytesSent(const std::string &path);
    // The part of the body each response sent, [first, end), in the order they began.
    std::vector<std::pair<int64_t, int64_t>> servedRanges(const std::string &path);
    // Body bytes sent more than once: what all responses sent minus the bytes they covered.
    int64_t bytesSentAgain(const std::string &path);
    std::vector<std::string> rangeHeaders(const std::string &path);
    // Holds every response for the path once its body bytes sent (as bodyBytesSent counts them)
    // reach `bytes`, until release(path): a test that cuts a run there knows it has not finished,
    // however late it gets to the cut on a busy machine.
    void gate(const std::string &path, int64_t bytes);
    void release(const std::string &path);
    // The Cookie header of each request ("" when none was sent).
    std::vector<std::string> cookieHeaders(const std::string &path);

private:
    // A body is kept once and shared by every response that sends it: copying a large file per
    // request would make the server, not the client, the slow side of a measurement.
    struct Stored
    {
        Resource resource; // without its body
        std::shared_ptr<const std::string> body;
    };

    struct Stats
    {
        int requests = 0;
        int active = 0;
        int maxActive = 0;
        int64_t bytes = 0;
        int64_t sending = 0; // taken from the gate, on their way
        std::vector<std::string> ranges;
        std::vector<std::string> cookies;
        std::vector<std::pair<int64_t, int64_t>> served;
    };

    void acceptLoop();
    void serve(int fd);
    bool respond(int fd, const std::string &method, const std::string &path,
                 const std::map<std::string, std::string> &headers);
    bool sendAll(int fd, const char *data, size_t size);
    // How much of `wanted` may go out now: waits while the path's gate is reached; 0 once the
    // server stops or the client hung up meanwhile. Counts the bytes as on their way.
    int64_t passGate(int fd, const std::string &key, int64_t wanted);
    // Returns once the server is stopping.
    void waitForStop();

    std::string m_address;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::mutex m_stopMutex;
    std::condition_variable m_stopped;
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::map<std::string, Stored> m_resources;
    std::map<std::string, Stats> m_stats;
    std::map<std::string, int64_t> m_gates;
    std::condition_variable m_gateChanged; // with m_mutex
    std::vector<std::thread> m_threads;
    std::vector<int> m_clients;
    int m_active = 0;
    int m_maxActive = 0;
    int m_accepted = 0;
};
