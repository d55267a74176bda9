#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veilport {

// The SOCKS5 login offered to the proxy, when there is one.
struct Socks5Login {
    std::string user;
    std::string password;
};

// Runs the client side of a SOCKS5 talk on the connected socket `fd`: the
// greeting, the login when `login` is given, and a CONNECT to host:port (the
// host sent as a name for the proxy to resolve, an IPv4 literal as an address).
// The whole talk must end within `limit`. Returns nothing when the tunnel is
// open and `fd` now carries the site's bytes; otherwise why not, as a sentence
// for the error page. Reads exactly the proxy's answers, never a byte more.
std::optional<std::string> Socks5Handshake(int fd, const std::optional<Socks5Login>& login,
                                           std::string_view host, std::uint16_t port,
                                           std::chrono::milliseconds limit);

// Whether a SOCKS5 proxy without a login answers on `fd`: the greeting is
// sent and a version 5 "no login needed" choice comes back within `limit`.
bool AnswersSocks5Greeting(int fd, std::chrono::milliseconds limit);

}  // namespace veilport
