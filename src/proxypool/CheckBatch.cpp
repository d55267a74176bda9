#include "proxypool/CheckBatch.h"

#include <algorithm>
#include <system_error>

namespace veilport::proxypool {

CheckBatch::CheckBatch(std::vector<ListedProxy> proxies, Checker checker, int concurrency,
                       ResultSink onResult, std::function<void()> onFinished)
    : proxies_(std::move(proxies)),
      checker_(std::move(checker)),
      onResult_(std::move(onResult)),
      onFinished_(std::move(onFinished)) {
    const auto wanted =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(concurrency, 1)), proxies_.size());
    running_ = static_cast<int>(wanted);
    for (std::size_t i = 0; i < wanted; ++i) {
        try {
            workers_.emplace_back([this](std::stop_token) { work(stop_.get_token()); });
        } catch (const std::system_error&) {
            // The threads that did start take the whole list between them.
            if (running_.fetch_sub(static_cast<int>(wanted - i)) == static_cast<int>(wanted - i) &&
                onFinished_)
                onFinished_();
            break;
        }
    }
    if (wanted == 0 && onFinished_) onFinished_();
}

CheckBatch::~CheckBatch() {
    cancel();
    wait();
}

void CheckBatch::cancel() {
    stop_.request_stop();
}

void CheckBatch::wait() {
    for (auto& worker : workers_)
        if (worker.joinable()) worker.join();
}

bool CheckBatch::finished() const {
    return running_.load() == 0;
}

void CheckBatch::work(std::stop_token stop) {
    const inet::CancelCheck cancelled = [&stop] { return stop.stop_requested(); };
    while (!stop.stop_requested()) {
        const std::size_t index = next_.fetch_add(1);
        if (index >= proxies_.size()) break;
        const auto result = checker_ ? checker_(proxies_[index], cancelled) : ProxyCheck{};
        if (result.cancelled || stop.stop_requested()) break;
        if (result.works) ++working_;
        ++done_;
        if (onResult_) onResult_(index, result);
    }
    if (--running_ == 0 && onFinished_) onFinished_();
}

}  // namespace veilport::proxypool
