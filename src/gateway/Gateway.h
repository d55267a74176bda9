#pragma once

#include <chrono>
#include <memory>
#include <mutex>

#include "gateway/GatewaySettings.h"
#include "gateway/GatewayShared.h"
#include "gateway/Listener.h"

namespace veilport {

struct GatewayOptions {
    ConnectionLimits limits;
    ThreadStarter startThread = &StartDetachedThread;
    ThreadParking parking;
};

// The local HTTP proxy. Browsers connect to it on the local port; each
// connection is served by the thread that accepted it, from start to end,
// which rewrites the request and relays it through the upstream proxy (see
// Connection). Threads that finished a connection wait in accept a while for
// the next (see ConnectionThreads).
//
// Only the UI side calls start, stop, isRunning and updateUpstream; connection
// threads read the upstream record concurrently and are never waited for.
class Gateway {
public:
    // The one process-wide Gateway, stopped until someone starts it.
    static Gateway& instance();

    explicit Gateway(GatewayOptions options = {});
    ~Gateway();
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    // Stores the settings and starts a listener thread on the listen address
    // and the local port. True when the thread could be created; whether the port could
    // be bound shows later in isRunning (or waitUntilSettled). Callers stop a
    // running Gateway first.
    bool start(const GatewaySettings& settings);
    // Ends listening at once; connections in progress run to their end.
    void stop();
    // True from the moment the listener listens until stop.
    bool isRunning() const;
    // Connections accepted from now on use the new upstream proxy; a changed
    // local port or listen address takes effect at the next start. Always true.
    bool updateUpstream(const GatewaySettings& settings);

    // For front ends and tests: waits until the listener of the latest start
    // listens or has given up. Ended when there is no listener.
    Listener::Outcome waitUntilSettled(std::chrono::milliseconds timeout) const;
    // Browser connections that have not yet ended (both sockets closed).
    int activeConnections() const { return shared_->activeConnections.load(); }
    // The threads that serve connections, parked ones included.
    const ConnectionThreads& connectionThreads() const { return shared_->connectionThreads(); }
    // Who is asked when the upstream fails twice in a row (see GatewayShared).
    void setFailoverHandler(GatewayShared::FailoverHandler handler) {
        shared_->setFailoverHandler(std::move(handler));
    }
    // The upstream connections use now.
    std::shared_ptr<const GatewaySettings> upstream() const { return shared_->upstream(); }

private:
    std::shared_ptr<GatewayShared> shared_;
    mutable std::mutex mutex_;
    std::shared_ptr<Listener> listener_;
    std::uint16_t localPort_ = 0;
    in_addr listenAddress_{};
};

// The address a ListenAddress text names: a dotted IPv4 address ("0.0.0.0" for
// every interface), and 127.0.0.1 for anything else.
in_addr ListenAddressOf(const std::string& text);

}  // namespace veilport
