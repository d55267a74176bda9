#pragma once

// What the desktop's proxy settings should say for a connection's stored
// options. The server text may have come from a downloaded proxy list, so it is
// treated as untrusted: only a host name or IPv4 address and a port from 1 to
// 65535 are taken from it, and a text without a usable address means direct.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inet/ProxyOptions.h"

namespace veilport::desktop {

struct ProxyEndpoint {
    std::string host;
    std::uint16_t port = 0;
    bool operator==(const ProxyEndpoint&) const = default;
};

struct DesktopProxySettings {
    std::optional<ProxyEndpoint> http;
    std::optional<ProxyEndpoint> https;
    std::optional<ProxyEndpoint> ftp;
    // Hosts that bypass the proxy, each a host name, a "*." pattern or an
    // address with an optional prefix length.
    std::vector<std::string> ignoreHosts;

    bool manual() const { return http || https || ftp; }
};

// "host:port" at the start of `text` (an "http://" in front is allowed), ended
// by the end of the text, a blank, ";" or "->" (the country of a proxy entry).
std::optional<ProxyEndpoint> parseLeadingEndpoint(std::string_view text);

// A host name (letters, digits, hyphens, dots; at most 253 characters) or a
// dotted IPv4 address.
bool isSafeHost(std::string_view host);

// The settings for `options`: direct unless the proxy flag is set and the
// server text names a usable address. A server text without "proto=" parts
// serves every protocol; with them, each of http, https and ftp gets its own.
// Only the first line of the text is looked at.
DesktopProxySettings desktopProxyFrom(const inet::ProxyOptions& options);

// The bypass list as desktop ignore-hosts: "local" and "<local>" stand for
// local names and loopback; other entries are kept when they are harmless.
std::vector<std::string> ignoreHostsFrom(std::string_view bypassList);

}  // namespace veilport::desktop
