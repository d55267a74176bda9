#pragma once

#include <filesystem>

namespace veilport {

// No installer runs on Linux, so the programs record the installation the way
// one would have:
// - AppPath, when absent, becomes the Veilport home (MyProxies.txt lives there,
//   and it is writable).
// - AppFullPath becomes the `veilport` program in `programDir`, so that the
//   start-up entry starts the program of this installation: the installed one
//   when installed, the build's when run from a build folder. It is written
//   when absent, and replaced only while it still holds the path the programs
//   recorded themselves (RecordedAppFullPath): a path a person stored is never
//   overwritten. Nothing is recorded when `programDir` holds no executable
//   `veilport`, since a start-up entry naming no program starts nothing.
void RegisterInstallation(const std::filesystem::path& programDir);

// Folder of the running executable, from /proc/self/exe.
std::filesystem::path RunningProgramDir();

}  // namespace veilport
