#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// failover on|off|show: whether the Gateway moves to the next tested proxy
// when its upstream fails twice in a row.
Command FailoverCommand();

}  // namespace veilport::cli
