#include "feedback/MailCoreUtilities.h"

#include <libetpan/libetpan.h>

#include <cstdlib>
#include <cstring>

std::optional<QString> MailCoreDecodeMIMEPhrase(const QByteArray &phrase)
{
    if (phrase.isEmpty())
        return QString();
    size_t index = 0;
    char *decoded = nullptr;
    if (mailmime_encoded_phrase_parse("UTF-8", phrase.constData(), size_t(phrase.size()), &index, "UTF-8", &decoded)
            != MAILIMF_NO_ERROR
        || !decoded)
        return std::nullopt;
    const QString result = QString::fromUtf8(decoded);
    free(decoded);
    return result;
}

QByteArray MailCoreEncodeMIMEPhrase(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    bool plain = true;
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f) {
            plain = false;
            break;
        }
    }
    // A text that merely looks like an encoded word is encoded too, so it reads back as written.
    if (plain && !utf8.contains("=?"))
        return utf8;

    // 36 bytes make a word of 60 characters: short enough for the library's folding to keep
    // it on the line of its header name, well under the 75 allowed.
    constexpr qsizetype kMaxBytes = 36;
    QByteArray out;
    qsizetype i = 0;
    while (i < utf8.size()) {
        qsizetype n = qMin(kMaxBytes, utf8.size() - i);
        // Never split a UTF-8 sequence between two words.
        while (n > 0 && i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80)
            --n;
        if (!out.isEmpty())
            out += ' ';
        out += "=?UTF-8?B?" + utf8.mid(i, n).toBase64() + "?=";
        i += n;
    }
    return out;
}

QStringList MailCoreStringArrayFromClist(clist *list)
{
    QStringList strings;
    if (!list)
        return strings;
    for (clistiter *it = clist_begin(list); it; it = clist_next(it))
        strings.append(QString::fromUtf8(static_cast<const char *>(clist_content(it))));
    return strings;
}

clist *MailCoreClistFromStringArray(const QStringList &strings)
{
    clist *list = clist_new();
    for (const QString &s : strings)
        clist_append(list, strdup(s.toUtf8().constData()));
    return list;
}
