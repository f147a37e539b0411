#include "text/TextOps.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>

#include "text/TextOpsScan.h"

// Two behaviours the character rules leave open are fixed here:
//
// A cut two-byte character at the very end of a text (a last byte of 0x80 or above with nothing
// after it) is a character of its own, one byte long. The scan reaches it, so a sought text that
// is exactly that byte is found there; everything else keeps it unchanged: it is never a space,
// never lowered, never read as a full-width form, and a replacement or split leaves it in place.
//
// TextToInt saturates: a number beyond the 32-bit range gives INT32_MAX, or INT32_MIN when
// negative, the way the C library's strtol clamps a number it cannot hold.

namespace velloran {

namespace {

using scan::Bytes;
using scan::kNotFound;

std::string_view View(const Text& text) { return std::string_view(text); }

std::size_t Clamp(std::int32_t n, std::size_t size) {
    if (n <= 0) return 0;
    return std::min(static_cast<std::size_t>(n), size);
}

std::int32_t ToPosition(std::size_t offset) { return static_cast<std::int32_t>(offset + 1); }

// The "#引号" marker: '#' then 引 (0xD2 0xFD) and 号 (0xBA 0xC5) in code page 936. A constant
// array rather than a Text, so that it needs no start-up construction.
constexpr char kQuoteMarker[] = "#\xD2\xFD\xBA\xC5";

}  // namespace

std::int32_t TextLength(const Text& text) { return static_cast<std::int32_t>(text.size()); }

Text TextLeft(const Text& text, std::int32_t n) { return text.substr(0, Clamp(n, text.size())); }

Text TextRight(const Text& text, std::int32_t n) {
    const std::size_t count = Clamp(n, text.size());
    return text.substr(text.size() - count, count);
}

Text TextMid(const Text& text, std::int32_t start, std::int32_t n) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) return Text();
    const std::size_t offset = static_cast<std::size_t>(start) - 1;
    return text.substr(offset, Clamp(n, text.size() - offset));
}

std::int32_t FindText(const Text& text, const Text& sought, std::optional<std::int32_t> start,
                      std::optional<bool> ignoreCase) {
    const std::size_t from = (!start || *start <= 1) ? 0 : static_cast<std::size_t>(*start) - 1;
    if (from >= text.size()) return -1;
    // An empty sought text is found at position 1 of any non-empty region, whatever its start.
    if (sought.empty()) return 1;
    const std::size_t hit = scan::FindAtBoundary(scan::BytesOf(text), from, scan::BytesOf(sought), ignoreCase.value_or(false));
    return hit == kNotFound ? -1 : ToPosition(hit);
}

std::int32_t FindTextReverse(const Text& text, const Text& sought, std::optional<std::int32_t> start,
                             std::optional<bool> ignoreCase) {
    std::size_t regionSize = text.size();
    if (start && static_cast<std::int64_t>(*start) <= static_cast<std::int64_t>(text.size()) + 1) {
        if (*start <= 1) return -1;
        regionSize = static_cast<std::size_t>(*start) - 1;
    }
    if (regionSize == 0) return -1;
    if (sought.empty()) return 1;
    // Boundaries are counted from the first byte of the text, so the region is scanned forwards
    // and the last match that lies wholly inside it wins.
    const std::size_t hit =
        scan::FindLastAtBoundary(scan::BytesOf(text).first(regionSize), scan::BytesOf(sought), ignoreCase.value_or(false));
    return hit == kNotFound ? -1 : ToPosition(hit);
}

Text ReplaceText(const Text& text, const Text& sought, const std::optional<Text>& replacement, bool caseSensitive) {
    if (text.empty() || sought.empty()) return text;
    return scan::ReplaceAll(text, scan::BytesOf(sought), replacement ? View(*replacement) : std::string_view(),
                            !caseSensitive);
}

TextArray SplitText(const Text& text, const Text& separator) {
    if (text.empty()) return TextArray();
    if (separator.empty()) return TextArray{text};
    return scan::SplitAll(text, scan::BytesOf(separator));
}

Text TrimSpaces(const Text& text) {
    const Bytes bytes = scan::BytesOf(text);
    const std::size_t begin = scan::SkipLeadingSpaces(bytes);
    const std::size_t end = scan::EndBeforeTrailingSpaces(bytes, begin);
    return text.substr(begin, end - begin);
}

Text RemoveAllSpaces(const Text& text) { return scan::RemoveSpaces(text); }

Text ToLower(const Text& text) {
    Text out = text;
    scan::LowerSingleByteCapitals(out);
    return out;
}

std::int32_t TextToInt(const Text& text) {
    // Reads the text through the full-width mapping one character at a time; the number can only
    // stand at the beginning, so the rest of the text is never looked at.
    const Bytes bytes = scan::BytesOf(text);
    std::size_t at = 0;
    auto next = [&]() -> int {
        if (at >= bytes.size()) return -1;
        const std::uint8_t lead = bytes[at];
        if (lead < 0x80 || at + 1 >= bytes.size()) {
            ++at;
            return lead;
        }
        const std::uint8_t trail = bytes[at + 1];
        at += 2;
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return trail - 0xA1 + 0x21;
        if (lead == 0xA1 && trail == 0xA1) return 0x20;
        return 0x100;  // any other two-byte character: ends the number
    };
    int c = next();
    while (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') c = next();
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = (c == '-');
        c = next();
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    while (c >= '0' && c <= '9') {
        value = std::min<std::int64_t>(value * 10 + (c - '0'), kLimit);
        c = next();
    }
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

Text IntToText(std::int32_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return Text(digits, result.ptr);
}

Text CharFromCode(std::int32_t code) {
    // A text holds no zero byte, and a code outside one byte names no character: both give the
    // empty text.
    if (code <= 0 || code > 0xFF) return Text();
    return Text(1, static_cast<char>(static_cast<unsigned char>(code)));
}

Text BlankText(std::int32_t n) { return n <= 0 ? Text() : Text(static_cast<std::size_t>(n), ' '); }

std::int32_t CompareText(const Text& a, const Text& b) {
    // std::char_traits<char>::compare orders bytes as unsigned values.
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::int32_t BytesLength(const ByteSet& bytes) { return static_cast<std::int32_t>(bytes.size()); }

ByteSet BlankBytes(std::int32_t n) { return n <= 0 ? ByteSet() : ByteSet(static_cast<std::size_t>(n), 0); }

ByteSet BytesLeft(const ByteSet& bytes, std::int32_t n) {
    return ByteSet(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(Clamp(n, bytes.size())));
}

ByteSet TextToBytes(const Text& text) { return ByteSet(text.begin(), text.end()); }

Text BytesToText(const ByteSet& bytes) {
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return Text(bytes.begin(), zero);
}

Text ExtractBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, std::optional<std::int32_t> start,
                    std::optional<bool> ignoreCase) {
    const Text quoteMarker(kQuoteMarker);
    const Text quote("\"");
    const Text left = ReplaceText(leftMarker, quoteMarker, quote, true);
    const Text right = ReplaceText(rightMarker, quoteMarker, quote, true);
    const std::int32_t p = FindText(text, left, start, ignoreCase);
    if (p == -1) return Text();
    const std::int64_t q = std::int64_t{p} + TextLength(left);
    if (q > std::numeric_limits<std::int32_t>::max()) return Text();
    const std::int32_t r = FindText(text, right, static_cast<std::int32_t>(q), ignoreCase);
    if (r == -1) return Text();
    return TextMid(text, static_cast<std::int32_t>(q), static_cast<std::int32_t>(r - q));
}

Text TextAfterColon(const Text& text) {
    const std::int32_t p = FindText(text, ":");
    if (p == -1) return Text();
    return TrimSpaces(TextRight(text, TextLength(text) - p));
}

}  // namespace velloran
