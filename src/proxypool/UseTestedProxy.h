#pragma once

// Switching to a proxy of the tested list without a new test, and emptying the
// tested list from the status page.

#include <string>

#include "proxypool/GatewayControl.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/PoolUi.h"
#include "proxypool/TestedProxyList.h"

namespace veilport::proxypool {

// With anonymity on and an address given: the Gateway's upstream becomes the
// address, ProxyName the address, and the status line names it with its
// country. True when the switch happened. An address whose port is not 1 to
// 65535 is refused with "Cannot Start Proxy!" (through messages, when given):
// the Gateway would not take it, so ProxyName and the status line stay as
// they are rather than announce a proxy that carries no traffic.
bool UseTestedProxy(const std::string& address, const std::string& country, GatewayControl& gateway,
                    StatusLine& statusLine, UserMessages& messages);
bool UseTestedProxy(const std::string& address, const std::string& country, GatewayControl& gateway,
                    StatusLine& statusLine);

// A choice in the status page's Tested drop-down (other than "Perform empty
// list"): ProxyName becomes the whole entry whatever UseProxy holds, then
// UseTestedProxy with its address and country. An entry with an unusable port
// changes nothing and shows "Cannot Start Proxy!".
bool UseTestedDropDownEntry(const std::string& entry, GatewayControl& gateway,
                            StatusLine& statusLine, UserMessages& messages);

// "Perform empty list": asks first (No is the default); on Yes the drop-down
// keeps only that entry, the tested list loses every row, and MyProxies.txt is
// left empty. A file that cannot be written is reported through messages. On
// No nothing changes.
FileWriteResult PerformEmptyList(TestedProxyList& tested, TestedListMirror& dropDown,
                                 UserMessages& messages);

}  // namespace veilport::proxypool
