#include "platform/Text.h"

#include <gtest/gtest.h>

namespace sealwing::platform {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

struct Utf8Case {
    std::wstring wide;
    std::string utf8;
};

TEST(TextTest, Utf8RoundTripsEveryPlane) {
    const Utf8Case cases[] = {
        {L"", ""},
        {L"plain ASCII", "plain ASCII"},
        {L"caf\u00e9", "caf\xc3\xa9"},                       // two bytes
        {L"\u20ac 5", "\xe2\x82\xac 5"},                     // three bytes
        {L"\U0001F600!", "\xf0\x9f\x98\x80!"},               // four bytes, outside the basic plane
        {L"\U0010FFFF", "\xf4\x8f\xbf\xbf"},                 // the last code point
        {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},  // an embedded NUL is text like any other
    };
    for (const auto& each : cases) {
        EXPECT_EQ(Utf8FromWide(each.wide), each.utf8);
        EXPECT_EQ(WideFromUtf8(each.utf8), each.wide);
    }
}

TEST(TextTest, MalformedUtf8BecomesReplacementCharactersAndKeepsTheTextAround) {
    struct MalformedCase {
        std::string bytes;
        std::size_t replacements;
    };
    const MalformedCase cases[] = {
        {"\x80", 1},              // a lone continuation byte
        {"\xc0\xaf", 2},          // overlong '/' in two bytes: C0 can never start a sequence
        {"\xe2\x82", 1},          // a sequence cut short
        {"\xed\xa0\x80", 1},      // an encoded surrogate
        {"\xf4\x90\x80\x80", 1},  // beyond U+10FFFF
        {"\xff", 1},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(WideFromUtf8("a" + each.bytes + "b"), L"a" + std::wstring(each.replacements, kReplacement) + L"b")
            << each.bytes;
    }
    EXPECT_EQ(WideFromUtf8("a\xe2\x82"), std::wstring(L"a") + kReplacement);      // cut short at the end of the text
    EXPECT_EQ(WideFromUtf8("a\xe2<"), std::wstring(L"a") + kReplacement + L"<");  // no character after it is lost

    // An overlong form must never decode to the character it disguises, however many replacements it gives.
    const std::wstring overlong = WideFromUtf8(std::string("a\xe0\x80\xaf") + "b");
    ASSERT_GE(overlong.size(), 3u);
    EXPECT_EQ(overlong.front(), L'a');
    EXPECT_EQ(overlong.back(), L'b');
    EXPECT_EQ(overlong.substr(1, overlong.size() - 2), std::wstring(overlong.size() - 2, kReplacement));
}

TEST(TextTest, WideTextThatIsNotUnicodeBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8FromWide(std::wstring(L"a") + static_cast<wchar_t>(0xD800) + L"b"),
              "a\xef\xbf\xbd" + std::string("b"));
    if constexpr (sizeof(wchar_t) == 4) {
        EXPECT_EQ(Utf8FromWide(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xef\xbf\xbd");
    }
}

TEST(TextTest, Utf16LeRoundTripsSurrogatePairs) {
    const std::wstring wide = L"A\u00e9\U0001F600";
    const std::string bytes("A\0\xe9\0\x3d\xd8\x00\xde", 8);
    EXPECT_EQ(Utf16LeFromWide(wide), bytes);
    EXPECT_EQ(WideFromUtf16Le(bytes), wide);
}

TEST(TextTest, Utf16LeDecodingReplacesLoneSurrogatesAndIgnoresAnOddByte) {
    const std::wstring expected = std::wstring(1, kReplacement) + L"A" + kReplacement;
    // A lone high surrogate before an ordinary unit, then a lone low one.
    EXPECT_EQ(WideFromUtf16Le(std::string("\x00\xd8\x41\x00\x00\xdc", 6)), expected);
    EXPECT_EQ(WideFromUtf16Le(std::string("\x00\xd8", 2)), std::wstring(1, kReplacement));  // high at the end
    EXPECT_EQ(WideFromUtf16Le(std::string("A\0B", 3)), L"A");
    EXPECT_EQ(Utf16LeFromWide(std::wstring(1, static_cast<wchar_t>(0xDC00))), "\xfd\xff");
}

TEST(TextTest, HexIsLowerCaseWithoutPrefixOrPadding) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "0"}, {0x1f, "1f"}, {0x80004005, "80004005"}, {0xFFFFFFFF, "ffffffff"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(Hex(value), text);
        EXPECT_EQ(HexW(value), WideFromUtf8(text));
    }
}

TEST(TextTest, CaseFoldsAsciiAndLatin1LettersOnly) {
    EXPECT_TRUE(EqualsIgnoreCase(L"Software\\Parcelon", L"SOFTWARE\\parcelon"));
    EXPECT_TRUE(EqualsIgnoreCase(L"r\u00e9sum\u00e9 \u00fe", L"R\u00c9SUM\u00c9 \u00de"));
    EXPECT_FALSE(EqualsIgnoreCase(L"abc", L"abd"));
    EXPECT_FALSE(EqualsIgnoreCase(L"abc", L"ab"));
    EXPECT_FALSE(EqualsIgnoreCase(L"\u00d7", L"\u00f7"));  // multiplication and division signs are not letters

    // sharp s and y with diaeresis have no Latin-1 capital; the signs stay; Cyrillic is outside the folded range
    EXPECT_EQ(ToUpper(L"stra\u00dfe \u00e9\u00ff \u00f7 \u0436 x"), L"STRA\u00dfE \u00c9\u00ff \u00f7 \u0436 X");
    EXPECT_EQ(ToLower(L"ABC \u00c0\u00de \u00d7 Z"), L"abc \u00e0\u00fe \u00d7 z");
}

TEST(TextTest, FillInPutsTheValuesInOrderAsTheyAre) {
    EXPECT_EQ(FillIn(L"<a href=\"%s\">%s</a>", {L"https://x/?a=%s", L"x"}), L"<a href=\"https://x/?a=%s\">x</a>");
    EXPECT_EQ(FillIn(L"%s%s", {L"a", L"b"}), L"ab");
    EXPECT_EQ(FillIn(L"for %s.", {}), L"for %s.");
    EXPECT_EQ(FillIn(L"no place", {L"unused"}), L"no place");
}

}  // namespace
}  // namespace sealwing::platform
