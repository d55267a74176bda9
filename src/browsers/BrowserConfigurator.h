#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "browsers/ProfileRoots.h"
#include "browsers/SwitchReport.h"

namespace veilport::browsers {

// The steps that switch the system and each browser's files to the Gateway and
// back. The switch operations and the browser page call them through this
// class, so tests can watch the order; the base class does the real work. Each
// step lists what it changed, or failed to change, in `report`.
class BrowserConfigurator {
public:
    virtual ~BrowserConfigurator() = default;

    // False when the system step could not run at all (nothing must follow).
    virtual bool setSystemProxy(std::string_view server, SwitchReport& report);
    virtual bool clearSystemProxy(SwitchReport& report);
    virtual void setOperaFile(OperaFile file, SwitchReport& report);
    virtual void restoreOperaFile(OperaFile file, SwitchReport& report);
    // Every profile root of the family (Firefox has several on Linux).
    virtual void setMozilla(MozillaFamily family, SwitchReport& report);
    virtual void restoreMozilla(MozillaFamily family, SwitchReport& report);
};

BrowserConfigurator& RealBrowserConfigurator();

// LocalPort, the port the Gateway listens on and every browser file names;
// nullopt when the stored value is no port (0, or past 65535).
std::optional<std::uint16_t> GatewayPort();

}  // namespace veilport::browsers
