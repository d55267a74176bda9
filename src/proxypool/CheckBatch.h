#pragma once

// Checks many proxies with a bounded number at once. Workers take the next
// proxy in list order; each result is handed to onResult on the worker's
// thread (the receiver forwards it where it is needed). cancel() makes every
// check in flight give up within about a second and starts no new one; the
// destructor cancels and waits, so no worker outlives the batch. onFinished,
// when given, is called once on the thread of the last worker to end, after
// every result it will ever hand over.

#include <atomic>
#include <cstddef>
#include <functional>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/inet/ProxiedRequest.h"
#include "proxypool/ListedProxy.h"
#include "proxypool/ProxyJudge.h"

namespace veilport::proxypool {

inline constexpr int kDefaultConcurrency = 32;

class CheckBatch {
public:
    using Checker = std::function<ProxyCheck(const ListedProxy&, const inet::CancelCheck&)>;
    using ResultSink = std::function<void(std::size_t index, const ProxyCheck&)>;

    // concurrency below 1 counts as 1. A worker that cannot be started leaves
    // the work to the others; with none at all, finished() is true at once and
    // started() says how many run.
    CheckBatch(std::vector<ListedProxy> proxies, Checker checker, int concurrency,
               ResultSink onResult, std::function<void()> onFinished = {});
    ~CheckBatch();
    CheckBatch(const CheckBatch&) = delete;
    CheckBatch& operator=(const CheckBatch&) = delete;

    void cancel();
    // Blocks until every worker has ended.
    void wait();
    bool finished() const;

    std::size_t total() const { return proxies_.size(); }
    std::size_t done() const { return done_.load(); }
    std::size_t working() const { return working_.load(); }
    int started() const { return static_cast<int>(workers_.size()); }

private:
    void work(std::stop_token stop);

    std::vector<ListedProxy> proxies_;
    Checker checker_;
    ResultSink onResult_;
    std::function<void()> onFinished_;
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> working_{0};
    std::atomic<int> running_{0};
    std::stop_source stop_;
    std::vector<std::jthread> workers_;  // last: they end before the rest goes
};

}  // namespace veilport::proxypool
