#include "text/CodePageConversion.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

#include "platform/codepages/CodePages.h"
#include "text/TextOps.h"

namespace velloran {
namespace {

using platform::CP_ACP;
using platform::CP_GBK;
using platform::CP_UTF8;

// UTF-16 units held in a byte set, low byte first; an odd last byte is not a unit.
std::u16string UnitsFromBytes(const ByteSet& bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    if (units.empty()) return units;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(units.data(), bytes.data(), units.size() * 2);
    } else {
        for (std::size_t i = 0; i < units.size(); ++i) {
            units[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        }
    }
    return units;
}

// Copies `count` units into the front of `bytes`, low byte first.
void StoreUnits(const char16_t* units, std::size_t count, ByteSet& bytes) {
    if (count == 0) return;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), units, count * 2);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            bytes[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
        }
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
    // The size is the unit count in the ANSI code page. Read as another code page, a text can
    // need more units than that (the invalid UTF-8 "C0 80" is one unit in code page 936 but two
    // replacement characters in UTF-8); the conversion would then fail and the whole page would
    // be lost, so the buffer takes the larger of the two counts.
    const int ansiCount = platform::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (ansiCount == 0) return {};
    const int ownCount =
        ReadsAsAnsi(readAs) ? ansiCount : platform::MultiByteToWideChar(readAs, 0, text.c_str(), -1, nullptr, 0);
    const int unitCount = std::max(ansiCount, ownCount);
    const std::int32_t byteCount = Doubled(unitCount);
    if (byteCount == 0) return {};

    std::u16string units(static_cast<std::size_t>(unitCount), u'\0');
    platform::MultiByteToWideChar(readAs, 0, text.c_str(), -1, units.data(), unitCount);
    ByteSet result = BlankBytes(byteCount);
    StoreUnits(units.data(), units.size(), result);
    return result;
}

Text Utf16ToText(const ByteSet& units, std::optional<std::uint32_t> codePage) {
    if (units.size() < 2) return {};
    const std::uint32_t writeAs = codePage.has_value() ? *codePage : CP_ACP;
    // The units are read up to their first zero unit; one is added in case the data lacks it, so
    // the read can never run past the data.
    std::u16string wide = UnitsFromBytes(units);
    wide.push_back(u'\0');
    const int ansiSize = platform::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (ansiSize == 0) return {};
    // As in TextToUtf16: another code page can need more bytes than the ANSI count allows for
    // (a character outside code page 936 is one "?" there but up to four bytes in UTF-8).
    const int ownSize = ReadsAsAnsi(writeAs)
                            ? ansiSize
                            : platform::WideCharToMultiByte(writeAs, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    const std::int32_t bufferSize = Doubled(std::max(ansiSize, ownSize));
    if (bufferSize == 0) return {};

    Text buffer = BlankText(bufferSize);
    if (platform::WideCharToMultiByte(writeAs, 0, wide.c_str(), -1, buffer.data(), bufferSize, nullptr, nullptr) ==
        0) {
        return {};  // a code page the platform does not know
    }
    buffer.resize(std::strlen(buffer.c_str()));  // the converted characters end at their zero byte
    return buffer;
}

Text Utf8ToAnsi(const Text& utf8) { return Utf16ToText(TextToUtf16(utf8), CP_GBK); }

ByteSet GbkToUtf16(const Text& text) {
    if (text.empty()) return {};
    const int unitCount = platform::MultiByteToWideChar(CP_GBK, 0, text.c_str(), -1, nullptr, 0);
    const std::int32_t byteCount = Doubled(unitCount);
    if (byteCount == 0) return {};
    std::u16string units(static_cast<std::size_t>(unitCount), u'\0');
    if (platform::MultiByteToWideChar(CP_GBK, 0, text.c_str(), -1, units.data(), unitCount) == 0) return {};
    ByteSet result = BlankBytes(byteCount);
    StoreUnits(units.data(), units.size(), result);
    return result;
}

Text Utf16ToGbk(const ByteSet& units) {
    const std::u16string wide = UnitsFromBytes(units);
    if (wide.empty() || wide.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
    const int unitCount = static_cast<int>(wide.size());
    const int size = platform::WideCharToMultiByte(CP_GBK, platform::WC_COMPOSITECHECK, wide.data(), unitCount,
                                                   nullptr, 0, nullptr, nullptr);
    if (size == 0) return {};
    ByteSet buffer = BlankBytes(size);
    platform::WideCharToMultiByte(CP_GBK, platform::WC_COMPOSITECHECK, wide.data(), unitCount,
                                  reinterpret_cast<char*>(buffer.data()), size, nullptr, nullptr);
    return BytesToText(buffer);
}

}  // namespace velloran
