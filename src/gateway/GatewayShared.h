#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

#include "gateway/GatewaySettings.h"

namespace veilport {

// Starts `body` on a thread of its own that nobody joins; false when the thread
// could not be created (then `body` never runs).
using ThreadStarter = bool (*)(std::function<void()> body);
bool StartDetachedThread(std::function<void()> body);

// What the Gateway shares with its listener and connection threads. They hold
// it by shared_ptr, so connections still in progress outlive a stop or even the
// Gateway object.
class GatewayShared {
public:
    GatewayShared(std::chrono::milliseconds firstByteTimeout, ThreadStarter startThread)
        : firstByteTimeout_(firstByteTimeout), startThread_(startThread) {}

    // The upstream record is immutable and replaced as a whole, so a connection
    // never sees the host of one setting with the port of another.
    std::shared_ptr<const GatewaySettings> upstream() const {
        std::lock_guard lock(mutex_);
        return upstream_;
    }
    void setUpstream(std::shared_ptr<const GatewaySettings> settings) {
        std::lock_guard lock(mutex_);
        upstream_ = std::move(settings);
    }

    std::chrono::milliseconds firstByteTimeout() const { return firstByteTimeout_; }
    ThreadStarter threadStarter() const { return startThread_; }

    std::atomic<int> activeConnections{0};

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const GatewaySettings> upstream_;
    const std::chrono::milliseconds firstByteTimeout_;
    const ThreadStarter startThread_;
};

}  // namespace veilport
