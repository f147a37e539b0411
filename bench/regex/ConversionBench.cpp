// Utf8ToAnsi of a 2 MB mostly-Chinese page, beside the system's iconv doing UTF-8 -> GBK on the
// same input; GbkToUtf16 of the converted page beside iconv GBK -> UTF-16LE.

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "BenchPages.h"
#include "text/CodePageConversion.h"

namespace {

const std::string& Utf8Page() {
    static const std::string page = velloran::bench::ChineseUtf8Page(2 * 1024 * 1024);
    return page;
}

void RunIconv(benchmark::State& state, const char* to, const char* from, const std::string& input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open failed");
        return;
    }
    std::vector<char> output(input.size() * 2 + 16);
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* out = output.data();
        std::size_t outLeft = output.size();
        if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
            state.SkipWithError("iconv failed");
            break;
        }
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void BM_Utf8ToAnsi(benchmark::State& state) {
    const std::string& page = Utf8Page();
    for (auto _ : state) {
        velloran::Text ansi = velloran::Utf8ToAnsi(page);
        benchmark::DoNotOptimize(ansi.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_IconvUtf8ToGbk(benchmark::State& state) { RunIconv(state, "GBK", "UTF-8", Utf8Page()); }

void BM_GbkToUtf16(benchmark::State& state) {
    const velloran::Text gbk = velloran::Utf8ToAnsi(Utf8Page());
    for (auto _ : state) {
        velloran::ByteSet units = velloran::GbkToUtf16(gbk);
        benchmark::DoNotOptimize(units.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gbk.size()));
}

void BM_IconvGbkToUtf16(benchmark::State& state) {
    RunIconv(state, "UTF-16LE", "GBK", velloran::Utf8ToAnsi(Utf8Page()));
}

BENCHMARK(BM_Utf8ToAnsi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvUtf8ToGbk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GbkToUtf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvGbkToUtf16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
