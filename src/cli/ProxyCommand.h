#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl proxy: show, set and clear the system proxy with the browsers.
Command ProxyCommand();

}  // namespace veilport::cli
