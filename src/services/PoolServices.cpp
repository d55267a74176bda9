#include "services/PoolServices.h"

#include <optional>
#include <ostream>

#include "browsers/ConnectionSwitch.h"
#include "gateway/Gateway.h"
#include "platform/inet/PreconfiguredAccess.h"
#include "platform/inet/UrlCache.h"

namespace veilport::services {

namespace {

// The process-wide Gateway behind the pool's flows. Ports outside 1 to 65535
// never reach it: start fails and an upstream change is ignored.
class ProcessGateway : public proxypool::GatewayControl {
public:
    bool start(int localPort, const std::string& upstreamHost, int upstreamPort) override {
        const auto settings = makeSettings(localPort, upstreamHost, upstreamPort);
        return settings && Gateway::instance().start(*settings);
    }
    void stop() override { Gateway::instance().stop(); }
    bool isRunning() override { return Gateway::instance().isRunning(); }
    void updateUpstream(const std::string& upstreamHost, int upstreamPort) override {
        const auto current = GatewaySettings::fromStore();
        if (const auto settings = makeSettings(current.localPort, upstreamHost, upstreamPort))
            Gateway::instance().updateUpstream(*settings);
    }

private:
    static std::optional<GatewaySettings> makeSettings(int localPort, const std::string& host,
                                                       int port) {
        if (localPort < 0 || localPort > 65535 || port < 1 || port > 65535) return std::nullopt;
        GatewaySettings settings;
        settings.localPort = static_cast<std::uint16_t>(localPort);
        settings.upstreamHost = host;
        settings.upstreamPort = static_cast<std::uint16_t>(port);
        return settings;
    }
};

// The machine's proxy settings and the flagged browsers' files.
class SystemConnectionSwitch : public proxypool::ConnectionSwitch {
public:
    browsers::SwitchReport SetConnectionOptions(const std::string& proxyAddress) override {
        return browsers::SetConnectionOptions(proxyAddress);
    }
    browsers::SwitchReport DisableConnectionProxy() override {
        return browsers::DisableConnectionProxy();
    }
};

}  // namespace

PoolServices MakePoolServices() {
    PoolServices services;
    services.gateway = std::make_unique<ProcessGateway>();
    services.connection = std::make_unique<SystemConnectionSwitch>();
    // Downloads leave their entry in the URL cache as a browser's HTTP stack
    // would; a download that could not be recorded still counts.
    services.get = proxypool::InetHttpGet(inet::PreconfiguredAccess,
                                          [](const std::string& url, const std::string& text) {
                                              (void)inet::UrlCache::recordDownload(url, text);
                                          });
    return services;
}

}  // namespace veilport::services
