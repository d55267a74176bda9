#pragma once

// One HTTP(S) request along a route the caller names: directly (libcurl is
// told to use no proxy at all, whatever the environment or the system says) or
// through one given proxy. Nothing here reads or changes any proxy setting.
// Every wait can be cut short by the caller within about a second.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace veilport::inet {

struct ProxyRoute {
    // Empty: direct. Else "http://host:port", "socks5://host:port" or
    // "socks5h://host:port".
    std::string proxyUrl;
    std::string user;
    std::string password;

    static ProxyRoute Direct() { return {}; }
    bool direct() const { return proxyUrl.empty(); }
};

struct RequestLimits {
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds totalTimeout{20'000};
    // A body larger than this fails the request (tooLarge).
    std::size_t maxBodyBytes = 1u << 20;
    // A CA bundle to trust instead of the system's (tests with their own CA).
    std::string caFile;
};

// Asked now and then while a request waits; true ends it (cancelled).
using CancelCheck = std::function<bool()>;

struct RequestOutcome {
    bool completed = false;  // an HTTP answer arrived whole
    long status = 0;
    std::string body;
    std::uint32_t connectMs = 0;    // to the proxy, or to the server when direct
    std::uint32_t firstByteMs = 0;  // from the start to the first byte of the answer
    bool cancelled = false;
    bool tooLarge = false;
    std::string error;  // what went wrong, for people; empty when completed
};

// GET url (http or https only). Redirects are not followed.
[[nodiscard]] RequestOutcome GetThrough(const std::string& url, const ProxyRoute& route,
                                        const RequestLimits& limits,
                                        const CancelCheck& cancelled = {});

// Opens a TCP connection to host:port directly and closes it; completed with
// connectMs when it was accepted.
[[nodiscard]] RequestOutcome ConnectDirect(const std::string& host, int port,
                                           const RequestLimits& limits,
                                           const CancelCheck& cancelled = {});

// Reaches the host and port of httpsUrl through the route (a CONNECT tunnel
// for an HTTP proxy) and completes a verified TLS handshake there; no request
// is sent. completed when the handshake succeeded.
[[nodiscard]] RequestOutcome TlsHandshakeThrough(const std::string& httpsUrl,
                                                 const ProxyRoute& route,
                                                 const RequestLimits& limits,
                                                 const CancelCheck& cancelled = {});

}  // namespace veilport::inet
