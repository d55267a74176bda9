#pragma once

#include <string>

#include "proxypool/ConnectionSwitch.h"
#include "proxypool/ProxyListService.h"

namespace veilport::proxypool {

// The system-proxy text that points the machine at the Gateway: "127.0.0.1:"
// and LocalPort.
std::string GatewayProxyAddress();

// Downloads url with the system proxy switched off for the request, so it goes
// out directly even while anonymity is on. Afterwards, when UseProxy is 1, the
// machine is pointed back at the Gateway, as it was before. The body, or the
// empty text on failure.
std::string FetchProxyList(const std::string& url, ConnectionSwitch& connection,
                           const HttpGet& get);

// The two halves of FetchProxyList around its download, for windows that wait
// for the download off their own thread: first the machine goes direct, and
// after the download it is pointed back at the Gateway when UseProxy is 1.
void BeginListFetch(ConnectionSwitch& connection);
void EndListFetch(ConnectionSwitch& connection);

}  // namespace veilport::proxypool
