#pragma once

#include <string>

#include "proxypool/ProxyListService.h"

namespace veilport::proxypool {

// The system-proxy text that points the machine at the Gateway: "127.0.0.1:"
// and LocalPort.
std::string GatewayProxyAddress();

// Downloads url and returns the body, or the empty text on failure. `directGet`
// must go out directly (DirectHttpGet): the list download never changes the
// system's or a browser's proxy settings, even while anonymity is on, so
// nothing is ever pointed away from the Gateway for it.
std::string FetchProxyList(const std::string& url, const HttpGet& directGet);

}  // namespace veilport::proxypool
