// The code-page layer: its calling conventions, the whole code page 936 table against an
// independent mapping, and the decoding of broken input.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/codepages/CodePages.h"

namespace velloran::platform {
namespace {

std::u16string Decode(std::uint32_t codePage, const std::string& bytes) {
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    if (n > 0) {
        EXPECT_EQ(n, MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n));
    }
    return out;
}

std::string Encode(std::uint32_t codePage, std::uint32_t flags, const std::u16string& units) {
    const int n = WideCharToMultiByte(codePage, flags, units.data(), static_cast<int>(units.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    if (n > 0) {
        EXPECT_EQ(n, WideCharToMultiByte(codePage, flags, units.data(), static_cast<int>(units.size()), out.data(), n,
                                         nullptr, nullptr));
    }
    return out;
}

// ---- the whole code page 936 table against Python's cp936 codec (see make_cp936_fixture.py) ----

class Cp936TableTest : public ::testing::Test {
protected:
    static constexpr int kPairs = 126 * 191;

    void SetUp() override {
        std::ifstream in(VELLORAN_CP936_FIXTURE, std::ios::binary);
        std::vector<unsigned char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(raw.size(), 2u * (kPairs + 0x10000)) << "fixture missing or damaged: " << VELLORAN_CP936_FIXTURE;
        for (std::size_t i = 0; i < raw.size() / 2; ++i) {
            const auto value = static_cast<std::uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
            (i < kPairs ? pairs_ : encoded_).push_back(value);
        }
    }

    static bool InUserDefinedArea(int lead, int trail) {
        return (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1) || (lead >= 0xF8 && trail >= 0xA1) ||
               (lead >= 0xA1 && lead <= 0xA7 && trail <= 0xA0);
    }

    std::vector<std::uint16_t> pairs_;
    std::vector<std::uint16_t> encoded_;
};

TEST_F(Cp936TableTest, EveryPairDecodesAsTheReferenceOrAsWindowsAdds) {
    int checked = 0;
    std::u16string userDefined;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string got = Decode(CP_GBK, pair);
            const std::uint16_t expected = pairs_[static_cast<std::size_t>(lead - 0x81) * 191 + (trail - 0x40)];
            ASSERT_EQ(got.size(), 1u) << std::hex << lead << ' ' << trail;
            if (expected != 0) {
                ASSERT_EQ(got[0], expected) << std::hex << lead << ' ' << trail;
                ++checked;
            } else if (InUserDefinedArea(lead, trail)) {
                ASSERT_GE(got[0], 0xE000) << std::hex << lead << ' ' << trail;
                ASSERT_LE(got[0], 0xE765) << std::hex << lead << ' ' << trail;
                userDefined += got;
            } else {
                ASSERT_EQ(got[0], u'?') << std::hex << lead << ' ' << trail;
            }
        }
    }
    EXPECT_EQ(checked, 21791);  // every pair the reference knows was compared
    // The user-defined areas fill U+E000-U+E765 exactly once each.
    std::vector<bool> seen(0xE766 - 0xE000, false);
    for (char16_t u : userDefined) seen[u - 0xE000] = true;
    EXPECT_EQ(userDefined.size(), seen.size());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), static_cast<long>(seen.size()));
}

TEST_F(Cp936TableTest, EveryBmpCharacterEncodesAsTheReferenceOrRoundTrips) {
    for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::u16string unit(1, static_cast<char16_t>(cp));
        const std::string got = Encode(CP_GBK, 0, unit);
        const std::uint16_t expected = encoded_[cp];
        if (expected != 0xFFFF) {
            const std::string want = expected < 0x100 ? std::string(1, static_cast<char>(expected))
                                                      : std::string{static_cast<char>(expected >> 8),
                                                                    static_cast<char>(expected & 0xFF)};
            ASSERT_EQ(got, want) << std::hex << cp;
        } else if (got != "?") {
            // Only the Windows additions (0x80, 0xFF, the user-defined areas) go beyond the
            // reference, and each of them reads back as the same character.
            ASSERT_EQ(Decode(CP_GBK, got), unit) << std::hex << cp;
        }
    }
}

// Long runs take the converters' fast paths (whole words of ASCII, of pairs, of three-byte UTF-8
// characters, of two-byte characters); in one long input every character must come out exactly
// as it does on its own, wherever the runs start and end.
TEST(LongInputTest, RunsConvertAsCharacterByCharacter) {
    std::string gbk;
    std::u16string gbkUnits;
    int piece = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            // Pairs, broken now and then by a character that shifts where the next run starts.
            std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            if (++piece % 37 == 0) bytes += "a";
            if (piece % 101 == 0) bytes += "\x80";
            if (piece % 211 == 0) bytes += "abcdefghijklmnopq";
            gbk += bytes;
            gbkUnits += Decode(CP_GBK, bytes);
        }
    }
    EXPECT_EQ(Decode(CP_GBK, gbk), gbkUnits);

    std::string encoded;
    for (char16_t unit : gbkUnits) encoded += Encode(CP_GBK, 0, std::u16string(1, unit));
    EXPECT_EQ(Encode(CP_GBK, 0, gbkUnits), encoded);

    std::u16string bmp;
    std::string utf8;
    for (std::uint32_t cp = 1; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::u16string unit(1, static_cast<char16_t>(cp));
        bmp += unit;
        utf8 += Encode(CP_UTF8, 0, unit);
        if (cp % 53 == 0) {
            bmp += u"xy";
            utf8 += "xy";
        }
    }
    EXPECT_EQ(Decode(CP_UTF8, utf8), bmp);
    EXPECT_EQ(Encode(CP_UTF8, 0, bmp), utf8);
}

// ---- single bytes and broken pairs in code page 936 ----

struct DecodeCase {
    const char* name;
    std::uint32_t codePage;
    std::string bytes;
    std::u16string units;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, GivesTheUnits) {
    EXPECT_EQ(Decode(GetParam().codePage, GetParam().bytes), GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage936, DecodeTest,
    ::testing::Values(
        DecodeCase{"ChineseAndAscii", CP_GBK, "\xD6\xD0" "a", u"\u4E2Da"},
        DecodeCase{"AnsiIs936", CP_ACP, "\xD6\xD0", u"\u4E2D"},
        DecodeCase{"EuroSingleByte", CP_GBK, "\x80", u"\u20AC"},
        DecodeCase{"FFSingleByte", CP_GBK, "\xFF" "a", u"\uF8F5a"},
        DecodeCase{"FirstUserDefinedCode", CP_GBK, "\xAA\xA1", u"\uE000"},
        DecodeCase{"SecondUserDefinedArea", CP_GBK, "\xF8\xA1", u"\uE234"},
        DecodeCase{"ThirdUserDefinedArea", CP_GBK, "\xA1\x40", u"\uE4C6"},
        DecodeCase{"UndefinedPairIsOneQuestionMark", CP_GBK, "\xD7\xFA" "b", u"?b"},
        DecodeCase{"LeadBeforeAsciiKeepsTheAscii", CP_GBK, "\x81 \"", u"? \""},
        DecodeCase{"LeadBefore7FKeeps7F", CP_GBK, "\x81\x7F", u"?\x7F"},
        DecodeCase{"LeadBeforeFF", CP_GBK, "\x81\xFF", u"?\uF8F5"},
        DecodeCase{"LeadCutAtTheEnd", CP_GBK, "a\xD6", u"a?"},
        DecodeCase{"ZeroByteInsideACountedInput", CP_GBK, std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Utf8, DecodeTest,
    ::testing::Values(
        DecodeCase{"ThreeByteCharacter", CP_UTF8, "\xE4\xB8\xAD", u"\u4E2D"},
        DecodeCase{"FourByteCharacterIsASurrogatePair", CP_UTF8, "\xF0\x9F\x98\x80", u"\U0001F600"},
        DecodeCase{"OverlongTwoBytesAreTwoReplacements", CP_UTF8, "\xC0\x80", u"\uFFFD\uFFFD"},
        DecodeCase{"StrayContinuationByte", CP_UTF8, "a\x80" "b", u"a\uFFFDb"},
        DecodeCase{"CutSequenceIsOneReplacement", CP_UTF8, "\xE4\xB8" "A", u"\uFFFDA"},
        DecodeCase{"CutAtTheEnd", CP_UTF8, "a\xF0\x9F\x98", u"a\uFFFD"},
        DecodeCase{"EncodedSurrogate", CP_UTF8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"OverlongThreeBytes", CP_UTF8, "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"AboveU10FFFF", CP_UTF8, "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        DecodeCase{"InvalidLeadBytes", CP_UTF8, "\xF8\xFE", u"\uFFFD\uFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- encoding ----

struct EncodeCase {
    const char* name;
    std::uint32_t codePage;
    std::uint32_t flags;
    std::u16string units;
    std::string bytes;
};

class EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, GivesTheBytes) {
    EXPECT_EQ(Encode(GetParam().codePage, GetParam().flags, GetParam().units), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    All, EncodeTest,
    ::testing::Values(
        EncodeCase{"ChineseTo936", CP_GBK, 0, u"a\u4E2D", "a\xD6\xD0"},
        EncodeCase{"EuroTo80", CP_GBK, 0, u"\u20AC", "\x80"},
        EncodeCase{"UnrepresentableIsQuestionMark", CP_GBK, 0, u"\u0E01x", "?x"},
        EncodeCase{"SurrogatePairIsOneQuestionMark", CP_GBK, 0, u"\U0001F600!", "?!"},
        EncodeCase{"LoneSurrogateIsQuestionMark", CP_GBK, 0, u"\xD800" "a", "?a"},
        EncodeCase{"CompositeCheckComposesPinyin", CP_GBK, WC_COMPOSITECHECK, u"e\u0301", "\xA8\xA6"},
        EncodeCase{"CompositeCheckComposesTwice", CP_GBK, WC_COMPOSITECHECK, u"u\u0308\u0304", "\xA8\xB5"},
        EncodeCase{"CompositeCheckKeepsUncomposableApart", CP_GBK, WC_COMPOSITECHECK, u"x\u0301", "x?"},
        EncodeCase{"WithoutCompositeCheckTheMarkStaysApart", CP_GBK, 0, u"e\u0301", "e?"},
        EncodeCase{"Utf8", CP_UTF8, 0, u"a\u4E2D\U0001F600", "a\xE4\xB8\xAD\xF0\x9F\x98\x80"},
        EncodeCase{"Utf8LoneSurrogate", CP_UTF8, 0, u"\xDC00", "\xEF\xBF\xBD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WideCharToMultiByteTest, ReportsAndReplacesWithTheDefaultCharacter) {
    const std::u16string units = u"a\u0E01";
    char out[4] = {};
    bool used = false;
    const char star = '*';
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, units.data(), 2, out, 4, &star, &used), 2);
    EXPECT_EQ(std::string(out, 2), "a*");
    EXPECT_TRUE(used);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, units.data(), 1, out, 4, nullptr, &used), 1);
    EXPECT_FALSE(used);
    // UTF-8 takes neither a default character nor flags, as on Windows.
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, units.data(), 2, out, 4, nullptr, &used), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_COMPOSITECHECK, units.data(), 2, out, 4, nullptr, nullptr), 0);
}

// ---- the calling conventions ----

TEST(CallingConventionTest, MinusOneConvertsAndCountsTheTerminatingZero) {
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "a\xD6\xD0", -1, nullptr, 0), 3);
    char16_t wide[3] = {u'x', u'x', u'x'};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, wide, 3), 3);
    EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"ab\0", 3));

    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"a\u4E2D", -1, nullptr, 0, nullptr, nullptr), 4);
    char narrow[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"a\u4E2D", -1, narrow, 4, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(narrow, 4), std::string("a\xD6\xD0\0", 4));
}

TEST(CallingConventionTest, TooSmallABufferFails) {
    char16_t wide[2];
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", -1, wide, 2), 0);  // the zero no longer fits
    char narrow[3];
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"a\u4E2D", 2, narrow, 2, nullptr, nullptr), 0);  // half a character
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"a\u4E2D", 2, narrow, 3, nullptr, nullptr), 3);
}

TEST(CallingConventionTest, InvalidCallsFail) {
    char16_t wide[4];
    char narrow[4];
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, nullptr, -1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 0, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", -2, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, nullptr, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "ab", 2, wide, 4), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"ab", 0, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0x400, u"ab", 2, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"ab", 2, narrow, 4, nullptr, nullptr), 0);
}

}  // namespace
}  // namespace velloran::platform
