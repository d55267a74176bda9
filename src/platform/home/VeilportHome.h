#pragma once

#include <filesystem>

namespace veilport::home {

// The folder that holds Veilport's store and files: $VEILPORT_HOME when set,
// else $XDG_CONFIG_HOME/veilport, else ~/.config/veilport. Read afresh on each
// call so tests can point it elsewhere. Not created here.
std::filesystem::path veilportHome();

// The user's home folder: $HOME, else the password database's entry.
std::filesystem::path userHome();

}  // namespace veilport::home
