#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace veilport::registry {

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteCloser>;

// Runs statements such as set-up pragmas and schema. While two processes
// create a file at the same moment, switching it to WAL can answer "busy"
// without SQLite's busy wait being consulted; such answers are retried for
// about 2.5 s. False with the reason in `error` otherwise.
[[nodiscard]] bool execRetryingWhileBusy(sqlite3* db, const char* sql, std::string& error);

// Opens (creating it and its folder when needed) a SQLite file in WAL mode with
// a busy wait of `busyWaitMs`, and runs `schema`. Nothing on any failure.
SqliteDb openWalDatabase(const std::filesystem::path& file, const char* schema, int busyWaitMs);

// A prepared statement that resets itself after each use, so it can be kept and
// run again. Bind indexes start at 1, as SQLite counts them.
class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, std::string_view sql);

    bool ok() const { return stmt_ != nullptr; }
    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, std::string_view text);
    SqliteStatement& bindBlob(int index, std::span<const std::byte> blob);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Runs to completion and resets; SQLITE_DONE on success.
    int run();
    void reset();

    std::int64_t columnInt(int column) const;
    std::string columnText(int column) const;
    std::span<const std::byte> columnBlob(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
    };
    std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

// Resets the statement when the scope ends, whatever path leaves it.
class StatementUse {
public:
    explicit StatementUse(SqliteStatement& stmt) : stmt_(stmt) {}
    ~StatementUse() { stmt_.reset(); }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    SqliteStatement* operator->() { return &stmt_; }

private:
    SqliteStatement& stmt_;
};

}  // namespace veilport::registry
