#include "proxypool/Retester.h"

#include <ctime>

#include "proxypool/CheckBatch.h"
#include "settings/DwordSetting.h"

namespace veilport::proxypool {

std::uint32_t StoredRetestMinutes() {
    return DwordSetting(settings::kRetestMinutes).get();
}

Retester::Retester(ProxyHealth& health, Hooks hooks) : health_(health), hooks_(std::move(hooks)) {
    if (!hooks_.now) hooks_.now = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
    if (!hooks_.minutes) hooks_.minutes = StoredRetestMinutes;
    thread_ = std::jthread([this](std::stop_token stop) { loop(stop); });
}

Retester::~Retester() {
    thread_.request_stop();
    wake_.notify_all();
}

void Retester::runNow() {
    {
        std::lock_guard lock(mutex_);
        runNow_ = true;
    }
    wake_.notify_all();
}

void Retester::reschedule() {
    {
        std::lock_guard lock(mutex_);
        reschedule_ = true;
    }
    wake_.notify_all();
}

int Retester::passes() const {
    std::lock_guard lock(mutex_);
    return passes_;
}

void Retester::loop(std::stop_token stop) {
    while (!stop.stop_requested()) {
        const std::uint32_t minutes = hooks_.minutes();
        std::unique_lock lock(mutex_);
        const auto woken = [this] { return runNow_ || reschedule_; };
        bool due = false;
        if (minutes == 0) {
            wake_.wait(lock, stop, woken);
        } else {
            due = !wake_.wait_for(lock, stop, std::chrono::minutes(minutes), woken);
        }
        if (stop.stop_requested()) return;
        due = due || runNow_;
        runNow_ = false;
        reschedule_ = false;
        lock.unlock();
        if (due) pass(stop);
    }
}

void Retester::pass(std::stop_token stop) {
    const auto proxies = hooks_.proxies ? hooks_.proxies() : std::vector<ListedProxy>{};
    std::vector<std::string> dead;
    std::mutex deadMutex;
    {
        CheckBatch batch(proxies, hooks_.check, hooks_.concurrency,
                         [&](std::size_t index, const ProxyCheck& check) {
                             const auto key = proxies[index].text();
                             health_.record(key, check, hooks_.now());
                             if (!check.works) {
                                 std::lock_guard lock(deadMutex);
                                 dead.push_back(key);
                             }
                         });
        std::stop_callback cancelBatch(stop, [&batch] { batch.cancel(); });
        batch.wait();
    }
    if (stop.stop_requested()) return;
    {
        std::lock_guard lock(mutex_);
        ++passes_;
    }
    if (hooks_.passDone) hooks_.passDone(dead);
}

}  // namespace veilport::proxypool
