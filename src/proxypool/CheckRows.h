#pragma once

// The facts of one proxy check as the tester shows them, one row a fact, and
// as `veilportctl test` prints them.

#include <string>
#include <vector>

#include "proxypool/ProxyJudge.h"
#include "proxypool/ProxyTesterSession.h"

namespace veilport::proxypool {

inline constexpr const char* kTaskJudge = "Request through the proxy";
inline constexpr const char* kTaskFirstByte = "Time to first byte";
inline constexpr const char* kTaskExitAddress = "Exit address";
inline constexpr const char* kTaskLevel = "Anonymity level";
inline constexpr const char* kTaskHttps = "HTTPS";
inline constexpr const char* kTaskCountry = "Exit country";
inline constexpr const char* kNoJudge = "No judge reachable: connect time only";
inline constexpr const char* kProxyDoesNotWork = "Proxy does not work";

// "Yes", "No" or "Not checked".
std::string HttpsText(HttpsSupport https);

// The rows after the connect rows: the judge's findings, or that no judge
// answered. Nothing for a proxy that did not connect.
std::vector<TesterRow> JudgeRows(const ProxyCheck& check);

}  // namespace veilport::proxypool
