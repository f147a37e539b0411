// The hot text operations over whole pages, each next to the plain byte routine it has to keep up
// with: FindText against memmem and std::string_view::find for the same needle, ReplaceText,
// SplitText and RemoveAllSpaces against a plain copy of the same text, ExtractBetween against a
// copy of the whole text it must not make.

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <utility>
#include <random>
#include <string_view>

#include "text/TextOps.h"

namespace velloran {
namespace {

constexpr std::size_t kPageSize = 8u << 20;
constexpr std::size_t kHits = 100000;

const Text kGbkNeedle = "\xC7\xC0\xCD\xEA";         // 抢完
const Text kAsciiNeedle = "data-status=\"over\"";

// One random GBK character: lead 0x81..0xFE, trail 0x40..0x7E or 0x80..0xFE.
void AppendGbkChar(Text& out, std::mt19937& engine) {
    std::uniform_int_distribution<int> lead(0x81, 0xFE);
    std::uniform_int_distribution<int> trail(0x40, 0xFD);
    int t = trail(engine);
    if (t >= 0x7F) ++t;
    if (t == 0xA1) ++t;  // keeps the full-width space 0xA1 0xA1 out of the names
    out += static_cast<char>(lead(engine));
    out += static_cast<char>(t);
}

// Markup with short GBK names in it, like a listing page after conversion: about 10% of its bytes
// belong to two-byte characters.
Text MakeHtml(std::size_t size) {
    std::mt19937 engine(1);
    std::uniform_int_distribution<int> id(1000, 99999);
    std::uniform_int_distribution<int> nameLength(2, 6);
    Text out;
    out.reserve(size + 256);
    while (out.size() < size) {
        out += "<li class=\"item\"><a href=\"/hongbao/detail?id=";
        out += std::to_string(id(engine));
        out += "\" target=\"_blank\">";
        for (int i = nameLength(engine); i > 0; --i) AppendGbkChar(out, engine);
        out += "</a><span class=\"num\">";
        out += std::to_string(id(engine));
        out += "</span></li>\n";
    }
    out.resize(size);
    while (static_cast<unsigned char>(out.back()) >= 0x80) out.pop_back();
    return out;
}

// Running Chinese text with the odd ASCII digit or punctuation mark.
Text MakeGbk(std::size_t size) {
    std::mt19937 engine(2);
    std::uniform_int_distribution<int> choice(0, 19);
    Text out;
    out.reserve(size + 2);
    while (out.size() + 2 <= size) {
        if (choice(engine) == 0) {
            out += "0123456789,.;"[choice(engine) % 13];
        } else {
            AppendGbkChar(out, engine);
        }
    }
    return out;
}

// Breaks every occurrence of `needle` in `text` so that only the one appended at the end is found.
Text WithNeedleAtEnd(Text text, const Text& needle) {
    for (std::size_t at = text.find(needle); at != Text::npos; at = text.find(needle, at)) text[at] = 'x';
    return text + needle;
}

// `text` without any `forbidden` byte, with `token` inserted after a '>' or a digit about every
// size / hits bytes, exactly `hits` times.
Text WithHits(Text text, char forbidden, const Text& token, std::size_t hits) {
    for (char& c : text) {
        if (c == forbidden) c = '_';
    }
    // Closer than size / hits: moving on to the next '>' or digit makes up the difference.
    const std::size_t spacing = hits == 0 ? text.size() : text.size() * 4 / (hits * 5);
    Text out;
    out.reserve(text.size() + hits * token.size());
    std::size_t copied = 0;
    std::size_t inserted = 0;
    for (std::size_t at = spacing; inserted < hits && at < text.size(); at += spacing) {
        while (at < text.size() && text[at - 1] != '>' && !(text[at - 1] >= '0' && text[at - 1] <= '9')) ++at;
        if (at >= text.size()) break;
        out.append(text, copied, at - copied);
        out += token;
        copied = at;
        ++inserted;
    }
    out.append(text, copied, Text::npos);
    return out;
}

const Text& HtmlPage() {
    static const Text page = WithNeedleAtEnd(MakeHtml(kPageSize), kAsciiNeedle);
    return page;
}

const Text& GbkPage() {
    static const Text page = WithNeedleAtEnd(MakeGbk(kPageSize), kGbkNeedle);
    return page;
}

// The entry-page check: a GBK needle in markup.
const Text& HtmlPageForGbkNeedle() {
    static const Text page = WithNeedleAtEnd(MakeHtml(kPageSize), kGbkNeedle);
    return page;
}

// Argument 0: markup and an ASCII needle; 1: Chinese text and a GBK needle; 2: markup and a GBK needle.
const Text& Page(std::int64_t which) {
    return which == 0 ? HtmlPage() : (which == 1 ? GbkPage() : HtmlPageForGbkNeedle());
}
const Text& Needle(std::int64_t which) { return which == 0 ? kAsciiNeedle : kGbkNeedle; }

void Label(benchmark::State& state, const Text& page) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    static const char* const kLabels[] = {"html, ascii needle", "gbk, gbk needle", "html, gbk needle"};
    state.SetLabel(kLabels[state.range(0)]);
}

// ---- search: FindText against the plain byte searches ---------------------------------------

void BM_Find_Memmem(benchmark::State& state) {
    const Text& page = Page(state.range(0));
    const Text& needle = Needle(state.range(0));
    for (auto _ : state) {
        const void* hit = memmem(page.data(), page.size(), needle.data(), needle.size());
        benchmark::DoNotOptimize(hit);
    }
    Label(state, page);
}

void BM_Find_StringViewFind(benchmark::State& state) {
    const std::string_view page = Page(state.range(0));
    const std::string_view needle = Needle(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(page.find(needle));
    Label(state, Page(state.range(0)));
}

void BM_FindText(benchmark::State& state) {
    const Text& page = Page(state.range(0));
    const Text& needle = Needle(state.range(0));
    std::int32_t hit = 0;
    for (auto _ : state) benchmark::DoNotOptimize(hit = FindText(page, needle));
    if (hit != static_cast<std::int32_t>(page.size() - needle.size() + 1)) state.SkipWithError("wrong position");
    Label(state, page);
}

void BM_FindText_IgnoreCase(benchmark::State& state) {
    const Text& page = Page(state.range(0));
    const Text& needle = Needle(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(FindText(page, needle, std::nullopt, true));
    Label(state, page);
}

void BM_FindTextReverse(benchmark::State& state) {
    const Text& page = Page(state.range(0));
    const Text& needle = Needle(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(FindTextReverse(page, needle));
    Label(state, page);
}

BENCHMARK(BM_Find_Memmem)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Find_StringViewFind)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText_IgnoreCase)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindTextReverse)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// ---- whole-text rewrites with 100,000 hits, against a plain copy ----------------------------
// The argument is the page size in MB; the hits scale with it (100,000 at 8 MB), so the 2 MB and
// 8 MB runs of one routine differ by 4x in time when it is linear.

enum class Rewrite { kReplace, kSplit, kSpaces };

const Text& RewritePage(Rewrite rewrite, std::int64_t megabytes) {
    static std::map<std::pair<Rewrite, std::int64_t>, Text> pages;
    Text& page = pages[{rewrite, megabytes}];
    if (page.empty()) {
        const std::size_t size = static_cast<std::size_t>(megabytes) << 20;
        const std::size_t hits = kHits * static_cast<std::size_t>(megabytes) / 8;
        switch (rewrite) {
            case Rewrite::kReplace: page = WithHits(MakeHtml(size), '&', "&quot;", hits); break;
            case Rewrite::kSplit: page = WithHits(MakeHtml(size), '\r', "\r\n", hits); break;
            case Rewrite::kSpaces:
                // No space in the markup itself; then half the hits full-width (0xA1 0xA1), half 0x20.
                page = WithHits(WithHits(MakeHtml(size), ' ', "\xA1\xA1", hits / 2), '\0', " ", hits / 2);
                break;
        }
    }
    return page;
}

std::size_t HitsFor(const benchmark::State& state) { return kHits * static_cast<std::size_t>(state.range(0)) / 8; }

void BM_Copy(benchmark::State& state, Rewrite rewrite) {
    const Text& text = RewritePage(rewrite, state.range(0));
    for (auto _ : state) {
        Text copy = text;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_ReplaceText(benchmark::State& state) {
    const Text& text = RewritePage(Rewrite::kReplace, state.range(0));
    const Text quote = "\"";
    std::size_t size = 0;
    for (auto _ : state) {
        Text out = ReplaceText(text, "&quot;", quote, true);
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    if (size != text.size() - HitsFor(state) * 5) state.SkipWithError("wrong number of replacements");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_SplitText(benchmark::State& state) {
    const Text& text = RewritePage(Rewrite::kSplit, state.range(0));
    std::size_t pieces = 0;
    for (auto _ : state) {
        TextArray out = SplitText(text, "\r\n");
        pieces = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    if (pieces != HitsFor(state) + 1) state.SkipWithError("wrong number of pieces");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_RemoveAllSpaces(benchmark::State& state) {
    const Text& text = RewritePage(Rewrite::kSpaces, state.range(0));
    std::size_t size = 0;
    for (auto _ : state) {
        Text out = RemoveAllSpaces(text);
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    if (size != text.size() - HitsFor(state) / 2 * 3) state.SkipWithError("wrong number of spaces removed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK_CAPTURE(BM_Copy, replace_page, Rewrite::kReplace)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceText)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Copy, split_page, Rewrite::kSplit)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SplitText)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Copy, spaces_page, Rewrite::kSpaces)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RemoveAllSpaces)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond);

// ---- ExtractBetween on 1 MB: only the scan up to the markers, never a copy of the text -------

const Text& MegabytePage() {
    static const Text page = "<html><head><title>" + Text("\xBA\xEC\xB0\xFC") /* 红包 */ + "</title></head>" +
                             MakeHtml(1u << 20) + "<div id=\"end\">last</div>";
    return page;
}

void BM_Copy_1MB(benchmark::State& state) {
    const Text& text = MegabytePage();
    for (auto _ : state) {
        Text copy = text;
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_ExtractBetween_NearStart(benchmark::State& state) {
    const Text& text = MegabytePage();
    for (auto _ : state) benchmark::DoNotOptimize(ExtractBetween(text, "<title>", "</title>"));
}

void BM_ExtractBetween_AtEnd(benchmark::State& state) {
    const Text& text = MegabytePage();
    const Text left = "<div id=#\xD2\xFD\xBA\xC5" "end#\xD2\xFD\xBA\xC5>";  // <div id=#引号end#引号>
    for (auto _ : state) benchmark::DoNotOptimize(ExtractBetween(text, left, "</div>"));
}

void BM_FindText_1MB_EndMarker(benchmark::State& state) {
    const Text& text = MegabytePage();
    for (auto _ : state) benchmark::DoNotOptimize(FindText(text, "<div id=\"end\">"));
}

BENCHMARK(BM_Copy_1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractBetween_NearStart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExtractBetween_AtEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText_1MB_EndMarker)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velloran

BENCHMARK_MAIN();
