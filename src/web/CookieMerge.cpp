#include "web/CookieMerge.h"

#include "text/TextOps.h"

namespace velloran {
Text CookieName(const Text& pair) {
    std::int32_t equals = FindText(pair, "=", std::nullopt, false);
    return TrimSpaces(equals != -1 ? TextLeft(pair, equals - 1) : pair);
}

bool CookieListHasName(const TextArray& list, const Text& name) {
    for (const Text& pair : list) {
        if (CompareText(CookieName(pair), name) == 0) return true;
    }
    return false;
}

std::int32_t IndexOfText(const TextArray& list, const Text& text) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (CompareText(list[i], text) == 0) return static_cast<std::int32_t>(i + 1);
    }
    return -1;
}

Text JoinUnique(const Text& text, const Text& separator) {
    TextArray seen;
    Text joined;
    for (const Text& piece : SplitText(text, separator)) {
        if (IndexOfText(seen, piece) != -1) continue;
        seen.push_back(piece);
        joined = ConcatText(joined, piece, separator);
    }
    return TextLeft(joined, TextLength(joined) - TextLength(separator));
}

Text MergeCookies(Text& cookies, Text& responseCookies) {
    const Text kPairSeparator = ";";
    const Text kJoinedSeparator = "; ";
    const Text kDeletedMark = "=deleted";
    cookies = RemoveAllSpaces(cookies);
    responseCookies = RemoveAllSpaces(responseCookies);
    TextArray callerPairs = SplitText(cookies, kPairSeparator);
    TextArray merged = SplitText(responseCookies, kPairSeparator);
    // The server's pairs come first; a caller's pair joins only when no pair so far has its name,
    // which also keeps only the first of several caller's pairs with one name.
    for (const Text& pair : callerPairs) {
        if (!CookieListHasName(merged, CookieName(pair))) merged.push_back(pair);
    }
    Text joined;
    for (const Text& pair : merged) {
        if (TextRight(pair, TextLength(kDeletedMark)) == kDeletedMark) continue;
        joined = ConcatText(joined, pair, kJoinedSeparator);
    }
    joined = TextLeft(joined, TextLength(joined) - 2);
    cookies = JoinUnique(joined, kJoinedSeparator);
    return cookies;
}

}  // namespace velloran
