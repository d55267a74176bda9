#pragma once

// Whole-file reads and atomic replacement for the user's configuration files
// (prefs.js, ini files, kioslaverc): a crash or a full disk never leaves one
// half written, and a file that cannot be written stays as it was.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veilport::io {

// Larger files are not configuration files we should be editing in memory.
inline constexpr std::size_t kMaxConfigFileSize = 64u << 20;

// The whole file, or nullopt when it cannot be read or exceeds `limit` bytes;
// errno then says why (ENOENT for a missing file, EISDIR or EINVAL for
// something other than a regular file, EFBIG past the limit).
[[nodiscard]] std::optional<std::string> readWholeFile(const std::filesystem::path& file,
                                                       std::size_t limit = kMaxConfigFileSize);

// Writes `contents` to a temporary file beside `file`, flushes it to disk and
// renames it over `file`. The old file's permission bits are kept (0600 for a
// new one). A symbolic link is followed, so the file it names is replaced and
// the link stays. False, with `file` untouched and errno saying why, on any
// failure.
[[nodiscard]] bool replaceFileAtomically(const std::filesystem::path& file,
                                         std::string_view contents);

}  // namespace veilport::io
