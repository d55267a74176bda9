#pragma once

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
FileWriteResult TestAllProxies(TestedProxyList& tested, const ConnectMeasure& measure,
                               StatusLine& statusLine, UserMessages& messages);

}  // namespace veilport::proxypool
