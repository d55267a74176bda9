#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl gateway: runs the Gateway in the foreground until SIGINT or SIGTERM.
Command GatewayCommand();

}  // namespace veilport::cli
