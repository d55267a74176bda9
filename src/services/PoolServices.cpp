#include "services/PoolServices.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <ostream>

#include "browsers/ConnectionSwitch.h"
#include "gateway/Gateway.h"
#include "platform/inet/PreconfiguredAccess.h"
#include "platform/inet/UrlCache.h"
#include "platform/secret/SecretServicePasswords.h"
#include "proxypool/UpstreamPassword.h"

namespace veilport::services {

std::string ListenProblem(int port, int error) {
    const std::string name = "Port " + std::to_string(port);
    switch (error) {
        case EADDRINUSE:
            return name + " is in use by another program";
        case EACCES:
            return name + " needs administrator rights (ports up to 1023 are reserved)";
        default:
            return name + " cannot be used: " + std::strerror(error);
    }
}

namespace {

// The process-wide Gateway behind the pool's flows. Ports outside 1 to 65535
// never reach it: start fails and an upstream change is ignored.
class ProcessGateway : public proxypool::GatewayControl {
public:
    explicit ProcessGateway(std::shared_ptr<secret::KeptPasswords> passwords)
        : passwords_(std::move(passwords)) {}

    bool startUpstream(int localPort, const proxypool::Upstream& upstream) override {
        problem_.clear();
        if (localPort < 1 || localPort > 65535) {
            problem_ = "Port " + std::to_string(localPort) + " is no port the Gateway can use";
            return false;
        }
        auto settings = settingsFor(upstream);
        settings.localPort = static_cast<std::uint16_t>(localPort);
        return startListening(settings, localPort);
    }
    void useUpstream(const proxypool::Upstream& upstream) override {
        auto settings = settingsFor(upstream);
        settings.localPort = GatewaySettings::fromStore().localPort;
        Gateway::instance().updateUpstream(settings);
    }

    bool start(int localPort, const std::string& upstreamHost, int upstreamPort) override {
        problem_.clear();
        const auto settings = makeSettings(localPort, upstreamHost, upstreamPort);
        if (!settings) {
            problem_ = localPort < 1 || localPort > 65535
                           ? "Port " + std::to_string(localPort) + " is no port the Gateway can use"
                           : std::string("The upstream proxy's port is not usable");
            return false;
        }
        return startListening(*settings, localPort);
    }
    std::string startProblem() const override { return problem_; }
    void stop() override { Gateway::instance().stop(); }
    bool isRunning() override { return Gateway::instance().isRunning(); }
    void updateUpstream(const std::string& upstreamHost, int upstreamPort) override {
        const auto current = GatewaySettings::fromStore();
        if (const auto settings = makeSettings(current.localPort, upstreamHost, upstreamPort))
            Gateway::instance().updateUpstream(*settings);
    }

private:
    // Starts the Gateway and waits for its listener: the listener binds on its
    // own thread, and the answer is only known once it has bound or given up.
    bool startListening(const GatewaySettings& settings, int localPort) {
        if (!Gateway::instance().start(settings)) {
            problem_ = "The Gateway's thread could not be started";
            return false;
        }
        const auto outcome = Gateway::instance().waitUntilSettled(kListenWait);
        if (outcome.state == Listener::State::Listening) return true;
        Gateway::instance().stop();
        problem_ = outcome.state == Listener::State::Failed
                       ? ListenProblem(localPort, outcome.error)
                       : "The Gateway did not start listening on port " + std::to_string(localPort);
        return false;
    }

    // The whole upstream, its password kept or looked up, and the listen
    // address of the moment.
    GatewaySettings settingsFor(const proxypool::Upstream& upstream) {
        (void)proxypool::KeepPassword(upstream, *passwords_);
        GatewaySettings settings = GatewaySettings::fromStore();
        settings.setUpstream(proxypool::WithKeptPassword(upstream, *passwords_));
        return settings;
    }

    std::shared_ptr<secret::KeptPasswords> passwords_;
    static constexpr std::chrono::seconds kListenWait{5};

    static std::optional<GatewaySettings> makeSettings(int localPort, const std::string& host,
                                                       int port) {
        if (localPort < 0 || localPort > 65535 || port < 1 || port > 65535) return std::nullopt;
        GatewaySettings settings = GatewaySettings::fromStore();
        settings.localPort = static_cast<std::uint16_t>(localPort);
        proxypool::Upstream plain;
        plain.host = host;
        plain.port = static_cast<std::uint16_t>(port);
        settings.setUpstream(plain);
        return settings;
    }

    std::string problem_;
};

// The machine's proxy settings and the flagged browsers' files.
class SystemConnectionSwitch : public proxypool::ProxySwitch {
public:
    browsers::SwitchReport SetConnectionOptions(const std::string& proxyAddress) override {
        return browsers::SetConnectionOptions(proxyAddress);
    }
    browsers::SwitchReport DisableConnectionProxy() override {
        return browsers::DisableConnectionProxy();
    }
};

}  // namespace

PoolServices MakePoolServices(std::stop_token stop) {
    PoolServices services;
    services.passwords =
        std::make_shared<secret::KeptPasswords>(std::make_unique<secret::SecretServicePasswords>());
    services.gateway = std::make_unique<ProcessGateway>(services.passwords);
    services.connection = std::make_unique<SystemConnectionSwitch>();
    // Downloads leave their entry in the URL cache as a browser's HTTP stack
    // would; a download that could not be recorded still counts.
    const auto record = [](const std::string& url, const std::string& text) {
        (void)inet::UrlCache::recordDownload(url, text);
    };
    services.get = proxypool::InetHttpGet(inet::preconfiguredAccess, record, stop);
    services.directGet = proxypool::DirectHttpGet(record, stop);
    return services;
}

}  // namespace veilport::services
