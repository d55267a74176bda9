#include "cli/PoolServices.h"

#include <ostream>

#include "browsers/ConnectionSwitch.h"
#include "platform/inet/PreconfiguredAccess.h"

namespace veilport::cli {

namespace {

// FIXME: stands in for the Gateway until it is part of this build; every
// operation says so on stderr and starting fails.
class UnavailableGateway : public proxypool::GatewayControl {
public:
    explicit UnavailableGateway(std::ostream& err) : err_(err) {}
    bool start(int, const std::string&, int) override {
        notice();
        return false;
    }
    void stop() override { notice(); }
    bool isRunning() override { return false; }
    void updateUpstream(const std::string&, int) override { notice(); }

private:
    void notice() { err_ << "veilportctl: the Gateway is not yet available in this build\n"; }
    std::ostream& err_;
};

// The machine's proxy settings and the flagged browsers' files.
class SystemConnectionSwitch : public proxypool::ConnectionSwitch {
public:
    void SetConnectionOptions(const std::string& proxyAddress) override {
        browsers::SetConnectionOptions(proxyAddress);
    }
    void DisableConnectionProxy() override { browsers::DisableConnectionProxy(); }
};

}  // namespace

PoolServices MakePoolServices(std::ostream& err) {
    PoolServices services;
    services.gateway = std::make_unique<UnavailableGateway>(err);
    services.connection = std::make_unique<SystemConnectionSwitch>();
    // FIXME: downloads record nothing until the URL cache is connected.
    services.get = proxypool::InetHttpGet(inet::PreconfiguredAccess, {});
    return services;
}

}  // namespace veilport::cli
