#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/InternetOptions.h"
#include "browsers/SwitchReport.h"

namespace veilport::browsers {

// The connections the system proxy operations configure, in order, from
// EnableAutodial and NoNetAutodial: with autodial on, the default dial-up
// connection (named by DefaultInternet as read, even when empty), then the LAN
// too when NoNetAutodial is 1 as well; with autodial off, the LAN alone
// (nullopt).
std::vector<std::optional<std::string>> ConfiguredConnections();

// Points every configured connection at `server` (flags direct|proxy, the
// server, bypass "local"), sends the settings-changed and refresh notices and
// sets EnableHttp1_1 to 1. Each connection and each desktop the refresh
// mirrors into is listed in `report`, done or failed. False, after writing
// "failed to allocat memory in SetConnectionOptions()" to stderr, when an
// option array cannot be allocated; connections already done stay done and
// nothing after them happens.
bool SetSystemProxy(std::string_view server, SwitchReport& report,
                    InternetOptions& inet = SystemInternetOptions());

// Sets every configured connection's flags to direct alone (server and bypass
// stay stored), sends the notices and sets ProxyHttp1.1 to 1. False, after
// "failed to allocat memory in DisableConnectionProxy()", as above.
bool ClearSystemProxy(SwitchReport& report, InternetOptions& inet = SystemInternetOptions());

}  // namespace veilport::browsers
