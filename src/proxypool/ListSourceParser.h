#pragma once

// Takes the proxies out of a downloaded or local list, whatever its layout:
// one entry a line as "ip:port", "scheme://[user[:password]@]host:port" or
// "host:port:user:password", several entries on a line, and addresses found
// inside other text such as an HTML table ("<td>1.2.3.4</td><td>8080</td>").
// Pure: no sockets, no files.

#include <string_view>
#include <vector>

#include "proxypool/ListedProxy.h"

namespace veilport::proxypool {

struct ExtractedProxies {
    std::vector<ListedProxy> proxies;  // in the order found, each proxy once
    int invalid = 0;                   // entries that looked like proxies but were not usable
    int duplicates = 0;                // entries merged into an earlier one
};

// defaultScheme applies to entries that name none ("http", "socks5" or
// "socks5h"; anything else counts as "http"). Blank lines and lines starting
// with '#', ';' or "//" are skipped; CR LF and LF both end a line.
[[nodiscard]] ExtractedProxies ExtractProxies(std::string_view text,
                                              std::string_view defaultScheme = "http");

}  // namespace veilport::proxypool
