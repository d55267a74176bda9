#pragma once

// Name lookup and a TCP connect that gives up after a time-out of ours, for
// callers that must not wait the system's minutes for a dead host.

#include <netinet/in.h>

#include <chrono>
#include <optional>
#include <string>

#include "platform/io/UniqueFd.h"

namespace veilport::net {

// The first IPv4 address of a host name or dotted address, or nothing when the
// name does not resolve (or is empty).
[[nodiscard]] std::optional<in_addr> resolveIPv4(const std::string& host);

// Connects a TCP socket to address:port, waiting at most timeout. A descriptor
// that is not valid means the attempt failed (refused, unreachable, timed out,
// or port outside 1..65535). The socket is back in blocking mode on success.
[[nodiscard]] UniqueFd connectWithTimeout(in_addr address, int port,
                                          std::chrono::milliseconds timeout);

}  // namespace veilport::net
