#include "proxypool/ConnectTime.h"

#include <cstdio>

#include "platform/net/Socket.h"

namespace veilport::proxypool {

std::uint32_t SteadyTicks() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::uint32_t MeasureConnectTime(const std::string& host, int port, const TickSource& ticks,
                                 std::chrono::milliseconds timeout, std::stop_token stop) {
    if (port < 1 || port > 65535) return 0;
    const auto address = net::resolveIpv4(host);
    if (!address.ok()) return 0;
    const std::uint32_t t0 = ticks();
    const auto connection =
        net::connectTcp(address.value, static_cast<std::uint16_t>(port), timeout, stop);
    if (!connection.ok()) return 0;
    const std::uint32_t elapsed = ticks() - t0;
    return elapsed == 0 ? 1 : elapsed;
}

ConnectMeasure RealConnectMeasure(std::stop_token stop) {
    return [stop = std::move(stop)](const std::string& host, int port) {
        return MeasureConnectTime(host, port, SteadyTicks, kConnectTimeout, stop);
    };
}

double EstimatedSpeed(std::uint32_t connectMs) {
    return 1.6171875 / static_cast<double>(connectMs) * 1024.0;
}

std::string ResponseTimeText(std::uint32_t connectMs) {
    return std::to_string(static_cast<int>(connectMs)) + " milliseconds";
}

std::string QuickResponseTimeText(std::uint32_t connectMs) {
    return std::to_string(static_cast<int>(connectMs)) + " miliseconds";
}

std::string SpeedText(std::uint32_t connectMs) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.02f KB/sec", EstimatedSpeed(connectMs));
    return text;
}

}  // namespace veilport::proxypool
