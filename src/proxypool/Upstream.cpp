#include "proxypool/Upstream.h"

#include <algorithm>
#include <array>

#include "platform/text/Ascii.h"
#include "proxypool/ProxyText.h"

namespace veilport::proxypool {

namespace {

constexpr std::string_view kSchemeMark = "://";
// The most a SOCKS5 request or login can carry in one length byte.
constexpr std::size_t kMaxField = 255;

struct SchemeEntry {
    std::string_view name;
    UpstreamScheme scheme;
};
constexpr std::array<SchemeEntry, 3> kSchemes{{
    {"http", UpstreamScheme::Http},
    {"socks5", UpstreamScheme::Socks5},
    {"socks5h", UpstreamScheme::Socks5h},
}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX becomes its byte; a '%' that starts no such code is kept as it is, so a
// password pasted without encoding still arrives whole.
std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Encodes what would break the text apart again when read back: the separators
// of the forms above and the country arrow.
std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || c == ':' || c == '@' || c == '/' || c == '?' || c == '#' || c == '>' ||
            c == ' ' || IsControl(c)) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        } else {
            out += c;
        }
    }
    return out;
}

// A port written out in full: digits only, 1 to 65535.
std::optional<std::uint16_t> StrictPort(std::string_view digits) {
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (!IsUsablePort(static_cast<int>(std::min(value, 70000L)))) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

constexpr std::string_view kPortReason = "the port must be a number from 1 to 65535";

// "host:port" with a port written out in full; the error reason or nothing.
std::optional<std::string> ReadHostPort(std::string_view hostPort, Upstream& upstream) {
    const auto colon = hostPort.find(':');
    if (colon == std::string_view::npos) return "no port: write host:port";
    upstream.host.assign(hostPort.substr(0, colon));
    const auto port = StrictPort(hostPort.substr(colon + 1));
    if (!port) return std::string(kPortReason);
    upstream.port = *port;
    return std::nullopt;
}

// "user[:password]@host:port"; the user and password %-decoded.
std::optional<std::string> ReadLogin(std::string_view rest, Upstream& upstream) {
    const auto at = rest.rfind('@');
    if (at != std::string_view::npos) {
        const auto login = rest.substr(0, at);
        const auto colon = login.find(':');
        upstream.user = PercentDecoded(login.substr(0, colon));
        if (colon != std::string_view::npos)
            upstream.password = PercentDecoded(login.substr(colon + 1));
        rest = rest.substr(at + 1);
    }
    return ReadHostPort(rest, upstream);
}

std::optional<std::string> ReadUrlForm(std::string_view address, std::size_t mark,
                                       Upstream& upstream) {
    const auto name = address.substr(0, mark);
    const auto known = std::find_if(kSchemes.begin(), kSchemes.end(), [&](const SchemeEntry& e) {
        return text::EqualsIgnoringAsciiCase(e.name, name);
    });
    if (known == kSchemes.end())
        return "unknown scheme \"" + std::string(name) + "\": use http, socks5 or socks5h";
    upstream.scheme = known->scheme;
    auto rest = address.substr(mark + kSchemeMark.size());
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    if (rest.find_first_of("/?#") != std::string_view::npos) return "a proxy address has no path";
    return ReadLogin(rest, upstream);
}

// host:port:user:password: a host, a port in full, and at least two more ':'.
// A login written before the host ("user:pass@host:port") has an '@' in its first
// field or no port in its second, so the two forms never overlap.
bool IsSellerForm(std::string_view address) {
    if (std::count(address.begin(), address.end(), ':') < 3) return false;
    const auto first = address.find(':');
    const auto second = address.find(':', first + 1);
    return address.substr(0, first).find('@') == std::string_view::npos &&
           StrictPort(address.substr(first + 1, second - first - 1)).has_value();
}

// host:port:user:password, the password being everything after the third ':'.
std::optional<std::string> ReadSellerForm(std::string_view address, Upstream& upstream) {
    const auto first = address.find(':');
    const auto second = address.find(':', first + 1);
    const auto third = address.find(':', second + 1);
    upstream.host.assign(address.substr(0, first));
    upstream.port = *StrictPort(address.substr(first + 1, second - first - 1));
    upstream.user.emplace(address.substr(second + 1, third - second - 1));
    upstream.password.emplace(address.substr(third + 1));
    return std::nullopt;
}

// The pool's own forms, taken apart exactly as they always were.
std::optional<std::string> ReadPoolForm(std::string_view text, Upstream& upstream) {
    auto parts = SplitProxyText(text);
    if (text.find(':') == std::string_view::npos) return "no port: write host:port";
    if (!IsUsablePort(parts.port)) return std::string(kPortReason);
    upstream.host = std::move(parts.host);
    upstream.port = static_cast<std::uint16_t>(parts.port);
    return std::nullopt;
}

std::optional<std::string> Validate(const Upstream& upstream) {
    if (upstream.host.empty()) return "no host";
    if (upstream.host.size() > kMaxField ||
        !std::all_of(upstream.host.begin(), upstream.host.end(), IsHostChar))
        return "\"" + upstream.host + "\" is not a host name or IPv4 address";
    if (upstream.user) {
        if (upstream.user->empty()) return "the user name is empty";
        if (upstream.user->size() > kMaxField) return "the user name is longer than 255 bytes";
        if (std::any_of(upstream.user->begin(), upstream.user->end(), IsControl))
            return "the user name holds a control character";
    }
    if (upstream.password) {
        if (upstream.password->size() > kMaxField) return "the password is longer than 255 bytes";
        if (std::any_of(upstream.password->begin(), upstream.password->end(), IsControl))
            return "the password holds a control character";
    }
    return std::nullopt;
}

std::string MaskedAfterThirdColon(std::string_view text) {
    std::size_t colon = 0;
    for (int seen = 0; seen < 3; ++seen) {
        colon = text.find(':', seen == 0 ? 0 : colon + 1);
        if (colon == std::string_view::npos) return std::string(text);
    }
    return std::string(text.substr(0, colon + 1)) + "***";
}

UpstreamParse Refused(std::string_view given, const std::string& reason) {
    return {std::nullopt,
            "\"" + MaskPassword(given) + "\" is not a proxy address: " + reason + "."};
}

}  // namespace

std::string_view SchemeName(UpstreamScheme scheme) {
    switch (scheme) {
        case UpstreamScheme::Http:
            return "http";
        case UpstreamScheme::Socks5:
            return "socks5";
        case UpstreamScheme::Socks5h:
            return "socks5h";
    }
    return "http";
}

std::string Upstream::hostPort() const {
    return AddressKey(host, port);
}

std::string Upstream::displayText() const {
    if (scheme == UpstreamScheme::Http && !user) return hostPort();
    std::string out(SchemeName(scheme));
    out += kSchemeMark;
    if (user) {
        out += PercentEncoded(*user);
        out += '@';
    }
    out += hostPort();
    return out;
}

bool Upstream::sameAccount(const Upstream& other) const {
    return scheme == other.scheme && port == other.port &&
           text::EqualsIgnoringAsciiCase(host, other.host) && user == other.user;
}

UpstreamParse ParseUpstream(std::string_view given) {
    const std::string_view text = TrimLeft(given);
    if (text.empty()) return Refused(given, "it is empty");

    Upstream upstream;
    const bool hasArrow = text.find(kCountrySeparator) != std::string_view::npos;
    upstream.country.assign(CountryOf(text));
    const std::string_view address = TrimRight(AddressPartOf(text));

    std::optional<std::string> error;
    if (const auto mark = address.find(kSchemeMark); mark != std::string_view::npos)
        error = ReadUrlForm(address, mark, upstream);
    else if (!hasArrow && IsSellerForm(address))
        error = ReadSellerForm(address, upstream);
    else if (address.find('@') != std::string_view::npos)
        error = ReadLogin(address, upstream);
    else
        error = ReadPoolForm(text, upstream);
    if (!error) error = Validate(upstream);
    if (error) return Refused(given, *error);

    if (upstream.password) {
        upstream.text = upstream.displayText();
        if (hasArrow) upstream.text += std::string(kCountrySeparator) + upstream.country;
    } else {
        upstream.text.assign(given);
    }
    return {std::move(upstream), {}};
}

std::string MaskPassword(std::string_view text) {
    const auto mark = text.find(kSchemeMark);
    if (mark == std::string_view::npos && IsSellerForm(AddressPartOf(text)))
        return MaskedAfterThirdColon(text);
    const std::size_t start = mark == std::string_view::npos ? 0 : mark + kSchemeMark.size();
    const auto at = text.rfind('@');
    if (at != std::string_view::npos && at >= start) {
        const auto colon = text.find(':', start);
        if (colon >= at) return std::string(text);
        return std::string(text.substr(0, colon + 1)) + "***" + std::string(text.substr(at));
    }
    // A seller's form that failed on its port still has its password last.
    if (mark == std::string_view::npos) return MaskedAfterThirdColon(text);
    return std::string(text);
}

}  // namespace veilport::proxypool
