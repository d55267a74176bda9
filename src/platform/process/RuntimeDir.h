#pragma once

#include <filesystem>
#include <system_error>

namespace veilport::process {

// The per-user folder for the program's sockets and lock files: $XDG_RUNTIME_DIR
// when it names a folder, else a private folder of our own under /tmp that is
// created with mode 0700. A folder of our own that exists already is used only
// when it is a real folder (not a link), owned by this user and closed to
// everyone else: otherwise another user could plant sockets or locks in it.
// Read afresh on each call so tests can point it elsewhere.
[[nodiscard]] std::filesystem::path runtimeDir(std::error_code& ec);

}  // namespace veilport::process
