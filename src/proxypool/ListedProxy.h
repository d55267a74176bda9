#pragma once

// One proxy taken from a list source: its scheme, address and login as found.
// The password stays in memory; what is shown or stored is text() (no password).

#include <string>

#include "proxypool/Upstream.h"

namespace veilport::proxypool {

struct ListedProxy {
    std::string scheme = "http";  // "http", "socks5" or "socks5h"
    std::string host;
    int port = 0;
    std::string user;
    std::string password;

    // "host:port" for a plain HTTP proxy without a login, else
    // "scheme://[user@]host:port"; never the password.
    std::string text() const;
    // What makes two entries the same proxy: scheme, user, host (without
    // regard to case) and port.
    std::string key() const;

    bool operator==(const ListedProxy&) const = default;
};

// The same proxy as the Gateway's upstream type, and back.
Upstream ToUpstream(const ListedProxy& proxy);
ListedProxy FromUpstream(const Upstream& upstream);

// True for the schemes a list entry may name.
bool IsProxyScheme(const std::string& scheme);

}  // namespace veilport::proxypool
