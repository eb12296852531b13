#include "reelgrab/JKSerializer.h"
#include "reelgrab/JSONKit.h"

#include <QCborMap>
#include <QDateTime>
#include <QObject>
#include <QUrl>

#include <cmath>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

QString encode(const QVariant &v, quint32 options = 0, JSONError *error = nullptr)
{
    return JKSerializer::serializeObject(v, options, JKEncodeOptionAsString, {}, nullptr, nullptr, error).toString();
}

class UrlFormatter : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE QVariant format(const QVariant &v)
    {
        if (v.metaType().id() == QMetaType::QUrl)
            return v.toUrl().toString();
        return {};
    }
};

} // namespace

TEST(JKSerializer, ScalarsByStoredType)
{
    const struct
    {
        QVariant value;
        const char *json;
    } cases[] = {
        {QVariant(true), "[true]"},
        {QVariant(false), "[false]"},
        {QVariant(-5), "[-5]"},
        {QVariant(qlonglong(std::numeric_limits<qint64>::min())), "[-9223372036854775808]"},
        {QVariant(qulonglong(18446744073709551615ULL)), "[18446744073709551615]"},
        {QVariant(uint(7)), "[7]"},
        {QVariant(0.1), "[0.10000000000000001]"},
        {QVariant(1.0), "[1]"},
        {QVariant::fromValue(nullptr), "[null]"},
        {QVariant(), "[null]"},
        {QVariant(QStringLiteral("a/b")), "[\"a/b\"]"},
        {QVariant(QStringLiteral("q\"b\\\b\f\n\r\t\x01")), "[\"q\\\"b\\\\\\b\\f\\n\\r\\t\\u0001\"]"},
        {QVariant(QStringLiteral("\u00e9")), "[\"\xc3\xa9\"]"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(encode(QVariantList{c.value}), QString::fromUtf8(c.json)) << c.json;
}

TEST(JKSerializer, OptionBits)
{
    const QVariantList text{QStringLiteral("a/\u00e9\U0001D11E")};
    EXPECT_EQ(encode(text, JKSerializeOptionEscapeForwardSlashes), QString::fromUtf8("[\"a\\/\xc3\xa9\xf0\x9d\x84\x9e\"]"));
    EXPECT_EQ(encode(text, JKSerializeOptionEscapeUnicode), QStringLiteral("[\"a/\\u00e9\\ud834\\udd1e\"]"));
    const QVariantMap map{{QStringLiteral("b"), 1}, {QStringLiteral("a"), QVariantList{1, 2}}, {QStringLiteral("c"), QVariantMap()}};
    EXPECT_EQ(encode(map, JKSerializeOptionPretty),
              QStringLiteral("{\n  \"a\": [\n    1,\n    2\n  ],\n  \"b\": 1,\n  \"c\": {}\n}"));
    EXPECT_EQ(encode(map), QStringLiteral("{\"a\":[1,2],\"b\":1,\"c\":{}}"));
}

TEST(JKSerializer, ErrorTexts)
{
    const auto failure = [](const QVariant &v, quint32 encodeOption) {
        JSONError error;
        const QVariant out = JKSerializer::serializeObject(v, 0, encodeOption, {}, nullptr, nullptr, &error);
        EXPECT_FALSE(out.isValid());
        EXPECT_EQ(error.domain, QStringLiteral("JKErrorDomain"));
        return error.message;
    };
    QCborMap numberKey;
    numberKey.insert(1, QStringLiteral("x"));
    EXPECT_EQ(failure(QVariant::fromValue(numberKey), JKEncodeOptionAsString), QStringLiteral("Key must be a string object."));
    EXPECT_EQ(failure(QVariantList{std::nan("")}, JKEncodeOptionAsString),
              QStringLiteral("Floating point values must be finite.  JSON does not support NaN or Infinity."));
    EXPECT_EQ(failure(QVariantList{std::numeric_limits<double>::infinity()}, JKEncodeOptionAsData),
              QStringLiteral("Floating point values must be finite.  JSON does not support NaN or Infinity."));
    EXPECT_EQ(failure(QStringLiteral("s"), JKEncodeOptionAsString | JKEncodeOptionCollectionObj),
              QStringLiteral("Unable to serialize object class QString, expected a NSArray or NSDictionary."));
    EXPECT_EQ(failure(QVariantList(), JKEncodeOptionAsString | JKEncodeOptionStringObj),
              QStringLiteral("Unable to serialize object class QVariantList, expected a NSString."));
    EXPECT_EQ(failure(QVariantList(), 3), QStringLiteral("Unknown encode as type."));
    EXPECT_EQ(failure(QVariantList{QUrl(QStringLiteral("http://x"))}, JKEncodeOptionAsString),
              QStringLiteral("Unable to serialize object class QUrl."));
    EXPECT_EQ(failure(QVariantList{QString(QChar(0xD800))}, JKEncodeOptionAsString), QStringLiteral("Error converting UTF8."));
}

TEST(JKSerializer, UnsupportedValuesGoToTheBlockOrDelegate)
{
    const QVariantList list{QUrl(QStringLiteral("http://127.0.0.1/a")), 1};
    EXPECT_EQ(NSArrayJSONKitSerializing::JSONStringWithOptions(
                  list, 0, JKSerializer::UnsupportedBlock([](const QVariant &v) { return QVariant(v.toUrl().host()); })),
              QStringLiteral("[\"127.0.0.1\",1]"));
    JSONError error;
    EXPECT_TRUE(NSArrayJSONKitSerializing::JSONStringWithOptions(
                    list, 0, JKSerializer::UnsupportedBlock([](const QVariant &) { return QVariant(QDateTime()); }),
                    &error)
                    .isNull());
    EXPECT_EQ(error.message, QStringLiteral("Unable to serialize object class QDateTime that was returned by the "
                                            "unsupported class formatter.  Original object class was QUrl."));

    UrlFormatter formatter;
    EXPECT_EQ(NSArrayJSONKitSerializing::JSONStringWithOptions(list, 0, &formatter, "format"),
              QStringLiteral("[\"http://127.0.0.1/a\",1]"));
    EXPECT_THROW(NSArrayJSONKitSerializing::JSONStringWithOptions(list, 0, &formatter, nullptr), std::invalid_argument);
    EXPECT_THROW(NSArrayJSONKitSerializing::JSONStringWithOptions(list, 0, &formatter, "missing"), std::invalid_argument);
}

TEST(JKSerializer, StringEntryPointsAndRoundTrip)
{
    EXPECT_EQ(NSStringJSONKitSerializing::JSONString(QStringLiteral("a\"b")), QStringLiteral("\"a\\\"b\""));
    EXPECT_EQ(NSStringJSONKitSerializing::JSONStringWithOptions(QStringLiteral("a\"b"), 0, false), QStringLiteral("a\\\"b"));
    EXPECT_EQ(NSStringJSONKitSerializing::JSONData(QStringLiteral("x")), QByteArray("\"x\""));

    const QVariantMap value{{QStringLiteral("title"), QStringLiteral("T\u00eftle / \U0001F600")},
                            {QStringLiteral("n"), qlonglong(-3)},
                            {QStringLiteral("list"), QVariantList{0.25, true, QVariant::fromValue(nullptr)}}};
    const QVariantMap twice{{QStringLiteral("a"), value}, {QStringLiteral("b"), value}};
    for (quint32 options : {0u, 1u, 2u, 16u, 19u}) {
        const QByteArray data = NSDictionaryJSONKitSerializing::JSONDataWithOptions(twice, options);
        JSONDecoder decoder;
        const QVariantMap back = decoder.objectWithData(data).toMap();
        EXPECT_EQ(back.value(QStringLiteral("a")), back.value(QStringLiteral("b"))) << options;
        EXPECT_EQ(back.value(QStringLiteral("a")).toMap().value(QStringLiteral("title")), value.value(QStringLiteral("title")));
        EXPECT_EQ(back.value(QStringLiteral("a")).toMap().value(QStringLiteral("list")).toList().value(0).toDouble(), 0.25);
    }
}

#include "JKSerializerTest.moc"
