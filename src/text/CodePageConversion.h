#pragma once
// Conversions between UTF-8 pages, code page 936 texts and the UTF-16 data of the regex component.
// UTF-16 data travels in byte sets, two bytes per code unit, low byte first.

#include <cstdint>
#include <optional>

#include "text/TextTypes.h"

namespace velloran {

// A fetched UTF-8 page as code page 936 text.
Text Utf8ToAnsi(const Text& utf8);
// UTF-16 units of `text` read in `codePage` (default UTF-8), a zero unit, zero padding.
ByteSet TextToUtf16(const Text& text, std::optional<std::uint32_t> codePage = std::nullopt);
// The units up to the first zero unit in `codePage` (default the ANSI code page).
Text Utf16ToText(const ByteSet& units, std::optional<std::uint32_t> codePage = std::nullopt);
// A code page 936 text as UTF-16 units followed by exactly one zero unit.
ByteSet GbkToUtf16(const Text& text);
// UTF-16 units (with or without a zero unit) as code page 936 text, cut at a zero unit.
Text Utf16ToGbk(const ByteSet& units);

}  // namespace velloran
