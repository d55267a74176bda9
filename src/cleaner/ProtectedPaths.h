#pragma once

#include <sys/stat.h>

#include <string_view>
#include <vector>

namespace veilport::cleaner {

// Files and folders a pass must never delete, empty or enter, named by device
// and inode so that no spelling of a path (links, "..", a second hard link)
// gets round them: the store files of the Veilport home, the root folder, the
// user's home, the Veilport home and every folder that holds one of them.
class ProtectedPaths {
public:
    struct Identity {
        dev_t device;
        ino_t inode;
        bool operator==(const Identity&) const = default;
    };

    // Looks the protected places up as they are now.
    static ProtectedPaths current();

    bool isStoreFile(const struct stat& st) const;
    // Why a folder may not be emptied, or empty when it may.
    std::string_view folderRefusal(const struct stat& st) const;

private:
    struct Folder {
        Identity id;
        std::string_view reason;
    };
    std::vector<Identity> storeFiles_;
    std::vector<Folder> folders_;
};

}  // namespace veilport::cleaner
