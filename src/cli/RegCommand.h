#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl reg: query, set, delete and list registry values and keys.
Command RegCommand();

}  // namespace veilport::cli
