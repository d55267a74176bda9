#pragma once

// The bytes of a SOCKS5 client's side of the talk (RFC 1928, with the
// user/password login of RFC 1929), as pure functions: building what we send,
// reading what the proxy answers. The socket work is Socks5Handshake's.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace veilport {

inline constexpr std::uint8_t kSocksVersion = 5;
inline constexpr std::uint8_t kSocksNoLogin = 0x00;
inline constexpr std::uint8_t kSocksUserPassword = 0x02;
inline constexpr std::uint8_t kSocksNoAcceptableMethod = 0xff;

// The greeting: version 5 and the methods offered. With a login we offer only
// user/password, so a proxy can never talk us into going without it.
std::string Socks5Greeting(bool withLogin);

// The RFC 1929 login request; user and password are at most 255 bytes each
// (the parser of proxy texts holds them to that).
std::string Socks5LoginRequest(std::string_view user, std::string_view password);

// A CONNECT request. A dotted IPv4 literal goes as an address (type 1); every
// other host goes as a name (type 3) for the proxy to resolve, so the site's
// name is never looked up here. Empty when the host is empty or longer than
// 255 bytes.
std::string Socks5ConnectRequest(std::string_view host, std::uint16_t port);

// The server's choice of method: its two bytes. Nothing when it is not a
// version 5 answer.
struct Socks5MethodChoice {
    bool valid = false;
    std::uint8_t method = kSocksNoAcceptableMethod;
};
Socks5MethodChoice ReadMethodChoice(std::string_view twoBytes);

// The RFC 1929 answer (two bytes): true when the login was accepted.
bool LoginAccepted(std::string_view twoBytes);

// The CONNECT reply, which has a variable length: read it in pieces, asking
// each time how much more is needed.
struct Socks5Reply {
    enum class State {
        NeedMore,  // `needed` bytes in all are required before it can be read
        Bad,       // not a SOCKS5 reply
        Done,      // `code` is the reply field (0 succeeded); `size` its length
    };
    State state = State::NeedMore;
    std::size_t needed = 5;
    std::uint8_t code = 0;
    std::size_t size = 0;
};
Socks5Reply ReadConnectReply(std::string_view bytes);

// What a reply code means, for the error page ("connection refused" ...).
std::string_view Socks5ReplyText(std::uint8_t code);

}  // namespace veilport
