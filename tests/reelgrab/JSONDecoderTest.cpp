#include "reelgrab/JSONDecoder.h"
#include "reelgrab/JSONKit.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QVariant decode(const QByteArray &text, quint32 options = 0, JSONError *error = nullptr)
{
    JSONDecoder decoder(options);
    return decoder.objectWithUTF8String(text.constData(), text.size(), error);
}

QString errorOf(const QByteArray &text, quint32 options = 0)
{
    JSONError error;
    const QVariant v = decode(text, options, &error);
    if (v.isValid())
        return QStringLiteral("<accepted>");
    EXPECT_EQ(error.domain, QStringLiteral("JKErrorDomain"));
    EXPECT_EQ(error.code, -1);
    return error.message;
}

QString suiteFolder()
{
    const QString env = qEnvironmentVariable("FENNIX_JSON_TEST_SUITE");
    return env.isEmpty() ? QStringLiteral(JSON_TEST_SUITE_DIR) : env;
}

} // namespace

TEST(JSONDecoder, ValuesAndTheirTypes)
{
    const QVariant v = decode(R"({"s":"x\u00e9\n","i":-5,"u":18446744073709551615,"big":9223372036854775807,
        "d":1.5e2,"z":-0,"t":true,"f":false,"n":null,"a":[],"o":{},"e":""})");
    ASSERT_EQ(v.metaType().id(), QMetaType::QVariantMap);
    const QVariantMap m = v.toMap();
    EXPECT_EQ(m.value(QStringLiteral("s")), QVariant(QStringLiteral("x\u00e9\n")));
    EXPECT_EQ(m.value(QStringLiteral("i")).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(m.value(QStringLiteral("i")).toLongLong(), -5);
    EXPECT_EQ(m.value(QStringLiteral("u")).metaType().id(), QMetaType::ULongLong);
    EXPECT_EQ(m.value(QStringLiteral("u")).toULongLong(), 18446744073709551615ULL);
    EXPECT_EQ(m.value(QStringLiteral("big")).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(m.value(QStringLiteral("d")).metaType().id(), QMetaType::Double);
    EXPECT_EQ(m.value(QStringLiteral("d")).toDouble(), 150.0);
    EXPECT_EQ(m.value(QStringLiteral("z")).toLongLong(), 0);
    EXPECT_EQ(m.value(QStringLiteral("t")), QVariant(true));
    EXPECT_EQ(m.value(QStringLiteral("f")), QVariant(false));
    EXPECT_EQ(m.value(QStringLiteral("n")).metaType().id(), QMetaType::Nullptr);
    EXPECT_EQ(m.value(QStringLiteral("a")).toList().size(), 0);
    EXPECT_EQ(m.value(QStringLiteral("o")).metaType().id(), QMetaType::QVariantMap);
    EXPECT_EQ(m.value(QStringLiteral("e")), QVariant(QString()));

    EXPECT_EQ(decode("[-9223372036854775808]").toList().value(0).toLongLong(), std::numeric_limits<qint64>::min());
    EXPECT_EQ(decode(R"({"k":1,"k":2})").toMap(), (QVariantMap{{QStringLiteral("k"), qlonglong(2)}}));
    EXPECT_EQ(decode(R"(["\ud834\udd1e"])").toList().value(0).toString(), QString::fromUtf8("\xF0\x9D\x84\x9E"));
}

TEST(JSONDecoder, ErrorTexts)
{
    const struct
    {
        QByteArray text;
        const char *message;
    } cases[] = {
        {"1", "Expected either '[' or '{'."},
        {"\"s\"", "Expected either '[' or '{'."},
        {"", "Reached the end of the buffer."},
        {"[1,2", "Reached the end of the buffer."},
        {"[1] x", "A valid JSON object was parsed but there were additional non-white-space characters remaining."},
        {"[1 2]", "Unexpected value."},
        {"[1,]", "Unexpected ']'."},
        {"[,1]", "Unexpected ','."},
        {"[1:2]", "Expected a comma or a ']', not ':'"},
        {"[:]", "Expected a value or a ']', not ':'"},
        {"[1,:]", "Expected a value, not ':'"},
        {"[}", "Expected a value or a ']', not '}'"},
        {"{1:2}", "Unexpected value."},
        {"{\"a\" 1}", "Expected ':'."},
        {"{\"a\":1 \"b\":2}", "Unexpected string."},
        {"{\"a\":1,}", "Unexpected '}'."},
        {"{,}", "Unexpected ','."},
        {"{\"a\":]", "Expected a value, not ']'"},
        {"{]", "Expected a \"STRING\" or a '}', not ']'"},
        {"{\"a\":1]", "Expected a comma or a '}', not ']'"},
        {"[+1]", "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'."},
        {"[tru]", "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'."},
        {"[01]", "Unexpected value."},
        {"[-]", "Invalid number."},
        {"[1.]", "Invalid number."},
        {"[1e+]", "Invalid number."},
        {"[18446744073709551616]", "The value '18446744073709551616' exceeded the maximum value that could be represented: 18446744073709551615."},
        {"[-9223372036854775809]", "The value '-9223372036854775809' exceeded the minimum value that could be represented: -9223372036854775808."},
        {"[1e400]", "The value '1e400' could not be represented as a 'double' due to overflow."},
        {"[1e-400]", "The value '1e-400' could not be represented as a 'double' due to underflow."},
        {"[\"a\x01\"]", "Invalid character < 0x20 found in string: 0x01."},
        {"[\"\\x\"]", "Invalid escape sequence found in \"\" string."},
        {"[\"\\u12G4\"]", "Unexpected character found in \\u Unicode escape sequence.  Found 'G', expected [0-9a-fA-F]."},
        {"[\"\\ud834\"]", "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence."},
        {"[\"\\ud834\\u0041\"]", "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence."},
        {"[\"\\udd1e\"]", "Illegal \\u Unicode escape sequence."},
        {"[\"\\u0000\"]", "Illegal \\u Unicode escape sequence."},
        {"[\"\\uFDD0\"]", "Illegal \\u Unicode escape sequence."},
        {"[\"\\uDBFF\\uDFFF\"]", "Illegal \\u Unicode escape sequence."}, // U+10FFFF, a non-character
        {"[\"\xC3\x28\"]", "Illegal UTF8 sequence found in \"\" string."},
        {"[\"\xED\xA0\x80\"]", "Illegal UTF8 sequence found in \"\" string."}, // encoded surrogate
        {"[\"\xC0\xAF\"]", "Illegal UTF8 sequence found in \"\" string."},     // overlong
        {"[\"\xEF\xBF\xBF\"]", "Illegal UTF8 sequence found in \"\" string."}, // U+FFFF
        {"[\"\xE2\x82", "End of buffer reached while parsing UTF8 in \"\" string."},
        {"[\"abc", "Reached the end of the buffer."},
        {"// c\n[1]", "Expected either '[' or '{'."}, // comments only with their option
    };
    for (const auto &c : cases)
        EXPECT_EQ(errorOf(c.text), QString::fromUtf8(c.message)) << c.text.constData();
}

TEST(JSONDecoder, OptionBits)
{
    EXPECT_THROW(JSONDecoder(16), std::invalid_argument);
    EXPECT_THROW(JSONDecoder::decoderWithParseOptions(0x20), std::invalid_argument);
    EXPECT_NO_THROW(JSONDecoder(15));

    const struct
    {
        QByteArray text;
        quint32 options;
        bool accepted;
    } cases[] = {
        {"[1] // trailing", 0, false},
        {"[1] // trailing", JKParseOptionComments, true},
        {"/* lead */ [1, /* in */ 2]", JKParseOptionComments, true},
        {"[1,\n// line\n2]", JKParseOptionComments, true},
        {"[1] x", JKParseOptionPermitTextAfterValidJSON, true},
        {"[1] x", JKParseOptionComments, false},
        {"[1,\xE2\x80\xA8" "2]", 0, false},
        {"[1,\xE2\x80\xA8" "2]", JKParseOptionUnicodeNewlines, true},
        {"[1,\xC2\x85" "2]", JKParseOptionUnicodeNewlines, true},
        {"[\"\xE2\x80\xA8\"]", 0, true}, // inside a string it is text
        {"[\"\\ud834\"]", JKParseOptionLooseUnicode, true},
        {"[\"\\u0000\"]", JKParseOptionLooseUnicode, true},
        {"[\"\xFF\"]", JKParseOptionLooseUnicode, true},
        {"[\"\\x\"]", JKParseOptionLooseUnicode, false}, // a bad escape is not a Unicode matter
    };
    for (const auto &c : cases)
        EXPECT_EQ(decode(c.text, c.options).isValid(), c.accepted) << c.text.constData() << " options " << c.options;

    const QChar replacement(0xFFFD);
    EXPECT_EQ(decode("[\"a\\ud834b\"]", JKParseOptionLooseUnicode).toList().value(0).toString(),
              QStringLiteral("a") + replacement + QStringLiteral("b"));
    EXPECT_EQ(decode("[\"\\u0000\"]", JKParseOptionLooseUnicode).toList().value(0).toString(), QString(replacement));
    EXPECT_EQ(decode("[\"x\xFFy\"]", JKParseOptionLooseUnicode).toList().value(0).toString(),
              QStringLiteral("x") + replacement + QStringLiteral("y"));
}

TEST(JSONDecoder, ErrorPositionCountsCrLfAsOneLine)
{
    JSONError error;
    EXPECT_FALSE(decode("[1,\r\n2,\r3,\n4 5]", 0, &error).isValid());
    EXPECT_EQ(error.message, QStringLiteral("Unexpected value."));
    EXPECT_EQ(error.line, 4u);
    EXPECT_EQ(error.index, 13u);
    EXPECT_FALSE(decode("[1,\xE2\x80\xA8" "2 3]", JKParseOptionUnicodeNewlines, &error).isValid());
    EXPECT_EQ(error.line, 2u);
}

TEST(JSONDecoder, NestingIsBounded)
{
    const int limit = JSONDecoder::MaxDepth;
    EXPECT_TRUE(decode(QByteArray(limit, '[') + QByteArray(limit, ']')).isValid());
    JSONError error;
    EXPECT_FALSE(decode(QByteArray(limit + 1, '[') + QByteArray(limit + 1, ']'), 0, &error).isValid());
    EXPECT_EQ(error.message, QStringLiteral("Internal error: Unable to resize objects array."));
    // Far beyond the bound: an error, not a stack overflow.
    EXPECT_FALSE(decode(QByteArray(1'000'000, '[')).isValid());
    EXPECT_FALSE(decode(QByteArray(500'000, '{').replace("{", "{\"a\":")).isValid());
}

TEST(JSONDecoder, CacheSharesRepeatedValuesAndClears)
{
    JSONDecoder decoder;
    const QByteArray text = R"([{"name":"one","n":7},{"name":"one","n":7}])";
    const QVariantList first = decoder.objectWithData(text).toList();
    const QVariantList second = decoder.objectWithData(text).toList();
    EXPECT_EQ(first, second);
    decoder.clearCache();
    EXPECT_EQ(decoder.objectWithData(text).toList(), first);
    // Same bytes as different types must not collide in the cache.
    EXPECT_EQ(decoder.objectWithData("[1, \"1\", 1.0]").toList(),
              (QVariantList{qlonglong(1), QStringLiteral("1"), 1.0}));
    EXPECT_EQ(decoder.objectWithData("[1, \"1\", 1.0]").toList().value(1).metaType().id(), QMetaType::QString);
}

TEST(JSONDecoder, NullArgumentsAndStringForms)
{
    JSONDecoder decoder;
    JSONError error;
    EXPECT_FALSE(decoder.objectWithUTF8String(nullptr, 3, &error).isValid());
    EXPECT_EQ(error.message, QStringLiteral("The string argument is NULL."));
    EXPECT_FALSE(decoder.objectWithData(QByteArray(), &error).isValid());
    EXPECT_EQ(error.message, QStringLiteral("The jsonData argument is NULL."));

    EXPECT_EQ(NSStringJSONKitDeserializing::objectFromJSONString(QStringLiteral("[\"\u4e2d\"]")).toList().value(0),
              QVariant(QStringLiteral("\u4e2d")));
    EXPECT_FALSE(NSStringJSONKitDeserializing::objectFromJSONString(QStringLiteral("[\"") + QChar(0xD800)
                                                                    + QStringLiteral("\"]"),
                                                                    0, &error)
                     .isValid());
    EXPECT_EQ(error.message, QStringLiteral("An error occurred converting the contents of a NSString to UTF8."));
    EXPECT_TRUE(NSDataJSONKitDeserializing::objectFromJSONData("[1] //", JKParseOptionComments).isValid());
    EXPECT_TRUE(NSDataJSONKitDeserializing::mutableObjectFromJSONData("{}").isValid());
}

// The public JSON parsing test suite: every n_ case refused, every y_ case accepted except those
// refused by design below, and no i_ case may crash.
TEST(JSONDecoder, JSONTestSuite)
{
    const QDir dir(suiteFolder());
    // The suite lives beside the checkout, not in it; a clone elsewhere has none.
    if (!dir.exists())
        GTEST_SKIP() << "JSON test suite not found at " << qPrintable(dir.path())
                     << " (set FENNIX_JSON_TEST_SUITE to run it)";
    const QMap<QString, QString> refusedByDesign = {
        // The top level must be an array or an object.
        {QStringLiteral("y_structure_lonely_false.json"), QStringLiteral("top-level scalar")},
        {QStringLiteral("y_structure_lonely_int.json"), QStringLiteral("top-level scalar")},
        {QStringLiteral("y_structure_lonely_negative_real.json"), QStringLiteral("top-level scalar")},
        {QStringLiteral("y_structure_lonely_null.json"), QStringLiteral("top-level scalar")},
        {QStringLiteral("y_structure_lonely_string.json"), QStringLiteral("top-level scalar")},
        {QStringLiteral("y_structure_lonely_true.json"), QStringLiteral("top-level scalar")},
        {QStringLiteral("y_structure_string_empty.json"), QStringLiteral("top-level scalar")},
        {QStringLiteral("y_string_space.json"), QStringLiteral("top-level scalar")},
        // A \u0000 escape is refused.
        {QStringLiteral("y_string_null_escape.json"), QStringLiteral("\\u0000 escape")},
        {QStringLiteral("y_object_escaped_null_in_key.json"), QStringLiteral("\\u0000 escape")},
        // Non-characters are refused, escaped or raw.
        {QStringLiteral("y_string_escaped_noncharacter.json"), QStringLiteral("non-character U+FFFF")},
        {QStringLiteral("y_string_last_surrogates_1_and_2.json"), QStringLiteral("non-character U+10FFFF")},
        {QStringLiteral("y_string_nonCharacterInUTF-8_U+10FFFF.json"), QStringLiteral("non-character U+10FFFF")},
        {QStringLiteral("y_string_nonCharacterInUTF-8_U+FFFF.json"), QStringLiteral("non-character U+FFFF")},
        {QStringLiteral("y_string_unicode_U+10FFFE_nonchar.json"), QStringLiteral("non-character U+10FFFE")},
        {QStringLiteral("y_string_unicode_U+1FFFE_nonchar.json"), QStringLiteral("non-character U+1FFFE")},
        {QStringLiteral("y_string_unicode_U+FDD0_nonchar.json"), QStringLiteral("non-character U+FDD0")},
        {QStringLiteral("y_string_unicode_U+FFFE_nonchar.json"), QStringLiteral("non-character U+FFFE")},
    };
    int yes = 0, no = 0, either = 0;
    QSet<QString> seenExceptions;
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(name);
        const QByteArray bytes = file.readAll();
        for (quint32 options : {0u, quint32(JKParseOptionLooseUnicode), quint32(JKParseOptionValidFlags)}) {
            JSONError error;
            const bool accepted = decode(bytes, options, &error).isValid();
            if (options != 0)
                continue; // the other option sets only have to survive
            if (name.startsWith(u'y')) {
                ++yes;
                if (refusedByDesign.contains(name)) {
                    seenExceptions.insert(name);
                    EXPECT_FALSE(accepted) << qPrintable(name) << " is refused by design: "
                                           << qPrintable(refusedByDesign.value(name));
                } else {
                    EXPECT_TRUE(accepted) << qPrintable(name) << ": " << qPrintable(error.message);
                }
            } else if (name.startsWith(u'n')) {
                ++no;
                EXPECT_FALSE(accepted) << qPrintable(name);
            } else {
                ++either;
            }
        }
    }
    EXPECT_EQ(seenExceptions.size(), refusedByDesign.size()) << "an exception names a file the suite lacks";
    EXPECT_GT(yes, 90);
    EXPECT_GT(no, 180);
    EXPECT_GT(either, 30);
}
