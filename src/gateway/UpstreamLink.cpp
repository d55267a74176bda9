#include "gateway/UpstreamLink.h"

#include <cerrno>
#include <optional>

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

UpstreamLink connectFailure(int error, std::chrono::milliseconds limit) {
    if (error == ETIMEDOUT)
        return unreachable("The proxy did not answer within " + DurationText(limit) + ".");
    return unreachable("The proxy could not be reached: " + net::errorText(error) + ".");
}

// A connection the proxy took and reset at once is a cut answer, not an
// unreachable proxy.
bool resetAfterConnect(int error) {
    return error == ECONNRESET || error == EPIPE;
}

UpstreamLink sendWithConnect(in_addr address, std::uint16_t port, std::string_view bytes,
                             std::chrono::milliseconds limit) {
    auto begun = net::beginConnectTcp(address, port);
    if (!begun.ok()) return connectFailure(begun.error, limit);
    UpstreamLink link;
    const auto sent = net::sendSome(begun.value.get(), bytes.data(), bytes.size());
    if (sent.ok()) {
        link.sent = sent.value;
    } else if (sent.error == EAGAIN || sent.error == EWOULDBLOCK) {
        // Still under way: wait for the outcome; the bytes go out with the
        // rest of the plan.
        if (const int error = net::awaitConnect(begun.value.get(), limit); error != 0)
            return connectFailure(error, limit);
    } else if (resetAfterConnect(sent.error)) {
        link.cut = true;
    } else {
        return connectFailure(sent.error, limit);
    }
    link.fd = std::move(begun.value);
    return link;
}

}  // namespace

UpstreamLink OpenUpstream(const GatewaySettings& upstream, const ForwardPlan& plan,
                          const std::string& targetHost, std::chrono::milliseconds limit) {
    const auto address = upstream.scheme == proxypool::UpstreamScheme::Http
                             ? UpstreamAddress(targetHost, upstream.upstreamHost)
                             : net::resolveIpv4(upstream.upstreamHost);
    if (!address.ok()) return unreachable("The proxy's address could not be found.");
    if (!upstream.isSocksScheme())
        return sendWithConnect(address.value, upstream.upstreamPort, plan.bytes, limit);
    auto connected =
        net::connectTcp(address.value, upstream.upstreamPort, limit, {}, net::Blocking::No);
    if (!connected.ok()) return connectFailure(connected.error, limit);
    UpstreamLink link;
    std::optional<Socks5Login> login;
    if (upstream.user) login = Socks5Login{*upstream.user, upstream.password.value_or("")};
    if (auto failure = Socks5Handshake(connected.value.get(), login, plan.host, plan.port, limit)) {
        link.failure = std::move(*failure);
        return link;
    }
    link.fd = std::move(connected.value);
    return link;
}

}  // namespace veilport
