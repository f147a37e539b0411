#pragma once
// Slow reference versions of the character-aware text operations, written one character step at
// a time exactly as the rules read, with no shortcut of any kind. The real operations are checked
// against them on random texts.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>
#include <algorithm>

#include "text/TextTypes.h"

namespace velloran::reference {

inline unsigned Byte(const Text& t, std::size_t i) { return static_cast<unsigned char>(t[i]); }

// One step of the scan: one byte below 0x80, two bytes from 0x80 on.
inline std::size_t Step(const Text& t, std::size_t i) { return Byte(t, i) < 0x80 ? 1 : 2; }

inline bool IsLetter(unsigned b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

inline bool BytesEqual(unsigned a, unsigned b, bool ignoreCase) {
    if (a == b) return true;
    return ignoreCase && IsLetter(a) && IsLetter(b) && (a ^ 0x20u) == b;
}

inline bool MatchAt(const Text& t, std::size_t at, const Text& sought, bool ignoreCase) {
    for (std::size_t k = 0; k < sought.size(); ++k) {
        if (!BytesEqual(Byte(t, at + k), Byte(sought, k), ignoreCase)) return false;
    }
    return true;
}

inline std::int32_t FindText(const Text& text, const Text& sought, std::optional<std::int32_t> start, bool ignoreCase) {
    std::int64_t first = 1;
    if (start && *start > 1) first = *start;
    if (first > static_cast<std::int64_t>(text.size())) return -1;  // empty region
    if (sought.empty()) return 1;
    for (std::size_t i = static_cast<std::size_t>(first - 1); i < text.size(); i += Step(text, i)) {
        if (text.size() - i >= sought.size() && MatchAt(text, i, sought, ignoreCase)) return static_cast<std::int32_t>(i + 1);
    }
    return -1;
}

inline std::int32_t FindTextReverse(const Text& text, const Text& sought, std::optional<std::int32_t> start,
                                    bool ignoreCase) {
    std::int64_t regionSize = static_cast<std::int64_t>(text.size());
    if (start && *start <= static_cast<std::int64_t>(text.size()) + 1) regionSize = *start <= 1 ? 0 : *start - 1;
    if (regionSize == 0) return -1;
    if (sought.empty()) return 1;
    std::int32_t last = -1;
    for (std::size_t i = 0; i < text.size(); i += Step(text, i)) {
        if (static_cast<std::int64_t>(i + sought.size()) <= regionSize && MatchAt(text, i, sought, ignoreCase)) {
            last = static_cast<std::int32_t>(i + 1);
        }
    }
    return last;
}

inline Text ReplaceText(const Text& text, const Text& sought, const std::optional<Text>& replacement, bool caseSensitive) {
    if (text.empty() || sought.empty()) return text;
    Text out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= sought.size() && MatchAt(text, i, sought, !caseSensitive)) {
            out += replacement.value_or(Text());
            i += sought.size();
        } else {
            const std::size_t n = std::min(Step(text, i), text.size() - i);
            out += text.substr(i, n);
            i += n;
        }
    }
    return out;
}

inline TextArray SplitText(const Text& text, const Text& separator) {
    if (text.empty()) return {};
    if (separator.empty()) return {text};
    TextArray pieces;
    std::size_t pieceStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= separator.size() && MatchAt(text, i, separator, false)) {
            pieces.push_back(text.substr(pieceStart, i - pieceStart));
            i += separator.size();
            pieceStart = i;
        } else {
            i += Step(text, i);
        }
    }
    if (pieceStart < text.size()) pieces.push_back(text.substr(pieceStart));
    return pieces;
}

// The characters of a text as (offset, length) spans, one step at a time.
struct CharSpan {
    std::size_t at, length;
};

inline std::vector<CharSpan> Characters(const Text& text) {
    std::vector<CharSpan> chars;
    for (std::size_t i = 0; i < text.size(); i += Step(text, i)) chars.push_back({i, std::min(Step(text, i), text.size() - i)});
    return chars;
}

// 0x20, or 0xA1 0xA1 (the full-width space) as one character.
inline bool IsSpace(const Text& text, CharSpan c) {
    if (c.length == 1) return text[c.at] == ' ';
    return Byte(text, c.at) == 0xA1 && Byte(text, c.at + 1) == 0xA1;
}

inline Text TrimSpaces(const Text& text) {
    const std::vector<CharSpan> chars = Characters(text);
    std::size_t first = 0;
    std::size_t end = chars.size();
    while (first < end && IsSpace(text, chars[first])) ++first;
    while (end > first && IsSpace(text, chars[end - 1])) --end;
    if (first == end) return Text();
    return text.substr(chars[first].at, chars[end - 1].at + chars[end - 1].length - chars[first].at);
}

inline Text RemoveAllSpaces(const Text& text) {
    Text out;
    for (const CharSpan& c : Characters(text)) {
        if (!IsSpace(text, c)) out.append(text, c.at, c.length);
    }
    return out;
}

inline Text ToLower(const Text& text) {
    Text out = text;
    for (const CharSpan& c : Characters(text)) {
        if (c.length == 1 && text[c.at] >= 'A' && text[c.at] <= 'Z') out[c.at] = static_cast<char>(text[c.at] + 0x20);
    }
    return out;
}

// Full-width forms first, then the number the text begins with; beyond the 32-bit range the value
// saturates.
inline std::int32_t TextToInt(const Text& text) {
    Text narrow;
    for (const CharSpan& c : Characters(text)) {
        const unsigned lead = Byte(text, c.at);
        const unsigned trail = c.length == 2 ? Byte(text, c.at + 1) : 0;
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            narrow += static_cast<char>(trail - 0xA1 + 0x21);
        } else if (lead == 0xA1 && trail == 0xA1) {
            narrow += ' ';
        } else {
            narrow.append(text, c.at, c.length);
        }
    }
    std::size_t i = 0;
    while (i < narrow.size() && Text(" \t\n\v\f\r").find(narrow[i]) != Text::npos) ++i;
    bool negative = false;
    if (i < narrow.size() && (narrow[i] == '+' || narrow[i] == '-')) negative = narrow[i++] == '-';
    long double value = 0;
    while (i < narrow.size() && narrow[i] >= '0' && narrow[i] <= '9') value = value * 10 + (narrow[i++] - '0');
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace velloran::reference
