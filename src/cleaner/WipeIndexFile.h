#pragma once

#include <filesystem>
#include <string_view>

namespace veilport::cleaner {

// Overwrites the index file `name` in the folder `dirFd` with zeros from byte
// 64 to its end, in blocks of at most 10000 bytes, and forces the zeros to the
// disk so that deleting the file afterwards cannot leave the old bytes there.
// Only a regular file with no other hard link is written, and a link is never
// followed: neither can make the wipe reach a file outside the tree. False when
// the file was not written (missing, busy, not ours to write, 64 bytes or fewer).
bool WipeIndexFile(int dirFd, const char* name);
bool WipeIndexFile(const std::filesystem::path& directory, std::string_view name);

inline constexpr long kIndexHeaderSize = 64;
inline constexpr std::size_t kWipeBlockSize = 10000;

}  // namespace veilport::cleaner
