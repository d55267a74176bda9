#include "cleaner/BrowserDatabase.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/io/UniqueFd.h"

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

// Whether another process holds one of SQLite's locks on the file, as a
// writer (or a reader) does: the lock bytes of the main file, or any of the
// shared-memory file of the write-ahead log. A preview, which works on a copy,
// asks this to report what the pass would find.
bool HeldByAnother(const std::filesystem::path& file) {
    const auto probe = [](const std::filesystem::path& path, off_t start, off_t length) {
        io::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!fd) return false;
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = start;
        lock.l_len = length;
        return ::fcntl(fd.get(), F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    };
    constexpr off_t kPendingByte = 0x40000000;
    return probe(file, kPendingByte, 2 + 510) || probe(file.string() + "-shm", 0, 0);
}

}  // namespace

std::optional<std::string> BrowserDatabase::copyForPreview(const std::filesystem::path& file,
                                                           std::filesystem::path& copy) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veilport-preview-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return "cannot be copied for the preview: " + std::string(std::strerror(errno));
    scratch_ = pattern;
    copy = scratch_ / file.filename();
    for (const char* suffix : {"", "-wal", "-journal"}) {
        const std::filesystem::path from = file.string() + suffix;
        std::error_code error;
        if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(from))) continue;
        std::filesystem::copy_file(from, copy.string() + suffix, error);
        if (error) return "cannot be copied for the preview: " + error.message();
    }
    return std::nullopt;
}

std::optional<std::string> BrowserDatabase::open(const std::filesystem::path& file,
                                                 const SiteKeepList& keep, bool preview) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        if (errno == ENOENT) return std::string();
        return "cannot be read: " + std::string(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) return std::string("is not a plain file; left alone");
    std::filesystem::path target = file;
    if (preview) {
        if (HeldByAnother(file)) return std::string("is locked by another program; left alone");
        if (auto problem = copyForPreview(file, target)) return problem;
    }
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(
        target.c_str(), &raw,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_PRIVATECACHE, nullptr);
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
    if (sqlite3_exec(db_.get(), "PRAGMA secure_delete = ON", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return "cannot be prepared for cleaning: " + Message(db_.get());
    return std::nullopt;
}

BrowserDatabase::~BrowserDatabase() {
    if (inTransaction_) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    db_.reset();
    std::error_code error;
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_, error);
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
