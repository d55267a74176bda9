#pragma once

#include <chrono>
#include <string>

#include "gateway/ForwardPlan.h"
#include "gateway/GatewaySettings.h"
#include "platform/io/UniqueFd.h"

namespace veilport {

// A connection to the upstream proxy, ready for the plan's bytes: connected,
// and for a SOCKS5 upstream already tunnelled to the site. To an HTTP upstream
// the plan's first bytes go out with the connect.
struct UpstreamLink {
    net::UniqueFd fd;
    // How many of the plan's bytes have gone out already.
    std::size_t sent = 0;
    // The upstream took the connection and reset it before the plan was out:
    // the browser's answer is cut, as when the upstream resets it later.
    bool cut = false;
    // When fd is not open: why, as a sentence for the error page.
    std::string failure;
    // The proxy itself could not be reached (counts towards failover), as
    // opposed to a proxy that answered but refused.
    bool unreachable = false;

    bool ok() const { return fd.get() >= 0; }
};

// Opens the link within `limit` for the connect and again for a SOCKS5 talk.
// Where the plan's bytes can go at once, the first send tells the connect's
// outcome: no wait and no question to the kernel when it is already done.
// An HTTP upstream is found as it always was (UpstreamAddress); a SOCKS5
// upstream's own name is looked up here, the site's never.
UpstreamLink OpenUpstream(const GatewaySettings& upstream, const ForwardPlan& plan,
                          const std::string& targetHost, std::chrono::milliseconds limit);

}  // namespace veilport
