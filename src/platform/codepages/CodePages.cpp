#include "platform/codepages/CodePages.h"

#include <cstddef>
#include <cstring>

#include "platform/codepages/Cp936Table.h"

namespace velloran::platform {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr char16_t kQuestionMark = u'?';

// Where converted units go: counted only (no buffer), or written with a bound. Once the bound is
// hit the conversion stops and the call fails.
template <class Unit>
class Output {
public:
    Output(Unit* buffer, int capacity) : buffer_(buffer), capacity_(buffer ? static_cast<std::size_t>(capacity) : 0) {}

    bool Put(Unit unit) {
        if (buffer_ != nullptr) {
            if (count_ == capacity_) {
                overflowed_ = true;
                return false;
            }
            buffer_[count_] = unit;
        }
        ++count_;
        return true;
    }

    bool Overflowed() const { return overflowed_; }
    // The Windows result: the count, or 0 for a buffer that was too small or a result too large.
    int Result() const { return overflowed_ || count_ > 0x7FFFFFFF ? 0 : static_cast<int>(count_); }

private:
    Unit* buffer_;
    std::size_t capacity_;
    std::size_t count_ = 0;
    bool overflowed_ = false;
};

// ---- code page 936 -> UTF-16 ----

bool DecodeGbk(const std::uint8_t* in, std::size_t length, Output<char16_t>& out) {
    const Cp936Table& table = GetCp936Table();
    std::size_t i = 0;
    while (i < length) {
        const std::uint8_t b = in[i];
        char16_t unit;
        if (b < 0x80) {
            unit = b;
            ++i;
        } else if (b == 0x80) {
            unit = 0x20AC;
            ++i;
        } else if (b == 0xFF) {
            unit = 0xF8F5;
            ++i;
        } else if (i + 1 < length && Cp936Table::IsTrail(in[i + 1])) {
            unit = table.Pair(b, in[i + 1]);
            if (unit == 0) unit = kQuestionMark;
            i += 2;
        } else {
            unit = kQuestionMark;  // a lead byte without its trail byte
            ++i;
        }
        if (!out.Put(unit)) return false;
    }
    return true;
}

// ---- UTF-8 -> UTF-16 ----

bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

bool DecodeUtf8(const std::uint8_t* in, std::size_t length, Output<char16_t>& out) {
    std::size_t i = 0;
    while (i < length) {
        const std::uint8_t b = in[i];
        if (b < 0x80) {
            if (!out.Put(b)) return false;
            ++i;
            continue;
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
            if (!out.Put(kReplacementCharacter)) return false;  // stray continuation or invalid lead
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
            if (!out.Put(kReplacementCharacter)) return false;
            i = j;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            if (!out.Put(static_cast<char16_t>(0xD800 + (cp >> 10)))) return false;
            if (!out.Put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)))) return false;
        } else if (!out.Put(static_cast<char16_t>(cp))) {
            return false;
        }
        i = j;
    }
    return true;
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

bool EncodeGbk(const char16_t* in, std::size_t length, bool compositeCheck, char defaultChar, bool& usedDefault,
               Output<char>& out) {
    const Cp936Table& table = GetCp936Table();
    std::size_t i = 0;
    while (i < length) {
        char16_t unit = in[i];
        ++i;
        if (IsSurrogate(unit)) {
            // No supplementary character exists in code page 936: a pair is one default character.
            if (IsHighSurrogate(unit) && i < length && IsLowSurrogate(in[i])) ++i;
            usedDefault = true;
            if (!out.Put(defaultChar)) return false;
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
            if (!out.Put(defaultChar)) return false;
        } else if (bytes < 0x100) {
            if (!out.Put(static_cast<char>(bytes))) return false;
        } else {
            if (!out.Put(static_cast<char>(bytes >> 8))) return false;
            if (!out.Put(static_cast<char>(bytes & 0xFF))) return false;
        }
    }
    return true;
}

// ---- UTF-16 -> UTF-8 ----

bool EncodeUtf8(const char16_t* in, std::size_t length, Output<char>& out) {
    std::size_t i = 0;
    while (i < length) {
        std::uint32_t cp = in[i];
        ++i;
        if (cp < 0x80) {
            if (!out.Put(static_cast<char>(cp))) return false;
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
        for (int k = 0; k < n; ++k) {
            if (!out.Put(bytes[k])) return false;
        }
    }
    return true;
}

bool IsGbk(std::uint32_t codePage) { return codePage == CP_ACP || codePage == CP_GBK; }

// The input length as Windows reads it; -1 means zero-terminated, the zero included.
template <class Unit>
bool InputLength(const Unit* in, int length, std::size_t& out) {
    if (in == nullptr || length == 0 || length < -1) return false;
    if (length == -1) {
        std::size_t n = 0;
        while (in[n] != 0) ++n;
        out = n + 1;
    } else {
        out = static_cast<std::size_t>(length);
    }
    return true;
}

}  // namespace

int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t /*flags*/, const char* multiByte, int multiByteLength,
                        char16_t* wide, int wideLength) {
    std::size_t length = 0;
    if (!InputLength(multiByte, multiByteLength, length) || wideLength < 0) return 0;
    if (wideLength > 0 && wide == nullptr) return 0;
    Output<char16_t> out(wideLength > 0 ? wide : nullptr, wideLength);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(multiByte);
    bool ok;
    if (IsGbk(codePage)) {
        ok = DecodeGbk(bytes, length, out);
    } else if (codePage == CP_UTF8) {
        ok = DecodeUtf8(bytes, length, out);
    } else {
        return 0;
    }
    return ok ? out.Result() : 0;
}

int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, const char16_t* wide, int wideLength,
                        char* multiByte, int multiByteLength, const char* defaultChar, bool* usedDefaultChar) {
    std::size_t length = 0;
    if (!InputLength(wide, wideLength, length) || multiByteLength < 0) return 0;
    if (multiByteLength > 0 && multiByte == nullptr) return 0;
    Output<char> out(multiByteLength > 0 ? multiByte : nullptr, multiByteLength);
    bool ok;
    if (IsGbk(codePage)) {
        if ((flags & ~WC_COMPOSITECHECK) != 0) return 0;
        bool usedDefault = false;
        ok = EncodeGbk(wide, length, (flags & WC_COMPOSITECHECK) != 0, defaultChar ? *defaultChar : '?', usedDefault,
                       out);
        if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault;
    } else if (codePage == CP_UTF8) {
        // As on Windows: UTF-8 takes no flags and no default character.
        if (flags != 0 || defaultChar != nullptr || usedDefaultChar != nullptr) return 0;
        ok = EncodeUtf8(wide, length, out);
    } else {
        return 0;
    }
    return ok ? out.Result() : 0;
}

}  // namespace velloran::platform
