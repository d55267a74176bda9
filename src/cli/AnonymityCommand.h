#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl anonymity on|off|status: the status page's switch, carried out by
// the running Veilport; without one, nothing is pointed at a Gateway that does
// not listen.
Command AnonymityCommand();

}  // namespace veilport::cli
