#pragma once

#include <string>

#include "browsers/SwitchReport.h"

namespace veilport::proxypool {

// Switches the whole machine (system proxy options and every flagged browser)
// to a proxy address and back to direct. Each returns what happened to every
// target (which file or setting, done or failed and why), for the user to see.
class ProxySwitch {
public:
    virtual ~ProxySwitch() = default;
    virtual browsers::SwitchReport SetConnectionOptions(const std::string& proxyAddress) = 0;
    virtual browsers::SwitchReport DisableConnectionProxy() = 0;
};

}  // namespace veilport::proxypool
