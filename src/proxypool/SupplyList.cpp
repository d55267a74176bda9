#include "proxypool/SupplyList.h"

#include <unordered_set>

#include "proxypool/ProxyText.h"
#include "proxypool/ServiceList.h"

namespace veilport::proxypool {

std::vector<SupplyRow> BuildSupply(std::string_view serviceBody,
                                   const std::vector<SuppliedProxy>& supplied) {
    std::vector<SupplyRow> rows;
    std::unordered_set<std::string> seen;
    for (auto& row : BuildNewList(serviceBody)) {
        const auto parts = SplitProxyText(row.entry);
        ListedProxy proxy;
        proxy.host = parts.host;
        proxy.port = parts.port;
        seen.insert(proxy.key());
        rows.push_back(
            {std::move(row.entry), std::string(kServiceSourceName), row.picture, std::move(proxy)});
    }
    for (const auto& entry : supplied)
        if (seen.insert(entry.proxy.key()).second)
            rows.push_back({entry.proxy.text(), entry.source, 0, entry.proxy});
    return rows;
}

}  // namespace veilport::proxypool
