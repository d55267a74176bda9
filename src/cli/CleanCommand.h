#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl clean: one cleaning pass now, with the stored task flags, or a
// list of what it would remove (--dry-run).
Command CleanCommand();

}  // namespace veilport::cli
