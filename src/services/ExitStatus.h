#pragma once

namespace veilport::services {

// The exit statuses of veilportctl, and of the running Veilport's answers to
// the requests veilportctl hands it, which veilportctl passes on as they are.
inline constexpr int kExitOk = 0;
// Nothing there: no such value, no list, no answer, no Veilport, no proxy.
inline constexpr int kExitNotFound = 1;
inline constexpr int kExitUsage = 2;
// A change was refused or could not be made, wholly or in part (a file not
// written, a port taken, a target of the proxy switch that failed).
inline constexpr int kExitFailed = 3;

}  // namespace veilport::services
