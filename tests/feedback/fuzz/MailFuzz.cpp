// Any bytes read as a message are read or refused, never read outside what libetpan holds;
// and a message built with those bytes as its texts and attachment reads back what it rendered.
#include "feedback/CTCoreMessage.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    {
        CTCoreMessage m;
        if (m.initWithString(QString::fromUtf8(bytes))) {
            m.subject();
            m.body();
            m.htmlBody();
            m.hasHtmlBody();
            m.senderDate();
            m.messageAsEmlx();
            for (const CTBareAttachment &a : m.attachments()) {
                a.decodedFilename();
                a.fetchFullAttachment();
            }
        }
    }

    // The feedback message's shape, with the input in every field a user can type.
    const QString text = QString::fromUtf8(bytes);
    CTCoreMessage built;
    built.setTo({CTCoreAddress(QString(), QStringLiteral("support@example.org"))});
    built.setFrom({CTCoreAddress(text.left(40), QStringLiteral("sender@example.org"))});
    built.setSubject(text.left(200));
    built.setBody(text);
    built.addAttachment(CTCoreAttachment(bytes, QStringLiteral("application/gzip"), QStringLiteral("log.tar.gz")));
    const QByteArray rendered = built.render();
    if (rendered.isEmpty())
        __builtin_trap();
    CTCoreMessage read;
    if (!read.initWithString(QString::fromUtf8(rendered)))
        __builtin_trap();
    if (read.to().size() != 1 || read.to().first().email() != QStringLiteral("support@example.org"))
        __builtin_trap();
    if (read.from().size() != 1 || read.from().first().email() != QStringLiteral("sender@example.org"))
        __builtin_trap();
    const auto attachments = read.attachments();
    if (attachments.size() != 1)
        __builtin_trap();
    const auto full = attachments.first().fetchFullAttachment();
    if (!full || full->data() != bytes || full->filename() != QStringLiteral("log.tar.gz"))
        __builtin_trap();
    if (!read.body())
        __builtin_trap();
    return 0;
}
