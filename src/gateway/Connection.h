#pragma once

#include <memory>
#include <string_view>

#include "gateway/FilterSwitches.h"
#include "gateway/GatewayShared.h"
#include "platform/io/UniqueFd.h"
#include "platform/net/Socket.h"

namespace veilport {

// One browser connection, from its request head to the close of both sockets.
//
// The whole header block is read first (within the first-request limit, at
// most RequestHead::kMaxHeadSize bytes), rewritten for the upstream proxy and
// its target host recorded in LastDomain. Then the connection goes to the
// upstream proxy of the moment (within the connect limit; see ForwardPlan for
// what an HTTP and a SOCKS5 upstream receive) and relays both
// ways: the answer back through the invasive-code filter, and whatever else
// the browser sends (the rest of a body, a tunnel's traffic) unchanged. When
// the browser closes its sending side the upstream's is shut down too and the
// answer still comes back.
//
// How it ends: a head that does not come whole closes the browser's
// connection with no bytes. An upstream that cannot be reached, refuses the
// request or our login, or times out gives the browser "502 Bad Gateway" with
// the reason (ErrorPage); nothing ever goes to the site directly. An upstream that closes
// cleanly ends it cleanly. An answer cut short (the upstream reset or failed,
// or nothing moved either way for the idle limit) reaches the browser as a
// reset, so an answer without a length never looks complete.
class Connection {
public:
    // The relay's first reads; an answer that fills one goes on in chunks of
    // kChunkSize.
    static constexpr std::size_t kFirstChunkSize = 2048;
    static constexpr std::size_t kChunkSize = 16 * 1024;

    Connection(net::UniqueFd browser, std::shared_ptr<GatewayShared> shared)
        : browser_(std::move(browser)), shared_(std::move(shared)) {}

    void run();

private:
    enum class RelayEnd {
        Complete,      // the upstream closed and the browser has it all
        Cut,           // the answer stopped short: either side failed, or went idle
        LoginRefused,  // an HTTP proxy answered 407; nothing reached the browser
    };
    RelayEnd relay(int upstream, FilterSwitches switches, bool watchLogin, bool forTunnel);
    // The 502 answer (a page, or the bare status for a tunnel), then the close.
    void answerFailure(const GatewaySettings& upstream, std::string_view reason, bool forTunnel);
    class RelayBuffer;
    bool pumpBrowser(int upstream, RelayBuffer& buffer, bool& browserOpen);
    net::Result<std::size_t> send(int fd, std::string_view bytes) const;

    net::UniqueFd browser_;
    std::shared_ptr<GatewayShared> shared_;
};

}  // namespace veilport
