#include "cleaner/BrowserDatabase.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace veilport::cleaner {

namespace {

constexpr int kBusyWaitMs = 250;

void KeptSite(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const auto* keep = static_cast<const SiteKeepList*>(sqlite3_user_data(context));
    const auto* text = argc == 1 ? sqlite3_value_text(argv[0]) : nullptr;
    const bool kept = text != nullptr && keep->keeps(reinterpret_cast<const char*>(text));
    sqlite3_result_int(context, kept ? 1 : 0);
}

std::string Message(sqlite3* db) {
    return sqlite3_errmsg(db);
}

bool IsLocked(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool IsDamaged(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// What SQLite's own check of the file's structure finds wrong, or empty.
std::string QuickCheck(sqlite3* db) {
    registry::SqliteStatement check(db, "PRAGMA quick_check(1)");
    if (!check.ok()) return Message(db);
    const int step = check.step();
    if (step != SQLITE_ROW) return Message(db);
    const std::string verdict = check.columnText(0);
    return verdict == "ok" ? std::string() : verdict;
}

}  // namespace

std::optional<std::string> BrowserDatabase::open(const std::filesystem::path& file,
                                                 const SiteKeepList& keep) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        if (errno == ENOENT) return std::string();
        return "cannot be read: " + std::string(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) return std::string("is not a plain file; left alone");
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(
        file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_PRIVATECACHE,
        nullptr);
    db_.reset(raw);
    if (opened != SQLITE_OK) return "cannot be opened: " + std::string(sqlite3_errstr(opened));
    sqlite3_busy_timeout(db_.get(), kBusyWaitMs);
    sqlite3_create_function(db_.get(), "kept_site", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                            const_cast<SiteKeepList*>(&keep), &KeptSite, nullptr, nullptr);

    // Taking the write lock first: a browser (or anything else) using the
    // file makes this fail at once, before anything is read or changed.
    const int begun = sqlite3_exec(db_.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (begun != SQLITE_OK) {
        if (IsLocked(begun)) return std::string("is locked by another program; left alone");
        if (IsDamaged(begun)) return "is damaged (" + Message(db_.get()) + "); left alone";
        return "cannot be opened: " + Message(db_.get());
    }
    inTransaction_ = true;
    if (const auto problem = QuickCheck(db_.get()); !problem.empty())
        return "is damaged (" + problem + "); left alone";
    if (sqlite3_exec(db_.get(), "PRAGMA secure_delete = ON", nullptr, nullptr, nullptr) != SQLITE_OK)
        return "cannot be prepared for cleaning: " + Message(db_.get());
    return std::nullopt;
}

BrowserDatabase::~BrowserDatabase() {
    if (inTransaction_) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

bool BrowserDatabase::hasTable(std::string_view table) {
    registry::SqliteStatement query(
        db_.get(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    return query.ok() && query.bind(1, table).step() == SQLITE_ROW;
}

bool BrowserDatabase::hasColumn(std::string_view table, std::string_view column) {
    registry::SqliteStatement query(db_.get(),
                                    "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
    return query.ok() && query.bind(1, table).bind(2, column).step() == SQLITE_ROW;
}

std::optional<std::uint64_t> BrowserDatabase::run(std::string_view sql, std::string& error) {
    registry::SqliteStatement statement(db_.get(), sql);
    if (!statement.ok() || statement.run() != SQLITE_DONE) {
        error = Message(db_.get());
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(sqlite3_changes64(db_.get()));
}

bool BrowserDatabase::commit(std::string& error) {
    if (sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = Message(db_.get());
        return false;
    }
    inTransaction_ = false;
    return true;
}

}  // namespace veilport::cleaner
