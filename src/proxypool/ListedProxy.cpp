#include "proxypool/ListedProxy.h"

#include "platform/text/Ascii.h"

namespace veilport::proxypool {

std::string ListedProxy::text() const {
    const std::string address = host + ":" + std::to_string(port);
    if (scheme == "http" && user.empty()) return address;
    return scheme + "://" + (user.empty() ? "" : user + "@") + address;
}

std::string ListedProxy::key() const {
    return scheme + "://" + user + "@" + text::AsciiLowered(host) + ":" + std::to_string(port);
}

bool IsProxyScheme(const std::string& scheme) {
    return scheme == "http" || scheme == "socks5" || scheme == "socks5h";
}

}  // namespace veilport::proxypool
