#pragma once

// Checks the tested list again in the background every RetestMinutes (0:
// never), so a proxy that stopped working is marked before anyone relies on
// it. The tested list itself is not changed: a dead proxy is marked in
// ProxyHealth, never removed behind the user's back. One thread, which ends
// with the object (a pass in flight is cancelled).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "proxypool/ListedProxy.h"
#include "proxypool/ProxyHealth.h"
#include "proxypool/ProxyJudge.h"

namespace veilport::proxypool {

class Retester {
public:
    struct Hooks {
        // The proxies to check now (the tested list, read on the caller's terms).
        std::function<std::vector<ListedProxy>()> proxies;
        std::function<ProxyCheck(const ListedProxy&, const inet::CancelCheck&)> check;
        // RetestMinutes as it is now; read before every wait.
        std::function<std::uint32_t()> minutes;
        // After each pass, with the keys found dead in it.
        std::function<void(const std::vector<std::string>& dead)> passDone;
        std::function<std::int64_t()> now;
        int concurrency = 32;
    };

    Retester(ProxyHealth& health, Hooks hooks);
    ~Retester();
    Retester(const Retester&) = delete;
    Retester& operator=(const Retester&) = delete;

    // Runs a pass at once instead of waiting for the period to end; also how
    // a changed RetestMinutes takes effect without waiting for the old one.
    void runNow();
    // Wakes the thread to read RetestMinutes again without running a pass.
    void reschedule();

    int passes() const;

private:
    void loop(std::stop_token stop);
    void pass(std::stop_token stop);

    ProxyHealth& health_;
    Hooks hooks_;
    mutable std::mutex mutex_;
    std::condition_variable_any wake_;
    bool runNow_ = false;
    bool reschedule_ = false;
    int passes_ = 0;
    std::jthread thread_;  // last: it ends before the rest goes
};

// RetestMinutes from the settings.
std::uint32_t StoredRetestMinutes();

}  // namespace veilport::proxypool
