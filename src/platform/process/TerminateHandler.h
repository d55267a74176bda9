#pragma once

#include <system_error>

namespace veilport::process {

// Makes the terminate signal end this process at once with exit status 0 and
// without any cleanup: no destructors, no saving, nothing switched back. This
// is how another program (Quenchor) ends Veilport, as a forced termination with
// exit code 0 would.
[[nodiscard]] std::error_code installTerminateExitHandler();

}  // namespace veilport::process
