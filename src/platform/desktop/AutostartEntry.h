#pragma once

// The desktop's copy of the program's start-up entry. Linux desktops start
// at log-in what $XDG_CONFIG_HOME/autostart holds, so the Run value that the
// start-up options store (the record) is mirrored into a desktop entry there:
// present while the value holds a command, gone when it is emptied.

#include <filesystem>
#include <string>

namespace veilport::desktop {

// $XDG_CONFIG_HOME/autostart/veilport.desktop.
std::filesystem::path autostartEntryPath();

// The desktop entry that starts `command` (one program path) at log-in.
std::string autostartEntryText(const std::string& command);

// Writes the entry for a command, or removes it for an empty one (an entry
// that is not there stays absent). Entries that someone else wrote in that
// place are replaced or removed all the same: the name is ours. False when
// the file could not be written or removed.
[[nodiscard]] bool mirrorRunEntry(const std::string& command);

}  // namespace veilport::desktop
