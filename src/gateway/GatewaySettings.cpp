#include "gateway/GatewaySettings.h"

#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport {

std::optional<GatewaySettings::Upstream> GatewaySettings::splitProxyName(
    std::string_view proxyName) {
    const auto colon = proxyName.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    std::uint32_t port = 0;
    std::size_t i = colon + 1;
    bool anyDigit = false;
    for (; i < proxyName.size() && proxyName[i] >= '0' && proxyName[i] <= '9'; ++i) {
        port = port * 10 + static_cast<std::uint32_t>(proxyName[i] - '0');
        anyDigit = true;
        if (port > 65535) return std::nullopt;
    }
    if (!anyDigit || port == 0) return std::nullopt;
    return Upstream{std::string(proxyName.substr(0, colon)), static_cast<std::uint16_t>(port)};
}

GatewaySettings GatewaySettings::fromStore() {
    GatewaySettings settings;
    // The port is used as 16 bits, as the listener always did.
    settings.localPort = static_cast<std::uint16_t>(DwordSetting(settings::kLocalPort).get());
    if (auto upstream = splitProxyName(StringSetting(settings::kProxyName).get())) {
        settings.upstreamHost = std::move(upstream->host);
        settings.upstreamPort = upstream->port;
    }
    return settings;
}

}  // namespace veilport
