// Opening the store: the file, its schema and settings, and the statements
// every operation uses. The operations themselves are in RegistryStore.cpp.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/registry/RegistryStore.h"

namespace veilport::registry {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    path TEXT NOT NULL UNIQUE,
    security BLOB);
CREATE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, path);
CREATE TABLE IF NOT EXISTS vals(
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, fold));
INSERT OR IGNORE INTO keys(id, parent, name, path) VALUES
    (1, 0, 'HKEY_LOCAL_MACHINE', '1'),
    (2, 0, 'HKEY_CURRENT_USER', '2'),
    (3, 0, 'HKEY_CLASSES_ROOT', '3');
)sql";

// Other processes may hold the write lock for a moment; wait rather than fail.
constexpr int kBusyWaitMs = 15000;

}  // namespace

std::shared_ptr<RegistryStore> RegistryStore::open(const std::filesystem::path& file) {
    auto store = std::make_shared<RegistryStore>(file);
    std::string error;
    if (!store->setUp(error)) {
        store->db_.reset();
        store->reportUnavailable(error);
    }
    return store;
}

void RegistryStore::reportUnavailable(const std::string& reason) {
    problem_ = reason.empty() ? "unknown error" : reason;
    std::fprintf(stderr,
                 "veilport: cannot use the settings store %s: %s; settings read as their "
                 "defaults and changes are not saved\n",
                 file_.c_str(), reason.c_str());
}

bool RegistryStore::setUp(std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    if (ec) {
        error = "cannot create " + file_.parent_path().string() + " (" + ec.message() + ")";
        return false;
    }
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(file_.c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) {
        error = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        return false;
    }
    if (sqlite3_db_readonly(raw, "main") == 1) {
        error = "the file is read-only";
        return false;
    }
    sqlite3_busy_timeout(raw, kBusyWaitMs);
    // WAL keeps readers and the writer of other processes out of each other's
    // way; NORMAL syncing is still safe against a killed process, which is the
    // failure that matters here.
    const char* pragmas =
        "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF;";
    if (!execRetryingWhileBusy(raw, pragmas, error) || !execRetryingWhileBusy(raw, kSchema, error))
        return false;
    // A file that merely looks like a database may still be damaged inside.
    SqliteStatement check(raw, "PRAGMA quick_check");
    if (!check.ok() || check.step() != SQLITE_ROW || check.columnText(0) != "ok") {
        error = "the file is damaged";
        return false;
    }
    check.reset();
    prepare();
    // Without the watch every read simply goes to the file.
    watch_.watch(file_);
    return true;
}

void RegistryStore::prepare() {
    sqlite3* db = db_.get();
    findKey_ = SqliteStatement(db, "SELECT id FROM keys WHERE path = ?1");
    keyExists_ = SqliteStatement(db, "SELECT 1 FROM keys WHERE id = ?1");
    insertKey_ = SqliteStatement(db, "INSERT INTO keys(parent, name, path) VALUES(?1, ?2, ?3)");
    childCount_ = SqliteStatement(db, "SELECT count(*) FROM keys WHERE parent = ?1");
    findValue_ = SqliteStatement(db, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
    upsertValue_ = SqliteStatement(
        db,
        "INSERT INTO vals(key, name, fold, type, data) SELECT ?1, ?2, ?3, ?4, ?5 "
        "WHERE EXISTS(SELECT 1 FROM keys WHERE id = ?1) "
        "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    removeValue_ = SqliteStatement(db, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    nthChild_ = SqliteStatement(
        db, "SELECT name FROM keys WHERE parent = ?1 ORDER BY path LIMIT 1 OFFSET ?2");
    nthValue_ = SqliteStatement(
        db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
    countValues_ = SqliteStatement(db, "SELECT count(*) FROM vals WHERE key = ?1");
    // A key's tree is its own path and every path below it: those starting with
    // "path\" sort between "path\" and "path]", ']' following '\' in ASCII.
    removeTreeValues_ =
        SqliteStatement(db,
                        "DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE path = ?1 OR "
                        "(path > ?1 || '\\' AND path < ?1 || ']'))");
    removeTreeKeys_ = SqliteStatement(
        db, "DELETE FROM keys WHERE path = ?1 OR (path > ?1 || '\\' AND path < ?1 || ']')");
    removeKeyValues_ = SqliteStatement(db, "DELETE FROM vals WHERE key = ?1");
    removeKey_ = SqliteStatement(db, "DELETE FROM keys WHERE id = ?1");
    getSecurity_ = SqliteStatement(db, "SELECT security FROM keys WHERE id = ?1");
    setSecurity_ = SqliteStatement(db, "UPDATE keys SET security = ?2 WHERE id = ?1");
    begin_ = SqliteStatement(db, "BEGIN IMMEDIATE");
    commit_ = SqliteStatement(db, "COMMIT");
    rollback_ = SqliteStatement(db, "ROLLBACK");
}

}  // namespace veilport::registry
