#include "platform/io/RemoveFileBeneath.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/io/UniqueFd.h"

namespace veilport::io {

namespace fs = std::filesystem;

namespace {

// The names of `path` without the empty and "." ones a trailing or doubled
// separator leaves.
std::vector<std::string> Names(const fs::path& path) {
    std::vector<std::string> names;
    for (const auto& part : path.relative_path()) {
        const std::string name = part.string();
        if (!name.empty() && name != ".") names.push_back(name);
    }
    return names;
}

}  // namespace

RemoveBeneath removeFileBeneath(const fs::path& folder, const fs::path& file,
                                const std::function<bool(const struct stat&)>& mayRemoveFrom) {
    if (!folder.is_absolute() || !file.is_absolute()) return RemoveBeneath::Refused;
    const auto base = Names(folder);
    const auto names = Names(file);
    if (names.size() <= base.size()) return RemoveBeneath::Refused;
    for (std::size_t i = 0; i < base.size(); ++i)
        if (names[i] != base[i]) return RemoveBeneath::Refused;
    for (std::size_t i = base.size(); i < names.size(); ++i)
        if (names[i] == "..") return RemoveBeneath::Refused;

    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir) return errno == ENOENT ? RemoveBeneath::Missing : RemoveBeneath::Refused;
    struct stat top {};
    if (::fstat(dir.get(), &top) != 0) return RemoveBeneath::Failed;
    struct stat parent = top;
    for (std::size_t i = base.size(); i + 1 < names.size(); ++i) {
        UniqueFd sub(::openat(dir.get(), names[i].c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!sub) return errno == ENOENT ? RemoveBeneath::Missing : RemoveBeneath::Refused;
        if (::fstat(sub.get(), &parent) != 0) return RemoveBeneath::Failed;
        if (parent.st_dev != top.st_dev) return RemoveBeneath::Refused;
        dir = std::move(sub);
    }
    if (mayRemoveFrom && !mayRemoveFrom(parent)) return RemoveBeneath::Refused;
    const char* last = names.back().c_str();
    struct stat st {};
    if (::fstatat(dir.get(), last, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? RemoveBeneath::Missing : RemoveBeneath::Failed;
    if (S_ISDIR(st.st_mode)) return RemoveBeneath::Refused;
    // A folder put in the file's place meanwhile fails here as a folder.
    if (::unlinkat(dir.get(), last, 0) != 0)
        return errno == ENOENT ? RemoveBeneath::Missing : RemoveBeneath::Failed;
    return RemoveBeneath::Removed;
}

}  // namespace veilport::io
