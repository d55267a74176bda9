#pragma once

#include <filesystem>

#include "browsers/SwitchReport.h"

namespace veilport::browsers {

// Points every prefs.js found below `root` (at any depth, deepest directories
// first) at the Gateway. Files that vanish meanwhile are skipped; a file that
// cannot be read or written is left as it was. The report lists every file,
// and every folder below the root that could not be searched.
SwitchReport SetMozillaProxy(const std::filesystem::path& root);

// Takes the port and type settings out of every prefs.js below `root`.
SwitchReport RestoreMozillaProxy(const std::filesystem::path& root);

}  // namespace veilport::browsers
