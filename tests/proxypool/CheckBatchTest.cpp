#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <set>

#include "proxypool/CheckBatch.h"
#include "support/BlackHole.h"

namespace veilport::proxypool {
namespace {

std::vector<ListedProxy> Proxies(int count, int port = 1) {
    std::vector<ListedProxy> proxies(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        proxies[static_cast<std::size_t>(i)].host = "127.0.0.1";
        proxies[static_cast<std::size_t>(i)].port = port + i;
    }
    return proxies;
}

TEST(CheckBatch, NeverRunsMoreThanItsBoundAndReportsEachProxyOnce) {
    constexpr int kBound = 8;
    std::atomic<int> inFlight{0};
    std::atomic<int> peak{0};
    // The first kBound checks wait for one another, so the bound is reached.
    std::latch allIn(kBound);
    std::mutex mutex;
    std::multiset<std::size_t> reported;
    CheckBatch batch(
        Proxies(100),
        [&](const ListedProxy& proxy, const inet::CancelCheck&) {
            const int now = ++inFlight;
            int seen = peak.load();
            while (now > seen && !peak.compare_exchange_weak(seen, now)) {
            }
            if (proxy.port <= kBound) allIn.arrive_and_wait();
            ProxyCheck check;
            check.works = proxy.port % 2 == 0;
            --inFlight;
            return check;
        },
        kBound,
        [&](std::size_t index, const ProxyCheck&) {
            std::lock_guard lock(mutex);
            reported.insert(index);
        });
    batch.wait();
    EXPECT_TRUE(batch.finished());
    EXPECT_EQ(peak.load(), kBound);
    EXPECT_EQ(batch.done(), 100u);
    EXPECT_EQ(batch.working(), 50u);
    ASSERT_EQ(reported.size(), 100u);
    EXPECT_EQ(std::set<std::size_t>(reported.begin(), reported.end()).size(), 100u);
}

// A window learns of the end from onFinished alone: it must come once, and
// after every result, or the last results would land after the end.
TEST(CheckBatch, OnFinishedComesOnceAfterEveryResult) {
    for (const int count : {0, 1, 50}) {
        std::atomic<int> results{0};
        std::atomic<int> finishes{0};
        std::atomic<int> resultsAtFinish{-1};
        {
            CheckBatch batch(
                Proxies(count),
                [](const ListedProxy&, const inet::CancelCheck&) { return ProxyCheck{}; }, 8,
                [&](std::size_t, const ProxyCheck&) { ++results; },
                [&] {
                    resultsAtFinish = results.load();
                    ++finishes;
                });
            batch.wait();
        }
        EXPECT_EQ(finishes.load(), 1) << count;
        EXPECT_EQ(resultsAtFinish.load(), count);
    }
}

TEST(CheckBatch, EmptyListsAndABoundBelowOneStillFinish) {
    CheckBatch empty({}, {}, 32, {});
    empty.wait();
    EXPECT_TRUE(empty.finished());
    EXPECT_EQ(empty.started(), 0);
    std::atomic<int> calls{0};
    CheckBatch single(Proxies(5),
                      [&](const ListedProxy&, const inet::CancelCheck&) {
                          ++calls;
                          return ProxyCheck{};
                      },
                      0, {});
    single.wait();
    EXPECT_EQ(single.started(), 1);
    EXPECT_EQ(calls.load(), 5);
}

// Proxies that never answer a connect, with no time limit of their own: only
// the cancel can end these checks.
TEST(CheckBatch, CancelEndsChecksThatWouldWaitForever) {
    testing::BlackHole hole;
    JudgeConfig config;
    config.judgeUrl = "http://127.0.0.1:1/get";
    config.limits.connectTimeout = std::chrono::hours(1);
    config.limits.totalTimeout = std::chrono::hours(1);
    ProxyJudge judge(config);
    std::mutex mutex;
    std::condition_variable changed;
    int entered = 0;
    std::atomic<int> reported{0};
    auto proxies = Proxies(12);
    for (auto& proxy : proxies) proxy.port = hole.port();
    CheckBatch batch(
        proxies,
        [&](const ListedProxy& proxy, const inet::CancelCheck& cancelled) {
            {
                std::lock_guard lock(mutex);
                ++entered;
            }
            changed.notify_all();
            return judge.check(proxy, cancelled);
        },
        4, [&](std::size_t, const ProxyCheck&) { ++reported; });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered == 4; });
    }
    batch.cancel();
    batch.wait();
    EXPECT_TRUE(batch.finished());
    EXPECT_EQ(entered, 4);
    // A cancelled check is no result: nothing was reported dead.
    EXPECT_EQ(reported.load(), 0);
    EXPECT_EQ(batch.done(), 0u);
}

}  // namespace
}  // namespace veilport::proxypool
