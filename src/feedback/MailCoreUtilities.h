#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

typedef struct clist_s clist;

// Empty for an empty phrase; the phrase with its MIME encoded words decoded to UTF-8, or
// nothing when it cannot be parsed.
std::optional<QString> MailCoreDecodeMIMEPhrase(const QByteArray &phrase);
// A header text safe to write as it is (printable ASCII and spaces), or else RFC 2047 encoded
// words in UTF-8 Base64, each at most 60 characters and separated by spaces so the header can
// fold between them. Line breaks in the text never reach the header as line breaks.
QByteArray MailCoreEncodeMIMEPhrase(const QString &text);
QStringList MailCoreStringArrayFromClist(clist *list);
// A new list of malloc'ed UTF-8 copies; the caller frees it (clist_foreach free, clist_free).
clist *MailCoreClistFromStringArray(const QStringList &strings);
