// The character-aware operations against slow references written one step at a time, on seeded
// random GBK-ish texts. The alphabet is small and full of traps, so that letters, separators,
// spaces and digits often stand as second bytes, and long texts reach past the 64-byte blocks
// of the fast scans.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "text/ReferenceTextOps.h"
#include "text/TextOps.h"

namespace velloran {
namespace {

// Pieces the random texts are made of: one-byte characters, whole two-byte characters, and lone
// bytes of 0x80 and above that pair up with whatever follows them.
const std::vector<Text> kPieces = {
    "a", "A", "b", "B", ".", ";", " ", "\r", "\n", "\t", "1", "9", "-", "+", ":", "/",
    "\x81\x41",      // second byte 'A'
    "\x81\x3B",      // second byte ';' (malformed)
    "\xA1\xA1",      // full-width space
    "\xA3\xB1",      // full-width '1'
    "\xA3\xAD",      // full-width '-'
    "\xD6\xD0",      // 中
    "\xA1", "\x81", "\xA3", "\xC1", "\xE1", "\xFE",
};

class RandomTexts {
public:
    explicit RandomTexts(std::uint32_t seed) : engine_(seed) {}

    Text Make(std::size_t maxPieces) {
        const std::size_t count = std::uniform_int_distribution<std::size_t>(0, maxPieces)(engine_);
        Text text;
        for (std::size_t i = 0; i < count; ++i) text += kPieces[Index(kPieces.size())];
        return text;
    }

    // A sought text: usually a few pieces, sometimes a slice of the text itself (which may begin
    // on a second byte).
    Text Needle(const Text& text) {
        if (!text.empty() && Index(3) == 0) {
            const std::size_t at = Index(text.size());
            return text.substr(at, 1 + Index(4));
        }
        return Make(3);
    }

    std::optional<std::int32_t> Start(const Text& text) {
        if (Index(4) == 0) return std::nullopt;
        return std::uniform_int_distribution<std::int32_t>(-1, static_cast<std::int32_t>(text.size()) + 2)(engine_);
    }

    bool Coin() { return Index(2) == 0; }

    std::size_t Index(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(engine_); }

private:
    std::mt19937 engine_;
};

std::string Show(const Text& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

constexpr int kRounds = 4000;

// Short texts hit the one-character-at-a-time tail; long ones the block scan.
const std::vector<std::size_t> kTextSizes = {12, 200};

TEST(TextReference, SearchesMatchReference) {
    for (std::size_t maxPieces : kTextSizes) {
        RandomTexts random(1234 + static_cast<std::uint32_t>(maxPieces));
        for (int round = 0; round < kRounds; ++round) {
            const Text text = random.Make(maxPieces);
            const Text sought = random.Needle(text);
            const std::optional<std::int32_t> start = random.Start(text);
            const bool ignoreCase = random.Coin();
            SCOPED_TRACE("text '" + Show(text) + "' sought '" + Show(sought) + "' start " +
                         (start ? std::to_string(*start) : "-") + (ignoreCase ? " ignoring case" : ""));
            ASSERT_EQ(FindText(text, sought, start, ignoreCase), reference::FindText(text, sought, start, ignoreCase));
            ASSERT_EQ(FindTextReverse(text, sought, start, ignoreCase),
                      reference::FindTextReverse(text, sought, start, ignoreCase));
        }
    }
}

TEST(TextReference, ReplaceAndSplitMatchReference) {
    for (std::size_t maxPieces : kTextSizes) {
        RandomTexts random(99 + static_cast<std::uint32_t>(maxPieces));
        for (int round = 0; round < kRounds; ++round) {
            const Text text = random.Make(maxPieces);
            const Text sought = random.Needle(text);
            const std::optional<Text> replacement = random.Coin() ? std::optional<Text>(random.Make(2)) : std::nullopt;
            const bool caseSensitive = random.Coin();
            SCOPED_TRACE("text '" + Show(text) + "' sought '" + Show(sought) + "'");
            ASSERT_EQ(ReplaceText(text, sought, replacement, caseSensitive),
                      reference::ReplaceText(text, sought, replacement, caseSensitive));
            ASSERT_EQ(SplitText(text, sought), reference::SplitText(text, sought));
        }
    }
}

TEST(TextReference, SpacesCaseAndNumbersMatchReference) {
    for (std::size_t maxPieces : kTextSizes) {
        RandomTexts random(7 + static_cast<std::uint32_t>(maxPieces));
        for (int round = 0; round < kRounds; ++round) {
            const Text text = random.Make(maxPieces);
            SCOPED_TRACE("text '" + Show(text) + "'");
            ASSERT_EQ(TrimSpaces(text), reference::TrimSpaces(text));
            ASSERT_EQ(RemoveAllSpaces(text), reference::RemoveAllSpaces(text));
            ASSERT_EQ(ToLower(text), reference::ToLower(text));
            ASSERT_EQ(TextToInt(text), reference::TextToInt(text));
        }
    }
}

// Numbers are rare at the start of a random text, so TextToInt also gets texts built to begin
// with white space, a sign and digits in both widths.
TEST(TextReference, NumbersMatchReference) {
    const std::vector<Text> head = {" ", "\t", "\xA1\xA1", "+", "-", "\xA3\xAB", "\xA3\xAD", "0", "1", "7", "9",
                                    "\xA3\xB0", "\xA3\xB9", "x", "\x81"};
    RandomTexts random(42);
    for (int round = 0; round < kRounds; ++round) {
        Text text;
        const std::size_t count = random.Index(16);
        for (std::size_t i = 0; i < count; ++i) text += head[random.Index(head.size())];
        SCOPED_TRACE("text '" + Show(text) + "'");
        ASSERT_EQ(TextToInt(text), reference::TextToInt(text));
    }
}

// Long runs of two-byte characters put a lead byte on every offset of a 64-byte block, so the
// second byte that opens a block (and a block of nothing but high bytes, or nothing but ASCII)
// is reached with both parities.
TEST(TextReference, LongRunsOfTwoByteCharactersKeepTheirParity) {
    const std::vector<Text> prefixes = {"", "a", "\x81", "  "};
    const std::vector<Text> characters = {"\xD6\xD0" /* 中 */, "\x81\x41" /* second byte 'A' */, "\xA1\xA1" /* 　 */};
    const std::vector<Text> suffixes = {"", " ", "\xA1\xA1", " \xA1\xA1 ", "A", ";x", Text(70, 'A'), Text(70, ' ')};
    // The doubled needles overlap themselves inside a run: only non-overlapping ones are replaced.
    const std::vector<Text> needles = {"A", "a", ";", "\xD0\xD6", "\xD6\xD0", "\x41\x81", " ", "AA", "  ",
                                       "\xA1\xA1\xA1\xA1"};
    for (const Text& prefix : prefixes) {
        for (const Text& character : characters) {
            for (int count : {31, 32, 33, 64, 65, 100}) {
                for (const Text& suffix : suffixes) {
                    Text text = prefix;
                    for (int i = 0; i < count; ++i) text += character;
                    text += suffix;
                    SCOPED_TRACE("text '" + Show(text) + "'");
                    ASSERT_EQ(TrimSpaces(text), reference::TrimSpaces(text));
                    ASSERT_EQ(RemoveAllSpaces(text), reference::RemoveAllSpaces(text));
                    ASSERT_EQ(ToLower(text), reference::ToLower(text));
                    for (const Text& sought : needles) {
                        SCOPED_TRACE("sought '" + Show(sought) + "'");
                        ASSERT_EQ(FindText(text, sought, std::nullopt, true), reference::FindText(text, sought, std::nullopt, true));
                        ASSERT_EQ(FindTextReverse(text, sought), reference::FindTextReverse(text, sought, std::nullopt, false));
                        ASSERT_EQ(ReplaceText(text, sought, Text("#"), true), reference::ReplaceText(text, sought, Text("#"), true));
                        ASSERT_EQ(SplitText(text, sought), reference::SplitText(text, sought));
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace velloran
