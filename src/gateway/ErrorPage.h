#pragma once

#include <string>
#include <string_view>

namespace veilport {

// The answer a browser gets when its request could not go through the
// upstream proxy: "502 Bad Gateway" with a small HTML page that names the
// upstream (never with a password) and says why. A tunnel (CONNECT) gets the
// same status without a page, since browsers show none for it.
std::string BadGatewayAnswer(std::string_view upstream, std::string_view reason, bool forTunnel);

// The answer to a CONNECT once the tunnel through a SOCKS5 proxy is open.
inline constexpr std::string_view kTunnelEstablished =
    "HTTP/1.1 200 Connection established\r\n\r\n";

}  // namespace veilport
