#pragma once
// The character-stepping scans behind the text operations.
//
// A text is read one character at a time from a byte known to begin a character: a byte below
// 0x80 is one character, a byte of 0x80 or above begins a two-byte character. A GBK second byte
// can be 0x40..0x7E, so a byte alone does not tell whether it begins a character; every scan here
// counts boundaries from the byte where it began (or from a byte it declares a boundary), and
// only the byte after a byte below 0x80 is known to begin a character wherever it stands.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "text/TextTypes.h"

namespace velloran::scan {

using Bytes = std::span<const std::uint8_t>;

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

inline Bytes BytesOf(std::string_view text) {
    return Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// The length of the character that begins at `at`: 1, or 2 for a lead byte (1 when the text
// ends right after the lead byte).
inline std::size_t CharLength(Bytes bytes, std::size_t at) {
    return (bytes[at] >= 0x80 && at + 1 < bytes.size()) ? 2 : 1;
}

// The first offset at or after `from` (itself a character boundary) where `needle` matches at a
// character boundary, counting boundaries from `from`; kNotFound when there is none. With `fold`
// the ASCII letters compare equal to their other case, byte by byte. `needle` must not be empty.
std::size_t FindAtBoundary(Bytes hay, std::size_t from, Bytes needle, bool fold);

// The last match at a character boundary counted from the first byte; matches may overlap.
std::size_t FindLastAtBoundary(Bytes hay, Bytes needle, bool fold);

// Every match replaced, left to right, never overlapping; the scan goes on right after each
// match. `needle` must not be empty.
Text ReplaceAll(const Text& text, Bytes needle, std::string_view replacement, bool fold);

// The pieces between exact matches of `separator` (not empty); no empty last piece.
TextArray SplitAll(const Text& text, Bytes separator);

// The text without its space characters (0x20 and the full-width 0xA1 0xA1).
Text RemoveSpaces(const Text& text);

// The offset of the first character that is not a space.
std::size_t SkipLeadingSpaces(Bytes bytes);

// The end of the last character that is not a space, scanning from `begin` (a boundary);
// `begin` itself when only spaces follow it.
std::size_t EndBeforeTrailingSpaces(Bytes bytes, std::size_t begin);

// Adds 0x20 to every byte 0x41..0x5A that stands as a one-byte character.
void LowerSingleByteCapitals(Text& text);

}  // namespace velloran::scan
