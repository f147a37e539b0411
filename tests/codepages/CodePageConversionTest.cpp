// The five conversion routines between UTF-8 pages, code page 936 texts and UTF-16 byte sets.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "text/CodePageConversion.h"

namespace velloran {
namespace {

ByteSet Bytes(std::initializer_list<int> values) {
    ByteSet out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(Utf8ToAnsiTest, ConvertsPagesToCodePage936) {
    struct Case {
        Text utf8;
        Text ansi;
    };
    const Case cases[] = {
        {"\xE4\xB8\xAD", "\xD6\xD0"},                              // 中
        {"<a href=\"x\">ok</a>\r\n", "<a href=\"x\">ok</a>\r\n"},  // ASCII unchanged
        {"", ""},
        {"\xE5\xB7\xB2\xE6\x8A\xA2\xE5\xAE\x8C", "\xD2\xD1\xC7\xC0\xCD\xEA"},  // 已抢完
        {"\xF0\x9F\x98\x80" "a", "?a"},                                        // outside code page 936
        {"\xE2\x82\xAC", "\x80"},                                              // the euro sign
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi) << c.utf8;
}

// Invalid UTF-8 can need more UTF-16 units than the count taken in the ANSI code page ("C0 80" is
// one pair there but two replacements in UTF-8); the page must still come through whole.
TEST(Utf8ToAnsiTest, KeepsAPageWithInvalidUtf8) {
    EXPECT_EQ(Utf8ToAnsi("\xC0\x80"), "??");
    const Text page = "<p>" + std::string(100, '\xC0') + "\xE4\xB8\xAD</p>";
    EXPECT_EQ(Utf8ToAnsi(page), "<p>" + std::string(100, '?') + "\xD6\xD0</p>");
}

TEST(TextToUtf16Test, SizesByTheAnsiCountAndPadsWithZeros) {
    struct Case {
        const char* name;
        Text text;
        std::optional<std::uint32_t> codePage;
        ByteSet units;
    };
    const Case cases[] = {
        {"ascii", "ab", std::nullopt, Bytes({0x61, 0, 0x62, 0, 0, 0})},
        // 中 in UTF-8 is three bytes: two units in code page 936 plus the zero unit, one unit in
        // UTF-8, so two zero units follow.
        {"utf8 chinese", "\xE4\xB8\xAD", std::nullopt, Bytes({0x2D, 0x4E, 0, 0, 0, 0})},
        {"code page 0 is the ANSI code page", "\xD6\xD0", 0u, Bytes({0x2D, 0x4E, 0, 0})},
        {"936 given", "\xD6\xD0", 936u, Bytes({0x2D, 0x4E, 0, 0})},
        {"empty", "", std::nullopt, {}},
        {"grown for invalid utf8", "\xC0\x80", std::nullopt, Bytes({0xFD, 0xFF, 0xFD, 0xFF, 0, 0})},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToUtf16(c.text, c.codePage), c.units) << c.name;
}

TEST(Utf16ToTextTest, ConvertsUpToTheFirstZeroUnit) {
    struct Case {
        const char* name;
        ByteSet units;
        std::optional<std::uint32_t> codePage;
        Text text;
    };
    const Case cases[] = {
        {"ansi by default", Bytes({0x2D, 0x4E, 0x61, 0, 0, 0}), std::nullopt, "\xD6\xD0" "a"},
        {"stops at the zero unit", Bytes({0x61, 0, 0, 0, 0x62, 0, 0, 0}), std::nullopt, "a"},
        {"padding after the zero unit", Bytes({0x61, 0, 0, 0, 0, 0, 0, 0}), 936u, "a"},
        {"no zero unit at all", Bytes({0x61, 0, 0x62, 0}), std::nullopt, "ab"},
        {"utf8", Bytes({0x2D, 0x4E, 0, 0}), 65001u, "\xE4\xB8\xAD"},
        // One "?" in code page 936 but four bytes in UTF-8: the buffer must still hold them.
        {"utf8 beyond the ansi count", Bytes({0x3D, 0xD8, 0x00, 0xDE, 0, 0}), 65001u, "\xF0\x9F\x98\x80"},
        {"empty", {}, std::nullopt, ""},
        {"unknown code page", Bytes({0x61, 0, 0, 0}), 1252u, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf16ToText(c.units, c.codePage), c.text) << c.name;
}

TEST(GbkToUtf16Test, GivesTheUnitsAndExactlyOneZeroUnit) {
    EXPECT_EQ(GbkToUtf16("ab"), Bytes({0x61, 0, 0x62, 0, 0, 0}));
    EXPECT_EQ(GbkToUtf16("\xD6\xD0" "a"), Bytes({0x2D, 0x4E, 0x61, 0, 0, 0}));
    EXPECT_EQ(GbkToUtf16(""), ByteSet{});
}

TEST(Utf16ToGbkTest, ConvertsAndCutsAtAZeroUnit) {
    struct Case {
        const char* name;
        ByteSet units;
        Text text;
    };
    const Case cases[] = {
        {"without zero unit", Bytes({0x61, 0, 0x62, 0}), "ab"},
        {"with zero unit", Bytes({0x61, 0, 0x62, 0, 0, 0}), "ab"},
        {"cut at a zero unit", Bytes({0x61, 0, 0, 0, 0x62, 0}), "a"},
        {"odd last byte ignored", Bytes({0x61, 0, 0x62, 0, 0x63}), "ab"},
        {"chinese", Bytes({0x2D, 0x4E}), "\xD6\xD0"},
        {"decomposed pinyin is composed", Bytes({0x65, 0, 0x01, 0x03}), "\xA8\xA6"},
        {"empty", {}, ""},
        {"one byte", Bytes({0x61}), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf16ToGbk(c.units), c.text) << c.name;
}

TEST(CodePageRoundTripTest, GbkSurvivesUtf16AndBack) {
    const Text text = "<a  target=\"_blank\" href=\"http://x/1\">\xBA\xEC\xB0\xFC</a>\n\t\x80\xAA\xA1";
    EXPECT_EQ(Utf16ToGbk(GbkToUtf16(text)), text);
}

// Both worker threads convert pages at the same time, the first of them possibly while the
// code page tables are still being built.
TEST(CodePageConcurrencyTest, TwoThreadsConvertAtOnce) {
    std::string page;
    for (int i = 0; i < 2000; ++i) page += "\xE7\xBA\xA2\xE5\x8C\x85 <b>x</b>";  // 红包
    const Text expected = [&] {
        Text t;
        for (int i = 0; i < 2000; ++i) t += "\xBA\xEC\xB0\xFC <b>x</b>";
        return t;
    }();
    std::vector<Text> results(2);
    std::thread a([&] { results[0] = Utf8ToAnsi(page); });
    std::thread b([&] { results[1] = Utf16ToGbk(GbkToUtf16(expected)); });
    a.join();
    b.join();
    EXPECT_EQ(results[0], expected);
    EXPECT_EQ(results[1], expected);
}

}  // namespace
}  // namespace velloran
