#pragma once

// The test of a SOCKS5 proxy: a TCP connect alone proves only that something
// listens, so the proxy must also answer the SOCKS5 greeting with a method we
// offered. Nothing beyond the greeting is sent: no site is asked for.

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>

#include "proxypool/ConnectTime.h"
#include "proxypool/Upstream.h"

namespace veilport::proxypool {

// Milliseconds from just before the connect until the proxy's answer to the
// greeting (at least 1); 0 when the name does not resolve, the connect fails,
// or the answer is not SOCKS5 choosing the method offered (no login, or
// user/password when `withLogin`) within `timeout` for the whole talk.
std::uint32_t MeasureSocksGreetingTime(const std::string& host, int port, bool withLogin,
                                       const TickSource& ticks = SteadyTicks,
                                       std::chrono::milliseconds timeout = kConnectTimeout,
                                       std::stop_token stop = {});

// How a proxy entry is measured: a SOCKS5 greeting for a SOCKS entry, else
// `plain` (the timed connect). The host and port given to the result are the
// ones measured; the scheme and login come from `upstream`.
ConnectMeasure MeasureFor(const Upstream& upstream, ConnectMeasure plain,
                          std::stop_token stop = {});

}  // namespace veilport::proxypool
