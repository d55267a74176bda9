#pragma once

// The text forms in which a proxy travels through the pool: "ip:port", optionally
// "->" and a country, optionally a blank and "<supports POST>". Proxies are kept
// as these texts everywhere (service list, MyProxies.txt, ProxyName, list rows);
// the functions here are the only place they are taken apart.

#include <string>
#include <string_view>

namespace veilport::proxypool {

inline constexpr std::string_view kCountrySeparator = "->";
inline constexpr std::string_view kSupportsPostMark = "<supports POST>";

// What SplitProxyText takes out of a proxy text.
struct ProxyParts {
    std::string host;
    int port = 0;
    std::string country;
};

// host: the text before the first ':' (empty without a ':'); port: the text after
// it read as a C-style decimal number (0 when no digit comes first), so
// "80->Germany" reads as 80; country: the text after the first "->", a trailing
// "<supports POST>" included. Nothing is validated here: the tester decides.
ProxyParts SplitProxyText(std::string_view text);

// Whether a port can name an upstream proxy at all. A port outside 1 to 65535
// (a hand-edited or malformed entry) is refused before anything announces it.
constexpr bool IsUsablePort(int port) {
    return port >= 1 && port <= 65535;
}

// The normalised address "host:port" under which the tested list is searched
// and shown: "1.2.3.4" and port 80 from "1.2.3.4:0080" give "1.2.3.4:80".
std::string AddressKey(std::string_view host, int port);

// The text after the first "->", or empty.
std::string_view CountryOf(std::string_view text);

// The text before the first "->", or the whole text without one.
std::string_view AddressPartOf(std::string_view text);

// True when "<supports POST>" occurs after the first character: an entry that
// begins with the mark has no address and does not count.
bool SupportsPost(std::string_view entry);

// Reads a decimal integer the way C's atoi does (leading white space, an
// optional sign, digits up to the first non-digit), saturating instead of
// overflowing.
int ReadDecimal(std::string_view text);

}  // namespace veilport::proxypool
