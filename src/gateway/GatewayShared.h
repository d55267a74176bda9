#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

#include "gateway/ConnectionThreads.h"
#include "gateway/FilterSwitchCache.h"
#include "gateway/GatewaySettings.h"
#include "gateway/LastDomainWriter.h"
#include "platform/net/Socket.h"

namespace veilport {

// How long a browser connection may wait at each stage, so that no peer can
// hold its thread and sockets for ever.
struct ConnectionLimits {
    // The browser's whole request head must come within this: browsers open
    // spare connections to their proxy and leave some unused.
    std::chrono::milliseconds firstRequest{60'000};
    // An upstream proxy that does not answer a connect is given up after this.
    std::chrono::milliseconds upstreamConnect = net::kConnectTimeout;
    // Once the request is read, a connection on which no byte moves either way
    // for this long is ended, as the common filtering proxies do by default.
    // Transfers that keep moving, however long, are never cut.
    std::chrono::milliseconds idle{5 * 60'000};
};

// What the Gateway shares with its listener and connection threads. They hold
// it by shared_ptr, so connections still in progress outlive a stop or even the
// Gateway object.
class GatewayShared {
public:
    GatewayShared(ConnectionLimits limits, ThreadStarter startThread, ThreadParking parking = {})
        : limits_(limits),
          startThread_(startThread),
          threads_(ConnectionThreads::create(startThread, parking)),
          lastDomain_(startThread, parking.idle) {}
    GatewayShared(const GatewayShared&) = delete;
    GatewayShared& operator=(const GatewayShared&) = delete;

    // The upstream record is immutable and replaced as a whole, so a connection
    // never sees the host of one setting with the port of another.
    std::shared_ptr<const GatewaySettings> upstream() const {
        std::lock_guard lock(mutex_);
        return upstream_;
    }
    void setUpstream(std::shared_ptr<const GatewaySettings> settings) {
        std::lock_guard lock(mutex_);
        upstream_ = std::move(settings);
        failuresInARow_ = 0;
    }

    // Called on a connection thread when the upstream `failed` could not be
    // reached twice in a row; the handler decides whether to move on (a
    // failover). Never runs twice at once.
    using FailoverHandler = std::function<void(const GatewaySettings& failed)>;
    void setFailoverHandler(FailoverHandler handler) {
        std::lock_guard lock(mutex_);
        failover_ = std::move(handler);
    }
    // A connect to `used` succeeded: the streak of failures ends.
    void noteUpstreamReached(const std::shared_ptr<const GatewaySettings>& used);
    // A connect to `used` failed. Failures of an upstream already replaced do
    // not count against the new one.
    void noteUpstreamUnreachable(const std::shared_ptr<const GatewaySettings>& used);

    const ConnectionLimits& limits() const { return limits_; }
    ThreadStarter threadStarter() const { return startThread_; }
    ConnectionThreads& connectionThreads() { return *threads_; }
    LastDomainWriter& lastDomain() { return lastDomain_; }
    FilterSwitchCache& filterSwitches() { return filterSwitches_; }

    std::atomic<int> activeConnections{0};

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const GatewaySettings> upstream_;
    int failuresInARow_ = 0;  // of upstream_, guarded
    FailoverHandler failover_;
    std::atomic<bool> failingOver_{false};
    const ConnectionLimits limits_;
    const ThreadStarter startThread_;
    const std::shared_ptr<ConnectionThreads> threads_;
    LastDomainWriter lastDomain_;
    FilterSwitchCache filterSwitches_;
};

}  // namespace veilport
