#pragma once

#include "reelgrab/JSONError.h"

#include <QVariant>

#include <functional>

class QObject;

// Serialize options, as bits.
enum JKSerializeOptionFlags : quint32 {
    JKSerializeOptionNone = 0,
    JKSerializeOptionPretty = 1,               // line breaks, two-space indent, sorted keys
    JKSerializeOptionEscapeUnicode = 2,        // non-ASCII as \u escapes
    JKSerializeOptionEscapeForwardSlashes = 16,
    JKSerializeOptionValidFlags = 0x13,
};

// How the result is returned and what the top-level object must be (set by the entry points).
enum JKEncodeOptionType : quint32 {
    JKEncodeOptionAsData = 1,
    JKEncodeOptionAsString = 2,
    JKEncodeOptionAsTypeMask = 0x7,
    JKEncodeOptionCollectionObj = 8,
    JKEncodeOptionStringObj = 16,
    JKEncodeOptionStringObjTrimQuotes = 32,
};

// Writes plain values as UTF-8 JSON: QVariantList/QStringList/QCborArray as arrays,
// QVariantMap/QVariantHash/QCborMap as objects (keys must be strings), QString, numbers by their
// stored type, bool and null. Any other value is offered once to the block or the delegate for a
// replacement.
class JKSerializer
{
public:
    // Returns a replacement for a value the encoder cannot write; an invalid QVariant for none.
    using UnsupportedBlock = std::function<QVariant(const QVariant &)>;

    // The result is a QByteArray (encode as data) or a QString (as string); an invalid QVariant
    // with *error set on failure. `selector` names a Q_INVOKABLE method of delegate taking and
    // returning QVariant; a delegate without one, or one that lacks the method, throws
    // std::invalid_argument.
    static QVariant serializeObject(const QVariant &object, quint32 options, quint32 encodeOption,
                                    const UnsupportedBlock &block, QObject *delegate, const char *selector,
                                    JSONError *error);
};
