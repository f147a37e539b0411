// The scan's real work: Create with the general entry pattern over a 2 MB listing page of 2,000
// entries, then SubmatchText of groups 1 and 4 of every match; beside std::regex doing the same
// on the same page.

#include <benchmark/benchmark.h>

#include <regex>
#include <string>

#include "BenchPages.h"
#include "regex/RegexObject.h"

namespace {

constexpr int kEntries = 2000;

const std::string kEntryPattern =
    "<a  target=\"_blank\" href=\"(.*?)\"><img src=\"(.*?)\" class=\"(.*?)\"></a>\n\t\t\t\t\t\t"
    "<p class=\"name\">(.*?)<em";

const std::string& ListingPage() {
    static const std::string page = velloran::bench::ListingPageGbk(kEntries, 2 * 1024 * 1024);
    return page;
}

void BM_RegexObjectScan(benchmark::State& state) {
    const std::string& page = ListingPage();
    std::size_t found = 0;
    for (auto _ : state) {
        velloran::RegexObject regex;
        regex.Create(kEntryPattern, page);
        const std::int32_t count = regex.MatchCount();
        found = 0;
        for (std::int32_t i = 1; i <= count; ++i) {
            velloran::Text link = regex.SubmatchText(i, 1);
            velloran::Text name = regex.SubmatchText(i, 4);
            benchmark::DoNotOptimize(link.data());
            benchmark::DoNotOptimize(name.data());
            ++found;
        }
    }
    if (found != kEntries) state.SkipWithError("wrong number of entries");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_StdRegexScan(benchmark::State& state) {
    const std::string& page = ListingPage();
    std::size_t found = 0;
    for (auto _ : state) {
        const std::regex pattern(kEntryPattern, std::regex::ECMAScript | std::regex::icase);
        found = 0;
        for (std::sregex_iterator it(page.begin(), page.end(), pattern), end; it != end; ++it) {
            std::string link = (*it)[1].str();
            std::string name = (*it)[4].str();
            benchmark::DoNotOptimize(link.data());
            benchmark::DoNotOptimize(name.data());
            ++found;
        }
    }
    if (found != kEntries) state.SkipWithError("wrong number of entries");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

BENCHMARK(BM_RegexObjectScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdRegexScan)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
