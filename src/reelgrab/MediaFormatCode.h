#pragma once

#include <QString>

// Format codes are 32-bit four-character codes, first character in the most significant byte.
namespace MediaFormatCode {

constexpr quint32 make(const char (&code)[5])
{
    return (quint32(quint8(code[0])) << 24) | (quint32(quint8(code[1])) << 16)
        | (quint32(quint8(code[2])) << 8) | quint32(quint8(code[3]));
}

constexpr quint32 MP4 = make("mp4 ");
constexpr quint32 MP4Video = make("mp4v"); // picture without sound
constexpr quint32 MP4Audio = make("mp4a"); // sound only
constexpr quint32 FLV = make("flv ");
constexpr quint32 TS = make("ts  ");
constexpr quint32 WebM = make("webm");
constexpr quint32 ThreeGP = make("3gp ");
constexpr quint32 Rev5 = make("rev5");
constexpr quint32 AD = make("ad  ");
constexpr quint32 MP3 = make("mp3 ");
constexpr quint32 Nil = make("nil ");

// The four characters, high byte first, trimmed of white space: "mp4 " gives "mp4".
QString extName(quint32 code);
// The four characters as they are ("mp4 ").
QString toString(quint32 code);
// The code of a text of up to four characters, padded with spaces.
quint32 fromString(const QString &text);

} // namespace MediaFormatCode
