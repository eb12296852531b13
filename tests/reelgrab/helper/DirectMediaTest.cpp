// Whether an address is the media file itself: its type, its name and its first bytes.
#include "reelgrab/DirectMedia.h"
#include "reelgrab/MediaFormatCode.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(const char *data, int size) { return QByteArray(data, size); }

// Transport-stream packets: the sync byte every 188 bytes.
QByteArray tsPackets(int packets, bool brokenRhythm = false)
{
    QByteArray b(188 * packets, '\x11');
    for (int i = 0; i < packets; ++i)
        b[188 * i] = '\x47';
    if (brokenRhythm && packets > 1)
        b[188] = '\x12';
    return b;
}

} // namespace

TEST(DirectMedia, TypeNameAndMagicTable)
{
    const QByteArray mp4 = bytes("\0\0\0\x18" "ftypisom\0\0\x02\0isomiso2", 24);
    const QByteArray mov = bytes("\0\0\0\x14" "ftypqt  \0\0\0\0qt  ", 20);
    const QByteArray oldMov = bytes("\0\0\0\x08" "wide\0\0\0\x10" "mdat", 16);
    const QByteArray webm = bytes("\x1A\x45\xDF\xA3\x9F\x42\x86\x81\x01\x42\x82\x84webm\x42\x87", 18);
    const QByteArray mkv = bytes("\x1A\x45\xDF\xA3\xA3\x42\x86\x81\x01\x42\x82\x88matroska", 20);
    const QByteArray id3 = bytes("ID3\x04\0\0\0\0\0\x21", 10);
    const QByteArray mp3Frame = bytes("\xFF\xFB\x90\x64\0\0", 6);
    const QByteArray ogg = bytes("OggS\0\x02\0\0\0\0", 10);
    const QByteArray flv = bytes("FLV\x01\x05\0\0\0\x09", 9);
    const QByteArray html = "\xEF\xBB\xBF\n  <!DOCTYPE html><html><body>";
    const QByteArray noise = bytes("\x13\x37\xC0\xDE\x99\x01\x02\x03\x04\x05", 10);
    const QByteArray empty;
    const QByteArray ts3 = tsPackets(3), ts1 = tsPackets(1), tsBroken = tsPackets(2, true);
    const QByteArray json = "{\"error\":1}", playlist = "#EXTM3U\n";
    struct Case
    {
        const char *name;
        const char *type;
        const char *suggested; // the file name the answer gives
        const char *url;
        const QByteArray *head; // nullptr: the first bytes could not be read
        bool media;
        const char *format;    // "" for 0
        const char *extension;
    } cases[] = {
        // What the bytes say wins for a type that says nothing.
        {"octet-stream MP4", "application/octet-stream", "object", "http://h/object", &mp4, true, "mp4 ", "mp4"},
        {"no type QuickTime", "", "object", "http://h/object", &mov, true, "mov ", "mov"},
        {"old QuickTime box", "", "object", "http://h/object", &oldMov, true, "mov ", "mov"},
        {"no type WebM", "", "clip", "http://h/clip", &webm, true, "webm", "webm"},
        {"octet-stream Matroska", "application/octet-stream", "x.bin", "http://h/x.bin", &mkv, true, "mkv ", "mkv"},
        {"no type MPEG-TS", "", "seg", "http://h/seg", &ts3, true, "ts  ", "ts"},
        {"a single TS packet", "", "seg", "http://h/seg", &ts1, true, "ts  ", "ts"},
        {"broken TS rhythm is not TS", "", "seg", "http://h/seg", &tsBroken, false, "", ""},
        {"octet-stream ID3", "application/octet-stream", "song", "http://h/song", &id3, true, "mp3 ", "mp3"},
        {"binary/octet-stream MP3 frame", "binary/octet-stream", "a", "http://h/a", &mp3Frame, true, "mp3 ", "mp3"},
        {"no type Ogg", "", "a", "http://h/a", &ogg, true, "ogg ", "ogg"},
        {"text/plain FLV", "text/plain", "a.flv", "http://h/a.flv", &flv, true, "flv ", "flv"},
        {"force-download MP4", "application/force-download", "a", "http://h/a", &mp4, true, "mp4 ", "mp4"},
        // Bytes that say nothing: the name decides.
        {"octet-stream, media name", "application/octet-stream", "film.mp4", "http://h/film.mp4", &noise, true, "mp4 ", "mp4"},
        {"no type, name in the path with a query", "", "", "http://h/v/film.webm?sig=a.b", &noise, true, "webm", "webm"},
        {"suggested name beats the path", "", "movie.mkv", "http://h/get?id=3", &noise, true, "mkv ", "mkv"},
        {"empty file with a media name", "", "clip.mp4", "http://h/clip.mp4", &empty, true, "mp4 ", "mp4"},
        {"octet-stream, other name", "application/octet-stream", "data.bin", "http://h/data.bin", &noise, false, "", ""},
        // A page is a page.
        {"markup behind a media name", "application/octet-stream", "film.mp4", "http://h/film.mp4", &html, false, "", ""},
        {"JSON behind a media name", "", "film.mp4", "http://h/film.mp4", &json, false, "", ""},
        {"playlist bytes", "", "x", "http://h/x", &playlist, false, "", ""},
        {"text/html with media bytes", "text/html", "film.mp4", "http://h/film.mp4", &mp4, false, "", ""},
        {"other type with media name", "application/json", "film.mp4", "http://h/film.mp4", &mp4, false, "", ""},
        {"neutral type, bytes unreadable", "application/octet-stream", "film.mp4", "http://h/film.mp4", nullptr, false, "", ""},
        // A media type is media; its format comes from the table alone.
        {"video/mp4", "video/mp4", "x", "http://h/x", nullptr, true, "mp4 ", ""},
        {"video type in capitals", "VIDEO/MP4", "x.mp4", "http://h/x.mp4", nullptr, true, "", "mp4"},
        {"audio/mpeg", "audio/mpeg", "x", "http://h/x", nullptr, true, "mp3 ", ""},
        {"audio type not in the table", "audio/ogg", "talk.ogg", "http://h/talk.ogg", nullptr, true, "", "ogg"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const DirectMedia::Verdict v = DirectMedia::decide(QString::fromLatin1(c.type), c.head,
                                                           QString::fromLatin1(c.suggested), QString::fromLatin1(c.url));
        EXPECT_EQ(v.media, c.media);
        const quint32 format = *c.format ? MediaFormatCode::fromString(QString::fromLatin1(c.format)) : 0;
        EXPECT_EQ(MediaFormatCode::toString(v.format).toStdString(), MediaFormatCode::toString(format).toStdString());
        EXPECT_EQ(v.extension.toStdString(), c.extension);
    }
}
