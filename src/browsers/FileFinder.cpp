#include "browsers/FileFinder.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace veilport::browsers {

namespace fs = std::filesystem;

namespace {

using Identity = std::pair<dev_t, ino_t>;

enum class Kind { Other, File, Directory };

Kind KindOf(const fs::path& path, Identity* identity = nullptr) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return Kind::Other;
    if (identity) *identity = {info.st_dev, info.st_ino};
    if (S_ISREG(info.st_mode)) return Kind::File;
    if (S_ISDIR(info.st_mode)) return Kind::Directory;
    return Kind::Other;
}

// Entry names in the order the system enumerates them, without "." and "..".
// With `error`, a folder that cannot be listed leaves its errno there.
std::vector<std::string> EntryNames(const fs::path& dir, int* error = nullptr) {
    std::vector<std::string> names;
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) {
        if (error) *error = errno;
        return names;
    }
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(stream);
    return names;
}

// A symbolic link's folder, when the walk may enter it: a folder that belongs
// to the user. A link to anything else, or to nothing (as the lock link a
// running Firefox keeps), is no folder of a profile.
enum class LinkTarget { NotAFolder, OwnFolder, OthersFolder };

LinkTarget FollowLink(const fs::path& link, Identity& identity) {
    struct stat info {};
    if (::stat(link.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return LinkTarget::NotAFolder;
    identity = {info.st_dev, info.st_ino};
    return info.st_uid == ::geteuid() ? LinkTarget::OwnFolder : LinkTarget::OthersFolder;
}

// Why a name that is neither a folder nor a regular file is not a file to
// edit; nothing when it is a link to a regular file of this user's own.
std::optional<std::string> FileLinkProblem(const fs::path& path, const struct stat& own) {
    if (!S_ISLNK(own.st_mode)) return "not a regular file (a pipe, device or socket)";
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0)
        return "a link to nothing usable: " + std::string(std::strerror(errno));
    if (!S_ISREG(target.st_mode))
        return "a link to something other than a regular file (a folder, pipe or device)";
    if (target.st_uid != ::geteuid()) return "a link to a file of another user is not edited";
    return std::nullopt;
}

struct Walk {
    std::set<Identity> seen;
    std::vector<fs::path>& out;
    std::vector<FileFinder::Unreachable>& unreachable;

    void listBelow(const fs::path& dir, int depth) {
        if (depth >= FileFinder::kMaxDepth) return;
        int error = 0;
        const auto names = EntryNames(dir, &error);
        if (error != 0 && error != ENOENT)
            unreachable.push_back({dir, "cannot be read: " + std::string(std::strerror(error))});
        for (const auto& name : names) {
            const fs::path child = dir / name;
            Identity identity{};
            struct stat info {};
            if (::lstat(child.c_str(), &info) != 0) continue;
            if (S_ISLNK(info.st_mode)) {
                switch (FollowLink(child, identity)) {
                    case LinkTarget::NotAFolder:
                        continue;
                    case LinkTarget::OthersFolder:
                        unreachable.push_back(
                            {child, "a linked folder that belongs to another user is not entered"});
                        continue;
                    case LinkTarget::OwnFolder:
                        break;
                }
            } else if (S_ISDIR(info.st_mode)) {
                identity = {info.st_dev, info.st_ino};
            } else {
                continue;
            }
            // A folder reached a second time (a loop, or two links to one
            // folder) is searched once.
            if (!seen.insert(identity).second) continue;
            listBelow(child, depth + 1);
            out.push_back(child);
        }
    }
};

}  // namespace

void FileFinder::SetRoot(const fs::path& root, bool recursive) {
    std::string text = root.string();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    root_ = text;
    directories_.clear();
    unreachable_.clear();
    Identity identity{};
    if (KindOf(root_, &identity) == Kind::Other) {
        // A root given through a link (or missing) is still searched when it
        // leads to a directory: the caller named it on purpose.
        struct stat info {};
        if (::stat(root_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
        identity = {info.st_dev, info.st_ino};
    }
    if (recursive) {
        Walk walk{{identity}, directories_, unreachable_};
        walk.listBelow(root_, 0);
    }
    directories_.push_back(root_);
}

void FileFinder::Search(std::string_view pattern, bool files, bool dirs) {
    const std::string glob(pattern);
    for (const auto& dir : directories_) {
        for (const auto& name : EntryNames(dir)) {
            if (::fnmatch(glob.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
            const fs::path candidate = dir / name;
            struct stat info {};
            if (::lstat(candidate.c_str(), &info) != 0) continue;  // gone meanwhile
            if (S_ISDIR(info.st_mode)) {
                if (dirs) results_.push_back(candidate);
                continue;
            }
            if (!files) continue;
            if (S_ISREG(info.st_mode)) {
                results_.push_back(candidate);
                continue;
            }
            // A file kept elsewhere by a dot-file manager is the user's file
            // all the same; whatever else answers to the name would be
            // skipped in silence if it were not reported.
            if (const auto why = FileLinkProblem(candidate, info)) {
                unreachable_.push_back({candidate, *why});
            } else {
                results_.push_back(candidate);
            }
        }
    }
}

}  // namespace veilport::browsers
