#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace veilport::process {

// The per-user folder for the program's sockets and lock files. Whoever can
// write there can replace a socket and receive every command meant for the
// program, or hold its lock, so a folder is used only when it belongs to this
// user and nobody else can write to it:
//  - $XDG_RUNTIME_DIR when it names such a folder;
//  - else a folder of our own, veilport-<uid> under /tmp, created with mode
//    0700. One that exists already is used only when it is a real folder (not
//    a link), owned by this user, mode 0700: another user may have made it
//    first, and then there is no usable folder (permission denied).
// Read afresh on each call so tests can point it elsewhere.
[[nodiscard]] std::filesystem::path runtimeDir(std::error_code& ec);

// The same rule over given places: xdg is the value of $XDG_RUNTIME_DIR (null
// when unset), fallbackParent the folder the private folder goes in.
[[nodiscard]] std::filesystem::path runtimeDirFrom(const char* xdg,
                                                   const std::filesystem::path& fallbackParent,
                                                   std::error_code& ec);

// When there is no usable runtime folder: a sentence a person can act on,
// naming the folder and what is wrong with it. Empty when there is one.
[[nodiscard]] std::string runtimeDirProblem();

}  // namespace veilport::process
