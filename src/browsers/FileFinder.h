#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace veilport::browsers {

// Lists the directories of a tree and finds files or directories in them by a
// name pattern ("*" and "?" wildcards). A symbolic link to a folder is entered
// when that folder belongs to the user (profiles kept on another disk, or by a
// dot-file manager); a link to anyone else's folder is not, and is reported.
// Each directory is listed once however it is reached, so a loop cannot keep
// the walk going.
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
    // With `files`, a link to a regular file of the user's own counts as the
    // file (reading follows it; an atomic replace rewrites its target and keeps
    // the link); any other matching name that is no folder (a pipe, a device, a
    // link to one, to another user's file or to nothing) is reported among
    // unreachable(), never skipped in silence.
    void Search(std::string_view pattern, bool files, bool dirs);

    const std::filesystem::path& root() const { return root_; }
    const std::vector<std::filesystem::path>& directories() const { return directories_; }
    const std::vector<std::filesystem::path>& results() const { return results_; }

    // Folders below the root that could not be listed or entered, and matching
    // names that could not be taken as files, and why.
    struct Unreachable {
        std::filesystem::path folder;
        std::string reason;
    };
    const std::vector<Unreachable>& unreachable() const { return unreachable_; }

private:
    std::filesystem::path root_;
    std::vector<std::filesystem::path> directories_;
    std::vector<std::filesystem::path> results_;
    std::vector<Unreachable> unreachable_;
};

}  // namespace veilport::browsers
