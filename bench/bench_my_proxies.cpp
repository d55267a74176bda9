// What loading MyProxies.txt costs in time and memory: a list of 100,000
// ordinary lines should load in well under a second and add well under 60 MB.
// The memory figure is the growth of the resident set across one load into a
// fresh list (reported as the counter "MB_added").
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "ScratchHome.h"
#include "platform/registry/Registry.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/TestedProxyList.h"

namespace {

using veilport::bench::ScratchHome;

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

void WriteOrdinaryList(int lines, bool crLf) {
    std::ofstream out(veilport::proxypool::MyProxiesPath(), std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        out << "10." << (i >> 16) << '.' << ((i >> 8) & 255) << '.' << (i & 255)
            << ":8080->United States <supports POST>" << (crLf ? "\r\n" : "\n");
    }
}

void BM_LoadMyProxies(benchmark::State& state) {
    ScratchHome home;
    WriteOrdinaryList(static_cast<int>(state.range(0)), state.range(1) != 0);
    double added = 0;
    for (auto _ : state) {
        const double before = ResidentMegabytes();
        veilport::proxypool::TestedProxyList list;
        const auto loaded = veilport::proxypool::LoadTestedProxies(list);
        added = std::max(added, ResidentMegabytes() - before);
        if (!loaded.ok) state.SkipWithError(loaded.message.c_str());
        benchmark::DoNotOptimize(list.rowCount());
    }
    state.counters["MB_added"] = added;
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(veilport::proxypool::MyProxiesPath())) /
        (1024.0 * 1024.0);
}
BENCHMARK(BM_LoadMyProxies)
    ->Args({100000, 1})
    ->Args({100000, 0})
    ->Args({300000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
