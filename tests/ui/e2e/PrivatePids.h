#pragma once

#include <string>

namespace veilport::testing {

// Why the tests run without a PID namespace of their own (and must be
// skipped, since they would see every process of the user), or empty.
std::string& NoPrivatePidsReason();

// Goes on in a child that is the first process of a private PID and mount
// namespace with a /proc of its own (the caller's process only waits and ends
// with the child's status). Returns in that child, or, where no namespace can
// be made, in the caller, with the reason the tests must be skipped, or empty.
std::string EnterPrivatePids();

}  // namespace veilport::testing
