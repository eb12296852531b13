#include "extension/json/NSObject_SBJSON.h"
#include "extension/json/NSString_SBJSON.h"
#include "extension/json/SBJsonParser.h"
#include "extension/json/SBJsonWriter.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

struct ParseFailure
{
    const char *name;
    QByteArray input;
    int code;
    QString innermost;   // the first error of the trace
};

QByteArray nested(int levels)
{
    return QByteArray(levels, '[') + QByteArray(levels, ']');
}

SBJsonValue nestedValue(int levels)
{
    SBJsonValue v = SBJsonValue::array();
    for (int i = 1; i < levels; ++i) {
        SBJsonValue outer = SBJsonValue::array();
        outer.append(v);
        v = outer;
    }
    return v;
}

} // namespace

TEST(SBJsonParser, RefusesWithTheCodeAndTextOfEachFault)
{
    const ParseFailure cases[] = {
        {"trailing comma in array", "[1,]", 9, "Trailing comma disallowed in array"},
        {"trailing comma in object", "{\"a\":1,}", 9, "Trailing comma disallowed in object"},
        {"text after the value", "[] x", 10, "Garbage after JSON"},
        {"bare string", "\"a\"", 4, "Valid fragment, but not JSON"},
        {"bare number", "12", 4, "Valid fragment, but not JSON"},
        {"bare true", "true", 4, "Valid fragment, but not JSON"},
        {"bare null", " null ", 4, "Valid fragment, but not JSON"},
        {"leading zero", "[01]", 2, "Leading 0 disallowed in number"},
        {"lone minus", "[-]", 2, "No digits after initial minus"},
        {"no fraction digits", "[1.]", 2, "No digits after decimal point"},
        {"no exponent digits", "[1e+]", 2, "No digits after exponent"},
        {"leading plus", "[+1]", 2, "Leading + disallowed in number"},
        {"lone low surrogate", "[\"\\udc00\"]", 6, "Invalid high character in surrogate pair"},
        {"high surrogate alone", "[\"\\ud800x\"]", 6, "Missing low character in surrogate pair"},
        {"bad low surrogate", "[\"\\ud800\\u0041\"]", 6, "Invalid low surrogate char"},
        {"short hex quad", "[\"\\u12g4\"]", 6, "Missing hex digit in quad"},
        {"raw tab", "[\"a\tb\"]", 5, "Unescaped control character '0x9'"},
        {"bad escape", "[\"\\x\"]", 8, "Illegal escape sequence '0x78'"},
        {"open string", "[\"abc", 11, "Unexpected EOF while parsing string"},
        {"open array", "[1, 2", 11, "End of input while parsing array"},
        {"open object", "{\"a\": 1", 11, "End of input while parsing object"},
        {"empty input", "", 11, "Unexpected end of string"},
        {"key not a string", "{1:2}", 3, "Object key string expected"},
        {"no colon", "{\"a\" 2}", 3, "Expected ':' separating key and value"},
        {"bad literal", "[tru]", 3, "Expected 'true'"},
        {"unknown start", "[@]", 3, "Unrecognised leading character"},
        {"513 levels", nested(513), 7, "Nested too deep"},
        {"invalid UTF-8", "[\"\xc3\x28\"]", 3, "Invalid UTF-8 in string"},
        {"overlong UTF-8", "[\"\xc0\xaf\"]", 3, "Invalid UTF-8 in string"},
        {"encoded surrogate", "[\"\xed\xa0\x80\"]", 3, "Invalid UTF-8 in string"},
    };
    for (const ParseFailure &c : cases) {
        SBJsonParser p;
        EXPECT_FALSE(p.objectWithUtf8(c.input).has_value()) << c.name;
        ASSERT_FALSE(p.errorTrace().isEmpty()) << c.name;
        EXPECT_EQ(p.errorTrace().first().code, c.code) << c.name;
        EXPECT_EQ(p.errorTrace().first().description, c.innermost) << c.name;
    }
}

TEST(SBJsonParser, ChainsTheOuterReasonsAfterTheInnerOne)
{
    SBJsonParser p;
    ASSERT_FALSE(p.objectWithUtf8("[\"\\q\"]"));
    ASSERT_EQ(p.errorTrace().size(), 2);
    EXPECT_EQ(p.errorTrace()[0].code, 8);
    EXPECT_EQ(p.errorTrace()[1].code, 3);
    EXPECT_EQ(p.errorTrace()[1].description, QStringLiteral("Expected value while parsing array"));
    EXPECT_EQ(p.errorTrace()[1].underlying, 0);

    SBJsonError last;
    EXPECT_FALSE(p.objectWithString(QStringLiteral("{\"k\": [,]}"), &last));
    EXPECT_EQ(last.description, QStringLiteral("Object value expected for key: k"));

    EXPECT_FALSE(p.objectWithString(QString()));
    EXPECT_EQ(p.errorTrace().first().code, 12);
    // A good call clears the trace, announcing it.
    QSignalSpy spy(&p, &SBJsonBase::errorTraceChanged);
    EXPECT_TRUE(p.objectWithString(QStringLiteral("[]")));
    EXPECT_TRUE(p.errorTrace().isEmpty());
    EXPECT_EQ(spy.count(), 1);
}

TEST(SBJsonParser, ReadsValuesExactly)
{
    SBJsonParser p;
    auto v = p.objectWithUtf8(" [9223372036854775807, 92233720368547758070, -12, 0.10, 1E+2, true, false, null,"
                              " \"\\u00e9\", \"\\ud83d\\ude00\", \"\\ud800\\udfff\", \"a\\/b\\n\", \"\"] ");
    ASSERT_TRUE(v) << p.errorTraceText().toStdString();
    ASSERT_EQ(v->size(), 13);
    EXPECT_EQ(v->at(0).type(), SBJsonValue::Type::Integer);
    EXPECT_EQ(v->at(0).toInteger(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(v->at(1).type(), SBJsonValue::Type::Decimal);
    EXPECT_EQ(v->at(1).text(), QStringLiteral("92233720368547758070"));
    EXPECT_EQ(v->at(2).toInteger(), -12);
    EXPECT_EQ(v->at(3).text(), QStringLiteral("0.10"));
    EXPECT_EQ(v->at(4).text(), QStringLiteral("1E+2"));
    EXPECT_EQ(v->at(5), SBJsonValue(true));
    EXPECT_EQ(v->at(6), SBJsonValue(false));
    EXPECT_TRUE(v->at(7).isNull());
    EXPECT_EQ(v->at(8).text(), QString(QChar(0xE9)));
    EXPECT_EQ(v->at(9).text(), QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(v->at(10).text(), QString::fromUtf8("\xF0\x90\x8F\xBF"));
    EXPECT_EQ(v->at(11).text(), QStringLiteral("a/b\n"));
    EXPECT_EQ(v->at(12).text(), QString());

    // Commas between members are optional; a later duplicate key replaces the earlier value.
    auto o = p.objectWithUtf8("{\"a\": 1 \"b\": [1 2] \"a\": 3}");
    ASSERT_TRUE(o);
    ASSERT_EQ(o->size(), 2);
    EXPECT_EQ(o->value(QStringLiteral("a"))->toInteger(), 3);
    EXPECT_EQ(o->value(QStringLiteral("b"))->size(), 2);
    EXPECT_EQ(p.objectWithUtf8("{}")->size(), 0);
}

TEST(SBJsonParser, DepthLimitHoldsEvenWhenSetToNoLimit)
{
    SBJsonParser p;
    EXPECT_TRUE(p.objectWithUtf8(nested(512)));
    p.setMaxDepth(0);
    EXPECT_TRUE(p.objectWithUtf8(nested(513)));
    // "No limit" still may not run the stack out.
    EXPECT_FALSE(p.objectWithUtf8(nested(100000)));
    EXPECT_EQ(p.errorTrace().first().code, 7);
}

TEST(SBJsonWriter, WritesSortedIndentedTextExactly)
{
    SBJsonValue b = SBJsonValue::array();
    b.append(1);
    b.append(2);
    SBJsonValue o = SBJsonValue::object();
    o.set(QStringLiteral("b"), b);
    o.set(QStringLiteral("a"), SBJsonValue::object());
    EXPECT_EQ(NSObject_SBJSON::JSONRepresentation(o),
              QStringLiteral("{\n  \"a\": {},\n  \"b\": [\n    1,\n    2\n  ]\n}"));
    SBJsonWriter plain;
    EXPECT_EQ(plain.stringWithObject(o), QStringLiteral("{\"b\":[1,2],\"a\":{}}"));

    SBJsonValue keys = SBJsonValue::object();
    keys.set(QStringLiteral("a"), 1);
    keys.set(QStringLiteral("B"), 2);
    SBJsonWriter sorted;
    sorted.setSortKeys(true);
    EXPECT_EQ(sorted.stringWithObject(keys), QStringLiteral("{\"B\":2,\"a\":1}"));

    SBJsonValue strings = SBJsonValue::array();
    strings.append(QStringLiteral("q\"b\\/\x01\t\u00e9"));
    strings.append(SBJsonValue::decimal(QStringLiteral("1.50")));
    strings.append(0.25);
    strings.append(SBJsonValue::null());
    strings.append(false);
    EXPECT_EQ(plain.stringWithObject(strings), QStringLiteral("[\"q\\\"b\\\\/\\u0001\\t\u00e9\",1.50,0.25,null,false]"));
}

TEST(SBJsonWriter, RefusesWhatJsonCannotHold)
{
    struct Case
    {
        const char *name;
        SBJsonValue value;
        int code;
        QString innermost;
    };
    SBJsonValue numberKey = SBJsonValue::object();
    numberKey.set(SBJsonValue(1), SBJsonValue(QStringLiteral("x")));
    SBJsonValue nan = SBJsonValue::array();
    nan.append(std::nan(""));
    SBJsonValue inf = SBJsonValue::object();
    inf.set(QStringLiteral("k"), std::numeric_limits<double>::infinity());
    SBJsonValue other = SBJsonValue::array();
    other.append(SBJsonValue::unsupported(QStringLiteral("QDate")));
    const Case cases[] = {
        {"number key", numberKey, 1, QStringLiteral("JSON object key must be string")},
        {"bare string", SBJsonValue(QStringLiteral("s")), 4, QStringLiteral("Not valid type for JSON")},
        {"NaN", nan, 1, QStringLiteral("NaN is not a valid number in JSON")},
        {"infinity", inf, 1, QStringLiteral("Infinity is not a valid number in JSON")},
        {"other class", other, 1, QStringLiteral("JSON serialisation not supported for QDate")},
        {"513 levels", nestedValue(513), 7, QStringLiteral("Nested too deep")},
    };
    for (const Case &c : cases) {
        SBJsonWriter w;
        EXPECT_TRUE(w.stringWithObject(c.value).isNull()) << c.name;
        ASSERT_FALSE(w.errorTrace().isEmpty()) << c.name;
        EXPECT_EQ(w.errorTrace().first().code, c.code) << c.name;
        EXPECT_EQ(w.errorTrace().first().description, c.innermost) << c.name;
    }
    SBJsonWriter w;
    EXPECT_FALSE(w.stringWithObject(nestedValue(512)).isNull());
    SBJsonError last;
    EXPECT_TRUE(w.stringWithObject(inf, &last).isNull());
    EXPECT_EQ(last.description, QStringLiteral("Unsupported value for key k in object"));
}

TEST(SBJsonCodec, ConvenienceCallsRoundTripBrowserText)
{
    const QByteArray text = "{\"z\": {\"n\": 1.000, \"big\": 123456789012345678901234}, \"a\": [true, null]}";
    auto v = NSString_SBJSON::JSONValue(text);
    ASSERT_TRUE(v);
    const QString out = NSObject_SBJSON::JSONRepresentation(*v);
    EXPECT_TRUE(out.contains(QStringLiteral("\"n\": 1.000")));
    EXPECT_TRUE(out.contains(QStringLiteral("123456789012345678901234")));
    // Written again, the sorted text stays as it is.
    auto again = NSString_SBJSON::JSONValue(out.toUtf8());
    ASSERT_TRUE(again);
    EXPECT_EQ(NSObject_SBJSON::JSONRepresentation(*again), out);
    EXPECT_EQ(*again->path({QStringLiteral("z"), QStringLiteral("n")}), *v->path({QStringLiteral("z"), QStringLiteral("n")}));
    EXPECT_FALSE(NSString_SBJSON::JSONValue(QByteArray("[1,]")));
}
