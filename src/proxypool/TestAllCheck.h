#pragma once

// Test All with the judge: the tested list's proxies are checked many at a
// time off the window's thread, and each result is applied here, on the
// window's thread, to the list as it is at that moment. The row is found
// again by its address, so a proxy adopted or removed meanwhile stays as the
// user left it. A proxy that works gets its new times; one that fails is
// removed and the file saved, as Test All always did.

#include <string>
#include <vector>

#include "proxypool/ListedProxy.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/PoolUi.h"
#include "proxypool/ProxyJudge.h"
#include "proxypool/TestedProxyList.h"

namespace veilport::proxypool {

enum class TestAllOutcome { Updated, Removed, Gone, FileError };

// What to check for each row now: host and port as Test All splits a row.
std::vector<ListedProxy> TestedProxiesToCheck(const TestedProxyList& tested,
                                              std::vector<std::string>& addresses);

[[nodiscard]] TestAllOutcome ApplyTestAllCheck(TestedProxyList& tested, const std::string& address,
                                               const ProxyCheck& check, StatusLine& statusLine,
                                               UserMessages& messages);

}  // namespace veilport::proxypool
