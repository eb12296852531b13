#include "reelgrab/WebSnifferWire.h"

#include <QCborStreamReader>
#include <QCborValue>
#include <QtEndian>

namespace WebSnifferWire {

namespace {

const QString kKind = QStringLiteral("kind");

bool textField(const QCborMap &record, const QString &key, QString *out, QString *error, bool required = true)
{
    const QCborValue value = record.value(key);
    if (value.isString()) {
        *out = value.toString();
        return true;
    }
    if (value.isUndefined() && !required)
        return true;
    if (error)
        *error = QStringLiteral("field \"%1\" is not text").arg(key);
    return false;
}

} // namespace

QByteArray frame(const QCborMap &record)
{
    const QByteArray body = record.toCborValue().toCbor();
    QByteArray out(4, Qt::Uninitialized);
    qToBigEndian<qint32>(qint32(body.size()), out.data());
    return out + body;
}

QByteArray encodeRequest(const Request &request)
{
    QCborMap m;
    m.insert(QStringLiteral("url"), request.pageUrl);
    m.insert(QStringLiteral("agent"), request.userAgent);
    m.insert(QStringLiteral("seconds"), request.seconds);
    return frame(m);
}

QByteArray encodeEvent(const Event &event)
{
    QCborMap m;
    switch (event.kind) {
    case Event::Response:
        m.insert(kKind, QStringLiteral("response"));
        m.insert(QStringLiteral("url"), event.url);
        m.insert(QStringLiteral("mime"), event.mime);
        m.insert(QStringLiteral("length"), event.length);
        m.insert(QStringLiteral("ext"), event.ext);
        break;
    case Event::Title:
        m.insert(kKind, QStringLiteral("title"));
        m.insert(QStringLiteral("text"), event.text);
        break;
    case Event::Icon:
        m.insert(kKind, QStringLiteral("icon"));
        m.insert(QStringLiteral("png"), event.png);
        break;
    case Event::LoadFailed:
        m.insert(kKind, QStringLiteral("load-failed"));
        m.insert(QStringLiteral("text"), event.text);
        break;
    case Event::Progress:
        m.insert(kKind, QStringLiteral("progress"));
        m.insert(QStringLiteral("percent"), event.length);
        break;
    case Event::Settled:
        m.insert(kKind, QStringLiteral("settled"));
        break;
    }
    return frame(m);
}

Take takeRecord(QByteArray &buffer, QCborMap *record, QString *error)
{
    if (buffer.size() < 4)
        return Take::NeedMore;
    const qint32 length = qFromBigEndian<qint32>(buffer.constData());
    if (length < 0 || length > MaxRecordBytes) {
        if (error)
            *error = QStringLiteral("a record of %1 bytes (at most %2)").arg(length).arg(MaxRecordBytes);
        return Take::Broken;
    }
    if (buffer.size() - 4 < length)
        return Take::NeedMore;
    const QByteArray body = buffer.mid(4, length);
    buffer.remove(0, 4 + length);
    QCborStreamReader reader(body);
    const QCborValue value = QCborValue::fromCbor(reader);
    if (reader.lastError() != QCborError::NoError || reader.currentOffset() != body.size() || !value.isMap()) {
        if (error)
            *error = QStringLiteral("a record that is not one CBOR map");
        return Take::Broken;
    }
    *record = value.toMap();
    return Take::Record;
}

bool decodeRequest(const QCborMap &record, Request *request, QString *error)
{
    Request r;
    if (!textField(record, QStringLiteral("url"), &r.pageUrl, error)
        || !textField(record, QStringLiteral("agent"), &r.userAgent, error, false))
        return false;
    const QCborValue seconds = record.value(QStringLiteral("seconds"));
    if (!seconds.isInteger() || seconds.toInteger() <= 0 || seconds.toInteger() > 24 * 3600) {
        if (error)
            *error = QStringLiteral("field \"seconds\" is not a time limit");
        return false;
    }
    r.seconds = int(seconds.toInteger());
    *request = r;
    return true;
}

bool decodeEvent(const QCborMap &record, Event *event, QString *error)
{
    QString kind;
    if (!textField(record, kKind, &kind, error))
        return false;
    Event e;
    if (kind == QLatin1String("response")) {
        e.kind = Event::Response;
        if (!textField(record, QStringLiteral("url"), &e.url, error) || !textField(record, QStringLiteral("mime"), &e.mime, error)
            || !textField(record, QStringLiteral("ext"), &e.ext, error, false))
            return false;
        const QCborValue length = record.value(QStringLiteral("length"));
        if (!length.isInteger() || length.toInteger() < -1) {
            if (error)
                *error = QStringLiteral("field \"length\" is not a length");
            return false;
        }
        e.length = length.toInteger();
        if (e.url.isEmpty()) {
            if (error)
                *error = QStringLiteral("a response without an address");
            return false;
        }
    } else if (kind == QLatin1String("title") || kind == QLatin1String("load-failed")) {
        e.kind = kind == QLatin1String("title") ? Event::Title : Event::LoadFailed;
        if (!textField(record, QStringLiteral("text"), &e.text, error))
            return false;
    } else if (kind == QLatin1String("progress")) {
        e.kind = Event::Progress;
        const QCborValue percent = record.value(QStringLiteral("percent"));
        if (!percent.isInteger() || percent.toInteger() < 0 || percent.toInteger() > 100) {
            if (error)
                *error = QStringLiteral("field \"percent\" is not a percentage");
            return false;
        }
        e.length = percent.toInteger();
    } else if (kind == QLatin1String("settled")) {
        e.kind = Event::Settled;
    } else if (kind == QLatin1String("icon")) {
        e.kind = Event::Icon;
        const QCborValue png = record.value(QStringLiteral("png"));
        if (!png.isByteArray()) {
            if (error)
                *error = QStringLiteral("field \"png\" is not bytes");
            return false;
        }
        e.png = png.toByteArray();
    } else {
        if (error)
            *error = QStringLiteral("a record of unknown kind \"%1\"").arg(kind.left(40));
        return false;
    }
    *event = e;
    return true;
}

} // namespace WebSnifferWire
