#pragma once

// What "veilportctl anonymity status" prints, built in one place so the
// running program's answer and the command line's own (no program running)
// read the same.

#include <string>

namespace veilport::proxypool {

// The state word as the status page shows it: "Enabled" while UseProxy is 1.
std::string AnonymityStateWord();

// Four lines: "Online Anonymity: <state word>", "Upstream: <ProxyName or
// (none)>", "Local port: <LocalPort>", "Gateway: listening|not listening".
std::string AnonymityStatusText(bool gatewayListening);

}  // namespace veilport::proxypool
