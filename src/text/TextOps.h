#pragma once
// The text and byte vocabulary of the system: exact position, range, case and space rules.
//
// Positions are 1-based byte positions, lengths are byte counts, a search that finds nothing
// yields -1. Operations called character-aware step through a text one character at a time
// (one byte below 0x80, two bytes from 0x80 on), so they never match on the second byte of a
// two-byte character. Every routine is pure and safe on any number of threads at once.
//
// A last byte of 0x80 or above with nothing after it (a cut two-byte character) counts as a
// one-byte character: it can be found, and is otherwise kept as it is. TextToInt saturates at
// INT32_MAX / INT32_MIN beyond the 32-bit range. An empty sought text is found at position 1 of
// any non-empty searched region.

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/TextTypes.h"

namespace velloran {

std::int32_t TextLength(const Text& text);
Text TextLeft(const Text& text, std::int32_t n);
Text TextRight(const Text& text, std::int32_t n);
Text TextMid(const Text& text, std::int32_t start, std::int32_t n);

// First occurrence at or after `start`; character-aware.
std::int32_t FindText(const Text& text, const Text& sought, std::optional<std::int32_t> start = std::nullopt,
                      std::optional<bool> ignoreCase = std::nullopt);
// Last occurrence that ends before `start`; character-aware.
std::int32_t FindTextReverse(const Text& text, const Text& sought, std::optional<std::int32_t> start = std::nullopt,
                             std::optional<bool> ignoreCase = std::nullopt);
// Every occurrence replaced, left to right, never overlapping; an absent replacement deletes.
Text ReplaceText(const Text& text, const Text& sought, const std::optional<Text>& replacement, bool caseSensitive);
TextArray SplitText(const Text& text, const Text& separator);
Text TrimSpaces(const Text& text);
Text RemoveAllSpaces(const Text& text);
Text ToLower(const Text& text);
std::int32_t TextToInt(const Text& text);
Text IntToText(std::int32_t value);
Text CharFromCode(std::int32_t code);
Text BlankText(std::int32_t n);
std::int32_t CompareText(const Text& a, const Text& b);

template <class... More>
Text ConcatText(const Text& a, const Text& b, const More&... more) {
    // Later arguments may be anything a text converts from (a Text, a literal, a string_view).
    Text out;
    out.reserve(a.size() + b.size() + (std::size_t{0} + ... + std::string_view(more).size()));
    out.append(a);
    out.append(b);
    (out.append(std::string_view(more)), ...);
    return out;
}

std::int32_t BytesLength(const ByteSet& bytes);
ByteSet BlankBytes(std::int32_t n);
ByteSet BytesLeft(const ByteSet& bytes, std::int32_t n);
ByteSet TextToBytes(const Text& text);
Text BytesToText(const ByteSet& bytes);

template <class... More>
ByteSet ConcatBytes(const ByteSet& a, const ByteSet& b, const More&... more) {
    ByteSet out;
    out.reserve(a.size() + b.size() + (std::size_t{0} + ... + more.size()));
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    (out.insert(out.end(), more.begin(), more.end()), ...);
    return out;
}

template <class... More>
constexpr std::int32_t BitOr(std::int32_t a, std::int32_t b, More... more) {
    return ((a | b) | ... | static_cast<std::int32_t>(more));
}

// The bytes between the first left marker at or after `start` and the first right marker after it;
// "#引号" in a marker stands for a double quote.
Text ExtractBetween(const Text& text, const Text& leftMarker, const Text& rightMarker,
                    std::optional<std::int32_t> start = std::nullopt, std::optional<bool> ignoreCase = std::nullopt);
// Everything after the first ":", trimmed of spaces.
Text TextAfterColon(const Text& text);

}  // namespace velloran
