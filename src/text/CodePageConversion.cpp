#include "text/CodePageConversion.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "platform/codepages/CodePages.h"
#include "text/TextOps.h"

namespace velloran {
namespace {

using platform::CP_ACP;
using platform::CP_GBK;
using platform::CP_UTF8;

// UTF-16 units held in a byte set (low byte first), copied into a work buffer of `extra` more
// units, which the caller fills; an odd last byte is not a unit.
std::unique_ptr<char16_t[]> UnitsFromBytes(const ByteSet& bytes, std::size_t& count, std::size_t extra) {
    count = bytes.size() / 2;
    std::unique_ptr<char16_t[]> units(new char16_t[count + extra]);  // left uninitialised: all overwritten
    if (count == 0) return units;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(units.get(), bytes.data(), count * 2);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            units[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        }
    }
    return units;
}

// Units read in place out of a byte set's storage; may_alias tells the compiler that this view of
// byte storage as units is intended.
using AliasedUnit [[gnu::may_alias]] = char16_t;

// The byte set's own storage as zero-terminated units, when its byte order and its last unit
// allow that; null when the units have to be copied first. TextToUtf16 always ends its result in
// a zero unit, so a page is never copied on its way through.
const char16_t* ZeroTerminatedUnitsInPlace(const ByteSet& bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        if (bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[bytes.size() - 1] == 0 &&
            bytes[bytes.size() - 2] == 0) {
            return reinterpret_cast<const AliasedUnit*>(bytes.data());
        }
    }
    return nullptr;
}

// Converts text read as `codePage` into a zeroed byte set of `unitCount` units, low byte first.
// False when the conversion needs more units than that.
bool ConvertIntoBytes(std::uint32_t codePage, const Text& text, int unitCount, ByteSet& bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        // The byte set's storage takes the units as they are: on this byte order that is the
        // layout the byte set promises, and nothing reads it as units but through bytes.
        return platform::MultiByteToWideChar(codePage, 0, text.c_str(), -1, reinterpret_cast<char16_t*>(bytes.data()),
                                             unitCount) != 0;
    } else {
        std::unique_ptr<char16_t[]> units(new char16_t[static_cast<std::size_t>(unitCount)]());
        const bool ok = platform::MultiByteToWideChar(codePage, 0, text.c_str(), -1, units.get(), unitCount) != 0;
        for (int i = 0; i < unitCount; ++i) {
            bytes[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
        }
        return ok;
    }
}

bool ReadsAsAnsi(std::uint32_t codePage) { return codePage == CP_ACP || codePage == CP_GBK; }

// Twice a count, or 0 where that no longer fits the lengths the routines pass around.
std::int32_t Doubled(int count) {
    return count > std::numeric_limits<std::int32_t>::max() / 2 ? 0 : 2 * count;
}

}  // namespace

ByteSet TextToUtf16(const Text& text, std::optional<std::uint32_t> codePage) {
    if (text.empty()) return {};
    const std::uint32_t readAs = codePage.has_value() ? *codePage : CP_UTF8;
    const int ansiCount = platform::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    const std::int32_t byteCount = Doubled(ansiCount);
    if (byteCount == 0) return {};
    ByteSet result = BlankBytes(byteCount);
    if (ConvertIntoBytes(readAs, text, ansiCount, result)) return result;

    // The size is the unit count in the ANSI code page, but read as another code page a text can
    // need more units than that (the invalid UTF-8 "C0 80" is one unit in code page 936 but two
    // replacement characters in UTF-8). The conversion would then fail and the whole page would
    // be lost, so the buffer grows to the count in the code page read.
    const int ownCount = platform::MultiByteToWideChar(readAs, 0, text.c_str(), -1, nullptr, 0);
    const std::int32_t ownBytes = Doubled(ownCount);
    if (ownCount <= ansiCount || ownBytes == 0) return result;  // failed for another reason: as it stands
    result = BlankBytes(ownBytes);
    ConvertIntoBytes(readAs, text, ownCount, result);
    return result;
}

Text Utf16ToText(const ByteSet& units, std::optional<std::uint32_t> codePage) {
    if (units.size() < 2) return {};
    const std::uint32_t writeAs = codePage.has_value() ? *codePage : CP_ACP;
    // The units are read up to their first zero unit; one is added in case the data lacks it, so
    // the read can never run past the data.
    std::size_t count = 0;
    std::unique_ptr<char16_t[]> copy;
    const char16_t* wide = ZeroTerminatedUnitsInPlace(units);
    if (wide == nullptr) {
        copy = UnitsFromBytes(units, count, 1);
        copy[count] = u'\0';
        wide = copy.get();
    }
    const int ansiSize = platform::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::int32_t bufferSize = Doubled(ansiSize);
    if (bufferSize == 0) return {};
    if (!ReadsAsAnsi(writeAs)) {
        // As in TextToUtf16: another code page can need more bytes than the ANSI count allows for
        // (a character outside code page 936 is one "?" there but up to four bytes in UTF-8).
        const int ownSize = platform::WideCharToMultiByte(writeAs, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (ownSize > ansiSize) bufferSize = std::max(bufferSize, Doubled(ownSize));
    }

    Text buffer = BlankText(bufferSize);
    const int written = platform::WideCharToMultiByte(writeAs, 0, wide, -1, buffer.data(), bufferSize, nullptr, nullptr);
    if (written == 0) return {};  // a code page the platform does not know
    // The units went in up to their first zero unit, so the only zero byte written is the last
    // one: the converted characters end there.
    buffer.resize(static_cast<std::size_t>(written) - 1);
    return buffer;
}

Text Utf8ToAnsi(const Text& utf8) { return Utf16ToText(TextToUtf16(utf8), CP_GBK); }

ByteSet GbkToUtf16(const Text& text) {
    if (text.empty()) return {};
    const int unitCount = platform::MultiByteToWideChar(CP_GBK, 0, text.c_str(), -1, nullptr, 0);
    const std::int32_t byteCount = Doubled(unitCount);
    if (byteCount == 0) return {};
    ByteSet result = BlankBytes(byteCount);
    if (!ConvertIntoBytes(CP_GBK, text, unitCount, result)) return {};
    return result;
}

Text Utf16ToGbk(const ByteSet& units) {
    // The units are read where they are when the byte order allows, else from a copy.
    std::size_t count = units.size() / 2;
    std::unique_ptr<char16_t[]> copy;
    const char16_t* wide = nullptr;
    if constexpr (std::endian::native == std::endian::little) {
        wide = reinterpret_cast<const AliasedUnit*>(units.data());
    } else {
        copy = UnitsFromBytes(units, count, 0);
        wide = copy.get();
    }
    if (count == 0 || count > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
    const int unitCount = static_cast<int>(count);
    const int size = platform::WideCharToMultiByte(CP_GBK, platform::WC_COMPOSITECHECK, wide, unitCount, nullptr, 0,
                                                   nullptr, nullptr);
    if (size == 0) return {};
    ByteSet buffer = BlankBytes(size);
    platform::WideCharToMultiByte(CP_GBK, platform::WC_COMPOSITECHECK, wide, unitCount,
                                  reinterpret_cast<char*>(buffer.data()), size, nullptr, nullptr);
    return BytesToText(buffer);
}

}  // namespace velloran
