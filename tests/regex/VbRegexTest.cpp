// The component's pattern dialect on PCRE2: where it differs from PCRE2's own rules, what it
// rejects, how a global search moves on, and the limits that keep a page from hanging a scan.

#include <gtest/gtest.h>

#include <string>

#include "platform/vbscript_regexp/VbRegex.h"

namespace velloran::platform {
namespace {

// The matches as "start:text|start:text", or "rejected".
std::u16string Describe(std::u16string_view pattern, std::u16string_view subject, bool ignoreCase, bool multiline,
                        bool global) {
    const auto regex = VbRegex::Compile(pattern, ignoreCase, multiline);
    if (!regex) return u"rejected";
    const VbMatches found = regex->Find(subject, global);
    std::u16string out;
    for (std::size_t m = 0; m < found.Count(); ++m) {
        if (!out.empty()) out += u'|';
        for (char c : std::to_string(found.Start(m))) out += static_cast<char16_t>(c);
        out += u':';
        out.append(subject.substr(found.Start(m), found.End(m) - found.Start(m)));
    }
    return out;
}

struct DialectCase {
    const char* name;
    std::u16string pattern;
    std::u16string subject;
    bool ignoreCase;
    bool multiline;
    bool global;
    std::u16string expected;
};

class DialectTest : public ::testing::TestWithParam<DialectCase> {};

TEST_P(DialectTest, FindsWhatTheComponentFinds) {
    const DialectCase& c = GetParam();
    EXPECT_EQ(Describe(c.pattern, c.subject, c.ignoreCase, c.multiline, c.global), c.expected);
}

constexpr bool G = true;   // global
constexpr bool ML = true;  // multiline
constexpr bool IC = true;  // ignore case

INSTANTIATE_TEST_SUITE_P(
    CharactersAndClasses, DialectTest,
    ::testing::Values(
        DialectCase{"DotRefusesOnlyLineFeed", u"a.b", u"a\nb a\rb", false, false, G, u"4:a\rb"},
        DialectCase{"LazyGroupStopsAtLineFeed", u"<p>(.*?)<em", u"<p>x\n<em <p>y<em", false, false, G, u"9:<p>y<em"},
        DialectCase{"SpaceClassIsAscii", u"\\s", u"\v\u00A0 \u3000", false, false, G, u"0:\v|2: "},
        DialectCase{"WordClassIsAscii", u"\\w+", u"\u00E9\u4E2Dab_1", false, false, G, u"2:ab_1"},
        DialectCase{"DigitClassIsAscii", u"\\d", u"\u0663" u"5", false, false, G, u"1:5"},
        DialectCase{"IgnoreCaseFoldsAsciiOnly", u"\u00E9|abc", u"\u00C9ABC", IC, false, G, u"1:ABC"},
        DialectCase{"WithoutIgnoreCaseCaseCounts", u"abc", u"ABC abc", false, false, G, u"4:abc"},
        DialectCase{"UnicodeEscape", u"\\u4E2D", u"a\u4E2D", false, false, G, u"1:\u4E2D"},
        DialectCase{"HexEscape", u"\\x41\\xZ", u"AxZ", false, false, G, u"0:AxZ"},
        DialectCase{"VerticalTabEscape", u"\\v", u"\n\v", false, false, G, u"1:\v"},
        DialectCase{"ControlEscape", u"\\cJ", u"a\n", false, false, G, u"1:\n"},
        DialectCase{"PcreOnlyEscapesAreLetters", u"\\A\\Q\\z", u"xAQz", false, false, G, u"1:AQz"},
        DialectCase{"OctalEscapeWithoutGroups", u"\\101", u"A", false, false, G, u"0:A"},
        DialectCase{"BackspaceInClass", u"[\\b]", u"a\b", false, false, G, u"1:\b"},
        DialectCase{"BracketInClassIsLiteral", u"[[:alpha:]]", u"b a]", false, false, G, u"2:a]"},
        DialectCase{"EmptyClassMatchesNothing", u"a[]", u"a", false, false, G, u""},
        DialectCase{"NegatedEmptyClassMatchesAnything", u"a[^]b", u"a\nb", false, false, G, u"0:a\nb"},
        DialectCase{"DashNextToAClassEscapeIsADash", u"[\\d-z]+|[a-\\s]+", u"x1-z a- ", false, false, G,
                    u"1:1-z|4: a- "},
        DialectCase{"LoneBracesAreLiteral", u"a{1,x}}", u"a{1,x}}", false, false, G, u"0:a{1,x}}"},
        DialectCase{"LoneSurrogateIsJustAUnit", u"\xD800", u"a\xD800", false, false, G, u"1:\xD800"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Anchors, DialectTest,
    ::testing::Values(
        DialectCase{"DollarOnlyAtTheVeryEnd", u"a$", u"a\na\n", false, false, G, u""},
        DialectCase{"DollarAtTheEnd", u"a$", u"a\na", false, false, G, u"2:a"},
        DialectCase{"MultilineDollarBeforeCrAndLf", u"a$", u"a\r\na\na", false, ML, G, u"0:a|3:a|5:a"},
        DialectCase{"MultilineCaretAfterCr", u"^b", u"a\rb", false, ML, G, u"2:b"},
        DialectCase{"MultilineCaretAfterFinalLineFeed", u"^", u"a\n", false, ML, G, u"0:|2:"},
        DialectCase{"CaretWithoutMultiline", u"^b", u"b\nb", false, false, G, u"0:b"},
        DialectCase{"WordBoundary", u"\\bab", u"ab cab", false, false, G, u"0:ab"},
        DialectCase{"Lookahead", u"a(?=b)|c(?!d)", u"ab ac cd ce", false, false, G, u"0:a|4:c|9:c"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    GroupsAndReferences, DialectTest,
    ::testing::Values(
        DialectCase{"UnsetBackReferenceMatchesEmpty", u"(a)?b\\1", u"b", false, false, G, u"0:b"},
        DialectCase{"ForwardReferenceMatchesEmpty", u"\\1(a)", u"a", false, false, G, u"0:a"},
        DialectCase{"BackReference", u"(a|b)\\1", u"ab bb", false, false, G, u"3:bb"},
        DialectCase{"ReferenceThenDigit", u"(a)\\12", u"aa2", false, false, G, u"0:aa2"},
        DialectCase{"LazyAndGreedy", u"<(.*?)>|\\[(.*)\\]", u"<a><b> [c][d]", false, false, G,
                    u"0:<a>|3:<b>|7:[c][d]"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    GlobalSearch, DialectTest,
    ::testing::Values(
        DialectCase{"EveryMatchLeftToRight", u"ab", u"abab ab", false, false, G, u"0:ab|2:ab|5:ab"},
        DialectCase{"FirstOnlyWithoutGlobal", u"ab", u"abab", false, false, false, u"0:ab"},
        DialectCase{"EmptyMatchMovesOnOneUnit", u"a*", u"baa", false, false, G, u"0:|1:aa|3:"},
        // No second try for a non-empty match where an empty one was found.
        DialectCase{"NoRetryAfterEmptyMatch", u"a??", u"ab", false, false, G, u"0:|1:|2:"},
        DialectCase{"EmptySubject", u"x*", u"", false, false, G, u"0:"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Rejected, DialectTest,
    ::testing::Values(
        DialectCase{"Lookbehind", u"(?<=a)b", u"ab", false, false, G, u"rejected"},
        DialectCase{"NegativeLookbehind", u"(?<!a)b", u"b", false, false, G, u"rejected"},
        DialectCase{"NamedGroup", u"(?<n>a)", u"a", false, false, G, u"rejected"},
        DialectCase{"PythonNamedGroup", u"(?P<n>a)", u"a", false, false, G, u"rejected"},
        DialectCase{"InlineOption", u"(?i)a", u"a", false, false, G, u"rejected"},
        DialectCase{"AtomicGroup", u"(?>a)", u"a", false, false, G, u"rejected"},
        DialectCase{"PossessiveQuantifier", u"a*+", u"a", false, false, G, u"rejected"},
        DialectCase{"RepeatedQuantifier", u"a{2}{3}", u"aaaaaa", false, false, G, u"rejected"},
        DialectCase{"Verb", u"(*UTF)a", u"a", false, false, G, u"rejected"},
        DialectCase{"NothingToRepeatAtStart", u"*a", u"a", false, false, G, u"rejected"},
        DialectCase{"NothingToRepeatAfterBar", u"a|+b", u"a", false, false, G, u"rejected"},
        DialectCase{"UnclosedParenthesis", u"(a", u"a", false, false, G, u"rejected"},
        DialectCase{"UnopenedParenthesis", u"a)", u"a", false, false, G, u"rejected"},
        DialectCase{"UnclosedClass", u"[a", u"a", false, false, G, u"rejected"},
        DialectCase{"TrailingBackslash", u"a\\", u"a", false, false, G, u"rejected"},
        DialectCase{"QuantifierOutOfOrder", u"a{3,1}", u"a", false, false, G, u"rejected"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VbRegexTest, UnsetGroupsAreMarkedUnset) {
    const auto regex = VbRegex::Compile(u"(a)|(b)", false, false);
    ASSERT_TRUE(regex);
    const VbMatches found = regex->Find(u"b", true);
    ASSERT_EQ(found.Count(), 1u);
    EXPECT_EQ(found.groupCount, 2u);
    EXPECT_EQ(found.Start(0, 1), VbMatches::kUnset);
    EXPECT_EQ(found.Start(0, 2), 0u);
}

// A page must not be able to hang a scan: catastrophic backtracking and very deep repetition
// over a 1 MB subject end the list of matches instead of running on or crashing.
TEST(VbRegexLimitsTest, PathologicalPatternsEndWithinTheLimits) {
    const std::u16string subject = std::u16string(1 << 20, u'a') + u"!";
    const std::u16string patterns[] = {u"(a+)+$", u"(a|aa)*c", u"^(\\w+\\s?)*$", u"(a|b)*!"};
    for (const std::u16string& pattern : patterns) {
        const auto regex = VbRegex::Compile(pattern, false, false);
        ASSERT_TRUE(regex);
        const VbMatches found = regex->Find(subject, true);
        EXPECT_LE(found.Count(), 1u);
    }
    // Matches found before the limit is hit are kept.
    const auto regex = VbRegex::Compile(u"b|(a+)+$", false, false);
    ASSERT_TRUE(regex);
    EXPECT_EQ(regex->Find(u"bb" + subject, true).Count(), 2u);
}

}  // namespace
}  // namespace velloran::platform
