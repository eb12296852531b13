#pragma once

#include "extension/json/SBJsonBase.h"
#include "extension/json/SBJsonValue.h"

#include <QByteArray>
#include <optional>

// Reads JSON text into values: an object or an array at the top level, numbers kept exact,
// every failure a code and a text in the error trace (innermost first), never an exception.
class SBJsonParser : public SBJsonBase
{
    Q_OBJECT

public:
    explicit SBJsonParser(QObject *parent = nullptr);

    std::optional<SBJsonValue> objectWithString(const QString &text);
    // The file's bytes as they are; bytes that are not UTF-8 inside a string fail the parse.
    // The text ends at the first zero byte.
    std::optional<SBJsonValue> objectWithUtf8(const QByteArray &utf8);
    // As above; on failure the last error of the trace goes to *error when given.
    std::optional<SBJsonValue> objectWithString(const QString &text, SBJsonError *error);

private:
    bool scanValue(SBJsonValue &out);
    bool scanRestOfArray(SBJsonValue &out);
    bool scanRestOfObject(SBJsonValue &out);
    bool scanRestOfString(QString &out);
    bool scanNumber(SBJsonValue &out);
    bool scanUnicodeChar(QString &out);
    bool scanHexQuad(unsigned &out);
    bool scanLiteral(const char *rest, const char *message);
    void skipWhitespace();
    bool appendUtf8Run(QString &out, const char *begin, const char *end);

    const char *m_c = nullptr;
};
