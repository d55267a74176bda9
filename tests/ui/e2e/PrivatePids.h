#pragma once

#include <string>

namespace veilport::testing {

// Why the tests run without a PID namespace of their own (and must be
// skipped, since they would see every process of the user), or empty.
std::string& NoPrivatePidsReason();

}  // namespace veilport::testing
