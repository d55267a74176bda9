#include "gateway/GatewaySettings.h"

#include "proxypool/ProxyText.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport {

std::optional<GatewaySettings::Upstream> GatewaySettings::upstreamOf(std::string_view proxyName) {
    auto parts = proxypool::SplitProxyText(proxyName);
    if (parts.host.empty() || parts.port < 1 || parts.port > 65535) return std::nullopt;
    return Upstream{std::move(parts.host), static_cast<std::uint16_t>(parts.port)};
}

GatewaySettings GatewaySettings::fromStore() {
    GatewaySettings settings;
    // The port is used as 16 bits, as the listener always did.
    settings.localPort = static_cast<std::uint16_t>(DwordSetting(settings::kLocalPort).get());
    if (auto upstream = upstreamOf(StringSetting(settings::kProxyName).get())) {
        settings.upstreamHost = std::move(upstream->host);
        settings.upstreamPort = upstream->port;
    }
    return settings;
}

}  // namespace veilport
