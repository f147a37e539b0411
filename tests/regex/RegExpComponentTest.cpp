// COM start-up and our VBScript.RegExp component, driven the way the regex object drives it:
// by member names.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/vbscript_regexp/Com.h"
#include "platform/vbscript_regexp/RegExpComponent.h"

namespace velloran::platform {
namespace {

// COM for the test's thread, undone at the end of the test.
class ComApartment {
public:
    ComApartment() { CoInitialize(nullptr); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

Variant Get(const DispatchRef& object, std::u16string_view member, std::initializer_list<Variant> args = {}) {
    Variant result;
    EXPECT_EQ(PropertyGet(object, member, std::span<const Variant>(args.begin(), args.size()), &result), S_OK)
        << std::string(member.begin(), member.end());
    return result;
}

Variant Call(const DispatchRef& object, std::u16string_view member, std::initializer_list<Variant> args) {
    Variant result;
    EXPECT_EQ(CallMethod(object, member, std::span<const Variant>(args.begin(), args.size()), &result), S_OK)
        << std::string(member.begin(), member.end());
    return result;
}

DispatchRef NewRegExp(const std::u16string& pattern, bool global) {
    DispatchRef regExp;
    EXPECT_EQ(CreateObject(u"VBScript.RegExp", &regExp), S_OK);
    EXPECT_EQ(PropertyPut(regExp, u"Pattern", pattern), S_OK);
    EXPECT_EQ(PropertyPut(regExp, u"Global", global), S_OK);
    return regExp;
}

TEST(ComTest, CreationNeedsComOnTheThread) {
    DispatchRef object;
    EXPECT_EQ(CreateObject(u"VBScript.RegExp", &object), CO_E_NOTINITIALIZED);
    EXPECT_FALSE(object);

    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);  // already started: still wants its shut-down
    EXPECT_EQ(CreateObject(u"vbscript.regexp", &object), S_OK);
    EXPECT_TRUE(object);
    EXPECT_EQ(CreateObject(u"Scripting.Dictionary", &object), CO_E_CLASSSTRING);
    EXPECT_FALSE(object);
    CoUninitialize();
    EXPECT_EQ(CreateObject(u"VBScript.RegExp", &object), S_OK);  // one start-up left
    CoUninitialize();
    EXPECT_EQ(CreateObject(u"VBScript.RegExp", &object), CO_E_NOTINITIALIZED);

    // COM belongs to a thread: another thread has none.
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    HRESULT elsewhere = S_OK;
    std::thread([&] { elsewhere = CreateObject(u"VBScript.RegExp", &object); }).join();
    EXPECT_EQ(elsewhere, CO_E_NOTINITIALIZED);
    CoUninitialize();
}

TEST(RegExpComponentTest, SettingsStartFalseAndReadBack) {
    ComApartment com;
    DispatchRef regExp;
    ASSERT_EQ(CreateObject(u"VBScript.RegExp", &regExp), S_OK);
    for (const char16_t* name : {u"IgnoreCase", u"Global", u"Multiline"}) {
        EXPECT_EQ(Get(regExp, name), Variant(false));
        EXPECT_EQ(PropertyPut(regExp, name, true), S_OK);
        EXPECT_EQ(Get(regExp, name), Variant(true));
    }
    EXPECT_EQ(Get(regExp, u"Pattern"), Variant(std::u16string()));
    EXPECT_EQ(PropertyPut(regExp, u"pattern", std::u16string(u"a\"b")), S_OK);  // names ignore case
    EXPECT_EQ(Get(regExp, u"Pattern"), Variant(std::u16string(u"a\"b")));
    EXPECT_EQ(PropertyPut(regExp, u"Global", std::u16string(u"x")), DISP_E_TYPEMISMATCH);
}

TEST(RegExpComponentTest, SinglelineDoesNotExist) {
    ComApartment com;
    DispatchRef regExp = NewRegExp(u"a.b", true);
    EXPECT_EQ(PropertyPut(regExp, u"Singleline", true), DISP_E_UNKNOWNNAME);
    // The dot still refuses the line feed.
    EXPECT_EQ(Get(std::get<DispatchRef>(Call(regExp, u"Execute", {std::u16string(u"a\nb")})), u"Count"),
              Variant(std::int32_t{0}));
}

TEST(RegExpComponentTest, ExecuteGivesMatchesWithTheirGroups) {
    ComApartment com;
    DispatchRef regExp = NewRegExp(u"(\\d+)(x)?", true);
    const DispatchRef matches = std::get<DispatchRef>(Call(regExp, u"Execute", {std::u16string(u"\u4E2D12x 7")}));
    EXPECT_EQ(Get(matches, u"Count"), Variant(std::int32_t{2}));

    const DispatchRef second = std::get<DispatchRef>(Call(matches, u"Item", {std::int32_t{1}}));
    EXPECT_EQ(Get(second, u"Value"), Variant(std::u16string(u"7")));
    EXPECT_EQ(Get(second, u"FirstIndex"), Variant(std::int32_t{5}));
    EXPECT_EQ(Get(second, u"Length"), Variant(std::int32_t{1}));
    const DispatchRef groups = std::get<DispatchRef>(Get(second, u"SubMatches"));
    EXPECT_EQ(Get(groups, u"Count"), Variant(std::int32_t{2}));
    EXPECT_EQ(Call(groups, u"Item", {std::int32_t{0}}), Variant(std::u16string(u"7")));
    EXPECT_EQ(Call(groups, u"Item", {std::int32_t{1}}), Variant());  // took no part: empty

    const DispatchRef first = std::get<DispatchRef>(Call(matches, u"Item", {std::int32_t{0}}));
    EXPECT_EQ(Get(first, u"FirstIndex"), Variant(std::int32_t{1}));  // in code units
    EXPECT_EQ(Call(std::get<DispatchRef>(Get(first, u"SubMatches")), u"Item", {std::int32_t{1}}),
              Variant(std::u16string(u"x")));

    // The collection outlives the instance and a new Execute.
    regExp.reset();
    EXPECT_EQ(Get(second, u"Value"), Variant(std::u16string(u"7")));
}

TEST(RegExpComponentTest, FailedCallsReportFailure) {
    ComApartment com;
    DispatchRef regExp = NewRegExp(u"(a", true);
    Variant result;
    const Variant subject = std::u16string(u"a");
    EXPECT_EQ(CallMethod(regExp, u"Execute", std::span<const Variant>(&subject, 1), &result), kRegExpSyntaxError);
    EXPECT_EQ(result, Variant());

    PropertyPut(regExp, u"Pattern", std::u16string(u"a"));
    const DispatchRef matches = std::get<DispatchRef>(Call(regExp, u"Execute", {std::u16string(u"a")}));
    const Variant past = std::int32_t{1};
    EXPECT_EQ(CallMethod(matches, u"Item", std::span<const Variant>(&past, 1), &result), kInvalidProcedureCall);
    const Variant before = std::int32_t{-1};
    EXPECT_EQ(CallMethod(matches, u"Item", std::span<const Variant>(&before, 1), &result), kInvalidProcedureCall);
    EXPECT_EQ(CallMethod(matches, u"NoSuchMember", {}, &result), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(CallMethod(nullptr, u"Count", {}, &result), E_POINTER);
    EXPECT_EQ(CallMethod(regExp, u"Execute", {}, &result), DISP_E_BADPARAMCOUNT);
}

TEST(RegExpComponentTest, TestIgnoresGlobal) {
    ComApartment com;
    DispatchRef regExp = NewRegExp(u"b", false);
    EXPECT_EQ(Call(regExp, u"Test", {std::u16string(u"abc")}), Variant(true));
    EXPECT_EQ(Call(regExp, u"Test", {std::u16string(u"ac")}), Variant(false));
}

struct ReplaceCase {
    const char* name;
    std::u16string pattern;
    bool global;
    std::u16string subject;
    std::u16string replacement;
    std::u16string expected;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, UsesTheReplacementSyntax) {
    ComApartment com;
    const ReplaceCase& c = GetParam();
    DispatchRef regExp = NewRegExp(c.pattern, c.global);
    EXPECT_EQ(Call(regExp, u"Replace", {c.subject, c.replacement}), Variant(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    All, ReplaceTest,
    ::testing::Values(
        ReplaceCase{"Groups", u"(a)(b)?", true, u"xaby a", u"[$2$1]", u"x[ba]y [a]"},
        ReplaceCase{"FirstOnlyWithoutGlobal", u"a", false, u"aaa", u"b", u"baa"},
        ReplaceCase{"WholeMatchBeforeAndAfter", u"b", true, u"abc", u"<$&|$`|$'>", u"a<b|a|c>c"},
        ReplaceCase{"DollarSigns", u"b", true, u"abc", u"$$-$0-$-$", u"a$-$0-$-$c"},
        ReplaceCase{"GroupBeyondThePattern", u"(b)", true, u"abc", u"$2", u"a$2c"},
        ReplaceCase{"OneDigitGroupThenDigit", u"(b)", true, u"abc", u"$10", u"ab0c"},
        ReplaceCase{"TwoDigitGroup", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", true, u"abcdefghij", u"$10$1", u"ja"},
        ReplaceCase{"EmptyMatches", u"x*", true, u"ab", u"-", u"-a-b-"},
        ReplaceCase{"NoMatch", u"z", true, u"ab", u"-", u"ab"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velloran::platform
