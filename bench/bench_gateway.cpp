// Throughput of the Gateway's byte work: the request rewriter, the filter with
// its settings off and on, and what reading the filter's two settings costs.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gateway/FilterSwitches.h"
#include "gateway/InvasiveCodeFilter.h"
#include "gateway/RequestRewriter.h"
#include "platform/registry/Registry.h"
#include "settings/DwordSetting.h"

namespace {

using namespace veilport;

const std::string kRequest =
    "GET http://www.example.com/some/path/page.html?query=1 HTTP/1.1\r\n"
    "Host: www.example.com\r\nUser-Agent: Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101 "
    "Firefox/115.0\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
    "Accept-Language: en-US,en;q=0.5\r\nAccept-Encoding: gzip, deflate, br\r\n"
    "Proxy-Connection: keep-alive\r\nCookie: session=abcdef0123456789; theme=dark\r\n"
    "Upgrade-Insecure-Requests: 1\r\nIf-Modified-Since: Sat, 01 Jan 2000 00:00:00 GMT\r\n"
    "If-None-Match: \"abc\"\r\n\r\n";

void BM_RewriteRequest(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(RewriteRequest(kRequest));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kRequest.size()));
}
BENCHMARK(BM_RewriteRequest);

std::string Page(std::size_t size) {
    const std::string unit =
        "<div class=\"x\"><p>Some text with <b>markup</b> &amp; a < sign.</p>"
        "<SCRIPT src=\"a.js\"></SCRIPT><object data=\"m\"></object></div>\n";
    std::string page;
    while (page.size() < size) page += unit;
    page.resize(size);
    return page;
}

FilterSwitches gSwitches;
FilterSwitches FixedSwitches() {
    return gSwitches;
}

// 1 MiB answer through the filter in 4096-byte chunks; range(0): 0 = both
// settings off (the answer passes as it came), 1 = both on (an HTML page).
void BM_FilterAnswer(benchmark::State& state) {
    gSwitches = state.range(0) ? FilterSwitches{true, true} : FilterSwitches{false, false};
    const std::string answer =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1048576\r\n\r\n" +
        Page(1 << 20);
    std::string scratch;
    for (auto _ : state) {
        InvasiveCodeFilter filter(gSwitches, &FixedSwitches);
        std::size_t out = 0;
        for (std::size_t pos = 0; pos < answer.size(); pos += 4096)
            out += filter.filterChunk(std::string_view(answer).substr(pos, 4096), scratch).size();
        out += filter.finish(scratch).size();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_FilterAnswer)->Arg(0)->Arg(1);

// The same answer copied chunk by chunk: what a relay without any filter does.
void BM_PlainCopy(benchmark::State& state) {
    const std::string answer = Page(1 << 20);
    std::vector<char> buffer(4096);
    for (auto _ : state) {
        for (std::size_t pos = 0; pos < answer.size(); pos += 4096)
            std::memcpy(buffer.data(), answer.data() + pos,
                        std::min<std::size_t>(4096, answer.size() - pos));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_PlainCopy);

// The two settings reads an HTML chunk costs while filtering (EnableJS and
// EnableActiveX through DwordSetting, from the SQLite-backed store).
void BM_ReadFilterSwitches(benchmark::State& state) {
    char pattern[] = "/tmp/veilport-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) state.SkipWithError("mkdtemp failed");
    setenv("VEILPORT_HOME", pattern, 1);
    registry::resetProcessStore();
    DwordSetting(settings::kEnableJS).set(1);
    for (auto _ : state) benchmark::DoNotOptimize(FilterSwitches::fromStore());
    registry::resetProcessStore();
    std::filesystem::remove_all(pattern);
}
BENCHMARK(BM_ReadFilterSwitches)->Threads(1)->Threads(2);

}  // namespace

BENCHMARK_MAIN();
