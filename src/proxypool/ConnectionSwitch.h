#pragma once

#include <string>

namespace veilport::proxypool {

// Switches the whole machine (system proxy options and every flagged browser)
// to a proxy address and back to direct.
class ConnectionSwitch {
public:
    virtual ~ConnectionSwitch() = default;
    virtual void SetConnectionOptions(const std::string& proxyAddress) = 0;
    virtual void DisableConnectionProxy() = 0;
};

}  // namespace veilport::proxypool
