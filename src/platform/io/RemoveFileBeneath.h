#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>

namespace veilport::io {

enum class RemoveBeneath {
    Removed,
    // Nothing of that name is there (any more).
    Missing,
    // The name does not lie inside the folder, or reaching it would leave the
    // folder: a "..", a symbolic link or a folder of another file system on
    // the way, a folder as the last name, or a parent folder `mayRemoveFrom`
    // refused. Nothing was touched.
    Refused,
    // It lies inside but could not be removed.
    Failed,
};

// Removes the file `file` only when it lies inside `folder`. The names below
// the folder are walked one at a time by descriptors opened without following
// links and on the folder's own file system, so that no link, "..", mount or
// folder swapped in meanwhile can take the removal elsewhere; the last name is
// unlinked as it is (a link goes, never what it points to). Folders are never
// removed. `mayRemoveFrom`, when given, sees the folder that holds the last
// name as opened and may refuse it. Both paths must be absolute.
[[nodiscard]] RemoveBeneath removeFileBeneath(
    const std::filesystem::path& folder, const std::filesystem::path& file,
    const std::function<bool(const struct stat& parent)>& mayRemoveFrom = nullptr);

}  // namespace veilport::io
