#pragma once
// Bringing a caller's cookie string up to date with the cookies a response set.
//
// Only name=value pairs take part (attributes were cut off when the response cookies were
// harvested). The server wins over the caller for a name it set, a server pair whose value is
// "deleted" removes that cookie, and pairs repeated byte for byte are kept once.

#include <cstdint>

#include "text/TextTypes.h"

namespace velloran {

// Merges `responseCookies` into `cookies`. Both are rewritten: every space is removed from both,
// and `cookies` receives the merged pairs joined by "; ". Returns a copy of the merged string.
Text MergeCookies(Text& cookies, Text& responseCookies);

// The text before the pair's first "=" (the whole pair without one), trimmed of spaces.
Text CookieName(const Text& pair);

// True when some pair of `list` has the name `name` (letter case counts).
bool CookieListHasName(const TextArray& list, const Text& name);

// The pieces of `text` split on `separator`, each kept at its first occurrence, joined again.
Text JoinUnique(const Text& text, const Text& separator);

// The 1-based index of the first element equal to `text`, -1 when there is none.
std::int32_t IndexOfText(const TextArray& list, const Text& text);

}  // namespace velloran
