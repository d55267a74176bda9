#pragma once

// The proxy test: a timed TCP connection to the proxy's address. Nothing is sent;
// the time to connect is the response time, and a speed figure is derived from
// it. Any connection that completes passes, however slow.

#include <chrono>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>

#include "platform/net/Socket.h"

namespace veilport::proxypool {

// A millisecond tick counter; unsigned, so differences survive a wrap.
using TickSource = std::function<std::uint32_t()>;
std::uint32_t SteadyTicks();

// Our own limit for one attempt, so a dead host never holds the window for the
// system's minutes; the Gateway gives its upstream connects the same limit.
inline constexpr std::chrono::milliseconds kConnectTimeout = net::kConnectTimeout;

// Milliseconds from just before the connect to just after it succeeded; 1 when
// it completed within one tick; 0 when the name does not resolve or the
// connection fails or times out.
// A stop asked for through `stop` ends the attempt at once as a failure.
std::uint32_t MeasureConnectTime(const std::string& host, int port,
                                 const TickSource& ticks = SteadyTicks,
                                 std::chrono::milliseconds timeout = kConnectTimeout,
                                 std::stop_token stop = {});

// How flows get a measurement; tests put a fake in its place.
using ConnectMeasure = std::function<std::uint32_t(const std::string& host, int port)>;
ConnectMeasure RealConnectMeasure(std::stop_token stop = {});

// KB/sec from a connect time greater than 0: 1656 / ms.
double EstimatedSpeed(std::uint32_t connectMs);

// "%d milliseconds", as the tester dialog shows it.
std::string ResponseTimeText(std::uint32_t connectMs);
// "%d miliseconds", as Test All Proxies writes it.
std::string QuickResponseTimeText(std::uint32_t connectMs);
// "%.02f KB/sec" of EstimatedSpeed.
std::string SpeedText(std::uint32_t connectMs);

}  // namespace veilport::proxypool
