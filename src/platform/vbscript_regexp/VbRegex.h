#pragma once
// The matcher behind our VBScript.RegExp component: the component's pattern dialect (that of
// ECMAScript 3) carried out by PCRE2's 16-bit library with JIT.
//
// One character is one UTF-16 code unit. Where PCRE2 and the dialect differ, the pattern is
// rewritten or rejected before PCRE2 sees it:
// - "." refuses only the line feed;
// - "\v" is the vertical tab, "\uhhhh" and "\xhh" are escapes, any other escaped letter stands for
//   itself (so PCRE2's own "\A", "\z", "\K", "\Q", "\p" and the like have no special meaning);
// - "\1".."\99" are back-references when the pattern has that many groups, octal escapes
//   otherwise, and a back-reference to a group that has not taken part matches empty;
// - "[" inside a class is an ordinary character, "[]" matches nothing and "[^]" anything;
// - lookbehind, named groups, inline options, atomic groups, possessive quantifiers, "(*"
//   verbs and a quantifier with nothing to repeat are syntax errors, as are unbalanced
//   parentheses, an unclosed class and a trailing backslash;
// - "$" matches only at the very end unless Multiline is set; with Multiline "^" and "$" also
//   match after and before a carriage return or line feed, "^" after a final line break too;
// - "\s" is [ \f\n\r\t\v]; "\w", "\d" and IgnoreCase cover ASCII only.
//
// A page must not be able to hang a scan, so every search runs under fixed limits; a search that
// hits one ends the list of matches there, as does a stop request for the calling worker.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velloran::platform {

struct VbRegexLimits {
    // Backtracking steps one search for the next match may take (PCRE2 match limit).
    static constexpr std::uint32_t kMatchLimit = 10'000'000;
    // Nesting of backtracking points in the interpreter (PCRE2 depth limit).
    static constexpr std::uint32_t kDepthLimit = 100'000;
    // Heap the interpreter may use for its backtracking frames, in KiB.
    static constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
    // Stack of the JIT-compiled matcher, in bytes: starts small, grows up to this.
    static constexpr std::size_t kJitStackStart = 32 * 1024;
    static constexpr std::size_t kJitStackMax = 1024 * 1024;
};

// The PCRE2 form of a pattern in the component's dialect; nothing when the dialect rejects it.
std::optional<std::u16string> TranslateVbPattern(std::u16string_view pattern);

// The matches of one search: for each match the start and end offsets (in code units) of the
// whole match and then of each group, kUnset for a group that took no part.
struct VbMatches {
    static constexpr std::size_t kUnset = static_cast<std::size_t>(-1);
    std::uint32_t groupCount = 0;
    std::vector<std::size_t> offsets;  // 2 * (groupCount + 1) per match

    std::size_t Count() const { return offsets.size() / (2 * (groupCount + 1)); }
    std::size_t Start(std::size_t match, std::uint32_t group = 0) const {
        return offsets[(match * (groupCount + 1) + group) * 2];
    }
    std::size_t End(std::size_t match, std::uint32_t group = 0) const {
        return offsets[(match * (groupCount + 1) + group) * 2 + 1];
    }
};

// A compiled pattern. Immutable once made: it may be searched from several threads at once.
class VbRegex {
public:
    // Nothing when the dialect or PCRE2 rejects the pattern.
    static std::shared_ptr<const VbRegex> Compile(std::u16string_view pattern, bool ignoreCase, bool multiline);

    ~VbRegex();
    VbRegex(const VbRegex&) = delete;
    VbRegex& operator=(const VbRegex&) = delete;

    std::uint32_t GroupCount() const { return groupCount_; }

    // Every non-overlapping match from left to right (Global) or at most the first. After an empty
    // match the search goes on one code unit further.
    VbMatches Find(std::u16string_view subject, bool global) const;

private:
    struct Code;
    explicit VbRegex(std::unique_ptr<Code> code, std::uint32_t groupCount);
    std::unique_ptr<Code> code_;
    std::uint32_t groupCount_;
};

}  // namespace velloran::platform
