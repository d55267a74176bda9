#include "gateway/UpstreamLink.h"

#include <cerrno>

#include "gateway/ErrorPage.h"
#include "gateway/Socks5Handshake.h"
#include "gateway/UpstreamAddress.h"
#include "platform/net/Socket.h"

namespace veilport {

namespace {

UpstreamLink unreachable(std::string failure) {
    UpstreamLink link;
    link.failure = std::move(failure);
    link.unreachable = true;
    return link;
}

}  // namespace

UpstreamLink OpenUpstream(const GatewaySettings& upstream, const ForwardPlan& plan,
                          const std::string& targetHost, std::chrono::milliseconds limit) {
    const auto address = upstream.scheme == proxypool::UpstreamScheme::Http
                             ? UpstreamAddress(targetHost, upstream.upstreamHost)
                             : net::resolveIpv4(upstream.upstreamHost);
    if (!address.ok()) return unreachable("The proxy's address could not be found.");
    auto connected = net::connectTcp(address.value, upstream.upstreamPort, limit, {},
                                      net::Blocking::No);
    if (!connected.ok()) {
        if (connected.error == ETIMEDOUT)
            return unreachable("The proxy did not answer within " + DurationText(limit) + ".");
        return unreachable("The proxy could not be reached: " + net::errorText(connected.error) +
                           ".");
    }
    UpstreamLink link;
    if (upstream.isSocksScheme()) {
        std::optional<Socks5Login> login;
        if (upstream.user) login = Socks5Login{*upstream.user, upstream.password.value_or("")};
        if (auto failure =
                Socks5Handshake(connected.value.get(), login, plan.host, plan.port, limit)) {
            link.failure = std::move(*failure);
            return link;
        }
    }
    link.fd = std::move(connected.value);
    return link;
}

}  // namespace veilport
