#pragma once

#include <string>

namespace veilport::proxypool {

// What the pool's flows ask of the local proxy: start it towards an upstream
// proxy, stop it, ask whether it runs, and switch a running one to another
// upstream without a restart.
class GatewayControl {
public:
    virtual ~GatewayControl() = default;
    // False when the local port cannot be taken or the Gateway cannot start.
    virtual bool start(int localPort, const std::string& upstreamHost, int upstreamPort) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() = 0;
    // Later connections go through the new upstream; running ones finish as they are.
    virtual void updateUpstream(const std::string& host, int port) = 0;
};

}  // namespace veilport::proxypool
