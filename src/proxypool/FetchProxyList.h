#pragma once

#include <string>

#include "proxypool/ProxyListService.h"
#include "proxypool/ProxySwitch.h"

namespace veilport::proxypool {

// The system-proxy text that points the machine at the Gateway: "127.0.0.1:"
// and LocalPort.
std::string GatewayProxyAddress();

// Downloads url with the system proxy switched off for the request, so it goes
// out directly even while anonymity is on. Afterwards, when UseProxy is 1, the
// machine is pointed back at the Gateway, as it was before. The body, or the
// empty text on failure.
std::string FetchProxyList(const std::string& url, ProxySwitch& connection, const HttpGet& get);

// The two halves of FetchProxyList around its download, for windows that wait
// for the download off their own thread: first the machine goes direct, and
// after the download it is pointed back at the Gateway when UseProxy is 1.
void BeginListFetch(ProxySwitch& connection);
void EndListFetch(ProxySwitch& connection);

}  // namespace veilport::proxypool
