#pragma once

// The proxy options stored for one connection: what "pre-configured access"
// means for downloads. A download made with pre-configured access reads the
// LAN's options (loadConnectionOptions(std::nullopt)) and goes through
// `proxyServer` when usesProxy() is true, except for hosts the bypass list
// names ("local" or "<local>": names without a dot and loopback).

#include <cstdint>
#include <optional>
#include <string>

#include "platform/inet/ConnectionOptions.h"

namespace veilport::inet {

struct ProxyOptions {
    // kProxyType* bits; kProxyTypeDirect when nothing was ever stored.
    std::uint32_t flags = kProxyTypeDirect;
    std::string proxyServer;
    std::string bypassList;

    bool usesProxy() const { return (flags & kProxyTypeProxy) != 0 && !proxyServer.empty(); }
};

// The options as stored for `connection` (nullopt: the LAN). Options never
// stored, or unreadable, take the values above; nothing is reported.
ProxyOptions loadConnectionOptions(const std::optional<std::string>& connection);

}  // namespace veilport::inet
