#include "platform/codepages/CodePages.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <string>

#include "platform/codepages/Cp936Table.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velloran::platform {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr char16_t kQuestionMark = u'?';

// Where converted units go. The count-only sink lets the compiler drop the work of finding each
// unit's value; the writing sink stops the conversion when the buffer is full.
template <class Unit>
class CountSink {
public:
    bool Reserve(std::size_t n) {
        count_ += n;
        return true;
    }
    void Put(Unit) {}
    std::size_t Count() const { return count_; }

private:
    std::size_t count_ = 0;
};

template <class Unit>
class WriteSink {
public:
    WriteSink(Unit* buffer, int capacity) : begin_(buffer), next_(buffer), end_(buffer + capacity) {}
    bool Reserve(std::size_t n) { return static_cast<std::size_t>(end_ - next_) >= n; }
    void Put(Unit unit) { *next_++ = unit; }
    std::size_t Count() const { return static_cast<std::size_t>(next_ - begin_); }

private:
    Unit* begin_;
    Unit* next_;
    Unit* end_;
};

// The Windows result: the count, or 0 for a failed conversion or a count too large to report.
int Result(bool ok, std::size_t count) { return !ok || count > 0x7FFFFFFF ? 0 : static_cast<int>(count); }

// Eight bytes at `p`, none of them 0x80 or above.
[[gnu::always_inline]] inline bool EightAscii(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

template <class Sink>
[[gnu::always_inline]] inline bool PutAsciiRun(const std::uint8_t* in, std::size_t length, std::size_t& i, Sink& out) {
    while (i + 8 <= length && EightAscii(in + i)) {
        if (!out.Reserve(8)) return false;
        for (int k = 0; k < 8; ++k) out.Put(in[i + k]);
        i += 8;
    }
    return true;
}

// Eight bytes at `p` that are all 0x81-0xFE: each is a valid lead byte and a valid trail byte, so
// from a character boundary they are exactly four pairs.
[[gnu::always_inline]] inline bool EightPairBytes(const std::uint8_t* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    auto hasZeroByte = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
    return (word & kHighs) == kHighs && !hasZeroByte(word ^ kHighs) && !hasZeroByte(~word);
}

#ifdef __SSE2__
// Sixteen bytes at `p` that are exactly eight pairs from a character boundary: a lead byte
// 0x81-0xFE at every even place, a trail byte 0x40-0x7E or 0x80-0xFE at every odd place.
[[gnu::always_inline]] inline bool SixteenPairBytes(const std::uint8_t* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i leadPlaces = _mm_set1_epi16(0x00FF);  // bytes 0, 2, 4, ... in memory order
    const __m128i highNotFF =
        _mm_andnot_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(-1)), _mm_cmplt_epi8(bytes, _mm_setzero_si128()));
    const __m128i lead = _mm_andnot_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(-128)), highNotFF);
    const __m128i lowTrail =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x3F)), _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x7F)));
    const __m128i trail = _mm_or_si128(highNotFF, lowTrail);
    const __m128i fits = _mm_or_si128(_mm_and_si128(leadPlaces, lead), _mm_andnot_si128(leadPlaces, trail));
    return _mm_movemask_epi8(fits) == 0xFFFF;
}
#endif

// ---- code page 936 -> UTF-16 ----

template <class Sink>
bool DecodeGbk(const std::uint8_t* in, std::size_t length, Sink& result) {
    // The loop works on a local copy of the sink, which the compiler can keep in registers even
    // while bytes are stored (a byte store may alias anything in memory).
    Sink out = result;
    const bool ok = [&]() -> bool {
        const Cp936Table& table = GetCp936Table();
        std::size_t i = 0;
        while (i < length) {
            const std::uint8_t b = in[i];
            char16_t unit;
            if (b < 0x80) {
                if (i + 8 <= length && EightAscii(in + i)) {
                    if (!PutAsciiRun(in, length, i, out)) return false;
                    continue;
                }
                unit = b;
                ++i;
#ifdef __SSE2__
            } else if (i + 16 <= length && SixteenPairBytes(in + i)) {
                do {
                    if (!out.Reserve(8)) return false;
                    for (int k = 0; k < 16; k += 2) out.Put(table.Pair(in[i + k], in[i + k + 1]));
                    i += 16;
                } while (i + 16 <= length && SixteenPairBytes(in + i));
                continue;
#endif
            } else if (i + 8 <= length && EightPairBytes(in + i)) {
                do {
                    if (!out.Reserve(4)) return false;
                    for (int k = 0; k < 8; k += 2) out.Put(table.Pair(in[i + k], in[i + k + 1]));
                    i += 8;
                } while (i + 8 <= length && EightPairBytes(in + i));
                continue;
            } else if (b == 0x80) {
                unit = 0x20AC;
                ++i;
            } else if (b == 0xFF) {
                unit = 0xF8F5;
                ++i;
            } else if (i + 1 < length && Cp936Table::IsTrail(in[i + 1])) {
                unit = table.Pair(b, in[i + 1]);
                i += 2;
            } else {
                unit = kQuestionMark;  // a lead byte without its trail byte
                ++i;
            }
            if (!out.Reserve(1)) return false;
            out.Put(unit);
        }
        return true;
    }();
    result = out;
    return ok;
}

// ---- UTF-8 -> UTF-16 ----

bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

template <class Sink>
bool DecodeUtf8(const std::uint8_t* in, std::size_t length, Sink& result) {
    // The loop works on a local copy of the sink, which the compiler can keep in registers even
    // while bytes are stored (a byte store may alias anything in memory).
    Sink out = result;
    const bool ok = [&]() -> bool {
        std::size_t i = 0;
        while (i < length) {
            const std::uint8_t b = in[i];
            if (b < 0x80) {
                if (i + 8 <= length && EightAscii(in + i)) {
                    if (!PutAsciiRun(in, length, i, out)) return false;
                    continue;
                }
                if (!out.Reserve(1)) return false;
                out.Put(b);
                ++i;
                continue;
            }
            // The common case of a page in Chinese: well-formed three-byte characters, two at a time.
            if ((b & 0xF0) == 0xE0) {
                const std::size_t runStart = i;
                while (i + 8 <= length) {
                    std::uint64_t word;
                    std::memcpy(&word, in + i, sizeof word);
                    if constexpr (std::endian::native == std::endian::little) {
                        if ((word & 0x0000C0C0F0C0C0F0ull) != 0x00008080E08080E0ull) break;
                    } else {
                        break;
                    }
                    const std::uint32_t first = (in[i] & 0x0Fu) << 12 | (in[i + 1] & 0x3Fu) << 6 | (in[i + 2] & 0x3Fu);
                    const std::uint32_t second =
                        (in[i + 3] & 0x0Fu) << 12 | (in[i + 4] & 0x3Fu) << 6 | (in[i + 5] & 0x3Fu);
                    // Neither overlong nor an encoded surrogate.
                    if (((first >= 0x800) & (first - 0xD800 >= 0x800) & (second >= 0x800) & (second - 0xD800 >= 0x800)) ==
                        0) {
                        break;
                    }
                    if (!out.Reserve(2)) return false;
                    out.Put(static_cast<char16_t>(first));
                    out.Put(static_cast<char16_t>(second));
                    i += 6;
                }
                if (i != runStart) continue;  // the next byte is read afresh
            }
            if ((b & 0xF0) == 0xE0 && i + 2 < length && IsContinuation(in[i + 1]) && IsContinuation(in[i + 2])) {
                const std::uint32_t cp = (b & 0x0Fu) << 12 | (in[i + 1] & 0x3Fu) << 6 | (in[i + 2] & 0x3Fu);
                if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
                    if (!out.Reserve(1)) return false;
                    out.Put(static_cast<char16_t>(cp));
                    i += 3;
                    continue;
                }
            }
            // The allowed range of the second byte and the number of continuation bytes, by lead byte;
            // this rules out overlong forms, encoded surrogates and code points above U+10FFFF.
            int extra = 0;
            std::uint8_t low = 0x80, high = 0xBF;
            std::uint32_t cp = 0;
            if (b >= 0xC2 && b <= 0xDF) {
                extra = 1;
                cp = b & 0x1F;
            } else if (b >= 0xE0 && b <= 0xEF) {
                extra = 2;
                cp = b & 0x0F;
                if (b == 0xE0) low = 0xA0;
                if (b == 0xED) high = 0x9F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                extra = 3;
                cp = b & 0x07;
                if (b == 0xF0) low = 0x90;
                if (b == 0xF4) high = 0x8F;
            } else {
                if (!out.Reserve(1)) return false;  // a stray continuation byte or an invalid lead byte
                out.Put(kReplacementCharacter);
                ++i;
                continue;
            }
            std::size_t j = i + 1;
            bool complete = true;
            for (int k = 0; k < extra; ++k, ++j) {
                const std::uint8_t c = j < length ? in[j] : 0;
                const bool ok = j < length && (k == 0 ? (c >= low && c <= high) : IsContinuation(c));
                if (!ok) {
                    complete = false;
                    break;
                }
                cp = cp << 6 | (c & 0x3F);
            }
            if (!complete) {
                // The maximal valid prefix becomes one replacement; the offending byte starts afresh.
                if (!out.Reserve(1)) return false;
                out.Put(kReplacementCharacter);
                i = j;
                continue;
            }
            if (cp >= 0x10000) {
                cp -= 0x10000;
                if (!out.Reserve(2)) return false;
                out.Put(static_cast<char16_t>(0xD800 + (cp >> 10)));
                out.Put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
            } else {
                if (!out.Reserve(1)) return false;
                out.Put(static_cast<char16_t>(cp));
            }
            i = j;
        }
        return true;
    }();
    result = out;
    return ok;
}

// ---- UTF-16 -> code page 936 ----

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool IsSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// Base character + nonspacing mark -> the precomposed character, for every precomposed character
// that code page 936 holds (pinyin vowels, Cyrillic, kana with voicing marks, negated relations).
struct Composition {
    char16_t base;
    char16_t mark;
    char16_t composed;
};
constexpr Composition kCompositions[] = {
    {0x003C, 0x0338, 0x226E}, {0x003D, 0x0338, 0x2260}, {0x003E, 0x0338, 0x226F}, {0x0061, 0x0300, 0x00E0},
    {0x0061, 0x0301, 0x00E1}, {0x0061, 0x0304, 0x0101}, {0x0061, 0x030C, 0x01CE}, {0x0065, 0x0300, 0x00E8},
    {0x0065, 0x0301, 0x00E9}, {0x0065, 0x0302, 0x00EA}, {0x0065, 0x0304, 0x0113}, {0x0065, 0x030C, 0x011B},
    {0x0069, 0x0300, 0x00EC}, {0x0069, 0x0301, 0x00ED}, {0x0069, 0x0304, 0x012B}, {0x0069, 0x030C, 0x01D0},
    {0x006E, 0x0301, 0x0144}, {0x006E, 0x030C, 0x0148}, {0x006F, 0x0300, 0x00F2}, {0x006F, 0x0301, 0x00F3},
    {0x006F, 0x0304, 0x014D}, {0x006F, 0x030C, 0x01D2}, {0x0075, 0x0300, 0x00F9}, {0x0075, 0x0301, 0x00FA},
    {0x0075, 0x0304, 0x016B}, {0x0075, 0x0308, 0x00FC}, {0x0075, 0x030C, 0x01D4}, {0x00FC, 0x0300, 0x01DC},
    {0x00FC, 0x0301, 0x01D8}, {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x030C, 0x01DA}, {0x0415, 0x0308, 0x0401},
    {0x0418, 0x0306, 0x0419}, {0x0435, 0x0308, 0x0451}, {0x0438, 0x0306, 0x0439}, {0x304B, 0x3099, 0x304C},
    {0x304D, 0x3099, 0x304E}, {0x304F, 0x3099, 0x3050}, {0x3051, 0x3099, 0x3052}, {0x3053, 0x3099, 0x3054},
    {0x3055, 0x3099, 0x3056}, {0x3057, 0x3099, 0x3058}, {0x3059, 0x3099, 0x305A}, {0x305B, 0x3099, 0x305C},
    {0x305D, 0x3099, 0x305E}, {0x305F, 0x3099, 0x3060}, {0x3061, 0x3099, 0x3062}, {0x3064, 0x3099, 0x3065},
    {0x3066, 0x3099, 0x3067}, {0x3068, 0x3099, 0x3069}, {0x306F, 0x3099, 0x3070}, {0x306F, 0x309A, 0x3071},
    {0x3072, 0x3099, 0x3073}, {0x3072, 0x309A, 0x3074}, {0x3075, 0x3099, 0x3076}, {0x3075, 0x309A, 0x3077},
    {0x3078, 0x3099, 0x3079}, {0x3078, 0x309A, 0x307A}, {0x307B, 0x3099, 0x307C}, {0x307B, 0x309A, 0x307D},
    {0x309D, 0x3099, 0x309E}, {0x30A6, 0x3099, 0x30F4}, {0x30AB, 0x3099, 0x30AC}, {0x30AD, 0x3099, 0x30AE},
    {0x30AF, 0x3099, 0x30B0}, {0x30B1, 0x3099, 0x30B2}, {0x30B3, 0x3099, 0x30B4}, {0x30B5, 0x3099, 0x30B6},
    {0x30B7, 0x3099, 0x30B8}, {0x30B9, 0x3099, 0x30BA}, {0x30BB, 0x3099, 0x30BC}, {0x30BD, 0x3099, 0x30BE},
    {0x30BF, 0x3099, 0x30C0}, {0x30C1, 0x3099, 0x30C2}, {0x30C4, 0x3099, 0x30C5}, {0x30C6, 0x3099, 0x30C7},
    {0x30C8, 0x3099, 0x30C9}, {0x30CF, 0x3099, 0x30D0}, {0x30CF, 0x309A, 0x30D1}, {0x30D2, 0x3099, 0x30D3},
    {0x30D2, 0x309A, 0x30D4}, {0x30D5, 0x3099, 0x30D6}, {0x30D5, 0x309A, 0x30D7}, {0x30D8, 0x3099, 0x30D9},
    {0x30D8, 0x309A, 0x30DA}, {0x30DB, 0x3099, 0x30DC}, {0x30DB, 0x309A, 0x30DD}, {0x30FD, 0x3099, 0x30FE},
};

bool IsCombiningMark(char16_t u) { return (u >= 0x0300 && u <= 0x036F) || u == 0x3099 || u == 0x309A; }

char16_t Compose(char16_t base, char16_t mark) {
    for (const Composition& c : kCompositions) {
        if (c.base == base && c.mark == mark) return c.composed;
    }
    return 0;
}

template <class Sink>
bool EncodeGbk(const char16_t* in, std::size_t length, bool compositeCheck, char defaultChar, bool& usedDefault,
               Sink& result) {
    // The loop works on a local copy of the sink, which the compiler can keep in registers even
    // while bytes are stored (a byte store may alias anything in memory).
    Sink out = result;
    const bool ok = [&]() -> bool {
        const Cp936Table& table = GetCp936Table();
        std::size_t i = 0;
        while (i < length) {
            if (!compositeCheck && in[i] >= 0x80) {
                // Runs of characters with two-byte forms (Chinese text), four at a time.
                auto twoBytes = [](std::uint16_t b) { return b >= 0x100 && b != Cp936Table::kUnmapped; };
                while (i + 4 <= length) {
                    const std::uint16_t b0 = table.unitToBytes[in[i]], b1 = table.unitToBytes[in[i + 1]];
                    const std::uint16_t b2 = table.unitToBytes[in[i + 2]], b3 = table.unitToBytes[in[i + 3]];
                    if ((twoBytes(b0) & twoBytes(b1) & twoBytes(b2) & twoBytes(b3)) == 0) break;
                    if (!out.Reserve(8)) return false;
                    for (const std::uint16_t b : {b0, b1, b2, b3}) {
                        out.Put(static_cast<char>(b >> 8));
                        out.Put(static_cast<char>(b & 0xFF));
                    }
                    i += 4;
                }
                if (i >= length) break;
            }
            char16_t unit = in[i];
            ++i;
            if (unit < 0x80 && !(compositeCheck && i < length && IsCombiningMark(in[i]))) {
                if (!out.Reserve(1)) return false;
                out.Put(static_cast<char>(unit));
                continue;
            }
            if (IsSurrogate(unit)) {
                // No supplementary character exists in code page 936: a pair is one default character.
                if (IsHighSurrogate(unit) && i < length && IsLowSurrogate(in[i])) ++i;
                usedDefault = true;
                if (!out.Reserve(1)) return false;
                out.Put(defaultChar);
                continue;
            }
            if (compositeCheck) {
                while (i < length && IsCombiningMark(in[i])) {
                    const char16_t composed = Compose(unit, in[i]);
                    if (composed == 0) break;
                    unit = composed;
                    ++i;
                }
            }
            const std::uint16_t bytes = table.unitToBytes[unit];
            if (bytes == Cp936Table::kUnmapped) {
                usedDefault = true;
                if (!out.Reserve(1)) return false;
                out.Put(defaultChar);
            } else if (bytes < 0x100) {
                if (!out.Reserve(1)) return false;
                out.Put(static_cast<char>(bytes));
            } else {
                if (!out.Reserve(2)) return false;
                out.Put(static_cast<char>(bytes >> 8));
                out.Put(static_cast<char>(bytes & 0xFF));
            }
        }
        return true;
    }();
    result = out;
    return ok;
}

// ---- UTF-16 -> UTF-8 ----

template <class Sink>
bool EncodeUtf8(const char16_t* in, std::size_t length, Sink& result) {
    // The loop works on a local copy of the sink, which the compiler can keep in registers even
    // while bytes are stored (a byte store may alias anything in memory).
    Sink out = result;
    const bool ok = [&]() -> bool {
        std::size_t i = 0;
        while (i < length) {
            std::uint32_t cp = in[i];
            ++i;
            if (cp < 0x80) {
                if (!out.Reserve(1)) return false;
                out.Put(static_cast<char>(cp));
                continue;
            }
            if (IsHighSurrogate(static_cast<char16_t>(cp)) && i < length && IsLowSurrogate(in[i])) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i] - 0xDC00);
                ++i;
            } else if (IsSurrogate(static_cast<char16_t>(cp))) {
                cp = kReplacementCharacter;  // a lone surrogate has no UTF-8 form
            }
            char bytes[4];
            int n;
            if (cp < 0x800) {
                bytes[0] = static_cast<char>(0xC0 | cp >> 6);
                bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
                n = 2;
            } else if (cp < 0x10000) {
                bytes[0] = static_cast<char>(0xE0 | cp >> 12);
                bytes[1] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
                bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
                n = 3;
            } else {
                bytes[0] = static_cast<char>(0xF0 | cp >> 18);
                bytes[1] = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
                bytes[2] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
                bytes[3] = static_cast<char>(0x80 | (cp & 0x3F));
                n = 4;
            }
            if (!out.Reserve(static_cast<std::size_t>(n))) return false;
            for (int k = 0; k < n; ++k) out.Put(bytes[k]);
        }
        return true;
    }();
    result = out;
    return ok;
}

bool IsGbk(std::uint32_t codePage) { return codePage == CP_ACP || codePage == CP_GBK; }

// The number of units before the first zero unit, four units at a time (the library's own
// version steps one unit at a time). The last word read may reach past the zero unit, as the C
// library's strlen does; the words are aligned, so none crosses into a page the string does not
// reach, and AddressSanitizer is told that these reads are intended.
[[gnu::no_sanitize_address]] std::size_t ZeroTerminatedLength(const char16_t* in) {
    const char16_t* p = in;
    while (reinterpret_cast<std::uintptr_t>(p) % sizeof(std::uint64_t) != 0) {
        if (*p == 0) return static_cast<std::size_t>(p - in);
        ++p;
    }
    constexpr std::uint64_t kOnes = 0x0001000100010001ull;
    constexpr std::uint64_t kHighs = 0x8000800080008000ull;
    for (;;) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (((word - kOnes) & ~word & kHighs) != 0) break;  // some unit of the four is zero
        p += 4;
    }
    while (*p != 0) ++p;
    return static_cast<std::size_t>(p - in);
}

std::size_t ZeroTerminatedLength(const char* in) { return std::strlen(in); }

// The input length as Windows reads it; -1 means zero-terminated, the zero included.
template <class Unit>
bool InputLength(const Unit* in, int length, std::size_t& out) {
    if (in == nullptr || length == 0 || length < -1) return false;
    if (length == -1) {
        out = ZeroTerminatedLength(in) + 1;
    } else {
        out = static_cast<std::size_t>(length);
    }
    return true;
}

// One conversion, counted only or written into the caller's buffer.
template <class Unit, class Convert>
int Run(Unit* buffer, int capacity, Convert convert) {
    if (capacity == 0) {
        CountSink<Unit> sink;
        const bool ok = convert(sink);
        return Result(ok, sink.Count());
    }
    WriteSink<Unit> sink(buffer, capacity);
    const bool ok = convert(sink);
    return Result(ok, sink.Count());
}

}  // namespace

int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t /*flags*/, const char* multiByte, int multiByteLength,
                        char16_t* wide, int wideLength) {
    std::size_t length = 0;
    if (!InputLength(multiByte, multiByteLength, length) || wideLength < 0) return 0;
    if (wideLength > 0 && wide == nullptr) return 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(multiByte);
    if (IsGbk(codePage)) {
        return Run(wide, wideLength, [&](auto& sink) { return DecodeGbk(bytes, length, sink); });
    }
    if (codePage == CP_UTF8) {
        return Run(wide, wideLength, [&](auto& sink) { return DecodeUtf8(bytes, length, sink); });
    }
    return 0;
}

int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, const char16_t* wide, int wideLength,
                        char* multiByte, int multiByteLength, const char* defaultChar, bool* usedDefaultChar) {
    std::size_t length = 0;
    if (!InputLength(wide, wideLength, length) || multiByteLength < 0) return 0;
    if (multiByteLength > 0 && multiByte == nullptr) return 0;
    if (IsGbk(codePage)) {
        if ((flags & ~WC_COMPOSITECHECK) != 0) return 0;
        const bool compositeCheck = (flags & WC_COMPOSITECHECK) != 0;
        const char replacement = defaultChar ? *defaultChar : '?';
        bool usedDefault = false;
        const int result = Run(multiByte, multiByteLength, [&](auto& sink) {
            return EncodeGbk(wide, length, compositeCheck, replacement, usedDefault, sink);
        });
        if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault;
        return result;
    }
    if (codePage == CP_UTF8) {
        // As on Windows: UTF-8 takes no flags and no default character.
        if (flags != 0 || defaultChar != nullptr || usedDefaultChar != nullptr) return 0;
        return Run(multiByte, multiByteLength, [&](auto& sink) { return EncodeUtf8(wide, length, sink); });
    }
    return 0;
}

}  // namespace velloran::platform
