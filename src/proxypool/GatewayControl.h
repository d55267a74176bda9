#pragma once

#include <string>

#include "proxypool/Upstream.h"

namespace veilport::proxypool {

// What the pool's flows ask of the local proxy: start it towards an upstream
// proxy, stop it, ask whether it runs, and switch a running one to another
// upstream without a restart.
class GatewayControl {
public:
    virtual ~GatewayControl() = default;
    // Returns once the Gateway listens on the local port (true) or has given
    // up (false: the port is taken, refused, or the Gateway cannot start), so
    // nothing is ever pointed at a port where it does not listen.
    virtual bool start(int localPort, const std::string& upstreamHost, int upstreamPort) = 0;
    // Why the last start failed, as a person should read it ("Port 8080 is in
    // use by another program"); empty when it listens.
    virtual std::string startProblem() const { return {}; }
    virtual void stop() = 0;
    virtual bool isRunning() = 0;
    // Later connections go through the new upstream; running ones finish as they are.
    virtual void updateUpstream(const std::string& host, int port) = 0;

    // The same with the whole upstream (scheme, login). A control that knows
    // only host and port gets those, which is right for an HTTP proxy without
    // a login.
    virtual bool startUpstream(int localPort, const Upstream& upstream) {
        return start(localPort, upstream.host, upstream.port);
    }
    virtual void useUpstream(const Upstream& upstream) {
        updateUpstream(upstream.host, upstream.port);
    }
};

}  // namespace veilport::proxypool
