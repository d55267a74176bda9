#pragma once

// A list source the user added: a web address or a local file that lists
// proxies, with the scheme its plain "ip:port" lines mean, and what its last
// fetch gave.

#include <cstdint>
#include <string>
#include <string_view>

namespace veilport::proxypool {

struct ListSource {
    // "http://...", "https://..." or an absolute file path ("file://" taken off).
    std::string location;
    std::string scheme = "http";
    std::int64_t lastFetch = 0;  // seconds since the epoch of the last fetch tried; 0 never
    int count = 0;               // proxies in the list kept now
    int invalid = 0;             // entries of that list that were skipped
    std::string error;           // why the last fetch failed; empty after a good one

    bool remote() const;
    bool operator==(const ListSource&) const = default;
};

// The location as stored, or the empty text with why in `error` when it is
// neither an http(s) address nor an absolute file path, or holds a tab or a
// line break.
std::string NormalisedLocation(std::string_view location, std::string& error);

// The default scheme as stored ("http", "socks5", "socks5h"), or empty when unknown.
std::string NormalisedScheme(std::string_view scheme);

}  // namespace veilport::proxypool
