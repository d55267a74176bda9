#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "proxypool/Upstream.h"

namespace veilport {

// What the callers hand to Gateway::start and Gateway::updateUpstream: where to
// listen, and the upstream proxy every connection goes through.
struct GatewaySettings {
    std::uint16_t localPort = 0;
    std::string upstreamHost;
    std::uint16_t upstreamPort = 0;
    proxypool::UpstreamScheme scheme = proxypool::UpstreamScheme::Http;
    std::optional<std::string> user;
    // In memory only, like the Upstream it came from.
    std::optional<std::string> password;
    // The address the listener binds: this machine only unless the user asked
    // to serve the network ("0.0.0.0"). Taken at start, like the local port.
    std::string listenAddress = "127.0.0.1";

    using Upstream = proxypool::Upstream;

    // The upstream of a proxy text such as "1.2.3.4:8080->Germany <supports
    // POST>" or "socks5h://127.0.0.1:9050", by the one parser of proxy texts, so
    // that a ProxyName the pool accepts starts the Gateway from every front end.
    // Nothing when the text does not parse.
    static std::optional<Upstream> upstreamOf(std::string_view proxyName);

    // Reads LocalPort, ListenAddress and ProxyName from the settings. The
    // upstream stays empty when ProxyName holds no usable proxy; a password is
    // not looked up here (see PasswordStore).
    static GatewaySettings fromStore();

    // Takes scheme, host, port and login from `upstream`.
    void setUpstream(const Upstream& upstream);
    // The upstream as a person may read it, without the password.
    std::string upstreamText() const;

    bool isSocksScheme() const { return scheme != proxypool::UpstreamScheme::Http; }
    bool hasUpstream() const { return !upstreamHost.empty() && upstreamPort != 0; }
};

}  // namespace veilport
