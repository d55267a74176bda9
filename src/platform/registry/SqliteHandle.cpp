#include "platform/registry/SqliteHandle.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace veilport::registry {

bool execRetryingWhileBusy(sqlite3* db, const char* sql, std::string& error) {
    constexpr int kAttempts = 60;
    for (int attempt = 0;; ++attempt) {
        char* message = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
        if (rc == SQLITE_OK) return true;
        error = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        const int primary = rc & 0xFF;
        if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || attempt >= kAttempts)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10 + attempt));
    }
}

SqliteDb openWalDatabase(const std::filesystem::path& file, const char* schema, int busyWaitMs) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(file.c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteDb db(raw);
    if (rc != SQLITE_OK) return nullptr;
    sqlite3_busy_timeout(raw, busyWaitMs);
    std::string error;
    if (!execRetryingWhileBusy(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", error) ||
        !execRetryingWhileBusy(raw, schema, error))
        return nullptr;
    return db;
}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &raw, nullptr) == SQLITE_OK)
        stmt_.reset(raw);
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(stmt_.get(), index, value);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text) {
    sqlite3_bind_text(stmt_.get(), index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::span<const std::byte> blob) {
    // A zero-length blob must still bind as a blob, not as NULL.
    static const std::byte empty{};
    sqlite3_bind_blob(stmt_.get(), index, blob.empty() ? &empty : blob.data(),
                      static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    return *this;
}

int SqliteStatement::step() {
    return stmt_ ? sqlite3_step(stmt_.get()) : SQLITE_MISUSE;
}

int SqliteStatement::run() {
    int rc = step();
    while (rc == SQLITE_ROW) rc = step();
    reset();
    return rc;
}

void SqliteStatement::reset() {
    if (stmt_) {
        sqlite3_reset(stmt_.get());
        sqlite3_clear_bindings(stmt_.get());
    }
}

std::int64_t SqliteStatement::columnInt(int column) const {
    return sqlite3_column_int64(stmt_.get(), column);
}

std::string SqliteStatement::columnText(int column) const {
    const auto* text = sqlite3_column_text(stmt_.get(), column);
    const int size = sqlite3_column_bytes(stmt_.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string{};
}

std::span<const std::byte> SqliteStatement::columnBlob(int column) const {
    const void* data = sqlite3_column_blob(stmt_.get(), column);
    const int size = sqlite3_column_bytes(stmt_.get(), column);
    if (data == nullptr) return {};
    return {static_cast<const std::byte*>(data), static_cast<std::size_t>(size)};
}

}  // namespace veilport::registry
