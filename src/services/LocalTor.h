#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "proxypool/Upstream.h"

namespace veilport::services {

// The ports a Tor on this machine offers SOCKS on: the tor service's, then the
// Tor Browser's.
inline constexpr std::uint16_t kTorSocksPorts[] = {9050, 9150};

// How the offer reads on the Add page and in the Tested list.
inline constexpr const char* kLocalTorLabel = "Tor (this machine) ";

// The first of `ports` on 127.0.0.1 where a SOCKS5 proxy answers the greeting
// without a login, as socks5h (Tor resolves every name itself). Each port gets
// at most `limit`. Offered, never adopted here.
std::optional<proxypool::Upstream> FindLocalTor(
    std::initializer_list<std::uint16_t> ports = {kTorSocksPorts[0], kTorSocksPorts[1]},
    std::chrono::milliseconds limit = std::chrono::seconds(2));

// "Tor (this machine) socks5h://127.0.0.1:9050".
std::string LocalTorEntry(const proxypool::Upstream& tor);

}  // namespace veilport::services
