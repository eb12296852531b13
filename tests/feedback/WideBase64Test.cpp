#include "ScrambledAccount.h"

#include "feedback/WideBase64.h"
#include "feedback/nsUtility.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The server's side, as wide text.
std::wstring scramble(const std::string &plain, const std::string &key, bool stripPadding = false)
{
    return scrambleField(QByteArray::fromStdString(plain), QByteArray::fromStdString(key), stripPadding).toStdWString();
}

std::string utf8(const std::wstring &w)
{
    std::string s;
    EXPECT_TRUE(nsUtility::wstring_to_utf8string(w, s));
    return s;
}

std::string decoded(const std::string &text)
{
    std::string s = text;
    EXPECT_TRUE(base64_decode(s)) << text;
    return s;
}

}

TEST(WideBase64, DecodeUnscramblesAccountFields)
{
    const std::string key = "tavrokelmin";
    struct Case {
        const char *name;
        std::string plain;
        bool stripPadding;
    } cases[] = {
        {"empty", "", false},
        {"host", "smtp.example.org", false},
        {"unpadded", "ab", true},
        {"non-ascii password", "p\xc3\xa4ss\xe2\x82\xac-w\xc3\xb6rd", false},
        {"longer than the key", "support-mailbox@example.org", false},
        {"shorter than the key", "587", false},
    };
    for (const auto &c : cases) {
        const auto result = Decode(scramble(c.plain, key, c.stripPadding), kFeedbackAccountKey);
        ASSERT_TRUE(result.has_value()) << c.name;
        EXPECT_EQ(utf8(*result), c.plain) << c.name;
    }
}

TEST(WideBase64, StarStandsForPlus)
{
    // "**U" XOR "k" is "AA>", whose Base64 "QUE+" travels as "QUE*".
    EXPECT_EQ(scramble("**U", "k"), L"QUE*");
    const auto result = Decode(L"QUE*", L"k");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, L"**U");
}

TEST(WideBase64, KeyLongerThanDataUsesItsFirstBytes)
{
    // "A" XOR "t" = 0x35 "5"; the rest of the key is never used.
    const auto result = Decode(L"NQ==", L"tavrokelmin");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, L"A");
}

TEST(WideBase64, RejectedInputIsAnErrorNotAnIndex)
{
    struct Case {
        const char *name;
        std::wstring data;
        std::wstring key;
    } cases[] = {
        {"beyond z", L"{|}~", kFeedbackAccountKey},
        {"byte above 0x7f", L"QU\u00e9D", kFeedbackAccountKey},
        {"wide character", L"QU\u4e2dD", kFeedbackAccountKey},
        {"space inside a group", L"QU D", kFeedbackAccountKey},
        {"padding first", L"=QUJ", kFeedbackAccountKey},
        {"padding then data", L"QU=D", kFeedbackAccountKey},
        {"empty key", L"QUJD", L""},
        {"not UTF-8 after the key", scramble("\xff\xfe", "\x01"), L"\x01"},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(Decode(c.data, c.key).has_value()) << c.name;
}

TEST(WideBase64, DecodeBase64Table)
{
    struct Case {
        const char *name;
        std::string text;
        std::string bytes;
    } cases[] = {
        {"empty", "", ""},
        {"one group", "QUJD", "ABC"},
        {"one byte", "QQ==", "A"},
        {"two bytes", "QUI=", "AB"},
        {"CR LF between groups", "QUJD\r\nREVG\nR0g=", "ABCDEFGH"},
        {"CR LF then unpadded tail", "QUJD\r\nQQ", "ABCA"},
        {"unpadded", "QUI", "AB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(decoded(c.text), c.bytes) << c.name;

    std::string bad = "QU\x80" "D";
    EXPECT_FALSE(base64_decode(bad));
    EXPECT_EQ(bad, "QU\x80" "D") << "a refused text stays as it was";

    // The size protocol: no buffer answers the size, a short buffer is refused.
    EXPECT_EQ(DecodeBase64("QUJDREVG", 8, nullptr, 0), 7);
    unsigned char small[4];
    EXPECT_EQ(DecodeBase64("QUJDREVG", 8, small, sizeof small), -1);
}

TEST(WideBase64, EncodeBase64Table)
{
    auto encode = [](const std::string &bytes, int lineLength) {
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
        std::vector<char> buf(size_t(EncodeBase64(p, bytes.size(), nullptr, 0, lineLength)));
        const long n = EncodeBase64(p, bytes.size(), buf.data(), buf.size(), lineLength);
        return std::string(buf.data(), size_t(n));
    };
    EXPECT_EQ(encode("ABC", 76), "QUJD");
    EXPECT_EQ(encode("A", 76), "QQ==");
    EXPECT_EQ(encode("AB", 76), "QUI=");

    // 60 bytes make 80 characters: a break after the 76th.
    const std::string sixty(60, 'x');
    const std::string text = encode(sixty, 76);
    ASSERT_EQ(text.find("\r\n"), 76u);
    EXPECT_EQ(text.size(), 82u);
    EXPECT_EQ(decoded(text), sixty);

    EXPECT_EQ(EncodeBase64(reinterpret_cast<const unsigned char *>("A"), 1, nullptr, 0, 4), -1);

    std::string round = std::string("\0\xff binary\r\n", 11);
    base64_encode(round);
    EXPECT_EQ(decoded(round), std::string("\0\xff binary\r\n", 11));
}

TEST(WideBase64, SmallStringRoutines)
{
    char text[] = "a-b-c--";
    VanReplace(text, '-', '+');
    EXPECT_STREQ(text, "a+b+c++");
    VanRemoveSpace(text, '+');
    EXPECT_STREQ(text, "a+b+c");
    char all[] = "   ";
    VanRemoveSpace(all, ' ');
    EXPECT_STREQ(all, "");
    EXPECT_FALSE(Encode(L"x", L"k").has_value());
}

TEST(WideBase64, WideAndUtf8Conversions)
{
    std::string out = "kept";
    EXPECT_FALSE(nsUtility::wstring_to_utf8string(std::wstring(1, wchar_t(0x110000)), out));
    EXPECT_EQ(out, "kept");
    std::wstring wout = L"kept";
    EXPECT_FALSE(nsUtility::utf8string_to_wstring("\xc3", wout));
    EXPECT_EQ(wout, L"kept");
    ASSERT_TRUE(nsUtility::utf8string_to_wstring("\xf0\x9f\x8e\xac z", wout));
    EXPECT_EQ(wout, std::wstring(L"\U0001F3AC z"));
}
