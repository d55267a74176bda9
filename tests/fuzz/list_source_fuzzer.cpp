// Feeds arbitrary bytes to the list-source extractor under each default scheme
// and checks what it promises: every proxy it gives is usable and given once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "proxypool/ListSourceParser.h"

using namespace veilport::proxypool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view scheme : {"http", "socks5"}) {
        const auto extracted = ExtractProxies(text, scheme);
        std::set<std::string> keys;
        for (const auto& proxy : extracted.proxies) {
            if (proxy.port < 1 || proxy.port > 65535) std::abort();
            if (proxy.host.empty() || !IsProxyScheme(proxy.scheme)) std::abort();
            if (!keys.insert(proxy.key()).second) std::abort();
            // The password never shows in the text people see.
            if (!proxy.password.empty() &&
                proxy.text().find(":" + proxy.password + "@") != std::string::npos)
                std::abort();
        }
        if (extracted.invalid < 0 || extracted.duplicates < 0) std::abort();
    }
    return 0;
}
