#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gateway/GatewaySettings.h"

namespace veilport {

// How one rewritten request goes through the upstream of the moment. Pure: the
// Connection does the socket work.
//
// Through an HTTP proxy the request goes as it is, with our own
// `Proxy-Authorization: Basic` in place of any the browser sent when the
// upstream has a user. Through a SOCKS5 proxy the Gateway talks to the site
// itself: a CONNECT becomes the SOCKS5 tunnel (the browser is answered "200
// Connection established" by us), any other request is sent in origin form
// (its path) to the site's host and port, and no proxy credentials leave.
struct ForwardPlan {
    bool ok = true;
    std::string failure;         // when not ok: why, as a sentence for the error page
    bool connect = false;        // the browser asked for a tunnel (CONNECT)
    bool tunnelBySocks = false;  // answer "200 Connection established" ourselves
    std::string host;            // the site, for a SOCKS5 CONNECT
    std::uint16_t port = 0;
    std::string bytes;  // what goes to the upstream once connected
};

ForwardPlan PlanForward(std::string_view rewritten, const GatewaySettings& upstream);

// The value of a Basic authorization for user and password ("Basic dXNlcjpwdw==").
std::string BasicCredentials(std::string_view user, std::string_view password);

}  // namespace veilport
