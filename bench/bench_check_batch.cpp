// Checks 1,000 candidates on loopback (990 ports where nothing listens, 10
// live tinyproxies) with 32 at once against a local judge, and prints the
// time taken, the peak number of threads and the memory the checks added.
// A measurement for people to read, not a test: nothing is asserted.
//   build/bench/bench_check_batch [concurrency]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "proxypool/CheckBatch.h"
#include "proxypool/CheckPeers.h"
#include "support/TempHome.h"

using namespace veilport;

namespace {

long StatusField(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(name) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int concurrency = argc > 1 ? std::atoi(argv[1]) : proxypool::kDefaultConcurrency;
    if (testing::FindProgram("tinyproxy").empty()) {
        std::cerr << "bench_check_batch: tinyproxy is needed\n";
        return 1;
    }
    testing::TempHome home;
    testing::JudgeServer judge;
    std::vector<std::unique_ptr<testing::PeerProgram>> live;
    for (int i = 0; i < 10; ++i) {
        live.push_back(testing::StartTinyproxy(home.path(), "live" + std::to_string(i),
                                               "DisableViaHeader Yes\n"));
        if (!live.back()->started()) {
            std::cerr << "bench_check_batch: tinyproxy did not start\n";
            return 1;
        }
    }
    std::vector<proxypool::ListedProxy> candidates;
    for (int i = 0; i < 1000; ++i) {
        proxypool::ListedProxy proxy;
        proxy.host = "127.0.0.1";
        proxy.port = i % 100 == 0 ? live[static_cast<std::size_t>(i / 100)]->port()
                                  : testing::FreeLoopbackPort();
        candidates.push_back(proxy);
    }
    proxypool::JudgeConfig config;
    config.judgeUrl = judge.url();
    // No HTTPS server here: the handshake fails fast on a refused port 1.
    config.httpsUrl = "https://127.0.0.1:1/";
    proxypool::ProxyJudge checker(config);
    (void)checker.realAddress();

    const long threadsBefore = StatusField("Threads");
    const long rssBefore = StatusField("VmRSS");
    std::atomic<bool> sampling{true};
    std::atomic<long> peakThreads{threadsBefore};
    std::thread sampler([&] {
        while (sampling) {
            peakThreads = std::max(peakThreads.load(), StatusField("Threads"));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    proxypool::CheckBatch batch(
        candidates,
        [&checker](const proxypool::ListedProxy& proxy, const inet::CancelCheck& cancelled) {
            return checker.check(proxy, cancelled);
        },
        concurrency, {});
    batch.wait();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    sampling = false;
    sampler.join();
    const long peakRss = StatusField("VmHWM");
    std::printf("candidates %zu, working %zu, concurrency %d\n", batch.total(), batch.working(),
                concurrency);
    std::printf("time %.2f s\n", std::chrono::duration<double>(elapsed).count());
    // The sampler itself is one of the threads counted.
    std::printf("threads: %ld before, peak %ld\n", threadsBefore, peakThreads.load());
    std::printf("memory: %ld KiB resident before, peak %ld KiB (%.1f MiB added)\n", rssBefore,
                peakRss, static_cast<double>(peakRss - rssBefore) / 1024.0);
    return 0;
}
