#pragma once
// Our stand-in for the Windows code-page conversion functions MultiByteToWideChar and
// WideCharToMultiByte, for the code pages the system uses: CP_ACP, 936 (GBK) and CP_UTF8.
//
// The calling conventions are the Windows ones:
// - an input length of -1 means a zero-terminated input whose terminating zero is converted
//   and counted too; any other negative length, a null input or a zero length fails;
// - an output length of 0 only counts: the result is the size the conversion needs;
// - otherwise the result is the number of units or bytes written, or 0 when the output buffer is
//   too small (part of the output may have been written by then) or the call is invalid.
//
// Code page 936 follows the Windows mapping:
// - 0x00-0x7F are ASCII, the single byte 0x80 is U+20AC, the single byte 0xFF is U+F8F5;
// - a lead byte 0x81-0xFE with a trail byte 0x40-0x7E or 0x80-0xFE is one character: the GBK
//   table, and the three user-defined areas AAA1-AFFE, F8A1-FEFE and A140-A7A0 on the private-use
//   code points U+E000-U+E765; a pair that is neither gives one "?";
// - a lead byte followed by anything else (an ASCII byte, 0x7F, 0xFF, the end of the input) gives
//   one "?" for the lead byte alone, and the byte after it is read as a character of its own, so a
//   broken pair never swallows the quote or angle bracket that follows it.
// CP_ACP is 936: the users' Windows is Chinese.
//
// CP_UTF8 decodes the way Windows does: every maximal invalid subsequence (a stray continuation
// byte, an overlong form, an encoded surrogate, a sequence cut short) becomes one U+FFFD. Encoding
// to UTF-8 writes U+FFFD for a lone surrogate.
//
// Characters that code page 936 cannot represent (and every UTF-16 surrogate, paired or not) are
// written as the default character, "?" unless the caller gives its own.

#include <cstdint>

namespace velloran::platform {

inline constexpr std::uint32_t CP_ACP = 0;
inline constexpr std::uint32_t CP_UTF8 = 65001;
inline constexpr std::uint32_t CP_GBK = 936;

// WideCharToMultiByte: compose a base character and a following nonspacing mark into the
// precomposed character first where code page 936 has one (e + U+0301 -> U+00E9); else the two
// are written separately.
inline constexpr std::uint32_t WC_COMPOSITECHECK = 0x200;

int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* multiByte, int multiByteLength,
                        char16_t* wide, int wideLength);

// `defaultChar` (one byte) replaces unrepresentable characters when given, "?" otherwise;
// `usedDefaultChar`, when given, is set to whether that happened. Both must be null for CP_UTF8.
int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, const char16_t* wide, int wideLength,
                        char* multiByte, int multiByteLength, const char* defaultChar, bool* usedDefaultChar);

}  // namespace velloran::platform
