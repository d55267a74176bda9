#include "platform/inet/UrlHistory.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/home/VeilportHome.h"

namespace veilport::inet {

namespace {
constexpr int kBusyWaitMs = 15000;
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS visits(
    url TEXT PRIMARY KEY,
    title TEXT NOT NULL,
    visited INTEGER NOT NULL);
)sql";
}  // namespace

std::filesystem::path UrlHistory::listPath() {
    return home::veilportHome() / "urlhistory.db";
}

std::unique_ptr<UrlHistory> UrlHistory::create() {
    auto db = registry::OpenWalDatabase(listPath(), kSchema, kBusyWaitMs);
    if (!db) return nullptr;
    return std::make_unique<UrlHistory>(std::move(db));
}

bool UrlHistory::addUrl(std::string_view url, std::string_view title) {
    registry::SqliteStatement add(db_.get(),
                                  "INSERT INTO visits(url, title, visited) VALUES(?1, ?2, ?3) "
                                  "ON CONFLICT(url) DO UPDATE SET title = excluded.title, "
                                  "visited = excluded.visited");
    if (!add.ok()) return false;
    add.bind(1, url).bind(2, title).bind(3, static_cast<std::int64_t>(std::time(nullptr)));
    return add.run() == SQLITE_DONE;
}

bool UrlHistory::queryUrl(std::string_view url) {
    registry::SqliteStatement query(db_.get(), "SELECT 1 FROM visits WHERE url = ?1");
    if (!query.ok()) return false;
    query.bind(1, url);
    return query.step() == SQLITE_ROW;
}

std::uint64_t UrlHistory::count() {
    registry::SqliteStatement query(db_.get(), "SELECT count(*) FROM visits");
    if (!query.ok() || query.step() != SQLITE_ROW) return 0;
    return static_cast<std::uint64_t>(query.columnInt(0));
}

bool UrlHistory::clearHistory() {
    return sqlite3_exec(db_.get(), "DELETE FROM visits", nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace veilport::inet
