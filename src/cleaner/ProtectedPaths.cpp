#include "cleaner/ProtectedPaths.h"

#include <filesystem>
#include <system_error>

#include "platform/home/VeilportHome.h"
#include "platform/inet/UrlCache.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Registry.h"

namespace veilport::cleaner {

namespace {

bool identityOf(const std::filesystem::path& path, ProtectedPaths::Identity& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out = {st.st_dev, st.st_ino};
    return true;
}

ProtectedPaths::Identity identityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

}  // namespace

ProtectedPaths ProtectedPaths::current() {
    ProtectedPaths result;
    for (const auto& store :
         {registry::storePath(), inet::UrlCache::indexPath(), inet::UrlHistory::listPath()}) {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            Identity id{};
            if (identityOf(store.string() + suffix, id)) result.storeFiles_.push_back(id);
        }
    }
    const auto addWithParents = [&](const std::filesystem::path& folder, std::string_view self,
                                    std::string_view holder) {
        std::error_code ec;
        auto path = std::filesystem::weakly_canonical(folder, ec);
        if (ec) path = folder;
        Identity id{};
        if (identityOf(path, id)) result.folders_.push_back({id, self});
        while (path.has_relative_path()) {
            path = path.parent_path();
            if (identityOf(path, id)) result.folders_.push_back({id, holder});
        }
    };
    Identity root{};
    if (identityOf("/", root)) result.folders_.push_back({root, "it is the root folder"});
    addWithParents(home::userHome(), "it is your home folder", "it holds your home folder");
    addWithParents(home::veilportHome(), "it is the Veilport home, where the settings live",
                   "it holds the Veilport home, where the settings live");
    return result;
}

bool ProtectedPaths::isStoreFile(const struct stat& st) const {
    const Identity id = identityOf(st);
    for (const auto& file : storeFiles_)
        if (file == id) return true;
    return false;
}

std::string_view ProtectedPaths::folderRefusal(const struct stat& st) const {
    const Identity id = identityOf(st);
    // The root is listed first and a home before the folders that hold it, so
    // the most telling reason wins.
    for (const auto& folder : folders_)
        if (folder.id == id) return folder.reason;
    return {};
}

}  // namespace veilport::cleaner
