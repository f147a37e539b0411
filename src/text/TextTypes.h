#pragma once
// The plain values every subsystem passes around.

#include <cstdint>
#include <string>
#include <vector>

namespace velloran {

// A text: bytes in code page 936 (GBK) holding no zero byte. A byte of 0x80 or above begins a
// two-byte character. The empty text and an absent text are the same value.
using Text = std::string;

// A counted run of bytes that may hold zero bytes: HTTP bodies, UTF-16 data, the alert sound.
// Kept a distinct type from Text so that the two can never be mixed up silently.
using ByteSet = std::vector<std::uint8_t>;

// An ordered list of texts (the routines that number it count from 1; the vector counts from 0).
using TextArray = std::vector<Text>;

}  // namespace velloran
