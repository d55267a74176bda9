#include "proxypool/ListedProxy.h"

#include "platform/text/Ascii.h"

namespace veilport::proxypool {

std::string ListedProxy::text() const {
    const std::string address = host + ":" + std::to_string(port);
    if (scheme == "http" && user.empty()) return address;
    return scheme + "://" + (user.empty() ? "" : user + "@") + address;
}

std::string ListedProxy::key() const {
    return scheme + "://" + user + "@" + text::asciiLowered(host) + ":" + std::to_string(port);
}

Upstream ToUpstream(const ListedProxy& proxy) {
    Upstream upstream;
    upstream.scheme = proxy.scheme == "socks5"    ? UpstreamScheme::Socks5
                      : proxy.scheme == "socks5h" ? UpstreamScheme::Socks5h
                                                  : UpstreamScheme::Http;
    upstream.host = proxy.host;
    upstream.port = static_cast<std::uint16_t>(proxy.port);
    if (!proxy.user.empty()) upstream.user = proxy.user;
    if (!proxy.password.empty()) upstream.password = proxy.password;
    upstream.text = proxy.text();
    return upstream;
}

ListedProxy FromUpstream(const Upstream& upstream) {
    ListedProxy proxy;
    proxy.scheme = std::string(SchemeName(upstream.scheme));
    proxy.host = upstream.host;
    proxy.port = upstream.port;
    proxy.user = upstream.user.value_or("");
    proxy.password = upstream.password.value_or("");
    return proxy;
}

bool IsProxyScheme(const std::string& scheme) {
    return scheme == "http" || scheme == "socks5" || scheme == "socks5h";
}

}  // namespace veilport::proxypool
