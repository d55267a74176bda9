#include "browsers/FileFinder.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

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
std::vector<std::string> EntryNames(const fs::path& dir) {
    std::vector<std::string> names;
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) return names;
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(stream);
    return names;
}

void ListBelow(const fs::path& dir, int depth, std::set<Identity>& seen,
               std::vector<fs::path>& out) {
    if (depth >= FileFinder::kMaxDepth) return;
    for (const auto& name : EntryNames(dir)) {
        const fs::path child = dir / name;
        Identity identity{};
        if (KindOf(child, &identity) != Kind::Directory || !seen.insert(identity).second) continue;
        ListBelow(child, depth + 1, seen, out);
        out.push_back(child);
    }
}

}  // namespace

void FileFinder::SetRoot(const fs::path& root, bool recursive) {
    std::string text = root.string();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    root_ = text;
    directories_.clear();
    Identity identity{};
    if (KindOf(root_, &identity) == Kind::Other) {
        // A root given through a link (or missing) is still searched when it
        // leads to a directory: the caller named it on purpose.
        struct stat info {};
        if (::stat(root_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
        identity = {info.st_dev, info.st_ino};
    }
    if (recursive) {
        std::set<Identity> seen{identity};
        ListBelow(root_, 0, seen, directories_);
    }
    directories_.push_back(root_);
}

void FileFinder::Search(std::string_view pattern, bool files, bool dirs) {
    const std::string glob(pattern);
    for (const auto& dir : directories_) {
        for (const auto& name : EntryNames(dir)) {
            if (::fnmatch(glob.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
            const fs::path candidate = dir / name;
            const Kind kind = KindOf(candidate);
            if ((files && kind == Kind::File) || (dirs && kind == Kind::Directory))
                results_.push_back(candidate);
        }
    }
}

}  // namespace veilport::browsers
