#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "cleaner/SiteKeepList.h"
#include "platform/registry/SqliteHandle.h"

namespace veilport::cleaner {

// One of a browser's SQLite files, opened for a pass: never created, never
// through a link, checked for damage, and changed only inside one
// transaction, which `commit` ends and which is rolled back otherwise. Freed
// pages are overwritten, so that removed rows do not linger in the file.
//
// A preview works on a private copy of the file (with its write-ahead log or
// journal), removed afterwards: the counts are then exactly the pass's, and
// the browser's file is not touched at all (even closing a file in WAL mode
// would write to it).
//
// Statements may call kept_site(host), which is 1 for a host the keep list
// keeps; the list must outlive the object.
class BrowserDatabase {
public:
    // Why the file could not be opened for cleaning, or nullopt when it is
    // open and a transaction has begun. A file that is missing is reported as
    // an empty reason: there is nothing to clean in it.
    [[nodiscard]] std::optional<std::string> open(const std::filesystem::path& file,
                                                  const SiteKeepList& keep, bool preview);
    ~BrowserDatabase();

    [[nodiscard]] bool hasTable(std::string_view table);
    [[nodiscard]] bool hasColumn(std::string_view table, std::string_view column);

    // Runs one statement; the rows it changed, or nullopt with `error` set.
    [[nodiscard]] std::optional<std::uint64_t> run(std::string_view sql, std::string& error);

    // Makes the changes permanent; false with `error` set when they could not be.
    [[nodiscard]] bool commit(std::string& error);

private:
    // The copy a preview works on.
    [[nodiscard]] std::optional<std::string> copyForPreview(const std::filesystem::path& file,
                                                            std::filesystem::path& copy);

    registry::SqliteDb db_;
    bool inTransaction_ = false;
    std::filesystem::path scratch_;
};

}  // namespace veilport::cleaner
