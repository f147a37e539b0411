// The text and byte vocabulary: position, range, case and space rules, and the two-byte traps
// where a byte that looks like a letter, a separator or a space is really the second byte of a
// GBK character.

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "text/TextOps.h"

namespace velloran {
namespace {

// Code page 936 bytes used below.
const Text kFullSpace = "\xA1\xA1";     // 　 the full-width space
const Text kTrailA = "\x81\x41";        // a two-byte character whose second byte is 'A'
const Text kTrailSemicolon = "\x81\x3B";  // malformed, but a lead byte followed by ';'
const Text kZhong = "\xD6\xD0";         // 中
const Text kQuote = "#\xD2\xFD\xBA\xC5";  // #引号

TEST(TextRanges, LeftRightMidClampAndEmptyOutOfRange) {
    struct Case { Text text; std::int32_t start, n; Text left, right, mid; };
    const std::vector<Case> cases = {
        {"abc", 0, 2, "ab", "bc", ""},
        {"abc", 2, 5, "abc", "abc", "bc"},
        {"abc", 1, -2, "", "", ""},
        {"abc", 3, 1, "a", "c", "c"},
        {"abc", 4, 1, "a", "c", ""},
        {"abc", -1, 0, "", "", ""},
        {"", 1, 3, "", "", ""},
        {"abc", 1, INT32_MAX, "abc", "abc", "abc"},
        {"abc", INT32_MAX, INT32_MAX, "abc", "abc", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " start " + std::to_string(c.start) + " n " + std::to_string(c.n));
        EXPECT_EQ(TextLeft(c.text, c.n), c.left);
        EXPECT_EQ(TextRight(c.text, c.n), c.right);
        EXPECT_EQ(TextMid(c.text, c.start, c.n), c.mid);
    }
    EXPECT_EQ(TextLength(kZhong + "a"), 3);
}

struct FindCase {
    Text text, sought;
    std::optional<std::int32_t> start;
    bool ignoreCase;
    std::int32_t forward, reverse;
};

TEST(TextSearch, ForwardAndReversePositions) {
    const std::vector<FindCase> cases = {
        // text, sought, start, ignoreCase, FindText, FindTextReverse
        {"a.b.c", ".", std::nullopt, false, 2, 4},
        {"a.b.c", ".", 3, false, 4, 2},
        {"a.b.c", ".", 0, false, 2, -1},
        {"a.b.c", ".", 1, false, 2, -1},
        {"a.b.c", ".", 6, false, -1, 4},
        {"a.b.c", ".", 4, false, 4, 2},
        {"a.b.c", ".", 2, false, 2, -1},
        {"a.b.c", ".", 9, false, -1, 4},
        {"a.b.c", ".", 5, false, -1, 4},
        {"a.b.c", "c", 6, false, -1, 5},  // start = length + 1: the whole text is the region
        {"a.b.c", "c", 5, false, 5, -1},  // an occurrence that ends at start - 1 is needed
        {"aaa", "aa", std::nullopt, false, 1, 2},
        {"User-Agent: x", "user-agent:", std::nullopt, true, 1, 1},
        {"User-Agent: x", "user-agent:", std::nullopt, false, -1, -1},
        {"abc", "abcd", std::nullopt, false, -1, -1},
        {"ab", "", std::nullopt, false, 1, 1},
        {"ab", "", 2, false, 1, 1},  // an empty sought text gives 1 for any non-empty region
        {"ab", "", 3, false, -1, 1},
        {"ab", "", 1, false, 1, -1},
        {"", "", std::nullopt, false, -1, -1},
        {"", "a", std::nullopt, false, -1, -1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE("'" + c.text + "' sought '" + c.sought + "' start " + (c.start ? std::to_string(*c.start) : "-") +
                     (c.ignoreCase ? " ignoring case" : ""));
        EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.forward);
        EXPECT_EQ(FindTextReverse(c.text, c.sought, c.start, c.ignoreCase), c.reverse);
    }
}

TEST(TextSearch, IgnoreCaseFoldsOnlyAsciiLetters) {
    // 0xC1 and 0xE1 differ by 0x20 like a letter pair, but are not letters.
    EXPECT_EQ(FindText("x\xC1\x41", "\xE1\x41", std::nullopt, true), -1);
    EXPECT_EQ(FindText("x@", "`", std::nullopt, true), -1);   // 0x40 / 0x60
    EXPECT_EQ(FindText("x[", "{", std::nullopt, true), -1);   // 0x5B / 0x7B
    EXPECT_EQ(FindText("xZ", "z", std::nullopt, true), 2);
    // Folding is byte by byte, also for a letter that is the second byte of a character.
    EXPECT_EQ(FindText(kTrailA, "\x81\x61", std::nullopt, true), 1);
    EXPECT_EQ(FindText(kTrailA, "\x81\x61", std::nullopt, false), -1);
}

TEST(TextSearch, NeverMatchesOnSecondByteOfCharacter) {
    EXPECT_EQ(FindText(kTrailA, "A"), -1);
    EXPECT_EQ(FindText(kTrailA, "a", std::nullopt, true), -1);
    EXPECT_EQ(FindTextReverse(kTrailA, "A"), -1);
    EXPECT_EQ(FindText(kTrailA + "A", "A"), 3);
    EXPECT_EQ(FindTextReverse("A" + kTrailA, "A"), 1);
    // 中 is 0xD6 0xD0; "\xD0\xD6" straddles two characters of 中中 and must not be found.
    EXPECT_EQ(FindText(kZhong + kZhong, "\xD0\xD6"), -1);
    EXPECT_EQ(FindTextReverse(kZhong + kZhong, "\xD0\xD6"), -1);
    // Boundaries count from where the scan begins: from position 2 the 'A' is a character.
    EXPECT_EQ(FindText(kTrailA, "A", 2), 2);
    // The reverse scan always counts from the first byte, whatever its start.
    EXPECT_EQ(FindTextReverse(kTrailA + "A", "A", 3), -1);
    // Past the 64-byte blocks of the fast scan: a long run of two-byte characters keeps the parity.
    Text longText;
    for (int i = 0; i < 100; ++i) longText += kTrailA;
    EXPECT_EQ(FindText(longText, "A"), -1);
    EXPECT_EQ(FindText(longText + "A", "A"), 201);
    EXPECT_EQ(FindText("x" + longText, "A", 3), 3);
    EXPECT_EQ(FindTextReverse(longText + "A" + longText, "A"), 201);
}

TEST(TextReplace, CaseAndOverlapRules) {
    struct Case { Text text, sought; std::optional<Text> replacement; bool caseSensitive; Text expected; };
    const std::vector<Case> cases = {
        {"aXbxc", "x", Text("-"), false, "a-b-c"},
        {"aXbxc", "x", Text("-"), true, "aXb-c"},
        {"aaaa", "aa", Text("a"), true, "aa"},
        {"aaa", "aa", Text("b"), true, "ba"},
        {"abc", "b", std::nullopt, true, "ac"},         // an absent replacement deletes
        {"abab", "ab", Text("abab"), true, "abababab"},  // a replacement is never searched again
        {"abc", "", Text("x"), true, "abc"},
        {"", "a", Text("x"), true, ""},
        {"abc", "abcd", Text("x"), true, "abc"},
        {"a;b", ";", Text(kZhong), true, "a" + kZhong + "b"},
        {kTrailA, "A", Text("z"), true, kTrailA},
        {kTrailA, "a", Text("z"), false, kTrailA},
        {kTrailA + "A", "A", Text("z"), true, kTrailA + "z"},
        {"\xC1\x41" "A", "A", Text("-"), true, "\xC1\x41-"},
        {"Set-Cookie: a\r\nset-cookie: b", "SET-COOKIE", Text("X"), false, "X: a\r\nX: b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "' sought '" + c.sought + "'");
        EXPECT_EQ(ReplaceText(c.text, c.sought, c.replacement, c.caseSensitive), c.expected);
    }
}

TEST(TextSplit, PiecesBetweenSeparators) {
    struct Case { Text text, separator; TextArray pieces; };
    const std::vector<Case> cases = {
        {"", ";", {}},
        {"abc", ";", {"abc"}},
        {"abc", "", {"abc"}},
        {"a;;b", ";", {"a", "", "b"}},
        {"a;b;", ";", {"a", "b"}},
        {";", ";", {""}},
        {";a", ";", {"", "a"}},
        {"A\r\nB\r\n\r\n", "\r\n", {"A", "B", ""}},
        {"a; b;c", "; ", {"a", "b;c"}},
        {"www.example.com", ".", {"www", "example", "com"}},
        {kTrailA, "A", {kTrailA}},
        {kTrailSemicolon + ";x", ";", {kTrailSemicolon, "x"}},
        {kZhong + "." + kZhong, ".", {kZhong, kZhong}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "' on '" + c.separator + "'");
        EXPECT_EQ(SplitText(c.text, c.separator), c.pieces);
    }
}

TEST(TextSpaces, TrimAndRemoveHalfAndFullWidthSpaces) {
    struct Case { Text text, trimmed, removed; };
    const std::vector<Case> cases = {
        {"  a b  ", "a b", "ab"},
        {"\ta ", "\ta", "\ta"},                                // tab is not a space
        {"\r\n a \r\n", "\r\n a \r\n", "\r\na\r\n"},
        {kFullSpace + "a" + kFullSpace, "a", "a"},
        {kFullSpace + " " + kFullSpace, "", ""},
        {"", "", ""},
        {"   ", "", ""},
        // 0xA1 0xA1 where the first 0xA1 is the second byte of the character before: no space.
        {"\x81\xA1\xA1\x41", "\x81\xA1\xA1\x41", "\x81\xA1\xA1\x41"},
        {"a\x81\xA1\xA1", "a\x81\xA1\xA1", "a\x81\xA1\xA1"},
        // A space byte that is a second byte (malformed, lead then 0x20) is part of its character.
        {"\x81 x ", "\x81 x", "\x81 x"},
        {" " + kZhong + " " + kZhong + " ", kZhong + " " + kZhong, kZhong + kZhong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        EXPECT_EQ(TrimSpaces(c.text), c.trimmed);
        EXPECT_EQ(RemoveAllSpaces(c.text), c.removed);
    }
}

TEST(TextCase, ToLowerOnlyChangesOneByteCapitals) {
    EXPECT_EQ(ToLower("AbC-Z@[`"), "abc-z@[`");
    EXPECT_EQ(ToLower(kTrailA), kTrailA);
    EXPECT_EQ(ToLower(kTrailA + "A"), kTrailA + "a");
    EXPECT_EQ(ToLower("\xC1\xC1"), "\xC1\xC1");
    EXPECT_EQ(ToLower(""), "");
}

TEST(TextNumbers, TextToIntReadsTheLeadingNumber) {
    struct Case { Text text; std::int32_t value; };
    const std::vector<Case> cases = {
        {"", 0},
        {"-12", -12},
        {"8080/path", 8080},
        {" 42x", 42},
        {"x42", 0},
        {"+7", 7},
        {"- 7", 0},
        {"\t\r\n\v\f 5", 5},
        {"\xA3\xB1\xA3\xB2", 12},                 // １２ full-width digits
        {"\xA3\xAD\xA3\xB3", -3},                 // －３
        {kFullSpace + "9", 9},                    // full-width space is skipped like a space
        {kZhong + "9", 0},
        {"\x81\xA3\xB1", 0},                      // 0xA3 0xB1 straddles characters: not a digit
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MAX},                // beyond the range the value saturates
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999", INT32_MAX},
        {"0000000000000000000042", 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        EXPECT_EQ(TextToInt(c.text), c.value);
    }
}

TEST(TextNumbers, IntToTextAndBack) {
    const std::vector<std::pair<std::int32_t, Text>> cases = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {1000, "1000"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(IntToText(value), text);
        EXPECT_EQ(TextToInt(text), value);
    }
}

TEST(TextMisc, CharBlankCompareConcat) {
    EXPECT_EQ(CharFromCode(0), "");
    EXPECT_EQ(CharFromCode(0x41), "A");
    EXPECT_EQ(CharFromCode(0xA1), "\xA1");
    EXPECT_EQ(CharFromCode(256), "");
    EXPECT_EQ(CharFromCode(-1), "");
    EXPECT_EQ(BlankText(3), "   ");
    EXPECT_EQ(BlankText(0), "");
    EXPECT_EQ(BlankText(-3), "");
    EXPECT_EQ(CompareText("abc", "abc"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);     // a proper prefix is the smaller
    EXPECT_GT(CompareText("abc", "ab"), 0);
    EXPECT_GT(CompareText("\x80", "a"), 0);     // bytes compare as unsigned values
    EXPECT_LT(CompareText("a", "\xFE"), 0);
    EXPECT_LT(CompareText("", "a"), 0);
    EXPECT_EQ(ConcatText(Text("a"), Text(""), Text("b"), Text("c")), "abc");
    EXPECT_EQ(ConcatText(Text("a"), Text("b"), "\r\n", std::string_view("c")), "ab\r\nc");  // literals after the first two
    EXPECT_EQ(BitOr(1, 2), 3);
    EXPECT_EQ(BitOr(1, 2, 4, 0x100), 0x107);
}

TEST(Bytes, LengthsClampsAndZeroBytes) {
    const ByteSet ab0c = {0x61, 0x00, 0x62};
    EXPECT_EQ(BytesToText(ab0c), "a");
    EXPECT_EQ(BytesToText({0x61, 0x62}), "ab");
    EXPECT_EQ(BytesToText({0x00, 0x62}), "");
    EXPECT_EQ(BytesLength(ab0c), 3);
    EXPECT_EQ(BytesLeft(ab0c, -1), ByteSet{});
    EXPECT_EQ(BytesLeft(ab0c, 2), (ByteSet{0x61, 0x00}));
    EXPECT_EQ(BytesLeft(ab0c, 9), ab0c);
    EXPECT_EQ(BlankBytes(2), (ByteSet{0, 0}));
    EXPECT_EQ(BlankBytes(-1), ByteSet{});
    EXPECT_EQ(TextToBytes("a\xFF"), (ByteSet{0x61, 0xFF}));
    EXPECT_EQ(TextToBytes(""), ByteSet{});
    EXPECT_EQ(ConcatBytes(ByteSet{}, ab0c, ByteSet{}, ByteSet{0x01}), (ByteSet{0x61, 0x00, 0x62, 0x01}));
}

TEST(TextExtract, BetweenMarkers) {
    struct Case { Text text, left, right; std::optional<std::int32_t> start; std::optional<bool> ignoreCase; Text expected; };
    const std::vector<Case> cases = {
        {"User-Agent: X\r\nAccept: */*\r\n", "User-Agent:", "\r\n", {}, {}, " X"},
        {"b]a[", "[", "]", {}, {}, ""},               // the right marker only before the left one
        {"a[b", "[", "]", {}, {}, ""},
        {"ab", "[", "]", {}, {}, ""},
        {"x=\"1\"", "x=" + kQuote, kQuote, {}, {}, "1"},
        {"[]", "[", "]", {}, {}, ""},
        {"[a][b]", "[", "]", 2, {}, "b"},
        {"<B>x</b>", "<b>", "</B>", {}, true, "x"},
        {"<B>x</b>", "<b>", "</B>", {}, {}, ""},
        {"aXa", "a", "a", {}, {}, "X"},              // the right marker is searched after the left one
        {kTrailA + "Ax]", "A", "]", {}, {}, "x"},     // the 'A' inside 0x81 0x41 is no marker
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "' between '" + c.left + "' and '" + c.right + "'");
        EXPECT_EQ(ExtractBetween(c.text, c.left, c.right, c.start, c.ignoreCase), c.expected);
    }
}

TEST(TextExtract, AfterColon) {
    EXPECT_EQ(TextAfterColon("Host: a:b"), "a:b");
    EXPECT_EQ(TextAfterColon("abc"), "");
    EXPECT_EQ(TextAfterColon("a:"), "");
    EXPECT_EQ(TextAfterColon("Name:" + kFullSpace + "v " + kFullSpace), "v");
    EXPECT_EQ(TextAfterColon(":\tv"), "\tv");
}

// A cut two-byte character at the very end of a text is a one-byte character of its own.
TEST(TextCutCharacter, TrailingLeadByteIsItsOwnCharacter) {
    const Text cut = "ab\x81";
    EXPECT_EQ(FindText(cut, "\x81"), 3);
    EXPECT_EQ(FindTextReverse(cut, "\x81"), 3);
    EXPECT_EQ(FindText(cut, "\x81\x41"), -1);
    EXPECT_EQ(ReplaceText(cut, "\x81", Text("?"), true), "ab?");
    EXPECT_EQ(ReplaceText(cut, "b", Text("?"), true), "a?\x81");
    EXPECT_EQ(SplitText(cut, "b"), (TextArray{"a", "\x81"}));
    EXPECT_EQ(TrimSpaces(" \xA1"), "\xA1");
    EXPECT_EQ(RemoveAllSpaces(" \xA1"), "\xA1");
    EXPECT_EQ(ToLower("A\xA3"), "a\xA3");
    EXPECT_EQ(TextToInt("7\xA3"), 7);
    EXPECT_EQ(TextToInt("\xA3"), 0);
}

}  // namespace
}  // namespace velloran
