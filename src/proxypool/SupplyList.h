#pragma once

// The New list as a whole: the vendor service's entries (when a service host
// is set), then the proxies of the user's list sources that the service did
// not already list, each row with the source it came from.

#include <string>
#include <string_view>
#include <vector>

#include "proxypool/ListSources.h"
#include "proxypool/ListedProxy.h"

namespace veilport::proxypool {

inline constexpr std::string_view kServiceSourceName = "Veilport list service";

struct SupplyRow {
    std::string entry;   // the text shown and tested (a service entry as it stands)
    std::string source;  // kServiceSourceName or the source's location
    int picture = 0;     // 1: supports POST (service entries only)
    ListedProxy proxy;   // host, port, scheme and login of the entry

    bool operator==(const SupplyRow&) const = default;
};

// The service's entries keep their order and their duplicates, as the New list
// always showed them; a source's proxy that the service lists too is not
// repeated.
std::vector<SupplyRow> BuildSupply(std::string_view serviceBody,
                                   const std::vector<SuppliedProxy>& supplied);

}  // namespace veilport::proxypool
