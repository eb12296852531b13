#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariantList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// One method the peer may be asked to perform: its selector and the type codes of its
// arguments after receiver and selector ("@" object, "f" float, "d" double, "i"/"I"/"S"/"L"
// 32-bit integer, "q" 64-bit integer, "c" boolean).
struct RmiMethod
{
    QString selector;
    QString argumentTypes;
};

struct RmiProtocol
{
    QList<RmiMethod> required;
    QList<RmiMethod> optional;
    bool isEmpty() const { return required.isEmpty() && optional.isEmpty(); }
    // Required methods first, then optional ones.
    std::optional<RmiMethod> find(const QString &selector) const;
};

// Receiver of calls that arrive from the peer, always on the main thread.
class RmiTarget
{
public:
    virtual ~RmiTarget() = default;
    // The argument type codes of selector, or nothing when the target has no such method.
    virtual std::optional<QString> rmiMethodSignature(const QString &selector) const = 0;
    virtual void rmiInvoke(const QString &selector, const QVariantList &arguments) = 0;
};

// One-way remote method calls between two processes of one user over three UNIX-domain
// sockets ("R" server to client, "S" client to server, "C" heartbeat). A frame is a 4-byte
// native-order length and a keyed archive; bodies above 10240 bytes go in 10240-byte pieces with
// a "c" handshake between pieces while more than one piece remains; every body is acknowledged
// with "a". The server checks the client once a second ("c" answered by "s").
class QVRmiConnection : public QObject
{
    Q_OBJECT
public:
    enum Status : quint32 { Connecting = 0, Connected = 1, Invalidated = 2, Failed = 3 };

    static constexpr int ChunkSize = 10240;
    static constexpr qint32 MaxFrameSize = 16 * 1024 * 1024;
    static constexpr const char *SelectorKey = "kIMReceiveMethodSelectorString";
    static constexpr const char *DidFinishInitNotification = "IMConnectionDidFinishInitNotification";
    static constexpr const char *DidDieNotification = "IMConnectionDidDieNotification";
    static constexpr const char *DidReceiveDataNotification = "IMConnectionDidReceiveDataNotification";
    static constexpr const char *DidStartListeningNotification = "IMConnectionDidStartedListeningNotification";
    // A server that cannot listen says so (object: the connection), so its owner can give up
    // instead of waiting for a peer that will never come.
    static constexpr const char *DidFailListeningNotification = "IMConnectionDidFailListeningNotification";
    static constexpr const char *ReceivedDataKey = "kIMConnectionReceivedData";

    // initConnectionWithAddress:isServer:. An empty address makes the server generate one.
    QVRmiConnection(const QString &address, bool isServer, QObject *parent = nullptr);
    ~QVRmiConnection() override;

    void setTargetObject(RmiTarget *target) { m_target = target; }
    RmiTarget *targetObject() const { return m_target; }
    void setRemoteObjectProtocol(const RmiProtocol &protocol);
    void setBExitOnCheckFailed(bool exit) { m_exitOnCheckFailed = exit; }
    bool bExitOnCheckFailed() const { return m_exitOnCheckFailed; }
    // The recorder's build announces listening before it accepts.
    void setPostsListeningNotification(bool posts) { m_postsListening = posts; }

    Status status() const { return Status(m_status.load()); }
    void setStatus(Status status) { m_status.store(status); }
    int readySocketCount() const { return m_ready.load(); }
    bool isValid() const { const auto s = status(); return s == Connecting || s == Connected; }
    bool isCancelable() const { return status() != Connecting; }
    bool isServer() const { return m_isServer; }

    void start();
    QString serverAddress() const;
    void invalidate();

    // Forwards a call of the remote protocol; false when the method is not in it or the call
    // could not be queued. Returns at once.
    bool forwardCall(const QString &selector, const QVariantList &arguments);
    bool sendMessage(const QString &name, const QByteArray &object);

    static QByteArray archiveCall(const QString &selector, const QString &types, const QVariantList &arguments);
    // Decodes against the target's signature; false on a malformed body.
    static bool unarchiveCall(const QByteArray &body, QString *selector, const std::function<std::optional<QString>(const QString &)> &signature,
                              QVariantList *arguments);

    // Shortens the heartbeat's 60-second receive time-out (tests of a silent peer).
    static void setHeartbeatTimeoutForTesting(int ms);

    // Wire helpers, exposed for byte-level tests: send and receive one frame on a blocking socket.
    static bool sendFrame(int fd, const QByteArray &body);
    enum class ReceiveResult { Ok, TimedOut, Failed };
    static ReceiveResult receiveFrame(int fd, QByteArray *body);

private:
    void acceptLoop(int listenFd);
    void runSocket(char kind, int fd, bool server);
    void clientThread(char kind);
    void sendLoop(int fd);
    void receiveLoop(int fd);
    void checkLoop(int fd, bool server);
    void socketReady();
    void socketEnded(int fd, const QByteArray &path);
    void fail();
    void failListening();
    void post(const char *name, const QVariantMap &userInfo = {});
    void deliver(const QByteArray &body);
    void spawn(std::function<void()> fn);

    QString m_address;
    bool m_isServer;
    RmiTarget *m_target = nullptr;
    RmiProtocol m_protocol;
    bool m_hasProtocol = false;
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_exitOnCheckFailed{false};
    bool m_postsListening = false;
    std::atomic<quint32> m_status{Connecting};
    std::atomic<int> m_ready{0};

    std::mutex m_sendLock;
    std::condition_variable m_sendReady;
    std::deque<QByteArray> m_sendQueue;
    std::atomic<bool> m_diePosted{false};
    int m_listenFd = -1;

    std::mutex m_threadsLock;
    std::vector<std::thread> m_threads;
    std::vector<int> m_fds;  // sockets to shut down on invalidate so blocked threads wake
    int m_observer = 0;
};
