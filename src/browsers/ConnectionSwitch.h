#pragma once

#include <string_view>

#include "browsers/BrowserConfigurator.h"

namespace veilport::browsers {

// Switches the whole machine to the proxy `server` (an "ip:port" text): the
// system proxy first; when that succeeds, the IE and Avant flags are set to 1
// and each flagged browser's files are pointed at the Gateway, in the order
// Opera (program Opera6.ini, profile opera6.ini, program OperaDef6.ini),
// Netscape, Mozilla, Firefox. A flag counts as set only when it holds 1.
// A target that fails does not stop the ones after it; the report lists each
// target, done or failed and why. When the system proxy step cannot run at all
// (no memory for its options) the report says so and nothing else runs.
[[nodiscard]] SwitchReport SetConnectionOptions(
    std::string_view server, BrowserConfigurator& steps = RealBrowserConfigurator());

// The way back: the system proxy to direct, IE and Avant to 0, the flagged
// browsers' files restored in the same order, reported the same way. Every
// target the switch journal recorded gets back exactly what it held (one the
// user changed since is left as it is and reported), and the journal goes.
[[nodiscard]] SwitchReport DisableConnectionProxy(
    BrowserConfigurator& steps = RealBrowserConfigurator());

}  // namespace veilport::browsers
