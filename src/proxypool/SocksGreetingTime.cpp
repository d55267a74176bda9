#include "proxypool/SocksGreetingTime.h"

#include <poll.h>

#include <array>

#include "platform/net/Socket.h"

namespace veilport::proxypool {

namespace {

constexpr unsigned char kVersion = 5;
constexpr unsigned char kNoLogin = 0x00;
constexpr unsigned char kUserPassword = 0x02;

using Clock = std::chrono::steady_clock;

// Reads exactly `size` bytes before `deadline`; false on a close, an error or
// the deadline.
bool ReadExactly(int fd, unsigned char* into, std::size_t size, Clock::time_point deadline,
                 const std::stop_token& stop) {
    std::size_t got = 0;
    while (got < size) {
        if (stop.stop_requested()) return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        // Short slices so a stop is noticed soon.
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(std::min<long>(left.count(), 100)));
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        const auto received = net::receiveSome(fd, into + got, size - got);
        if (!received.ok() || received.value == 0) return false;
        got += received.value;
    }
    return true;
}

}  // namespace

std::uint32_t MeasureSocksGreetingTime(const std::string& host, int port, bool withLogin,
                                       const TickSource& ticks, std::chrono::milliseconds timeout,
                                       std::stop_token stop) {
    if (port < 1 || port > 65535) return 0;
    const auto address = net::resolveIpv4(host);
    if (!address.ok()) return 0;
    const auto deadline = Clock::now() + timeout;
    const std::uint32_t t0 = ticks();
    const auto connection =
        net::connectTcp(address.value, static_cast<std::uint16_t>(port), timeout, stop);
    if (!connection.ok()) return 0;
    // With a login only user/password is offered, as the Gateway does: a proxy
    // that would let anyone through without it is not the one the user means.
    const unsigned char method = withLogin ? kUserPassword : kNoLogin;
    const std::array<unsigned char, 3> greeting{kVersion, 1, method};
    if (!net::sendAll(connection.value.get(), greeting.data(), greeting.size()).ok()) return 0;
    std::array<unsigned char, 2> choice{};
    if (!ReadExactly(connection.value.get(), choice.data(), choice.size(), deadline, stop))
        return 0;
    if (choice[0] != kVersion || choice[1] != method) return 0;
    const std::uint32_t elapsed = ticks() - t0;
    return elapsed == 0 ? 1 : elapsed;
}

ConnectMeasure MeasureFor(const Upstream& upstream, ConnectMeasure plain, std::stop_token stop) {
    if (!upstream.isSocks()) return plain;
    return [withLogin = upstream.hasLogin(), stop = std::move(stop)](const std::string& host,
                                                                     int port) {
        return MeasureSocksGreetingTime(host, port, withLogin, SteadyTicks, kConnectTimeout, stop);
    };
}

}  // namespace veilport::proxypool
