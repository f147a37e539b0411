// FetchPageText and WebRequest side by side with plain libcurl on loopback, and how fast a stop
// ends a request to a stalled server.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "platform/win_threads/WorkerThread.h"
#include "web/HttplibServer.h"
#include "web/TestServers.h"
#include "web/WebRequest.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kPageBytes = 50 * 1024;

std::string MakeBody(std::size_t size) {
    std::string body(size, 'x');
    for (std::size_t i = 0; i < size; i += 61) body[i] = static_cast<char>('a' + i % 26);
    return body;
}

// One loopback server for every benchmark: /page is 50 KB, /big/<n> is n bytes.
velloran::testing::HttplibServer& Server() {
    static const std::string page = MakeBody(kPageBytes);
    static const std::string big = MakeBody(20 * 1024 * 1024);
    static velloran::testing::HttplibServer server([](httplib::Server& s) {
        s.Get("/page", [](const httplib::Request&, httplib::Response& res) { res.set_content(page, "text/html"); });
        s.Get(R"(/big/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            std::size_t n = std::min<std::size_t>(std::stoul(req.matches[1]), big.size());
            res.set_content_provider(n, "application/octet-stream",
                                     [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                         return sink.write(big.data() + offset, length);
                                     });
        });
    });
    return server;
}

std::string Url(const std::string& path) { return "http://127.0.0.1:" + std::to_string(Server().Port()) + path; }

std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// The plain libcurl baseline: a fresh easy handle per request, the body into a std::string.
std::string RawCurlGet(const std::string& url, std::size_t reserve = 0) {
    std::string body;
    body.reserve(reserve);
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), &curl_easy_cleanup);
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &AppendToString);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_perform(easy.get());
    return body;
}

void BM_Page50KB_FetchPageText(benchmark::State& state) {
    const std::string url = Url("/page");
    for (auto _ : state) {
        std::string text = velloran::FetchPageText(url);
        if (text.size() != kPageBytes) state.SkipWithError("short page");
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageBytes));
}

void BM_Page50KB_RawCurl(benchmark::State& state) {
    const std::string url = Url("/page");
    for (auto _ : state) {
        std::string body = RawCurlGet(url);
        if (body.size() != kPageBytes) state.SkipWithError("short page");
        benchmark::DoNotOptimize(body);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageBytes));
}

// Both sides call for call, alternating, so that each sees the same machine load; the counters
// are the median times of each side and their ratio.
void BM_Page50KB_AlternatingPair(benchmark::State& state) {
    const std::string url = Url("/page");
    std::vector<double> ours, raw;
    auto timeOurs = [&] {
        auto start = Clock::now();
        std::string text = velloran::FetchPageText(url);
        ours.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        return text.size() == kPageBytes;
    };
    auto timeRaw = [&] {
        auto start = Clock::now();
        std::string body = RawCurlGet(url);
        raw.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        return body.size() == kPageBytes;
    };
    bool oursFirst = true;
    for (auto _ : state) {
        // Which side goes first alternates too, so that neither always follows the other.
        bool ok = oursFirst ? (timeOurs() & timeRaw()) : (timeRaw() & timeOurs());
        if (!ok) state.SkipWithError("short page");
        oursFirst = !oursFirst;
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["fetch_us"] = median(ours);
    state.counters["rawcurl_us"] = median(raw);
    state.counters["ratio"] = median(raw) > 0 ? median(ours) / median(raw) : 0.0;
}

void BM_Body_WebRequest1024Reads(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string url = Url("/big/" + std::to_string(size));
    for (auto _ : state) {
        velloran::ByteSet body = velloran::WebRequest(url);
        if (body.size() != size) state.SkipWithError("short body");
        benchmark::DoNotOptimize(body);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_Body_RawCurlString(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string url = Url("/big/" + std::to_string(size));
    for (auto _ : state) {
        std::string body = RawCurlGet(url);
        if (body.size() != size) state.SkipWithError("short body");
        benchmark::DoNotOptimize(body);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// The stricter baseline: the string sized for the body beforehand, as WebRequest sizes its own
// from the announced length.
void BM_Body_RawCurlReservedString(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string url = Url("/big/" + std::to_string(size));
    for (auto _ : state) {
        std::string body = RawCurlGet(url, size);
        if (body.size() != size) state.SkipWithError("short body");
        benchmark::DoNotOptimize(body);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// 100 fetches from a server that accepts and then stays silent, each stopped once the request
// has reached the server; the time from request_stop until the fetch has returned.
void BM_StopLatency_StalledServer(benchmark::State& state) {
    constexpr int kTries = 100;
    std::vector<double> latenciesMs;
    for (auto _ : state) {
        velloran::testing::RawListener stalled([](const std::string&) { return std::string(); }, /*holdOpen=*/true);
        const std::string url = "http://127.0.0.1:" + std::to_string(stalled.Port()) + "/";
        for (int i = 0; i < kTries; ++i) {
            std::stop_source source;
            auto fetch = std::async(std::launch::async, [token = source.get_token(), url] {
                velloran::platform::ScopedStopToken scope(token);
                return velloran::FetchPageText(url);
            });
            auto deadline = Clock::now() + std::chrono::seconds(5);
            while (stalled.Requests().size() < static_cast<std::size_t>(i + 1) && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            auto stopAt = Clock::now();
            source.request_stop();
            fetch.wait();
            latenciesMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - stopAt).count());
        }
    }
    std::sort(latenciesMs.begin(), latenciesMs.end());
    state.counters["median_ms"] = latenciesMs[latenciesMs.size() / 2];
    state.counters["worst_ms"] = latenciesMs.back();
    state.counters["tries"] = static_cast<double>(latenciesMs.size());
}

// Rates by wall-clock time: the transfer waits on the network as much as it computes. Run with
// --benchmark_repetitions=N --benchmark_enable_random_interleaving=true to put both sides of a
// pair under the same machine load.
BENCHMARK(BM_Page50KB_FetchPageText)->MinTime(1.0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Page50KB_RawCurl)->MinTime(1.0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Page50KB_AlternatingPair)->MinTime(2.0)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Body_WebRequest1024Reads)->Arg(1 << 20)->Arg(5 << 20)->Arg(20 << 20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Body_RawCurlString)->Arg(1 << 20)->Arg(5 << 20)->Arg(20 << 20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Body_RawCurlReservedString)->Arg(1 << 20)->Arg(5 << 20)->Arg(20 << 20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StopLatency_StalledServer)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
