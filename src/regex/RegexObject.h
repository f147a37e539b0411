#pragma once
// One regular-expression search of one pattern over one subject, through the VBScript.RegExp
// component, read back by match and group number.
//
// The object lives on one thread: constructing it starts COM there and destroying it releases
// the component objects and then shuts COM down there. Texts in and out are code page 936; the
// component sees the subject as UTF-16. Nothing fails loudly: a query the object cannot answer
// gives 0 or the empty text.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/vbscript_regexp/Com.h"
#include "text/TextTypes.h"

namespace velloran {

class RegexObject {
public:
    // An out position the caller may leave out; left out, the caller's variable is not touched.
    using OutPosition = std::optional<std::reference_wrapper<std::int32_t>>;

    RegexObject();
    ~RegexObject();
    // The copy refers to the same component objects (a reference of its own to each) and holds a
    // copy of the subject; it does not start COM, so it does not shut it down either.
    RegexObject(const RegexObject& other);
    RegexObject& operator=(const RegexObject&) = delete;

    // Runs `pattern` over `subject` at once. IgnoreCase is the negation of `caseSensitive` when
    // given, else true; Multiline and Global are as given, else true; with `quoteMarker` true every
    // "#引号" in the pattern becomes a double quote. True when the component gave a match
    // collection (also an empty one); false when it could not be made or rejected the pattern.
    bool Create(const Text& pattern, const Text& subject, std::optional<bool> caseSensitive = {},
                std::optional<bool> multiline = {}, std::optional<bool> global = {},
                std::optional<bool> quoteMarker = {});

    // Does nothing.
    void Reserved();

    // The pattern written by the last Create; empty before any.
    Text GetPattern();
    // The subject of the last Create with its matches (every one when Global, else the first)
    // replaced by `replacement` in the component's replacement syntax.
    Text Replace(const std::optional<Text>& replacement = {});

    std::int32_t MatchCount();
    // Match `match` (from 1); with `position`, the 0-based byte offset of that text in the
    // subject, searched for from the match's start in UTF-16 units, -2 when not found.
    Text MatchText(std::int32_t match, OutPosition position = {});
    // Group `group` (from 1) of match `match` (from 1); empty for a group that took no part or
    // does not exist. The position is searched for from the start of the match.
    Text SubmatchText(std::int32_t match, std::int32_t group, OutPosition position = {});
    // The number of groups of the first match; 0 without a match.
    std::int32_t SubmatchCount();

private:
    Text PositionSearchSubject() const;
    std::int32_t PositionOf(const Text& found, std::int32_t firstIndex) const;

    platform::DispatchRef regExp;
    platform::DispatchRef matches;
    ByteSet subject;
    bool startedCom = false;  // the copy constructor leaves the shut-down to the original
};

}  // namespace velloran
