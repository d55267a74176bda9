#pragma once

#include <filesystem>

namespace veilport {

// No installer runs on Linux, so the programs record the installation the way
// one would have: AppPath is the Veilport home (MyProxies.txt and the help file
// live there, and it is writable), AppFullPath the `veilport` executable beside
// the running program. Values that exist are never overwritten.
void RegisterInstallation(const std::filesystem::path& programDir);

// Folder of the running executable, from /proc/self/exe.
std::filesystem::path RunningProgramDir();

}  // namespace veilport
