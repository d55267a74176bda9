#pragma once

#include <string_view>

#include "browsers/BrowserConfigurator.h"

namespace veilport::browsers {

// Switches the whole machine to the proxy `server` (an "ip:port" text): the
// system proxy first; when that succeeds, the IE and Avant flags are set to 1
// and each flagged browser's files are pointed at the Gateway, in the order
// Opera (program Opera6.ini, profile opera6.ini, program OperaDef6.ini),
// Netscape, Mozilla, Firefox. A flag counts as set only when it holds 1.
// Returns what the system proxy step returned; on false nothing else runs.
bool SetConnectionOptions(std::string_view server,
                          BrowserConfigurator& steps = RealBrowserConfigurator());

// The way back: the system proxy to direct, IE and Avant to 0, the flagged
// browsers' files restored in the same order.
bool DisableConnectionProxy(BrowserConfigurator& steps = RealBrowserConfigurator());

}  // namespace veilport::browsers
