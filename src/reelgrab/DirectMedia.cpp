#include "reelgrab/DirectMedia.h"

#include "reelgrab/MediaFormatCode.h"

#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <cstring>
#include <initializer_list>

namespace {

bool at(const QByteArray &b, qsizetype offset, const char *magic, qsizetype length)
{
    return b.size() >= offset + length && std::memcmp(b.constData() + offset, magic, size_t(length)) == 0;
}

quint8 byte(const QByteArray &b, qsizetype i) { return quint8(b.at(i)); }

DirectMedia::Verdict media(const char (&code)[5], const char *extension)
{
    return {true, MediaFormatCode::make(code), QString::fromLatin1(extension)};
}

// Sync byte 0x47 at the start of every 188-byte packet the head holds.
bool transportStream(const QByteArray &b)
{
    if (b.size() < 188)
        return false;
    for (qsizetype i = 0; i < b.size(); i += 188)
        if (byte(b, i) != 0x47)
            return false;
    return true;
}

// An MPEG audio frame header: eleven set sync bits, a version, a layer and a bit rate that exist.
bool mpegAudioFrame(const QByteArray &b)
{
    if (b.size() < 4 || byte(b, 0) != 0xFF || (byte(b, 1) & 0xE0) != 0xE0)
        return false;
    const int version = (byte(b, 1) >> 3) & 3, layer = (byte(b, 1) >> 1) & 3, rate = byte(b, 2) >> 4;
    return version != 1 && layer != 0 && rate != 0 && rate != 15 && ((byte(b, 2) >> 2) & 3) != 3;
}

bool adtsFrame(const QByteArray &b)
{
    return b.size() >= 7 && byte(b, 0) == 0xFF && (byte(b, 1) & 0xF6) == 0xF0 && ((byte(b, 2) >> 2) & 0xF) < 13;
}

} // namespace

bool DirectMedia::isNeutralType(const QString &mime)
{
    const QString m = mime.trimmed().toLower();
    for (const char *neutral : {"", "application/octet-stream", "binary/octet-stream", "application/x-octet-stream",
                                "application/binary", "application/unknown", "application/force-download",
                                "application/download", "application/x-download", "text/plain"})
        if (m == QLatin1String(neutral))
            return true;
    return false;
}

DirectMedia::Verdict DirectMedia::ofBytes(const QByteArray &b)
{
    if (at(b, 4, "ftyp", 4)) {
        if (at(b, 8, "qt  ", 4))
            return media("mov ", "mov");
        if (at(b, 8, "M4A ", 4))
            return media("mp4a", "m4a");
        if (at(b, 8, "3g", 2))
            return media("3gp ", "3gp");
        return media("mp4 ", "mp4");
    }
    // Older QuickTime files open with another top-level box.
    const quint32 boxSize = b.size() >= 4 ? (quint32(byte(b, 0)) << 24) | (byte(b, 1) << 16) | (byte(b, 2) << 8) | byte(b, 3) : 0;
    for (const char *box : {"moov", "mdat", "wide", "free", "skip"})
        if (at(b, 4, box, 4) && (boxSize == 1 || boxSize >= 8))
            return media("mov ", "mov");
    if (at(b, 0, "\x1A\x45\xDF\xA3", 4)) {
        const QByteArray header = b.left(64);
        return header.contains("webm") ? media("webm", "webm") : media("mkv ", "mkv");
    }
    if (at(b, 0, "FLV\x01", 4))
        return media("flv ", "flv");
    if (at(b, 0, "OggS", 4))
        return media("ogg ", "ogg");
    if (at(b, 0, "fLaC", 4))
        return media("flac", "flac");
    if (at(b, 0, "RIFF", 4) && at(b, 8, "AVI ", 4))
        return media("avi ", "avi");
    if (at(b, 0, "RIFF", 4) && at(b, 8, "WAVE", 4))
        return media("wav ", "wav");
    if (at(b, 0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8))
        return media("wmv ", "wmv");
    if (at(b, 0, "\x00\x00\x01\xBA", 4))
        return media("mpeg", "mpg");
    if (transportStream(b))
        return media("ts  ", "ts");
    if (at(b, 0, "ID3", 3) || mpegAudioFrame(b))
        return media("mp3 ", "mp3");
    if (adtsFrame(b))
        return media("aac ", "aac");
    return {};
}

bool DirectMedia::bytesArePage(const QByteArray &b)
{
    qsizetype i = at(b, 0, "\xEF\xBB\xBF", 3) ? 3 : 0;
    while (i < b.size() && QByteArrayView(" \t\r\n").contains(b.at(i)))
        ++i;
    if (i >= b.size())
        return false;
    const char c = b.at(i);
    return c == '<' || c == '{' || c == '[' || b.mid(i, 7) == "#EXTM3U";
}

DirectMedia::Verdict DirectMedia::ofName(const QString &nameOrPath)
{
    const QString ext = QFileInfo(nameOrPath.section(u'/', -1)).suffix().toLower();
    static const struct
    {
        const char *extension;
        const char *code;
    } names[] = {{"mp4", "mp4 "},  {"m4v", "mp4 "}, {"m4a", "mp4a"}, {"mov", "mov "}, {"flv", "flv "},
                 {"webm", "webm"}, {"mkv", "mkv "}, {"avi", "avi "}, {"mpeg", "mpeg"}, {"mpg", "mpeg"},
                 {"mp3", "mp3 "},  {"wav", "wav "}, {"ts", "ts  "},  {"3gp", "3gp "}, {"ogg", "ogg "},
                 {"ogv", "ogg "},  {"oga", "ogg "}, {"aac", "aac "}, {"wmv", "wmv "}, {"opus", "ogg "},
                 {"flac", "flac"}};
    for (const auto &n : names)
        if (ext == QLatin1String(n.extension))
            return {true, MediaFormatCode::fromString(QString::fromLatin1(n.code)), ext};
    return {};
}

quint32 DirectMedia::formatForMime(const QString &mime)
{
    static const QHash<QString, const char *> table{
        {QStringLiteral("video/flv"), "flv "},           {QStringLiteral("video/x-flv"), "flv "},
        {QStringLiteral("binary/octet-stream"), "mp4 "}, {QStringLiteral("video/mp4"), "mp4 "},
        {QStringLiteral("audio/mpeg"), "mp3 "},          {QStringLiteral("audio/x-mpeg"), "mp3 "},
        {QStringLiteral("application/x-octet-stream"), "mp3 "}, {QStringLiteral("application/octet-stream"), "mp4 "},
        {QStringLiteral("video/"), "flv "},              {QStringLiteral("text/plain"), "flv "},
        {QStringLiteral("video/x-msvideo"), "avi "},     {QStringLiteral("audio/x-wav"), "wav "},
        {QStringLiteral("video/mpeg"), "mpeg"},          {QStringLiteral("video/quicktime"), "mov "},
        {QStringLiteral("flv-application/octet-stream"), "flv "},
        {QStringLiteral("application/x-rhapsodycontent"), "mp3 "}, {QStringLiteral("audio/mp4"), "mp4a"}};
    const auto it = table.constFind(mime);
    return it == table.constEnd() ? 0 : MediaFormatCode::fromString(QString::fromLatin1(*it));
}

bool DirectMedia::isMediaType(const QString &mime)
{
    const QString m = mime.trimmed().toLower();
    return m.contains(QLatin1String("video")) || m.startsWith(QLatin1String("audio/"));
}

DirectMedia::Verdict DirectMedia::decide(const QString &mime, const QByteArray *head, const QString &suggestedName,
                                         const QString &url)
{
    if (isMediaType(mime)) // the format is the table's alone: the type is what the server vouches for
        return {true, formatForMime(mime), ofName(suggestedName).extension};
    if (!isNeutralType(mime) || !head || bytesArePage(*head))
        return {};
    if (const Verdict v = ofBytes(*head); v.media)
        return v;
    if (const Verdict v = ofName(suggestedName); v.media)
        return v;
    return ofName(QUrl(url).path());
}
