#pragma once

#include <chrono>
#include <string>

#include "gateway/ForwardPlan.h"
#include "gateway/GatewaySettings.h"
#include "platform/io/UniqueFd.h"

namespace veilport {

// A connection to the upstream proxy, ready for the plan's bytes: connected,
// and for a SOCKS5 upstream already tunnelled to the site.
struct UpstreamLink {
    net::UniqueFd fd;
    // When fd is not open: why, as a sentence for the error page.
    std::string failure;
    // The proxy itself could not be reached (counts towards failover), as
    // opposed to a proxy that answered but refused.
    bool unreachable = false;

    bool ok() const { return fd.get() >= 0; }
};

// Opens the link within `limit` for the connect and again for a SOCKS5 talk.
// An HTTP upstream is found as it always was (UpstreamAddress); a SOCKS5
// upstream's own name is looked up here, the site's never.
UpstreamLink OpenUpstream(const GatewaySettings& upstream, const ForwardPlan& plan,
                          const std::string& targetHost, std::chrono::milliseconds limit);

}  // namespace veilport
