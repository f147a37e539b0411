// RegexObject: the option rules, the read-back by number, positions, failures, the COM lifetime
// on its thread, and the scan's own use over a listing page.

#include <gtest/gtest.h>

#include <limits>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "platform/vbscript_regexp/Com.h"
#include "platform/win_threads/WorkerThread.h"
#include "regex/RegexObject.h"

namespace velloran {
namespace {

// The scan's general entry pattern: link, picture, class and name of one entry.
const Text kEntryPattern =
    "<a  target=\"_blank\" href=\"(.*?)\"><img src=\"(.*?)\" class=\"(.*?)\"></a>\n\t\t\t\t\t\t"
    "<p class=\"name\">(.*?)<em";

Text Entry(const Text& link, const Text& name) {
    return "<li><a  target=\"_blank\" href=\"" + link + "\"><img src=\"/p.png\" class=\"pic\"></a>\n\t\t\t\t\t\t" +
           "<p class=\"name\">" + name + "<em>1</em></p></li>\r\n";
}

// Whether the calling thread has COM, found out by trying to create the component.
bool ThreadHasCom() {
    platform::DispatchRef object;
    return platform::CreateObject(u"VBScript.RegExp", &object) == platform::S_OK;
}

TEST(RegexObjectTest, OptionsFollowTheirFlags) {
    struct Case {
        const char* name;
        Text pattern;
        Text subject;
        std::optional<bool> caseSensitive, multiline, global;
        std::int32_t count;
    };
    const Case cases[] = {
        {"all absent: ignore case, global", "ab", "AB ab aB", {}, {}, {}, 3},
        {"case sensitive", "ab", "AB ab aB", true, {}, {}, 1},
        {"case sensitive given false", "ab", "AB ab aB", false, {}, {}, 3},
        {"global false", "ab", "ab ab", {}, {}, false, 1},
        {"global given true", "ab", "ab ab", {}, {}, true, 2},
        {"multiline absent", "^b", "a\nb", {}, {}, {}, 1},
        {"multiline false", "^b", "a\nb", {}, false, {}, 0},
    };
    RegexObject regex;
    for (const Case& c : cases) {
        EXPECT_TRUE(regex.Create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global)) << c.name;
        EXPECT_EQ(regex.MatchCount(), c.count) << c.name;
    }
}

TEST(RegexObjectTest, QuoteMarkerTurnsEveryMarkerIntoAQuote) {
    const Text marked = "href=#\xD2\xFD\xBA\xC5(.*?)#\xD2\xFD\xBA\xC5";  // href=#引号(.*?)#引号
    const Text subject = "<a href=\"x\">";
    RegexObject regex;
    EXPECT_TRUE(regex.Create(marked, subject, {}, {}, {}, true));
    EXPECT_EQ(regex.GetPattern(), "href=\"(.*?)\"");
    EXPECT_EQ(regex.SubmatchText(1, 1), "x");

    for (const std::optional<bool> quoteMarker : {std::optional<bool>{}, std::optional<bool>{false}}) {
        EXPECT_TRUE(regex.Create(marked, subject, {}, {}, {}, quoteMarker));
        EXPECT_EQ(regex.GetPattern(), marked);
        EXPECT_EQ(regex.MatchCount(), 0);
    }
}

TEST(RegexObjectTest, ReadsMatchesAndGroupsByNumber) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(\\w)(\\d)?", "a1 b"));
    EXPECT_EQ(regex.MatchCount(), 2);
    EXPECT_EQ(regex.MatchText(1), "a1");
    EXPECT_EQ(regex.MatchText(2), "b");
    EXPECT_EQ(regex.SubmatchText(1, 2), "1");
    EXPECT_EQ(regex.SubmatchText(2, 2), "");  // took no part
    EXPECT_EQ(regex.SubmatchCount(), 2);
    for (const std::int32_t outside : {0, 3, -1, std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_EQ(regex.MatchText(outside), "") << outside;
        EXPECT_EQ(regex.SubmatchText(outside, 1), "") << outside;
        EXPECT_EQ(regex.SubmatchText(1, outside), "") << outside;
    }
    EXPECT_EQ(regex.SubmatchText(1, 3), "");
    EXPECT_EQ(regex.SubmatchText(1, 0), "");
}

TEST(RegexObjectTest, ARejectedPatternGivesNothing) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("a", "a"));
    EXPECT_FALSE(regex.Create("(a", "a"));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.MatchText(1), "");
    EXPECT_EQ(regex.SubmatchText(1, 1), "");
    EXPECT_EQ(regex.SubmatchCount(), 0);
}

TEST(RegexObjectTest, NothingBeforeTheFirstCreate) {
    RegexObject regex;
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubmatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), "");
    EXPECT_EQ(regex.MatchText(1), "");
    EXPECT_EQ(regex.Replace(Text("x")), "");
    regex.Reserved();
}

TEST(RegexObjectTest, EmptySubjectWithTheEntryPattern) {
    RegexObject regex;
    EXPECT_TRUE(regex.Create(kEntryPattern, ""));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubmatchCount(), 0);
}

TEST(RegexObjectTest, ASecondCreateReplacesEverything) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(a)(b)", "ab ab ab"));
    ASSERT_TRUE(regex.Create("c", "xc", true));
    EXPECT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.MatchText(1), "c");
    EXPECT_EQ(regex.SubmatchCount(), 0);
    EXPECT_EQ(regex.GetPattern(), "c");
    std::int32_t position = 0;
    regex.MatchText(1, position);
    EXPECT_EQ(position, 1);
}

TEST(RegexObjectTest, ReplaceWorksOnTheSubject) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(\\d)", "\xD6\xD0" "1 2"));
    EXPECT_EQ(regex.Replace(Text("<$1>")), "\xD6\xD0<1> <2>");
    EXPECT_EQ(regex.Replace(), "\xD6\xD0 ");  // an absent replacement deletes
    ASSERT_TRUE(regex.Create("\\d", "1 2", {}, {}, false));
    EXPECT_EQ(regex.Replace(Text("x")), "x 2");
}

TEST(RegexObjectTest, Positions) {
    struct Case {
        const char* name;
        Text pattern;
        Text subject;
        std::int32_t match;
        std::int32_t group;  // 0: the whole match through MatchText
        Text text;
        std::int32_t position;
    };
    const Case cases[] = {
        {"single-byte subject: FirstIndex", "ab", "xyab", 1, 0, "ab", 2},
        {"single-byte, text not before the match", "ab", "aab", 1, 0, "ab", 1},
        {"double-byte character before the match", "a", "\xD6\xD0" "a", 1, 0, "a", 2},
        {"two equal letters: the search meets the first", "a", "aa", 2, 0, "a", 0},
        {"a group is searched for from its match", "a(b)", "abab", 2, 1, "b", 1},
        {"empty group with bytes after the start", "a(x*)b", "ab", 1, 1, "", 0},
        {"empty match in an empty subject", "x*", "", 1, 0, "", -2},
        // FirstIndex 2 is the second byte of the first 中: the search starts at that character.
        {"search start inside a double-byte character", "a", "\xD6\xD0\xD6\xD0" "a", 1, 0, "a", 4},
        {"chinese match after chinese", "\xB0\xFC", "\xBA\xEC\xB0\xFC", 1, 0, "\xB0\xFC", 2},  // 包 in 红包
    };
    for (const Case& c : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.Create(c.pattern, c.subject)) << c.name;
        std::int32_t position = 12345;
        const Text text = c.group == 0 ? regex.MatchText(c.match, position)
                                       : regex.SubmatchText(c.match, c.group, position);
        EXPECT_EQ(text, c.text) << c.name;
        EXPECT_EQ(position, c.position) << c.name;
    }
}

TEST(RegexObjectTest, ALeftOutPositionLeavesTheVariableAlone) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create("b", "ab"));
    std::int32_t untouched = 77;
    RegexObject::OutPosition none;
    EXPECT_EQ(regex.MatchText(1, none), "b");
    EXPECT_EQ(regex.SubmatchText(1, 1, none), "");
    EXPECT_EQ(untouched, 77);
    regex.MatchText(1, untouched);
    EXPECT_EQ(untouched, 1);
}

// Run on a thread of its own, so that the test's main thread keeps no COM state.
template <class Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

TEST(RegexObjectLifetimeTest, ConstructionStartsComAndDestructionShutsItDown) {
    OnFreshThread([] {
        EXPECT_FALSE(ThreadHasCom());
        {
            RegexObject regex;
            EXPECT_TRUE(ThreadHasCom());
            EXPECT_TRUE(regex.Create("a", "a"));
        }
        EXPECT_FALSE(ThreadHasCom());
    });
}

TEST(RegexObjectLifetimeTest, ACopySharesTheComponentsAndLeavesComToTheOriginal) {
    OnFreshThread([] {
        {
            RegexObject original;
            ASSERT_TRUE(original.Create("(\\d)", "1 2 3"));
            {
                const RegexObject copy(original);
                RegexObject reader(copy);
                EXPECT_EQ(reader.MatchCount(), 3);
                EXPECT_EQ(reader.SubmatchText(3, 1), "3");
                std::int32_t position = 0;
                reader.MatchText(2, position);
                EXPECT_EQ(position, 2);
            }
            EXPECT_TRUE(ThreadHasCom());  // the copies did not shut COM down
            EXPECT_EQ(original.MatchCount(), 3);
            // A new Create on the original leaves a copy made before it with the old search.
            RegexObject before(original);
            ASSERT_TRUE(original.Create("x", "x"));
            EXPECT_EQ(before.MatchCount(), 3);
            EXPECT_EQ(original.MatchCount(), 1);
        }
        EXPECT_FALSE(ThreadHasCom());  // one start-up, one shut-down
    });
}

TEST(RegexObjectLifetimeTest, WithoutTheComponentEverythingIsEmpty) {
    OnFreshThread([] {
        RegexObject regex;
        platform::CoUninitialize();  // take COM away from under the object
        EXPECT_FALSE(regex.Create("a", "a"));
        EXPECT_EQ(regex.MatchCount(), 0);
        EXPECT_EQ(regex.SubmatchCount(), 0);
        EXPECT_EQ(regex.MatchText(1), "");
        EXPECT_EQ(regex.GetPattern(), "");
        EXPECT_EQ(regex.Replace(Text("b")), "");
        platform::CoInitialize(nullptr);  // the object's destruction undoes this one
    });
}

// ---- the scan's use ----

TEST(RegexObjectScanTest, EntryPatternReadsLinksAndNames) {
    const Text name1 = "\xBA\xEC\xB0\xFC" "A";  // 红包A
    const Text name2 = "\xD6\xD0\xCE\xC4";      // 中文
    const Text page = "<html>\r\n<ul>" + Entry("/hongbao/1", name1) + "<li>noise</li>" + Entry("/hongbao/2?x=1", name2) +
                      "</ul>";
    RegexObject regex;
    ASSERT_TRUE(regex.Create(kEntryPattern, page));
    ASSERT_EQ(regex.MatchCount(), 2);
    EXPECT_EQ(regex.SubmatchText(1, 1), "/hongbao/1");
    EXPECT_EQ(regex.SubmatchText(1, 4), name1);
    EXPECT_EQ(regex.SubmatchText(2, 1), "/hongbao/2?x=1");
    EXPECT_EQ(regex.SubmatchText(2, 4), name2);
    EXPECT_EQ(regex.SubmatchText(2, 2), "/p.png");
}

TEST(RegexObjectScanTest, TwoThreadsEachWithTheirOwnObject) {
    Text page;
    for (int i = 0; i < 300; ++i) page += Entry("/e/" + std::to_string(i), "\xC3\xFB" + std::to_string(i));
    std::vector<std::vector<Text>> seen(2);
    auto scan = [&](std::vector<Text>& out) {
        RegexObject regex;
        if (!regex.Create(kEntryPattern, page)) return;
        for (std::int32_t i = 1; i <= regex.MatchCount(); ++i) {
            out.push_back(regex.SubmatchText(i, 1) + "|" + regex.SubmatchText(i, 4));
        }
    };
    std::thread a(scan, std::ref(seen[0]));
    std::thread b(scan, std::ref(seen[1]));
    a.join();
    b.join();
    ASSERT_EQ(seen[0].size(), 300u);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0][299], "/e/299|\xC3\xFB" "299");
}

// A worker that has been asked to stop finds no more matches: it only unwinds.
TEST(RegexObjectScanTest, AStoppedWorkerFindsNothingMore) {
    OnFreshThread([] {
        std::stop_source stopped;
        stopped.request_stop();
        platform::ScopedStopToken scope(stopped.get_token());
        RegexObject regex;
        EXPECT_TRUE(regex.Create("a", "aaa"));
        EXPECT_EQ(regex.MatchCount(), 0);
    });
}

}  // namespace
}  // namespace velloran
