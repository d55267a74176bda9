#pragma once

#include <functional>
#include <string>
#include <vector>

#include "proxypool/ConnectTime.h"
#include "proxypool/MyProxiesFile.h"
#include "proxypool/PoolUi.h"
#include "proxypool/TestedProxyList.h"

namespace veilport::proxypool {

// The quick pass over the tested list, without the tester dialog: each row is
// measured; a row that passes gets its new response time and speed, a row that
// fails is removed at once and the file saved, so a dead proxy never stays.
// Stops early, with the message shown, when the file cannot be written. The
// tester dialog's settings values are left alone.
//
// The pass measures what the list held when it began, but every result goes
// into the list as it is at that moment: a row removed meanwhile stays removed,
// a row added meanwhile stays, and the file is always written from that list.

// One measured row: its address text (the row's key) and the connect time, 0
// when it failed.
struct ProxyTestResult {
    std::string address;
    std::uint32_t ms = 0;
};

// Measures each record in order (on any thread; it touches no list) and passes
// each result on as soon as it is known. `keepGoing`, when given, is asked
// before each row and again before its result is passed on; false ends the
// pass there (a measurement cut short by a stop is not a failed proxy).
void MeasureTestedProxies(const std::vector<ProxyRecord>& records, const ConnectMeasure& measure,
                          const std::function<void(const ProxyTestResult&)>& onResult,
                          const std::function<bool()>& keepGoing = {});

// Puts one result into the list as it is now: the row with that address gets
// the new times, or is removed and the file saved. A row that is gone is left
// gone. The message is shown when the file cannot be written.
FileWriteResult ApplyTestResult(TestedProxyList& tested, const ProxyTestResult& result,
                                StatusLine& statusLine, UserMessages& messages);

// Both on one thread, over the list as it is now.
FileWriteResult TestAllProxies(TestedProxyList& tested, const ConnectMeasure& measure,
                               StatusLine& statusLine, UserMessages& messages);

}  // namespace veilport::proxypool
