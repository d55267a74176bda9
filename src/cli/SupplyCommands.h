#pragma once

#include "cli/Command.h"

namespace veilport::cli {

// veilportctl sources list|add|remove|fetch|check: the user's list sources.
Command SourcesCommand();
// veilportctl whatismyip: the real address and the one web sites see now.
Command WhatIsMyIpCommand();

}  // namespace veilport::cli
