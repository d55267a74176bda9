#include "gateway/GatewaySettings.h"

#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport {

std::optional<GatewaySettings::Upstream> GatewaySettings::upstreamOf(std::string_view proxyName) {
    return proxypool::ParseUpstream(proxyName).upstream;
}

GatewaySettings GatewaySettings::fromStore() {
    GatewaySettings settings;
    // The port is used as 16 bits, as the listener always did.
    settings.localPort = static_cast<std::uint16_t>(DwordSetting(settings::kLocalPort).get());
    settings.listenAddress = StringSetting(settings::kListenAddress).get();
    if (auto upstream = upstreamOf(StringSetting(settings::kProxyName).get()))
        settings.setUpstream(*upstream);
    return settings;
}

void GatewaySettings::setUpstream(const Upstream& upstream) {
    upstreamHost = upstream.host;
    upstreamPort = upstream.port;
    scheme = upstream.scheme;
    user = upstream.user;
    password = upstream.password;
}

std::string GatewaySettings::upstreamText() const {
    Upstream upstream;
    upstream.scheme = scheme;
    upstream.host = upstreamHost;
    upstream.port = upstreamPort;
    upstream.user = user;
    return upstream.displayText();
}

}  // namespace veilport
