#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl browsers: which browsers are found here and their flags.
Command BrowsersCommand();

}  // namespace veilport::cli
