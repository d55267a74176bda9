#pragma once

#include <filesystem>

namespace veilport::browsers {

// Points every prefs.js found below `root` (at any depth, deepest directories
// first) at the Gateway. Files that vanish meanwhile or cannot be read or
// written are left as they were; nothing is reported.
void SetMozillaProxy(const std::filesystem::path& root);

// Takes the port and type settings out of every prefs.js below `root`.
void RestoreMozillaProxy(const std::filesystem::path& root);

}  // namespace veilport::browsers
