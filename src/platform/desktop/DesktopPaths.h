#pragma once

#include <filesystem>

namespace veilport::desktop {

// $XDG_CONFIG_HOME when set and absolute, else ~/.config; read afresh on each
// call so tests can point it at a throwaway home.
std::filesystem::path configHome();

}  // namespace veilport::desktop
