#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veilport {

// What the callers hand to Gateway::start and Gateway::updateUpstream: the local
// port to listen on and the upstream proxy every connection goes through.
struct GatewaySettings {
    std::uint16_t localPort = 0;
    std::string upstreamHost;
    std::uint16_t upstreamPort = 0;

    // The host and port of a proxy entry text such as
    // "1.2.3.4:8080->Germany <supports POST>", taken apart by the pool's own
    // rule (SplitProxyText), so that a ProxyName the pool accepts starts the
    // Gateway from every front end. Nothing when there is no host or no port
    // from 1 to 65535.
    struct Upstream {
        std::string host;
        std::uint16_t port = 0;
    };
    static std::optional<Upstream> upstreamOf(std::string_view proxyName);

    // Reads LocalPort and ProxyName from the settings. `upstreamHost` stays
    // empty when ProxyName holds no usable proxy.
    static GatewaySettings fromStore();

    bool hasUpstream() const { return !upstreamHost.empty() && upstreamPort != 0; }
};

}  // namespace veilport
