#pragma once

#include <QByteArray>
#include <QString>

// Blocking HTTP requests for threads without an event loop of their own (and for the few places
// that wait on purpose). Each request runs on a short-lived thread with its own network access;
// no cookie is sent or kept.
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

Response head(const QString &url, int timeoutMs);
// A body longer than maxBytes is cut off and marked truncated.
Response get(const QString &url, qint64 maxBytes, int timeoutMs);

} // namespace SyncHttp
