#pragma once

#include <filesystem>

#include "cleaner/PassContext.h"

namespace veilport::cleaner {

// Empties the folder D: every file, link and sub-folder below it goes, D
// itself stays. A file named desktop.ini (in any letter case) is kept unless
// `deleteDesktopIni`, and so is every folder that holds one. With
// `wipeIndexDat`, a file named index.dat is wiped before it is deleted. A
// read-only file or folder gets its write bit back first, so that the wipe
// and the deletion can go through. Whatever cannot be removed stays, silently.
//
// The walk never leaves the tree: it goes by descriptors opened without
// following links, removes a link itself and never what it points to, stays
// on D's file system, and leaves the store files and the home folders alone
// wherever they turn up. D itself must not be a link. D is refused, with a
// report to the observer, when it is empty, relative, the root folder, the
// user's home, the Veilport home or a folder that holds one of them.
//
// False when D cannot be walked (missing, unreadable, refused); true otherwise.
bool DeleteTree(const std::filesystem::path& directory, bool deleteDesktopIni, bool wipeIndexDat,
                PassContext& context);

// Folders nested deeper than this below D are left in place: each level holds
// a descriptor open, and a tree built to be deep must not exhaust them.
inline constexpr int kMaxTreeDepth = 128;

}  // namespace veilport::cleaner
