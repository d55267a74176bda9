#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace veilport::browsers {

// Lists the directories of a tree and finds files or directories in them by a
// name pattern ("*" and "?" wildcards). Symbolic links are never followed and
// never returned, and each directory is listed once however the tree is
// mounted, so neither a link into another tree nor a loop can take the walk
// outside the root or keep it going.
class FileFinder {
public:
    // Deeper trees than this are not profile trees; the walk stops there.
    static constexpr int kMaxDepth = 64;

    // Takes `root` without trailing "/" or "\" and lists the directories to
    // search: with `recursive`, every directory below it depth first, each after
    // all directories below it, siblings in the order the system enumerates them,
    // and the root itself last; otherwise the root alone.
    void SetRoot(const std::filesystem::path& root, bool recursive);

    // Appends to the results, directory by directory in list order, each entry
    // matching `pattern`: regular files when `files`, directories when `dirs`.
    void Search(std::string_view pattern, bool files, bool dirs);

    const std::filesystem::path& root() const { return root_; }
    const std::vector<std::filesystem::path>& directories() const { return directories_; }
    const std::vector<std::filesystem::path>& results() const { return results_; }

private:
    std::filesystem::path root_;
    std::vector<std::filesystem::path> directories_;
    std::vector<std::filesystem::path> results_;
};

}  // namespace veilport::browsers
