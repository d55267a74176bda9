#pragma once

#include <cstdint>
#include <filesystem>

#include "browsers/SwitchReport.h"

namespace veilport::browsers {

// Points every prefs.js found below `root` (at any depth, deepest directories
// first) at the Gateway on 127.0.0.1:`port`, and sets the preferences that
// keep Firefox from going around it in the user.js beside each. What each
// file held is recorded in the switch journal before it is changed. Files that
// vanish meanwhile are skipped; a file that cannot be read, recorded or
// written is left as it was. The report lists every file, and every folder
// below the root that could not be searched.
SwitchReport SetMozillaProxy(const std::filesystem::path& root, std::uint16_t port);

// Puts every prefs.js and user.js below `root` back as the journal recorded
// them; a file the journal does not know loses the port, type and leak lines.
SwitchReport RestoreMozillaProxy(const std::filesystem::path& root);

// The journal's way back for a browser file found anywhere: prefs.js and
// user.js are merged back preference by preference when the user (or the
// browser) changed them since; other files go back whole or are left alone.
void RestoreJournaledBrowserFile(const std::string& file, SwitchReport& report);

}  // namespace veilport::browsers
