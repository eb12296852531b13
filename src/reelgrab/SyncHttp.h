#pragma once

#include <QByteArray>
#include <QString>

#include <future>

// Blocking HTTP requests for threads without an event loop of their own (and for the few places
// that wait on purpose). While an application object exists, every request runs on one network
// thread the process keeps (so connections and set-up are shared); without one, on a short-lived
// thread of its own. No cookie is sent or kept.
namespace SyncHttp {

struct Response
{
    bool ok = false;            // an HTTP answer came (any status)
    int status = 0;
    QString mimeType;           // lower-case, without parameters; empty when none
    qint64 contentLength = -1;  // -1 when the server gives none
    QString suggestedFileName;  // Content-Disposition name, else the address's last component
    QByteArray body;            // GET only, at most maxBytes
    bool truncated = false;     // the body was longer than maxBytes
    QString error;
};

// Starts the network thread and has it set up its manager and the thread of its first request
// ahead of time; returns at once. Optional: the first request would do the same, later.
void prepare();

Response head(const QString &url, int timeoutMs);
// Sends a HEAD request and returns at once; the answer comes through the future. Without an
// application object it is answered before this returns.
std::shared_future<Response> startHead(const QString &url, int timeoutMs);
// The first count bytes (a ranged GET; a server without ranges is cut off after them).
Response firstBytes(const QString &url, qint64 count, int timeoutMs);
// A body longer than maxBytes is cut off and marked truncated.
Response get(const QString &url, qint64 maxBytes, int timeoutMs);

// The file name a Content-Disposition header suggests: filename*=UTF-8''name wins over
// filename="name"; empty when it names none.
QString fileNameFromDisposition(const QByteArray &header);

} // namespace SyncHttp
