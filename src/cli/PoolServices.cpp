#include "cli/PoolServices.h"

#include <ostream>

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

// FIXME: stands in for the system proxy operations until they are part of this
// build; the machine's proxy settings are left as they are.
class UnavailableConnectionSwitch : public proxypool::ConnectionSwitch {
public:
    explicit UnavailableConnectionSwitch(std::ostream& err) : err_(err) {}
    void SetConnectionOptions(const std::string&) override { notice(); }
    void DisableConnectionProxy() override { notice(); }

private:
    void notice() {
        err_ << "veilportctl: switching the system proxy is not yet available in this build\n";
    }
    std::ostream& err_;
};

}  // namespace

PoolServices MakePoolServices(std::ostream& err) {
    PoolServices services;
    services.gateway = std::make_unique<UnavailableGateway>(err);
    services.connection = std::make_unique<UnavailableConnectionSwitch>(err);
    // FIXME: downloads go direct until the LAN connection's stored proxy options
    // can be loaded here, and record nothing until the URL cache is connected.
    services.get = proxypool::InetHttpGet([] { return inet::InternetAccess{}; }, {});
    return services;
}

}  // namespace veilport::cli
