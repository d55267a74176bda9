#include "platform/inet/PreconfiguredAccess.h"

#include <optional>
#include <sstream>

#include "platform/inet/ProxyOptions.h"

namespace veilport::inet {

InternetAccess preconfiguredAccess() {
    const ProxyOptions stored = loadConnectionOptions(std::nullopt);
    InternetAccess access;
    access.direct = !stored.usesProxy();
    access.proxyServer = stored.proxyServer;
    std::istringstream words(stored.bypassList);
    std::string word;
    while (std::getline(words, word, ';')) {
        if (word.empty()) continue;
        if (!access.bypassList.empty()) access.bypassList += ';';
        access.bypassList += word == "local" ? "<local>" : word;
    }
    return access;
}

}  // namespace veilport::inet
