#pragma once

#include <QByteArray>
#include <QCborMap>
#include <QString>

// Records between Reelgrab and its page-loading child (ReelgrabWebSniffer): each one is a
// 4-byte big-endian length followed by that many bytes of a CBOR map. The request goes to the
// child's standard input, the findings come back on its standard output.
namespace WebSnifferWire {

// One record; anything longer is a broken stream, never an allocation.
inline constexpr qint32 MaxRecordBytes = 1024 * 1024;
// Everything one run may write; a child that talks on and on is stopped.
inline constexpr qint64 MaxStreamBytes = 32 * 1024 * 1024;

// The child's program name, installed next to Reelgrab.
inline constexpr const char *ChildProgram = "ReelgrabWebSniffer";

struct Request
{
    QString pageUrl;
    QString userAgent;
    int seconds = 0; // the child ends itself after this long
};

// What the child reports, in the order it happens.
struct Event
{
    // Progress: the page's own load progress in percent (in length). Settled: the page has
    // loaded and its network has been quiet for a while; nothing more is likely to come.
    enum Kind { Response, Title, Icon, LoadFailed, Progress, Settled };
    Kind kind = Response;
    QString url;          // Response
    QString mime;         // Response
    qint64 length = -1;   // Response: bytes, -1 when unknown; Progress: percent
    QString ext;          // Response
    QString text;         // Title, LoadFailed
    QByteArray png;       // Icon
};

QByteArray frame(const QCborMap &record);
QByteArray encodeRequest(const Request &request);
QByteArray encodeEvent(const Event &event);

// The outcome of looking at the front of a buffer.
enum class Take { NeedMore, Record, Broken };

// Takes one whole record off the front of buffer into *record. Broken (with *error) for a length
// that is negative or above MaxRecordBytes, or bytes that are not one CBOR map.
Take takeRecord(QByteArray &buffer, QCborMap *record, QString *error);

// Reads a record as a request or an event; false (with *error) when a field is missing or of
// the wrong type, or the kind is unknown.
bool decodeRequest(const QCborMap &record, Request *request, QString *error);
bool decodeEvent(const QCborMap &record, Event *event, QString *error);

} // namespace WebSnifferWire
