#include <gtest/gtest.h>

#include "web/CookieMerge.h"

namespace velloran {
namespace {

struct MergeCase {
    Text cookies, responseCookies, cookiesAfter, responseCookiesAfter;
};

class MergeCookiesTable : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTable, RewritesBothArguments) {
    const MergeCase& c = GetParam();
    Text cookies = c.cookies;
    Text responseCookies = c.responseCookies;
    Text result = MergeCookies(cookies, responseCookies);
    EXPECT_EQ(cookies, c.cookiesAfter);
    EXPECT_EQ(responseCookies, c.responseCookiesAfter);
    EXPECT_EQ(result, c.cookiesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTable,
    ::testing::Values(
        MergeCase{"sid=1; lang=en", "sid=2; token=abc", "sid=2; token=abc; lang=en", "sid=2;token=abc"},
        MergeCase{"a=1; b=2", "", "a=1; b=2", ""},
        MergeCase{"", "a=1; b=2", "a=1; b=2", "a=1;b=2"},
        MergeCase{"", "", "", ""},
        MergeCase{"sid=1; lang=en", "lang=deleted", "sid=1", "lang=deleted"},
        MergeCase{"x=1; x=2; y=3", "y=4", "y=4; x=1", "y=4"},
        MergeCase{"a=1", "a=1; a=1", "a=1", "a=1;a=1"},
        MergeCase{"a=1", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
        MergeCase{"p = 1 ; q=2", "r= 3", "r=3; p=1; q=2", "r=3"},
        MergeCase{"A=1", "a=2", "a=2; A=1", "a=2"},
        MergeCase{"a=1", "b=DELETED; c=deleted", "b=DELETED; a=1", "b=DELETED;c=deleted"},
        MergeCase{"k", "k=v", "k=v", "k=v"},
        MergeCase{"=deleted; z=9", "", "z=9", ""},
        MergeCase{"a=1;;b=2", "", "a=1; ; b=2", ""},
        // Spaces inside a value go too, the full-width space (A1 A1) like the half-width one.
        MergeCase{"n=a b", "", "n=ab", ""},
        MergeCase{"n=a\xA1\xA1" "b; m=1", "m=\xA1\xA1" "2", "m=2; n=ab", "m=2"}));

TEST(CookieHelpers, NamesListsAndUniqueJoins) {
    EXPECT_EQ(CookieName(" sid =1=2"), "sid");
    EXPECT_EQ(CookieName("flag"), "flag");
    EXPECT_EQ(CookieName("=v"), "");
    EXPECT_TRUE(CookieListHasName({"a=1", "b=2"}, "b"));
    EXPECT_FALSE(CookieListHasName({"a=1", "B=2"}, "b")) << "names compare with letter case";
    EXPECT_FALSE(CookieListHasName({}, ""));
    EXPECT_EQ(IndexOfText({"x", "y", "y"}, "y"), 2);
    EXPECT_EQ(IndexOfText({"x"}, "X"), -1);
    EXPECT_EQ(JoinUnique("a=1; b=2; a=1", "; "), "a=1; b=2");
    EXPECT_EQ(JoinUnique("", "; "), "");
    EXPECT_EQ(JoinUnique("a;;a;", ";"), "a;") << "the empty piece is kept once";
}

}  // namespace
}  // namespace velloran
