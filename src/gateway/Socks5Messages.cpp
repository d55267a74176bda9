#include "gateway/Socks5Messages.h"

#include <arpa/inet.h>

namespace veilport {

namespace {

constexpr std::uint8_t kLoginVersion = 1;
constexpr std::uint8_t kCommandConnect = 1;
constexpr std::uint8_t kAddressIpv4 = 1;
constexpr std::uint8_t kAddressName = 3;
constexpr std::uint8_t kAddressIpv6 = 4;
constexpr std::size_t kMaxField = 255;

void appendByte(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(static_cast<std::uint8_t>(value)));
}

std::uint8_t byteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// Strictly four decimal parts: a name such as "10.1" or "0x7f.1" is a name to
// the proxy, not an address to guess at.
bool isPlainIpv4(std::string_view host, in_addr& address) {
    int dots = 0;
    for (const char c : host) {
        if (c == '.')
            ++dots;
        else if (c < '0' || c > '9')
            return false;
    }
    return dots == 3 && inet_pton(AF_INET, std::string(host).c_str(), &address) == 1;
}

}  // namespace

std::string Socks5Greeting(bool withLogin) {
    std::string out;
    appendByte(out, kSocksVersion);
    appendByte(out, 1);
    appendByte(out, withLogin ? kSocksUserPassword : kSocksNoLogin);
    return out;
}

std::string Socks5LoginRequest(std::string_view user, std::string_view password) {
    user = user.substr(0, kMaxField);
    password = password.substr(0, kMaxField);
    std::string out;
    appendByte(out, kLoginVersion);
    appendByte(out, static_cast<unsigned>(user.size()));
    out.append(user);
    appendByte(out, static_cast<unsigned>(password.size()));
    out.append(password);
    return out;
}

std::string Socks5ConnectRequest(std::string_view host, std::uint16_t port) {
    if (host.empty() || host.size() > kMaxField) return {};
    std::string out;
    appendByte(out, kSocksVersion);
    appendByte(out, kCommandConnect);
    appendByte(out, 0);
    in_addr address{};
    if (isPlainIpv4(host, address)) {
        appendByte(out, kAddressIpv4);
        out.append(reinterpret_cast<const char*>(&address.s_addr), 4);
    } else {
        appendByte(out, kAddressName);
        appendByte(out, static_cast<unsigned>(host.size()));
        out.append(host);
    }
    appendByte(out, port >> 8);
    appendByte(out, port & 0xff);
    return out;
}

Socks5MethodChoice ReadMethodChoice(std::string_view twoBytes) {
    if (twoBytes.size() != 2 || byteAt(twoBytes, 0) != kSocksVersion) return {};
    return {true, byteAt(twoBytes, 1)};
}

bool LoginAccepted(std::string_view twoBytes) {
    return twoBytes.size() == 2 && byteAt(twoBytes, 0) == kLoginVersion && byteAt(twoBytes, 1) == 0;
}

Socks5Reply ReadConnectReply(std::string_view bytes) {
    Socks5Reply reply;
    // VER REP RSV ATYP, then the address (its length byte first for a name),
    // then two bytes of port.
    if (bytes.size() < 5) return reply;
    if (byteAt(bytes, 0) != kSocksVersion || byteAt(bytes, 2) != 0) {
        reply.state = Socks5Reply::State::Bad;
        return reply;
    }
    std::size_t size = 0;
    switch (byteAt(bytes, 3)) {
        case kAddressIpv4:
            size = 4 + 4 + 2;
            break;
        case kAddressIpv6:
            size = 4 + 16 + 2;
            break;
        case kAddressName:
            size = 4 + 1 + byteAt(bytes, 4) + 2;
            break;
        default:
            reply.state = Socks5Reply::State::Bad;
            return reply;
    }
    if (bytes.size() < size) {
        reply.needed = size;
        return reply;
    }
    reply.state = Socks5Reply::State::Done;
    reply.code = byteAt(bytes, 1);
    reply.size = size;
    return reply;
}

std::string_view Socks5ReplyText(std::uint8_t code) {
    switch (code) {
        case 0:
            return "succeeded";
        case 1:
            return "general SOCKS server failure";
        case 2:
            return "connection not allowed by its rules";
        case 3:
            return "network unreachable";
        case 4:
            return "host unreachable";
        case 5:
            return "connection refused";
        case 6:
            return "TTL expired";
        case 7:
            return "command not supported";
        case 8:
            return "address type not supported";
        default:
            return "unknown SOCKS error";
    }
}

}  // namespace veilport
