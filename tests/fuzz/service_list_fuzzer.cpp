// Feeds arbitrary bytes to every view of the service list and checks the
// promises the views make to their callers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "proxypool/ProxyText.h"
#include "proxypool/ServiceList.h"

using namespace veilport::proxypool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const auto rows = BuildNewList(body);
    for (const auto& row : rows) {
        if (row.entry.find(kNullMark) != std::string::npos) std::abort();
        if (row.entry.find(kEntryTerminator) != std::string::npos) std::abort();
        if (row.picture != (SupportsPost(row.entry) ? 1 : 0)) std::abort();
        (void)SplitProxyText(row.entry);
    }
    for (const auto mode : {WizardMode::BrowseInvisibly, WizardMode::PostAnonymously}) {
        const auto locations = WizardLocations(body, mode);
        if (locations.size() > rows.size()) std::abort();
        for (const auto& location : locations) {
            for (const auto& entry : WizardProxies(body, location, mode)) {
                if (entry.find(location) == std::string::npos) std::abort();
            }
        }
    }
    return 0;
}
