#include "cleaner/DeleteTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cleaner/WipeIndexFile.h"
#include "platform/io/UniqueFd.h"
#include "platform/text/Ascii.h"

namespace veilport::cleaner {

namespace {

// Gives mode bits back without following a link. A failure is left to the
// deletion that follows, which then fails or not on its own.
void addModeBits(int dirFd, const char* name, mode_t mode) {
    if (::fchmodat(dirFd, name, mode, AT_SYMLINK_NOFOLLOW) != 0) return;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

class TreeWalk {
public:
    TreeWalk(PassContext& context, dev_t device, bool deleteDesktopIni, bool wipeIndexDat)
        : context_(context),
          device_(device),
          deleteDesktopIni_(deleteDesktopIni),
          wipeIndexDat_(wipeIndexDat) {}

    // Empties the folder open as `dirFd`; true when nothing is left in it.
    bool empty(int dirFd, const std::string& shownPath, int depth) {
        const int listFd = ::dup(dirFd);
        if (listFd < 0) return false;
        std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listFd));
        if (!dir) {
            ::close(listFd);
            return false;
        }
        bool allGone = true;
        while (const dirent* entry = ::readdir(dir.get())) {
            if (context_.stop.stop_requested()) return false;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (!removeEntry(dirFd, entry->d_name, shownPath + "/" + entry->d_name, depth))
                allGone = false;
        }
        return allGone;
    }

private:
    // True when the entry is gone (or would be, in a dry run).
    bool removeEntry(int dirFd, const char* name, const std::string& shown, int depth) {
        struct stat st {};
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
        if (context_.protectedPaths.isStoreFile(st)) return false;
        if (S_ISDIR(st.st_mode)) return removeFolder(dirFd, name, st, shown, depth);
        if (!deleteDesktopIni_ && text::equalsIgnoringAsciiCase(name, "desktop.ini")) return false;
        const bool regular = S_ISREG(st.st_mode);
        const RemovedKind kind = S_ISLNK(st.st_mode) ? RemovedKind::Link : RemovedKind::File;
        const auto bytes = regular ? static_cast<std::uint64_t>(st.st_size) : 0;
        if (context_.dryRun) return reportFile(kind, shown, bytes);
        // The write bit matters for the wipe; a file with another name
        // elsewhere is not ours alone, so its mode is left as it is.
        if (regular && st.st_nlink == 1 && !(st.st_mode & S_IWUSR))
            addModeBits(dirFd, name, (st.st_mode & 07777) | S_IWUSR);
        if (regular && wipeIndexDat_ && text::equalsIgnoringAsciiCase(name, "index.dat"))
            (void)WipeIndexFile(dirFd, name);
        if (::unlinkat(dirFd, name, 0) != 0) return errno == ENOENT;
        return reportFile(kind, shown, bytes);
    }

    bool removeFolder(int dirFd, const char* name, const struct stat& st, const std::string& shown,
                      int depth) {
        // Another file system mounted inside the tree, or a protected folder
        // bound into it, is not part of what the user asked to empty.
        if (st.st_dev != device_ || !context_.protectedPaths.folderRefusal(st).empty())
            return false;
        if (depth >= kMaxTreeDepth) return false;
        if (!context_.dryRun && (st.st_mode & S_IRWXU) != S_IRWXU)
            addModeBits(dirFd, name, (st.st_mode & 07777) | S_IRWXU);
        if (context_.beforeOpeningFolder) context_.beforeOpeningFolder(shown);
        io::UniqueFd sub(
            ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!sub) return errno == ENOENT;
        // The name may have been swapped for another folder since it was
        // looked at; walk only the one that was checked.
        struct stat opened {};
        if (::fstat(sub.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
            opened.st_ino != st.st_ino)
            return false;
        const bool emptied = empty(sub.get(), shown, depth + 1);
        sub.reset();
        if (!emptied) return false;
        if (context_.dryRun) return report(RemovedKind::Folder, shown);
        // Removing by name again: if the name is now a link, this fails and the
        // link's target is never reached.
        if (::unlinkat(dirFd, name, AT_REMOVEDIR) != 0) return errno == ENOENT;
        return report(RemovedKind::Folder, shown);
    }

    bool reportFile(RemovedKind kind, const std::string& shown, std::uint64_t bytes) {
        context_.observer.removedFile(kind, shown, bytes);
        return true;
    }

    bool report(RemovedKind kind, const std::string& shown) {
        context_.observer.removed(kind, shown);
        return true;
    }

    PassContext& context_;
    dev_t device_;
    bool deleteDesktopIni_;
    bool wipeIndexDat_;
};

}  // namespace

bool DeleteTree(const std::filesystem::path& directory, bool deleteDesktopIni, bool wipeIndexDat,
                PassContext& context) {
    const auto refuse = [&](std::string_view reason) {
        context.observer.refused(context.task, directory, reason);
        return false;
    };
    if (directory.empty()) return refuse("the path is empty");
    if (directory.is_relative()) return refuse("the path is not absolute");
    // Without its trailing separators, so that a link named last is seen as one.
    std::string shown = directory.string();
    while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    io::UniqueFd dir(
        ::open(shown.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!dir) {
        // A link named last fails as a link or as "not a folder", by kernel.
        struct stat st {};
        if ((errno == ELOOP || errno == ENOTDIR) && ::lstat(shown.c_str(), &st) == 0 &&
            S_ISLNK(st.st_mode))
            return refuse("it is a symbolic link");
        return false;
    }
    struct stat st {};
    if (::fstat(dir.get(), &st) != 0) return false;
    if (const auto reason = context.protectedPaths.folderRefusal(st); !reason.empty())
        return refuse(reason);
    TreeWalk walk(context, st.st_dev, deleteDesktopIni, wipeIndexDat);
    (void)walk.empty(dir.get(), shown, 0);
    return true;
}

}  // namespace veilport::cleaner
