#pragma once

#include <QByteArray>
#include <QString>

// Whether an address is a media file itself, from what its answer, its name and its first
// bytes say. Storage servers send media as "application/octet-stream" or with no type at all,
// so the type alone would send such a file to the page sniffer, which finds nothing in it.
class DirectMedia
{
public:
    // Enough to see a transport stream's packet rhythm and a Matroska document type.
    static constexpr int HeadBytes = 1024;

    struct Verdict
    {
        bool media = false;
        quint32 format = 0;  // four-character code; 0 when nothing says which
        QString extension;   // the file's extension when the bytes or the name tell it; else empty
    };

    // Media type of a direct download by its exact MIME type; 0 when not in the table.
    static quint32 formatForMime(const QString &mime);
    // A type that names video or sound.
    static bool isMediaType(const QString &mime);
    // A type that says nothing about the content: only the bytes or the name can tell.
    static bool isNeutralType(const QString &mime);
    // The format the first bytes of a file announce; 0 when they announce none.
    static Verdict ofBytes(const QByteArray &head);
    // Markup, a playlist or JSON: something the page sniffer reads.
    static bool bytesArePage(const QByteArray &head);
    // By the extension of a file name or an address's path; not media when it is not one of ours.
    static Verdict ofName(const QString &nameOrPath);
    // The whole decision. A media type is media (format from the table); a neutral type is
    // decided by the first bytes (page or media), then by the name; any other type is a page.
    // head: the first bytes, fetched only for a neutral type; without them a neutral type is a page.
    static Verdict decide(const QString &mime, const QByteArray *head, const QString &suggestedName, const QString &url);
};
