#include "platform/inet/UrlCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/home/VeilportHome.h"
#include "platform/io/RemoveFileBeneath.h"
#include "platform/io/UniqueFd.h"
#include "platform/registry/SqliteHandle.h"
#include "platform/shell/ShellFolders.h"
#include "platform/shell/UserName.h"
#include "platform/text/Ascii.h"

namespace veilport::inet {

namespace {

using registry::SqliteDb;
using registry::SqliteStatement;

constexpr int kBusyWaitMs = 15000;
constexpr std::size_t kMaxNameLength = 64;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS entries(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    url TEXT NOT NULL UNIQUE,
    type INTEGER NOT NULL,
    file TEXT NOT NULL,
    size INTEGER NOT NULL);
)sql";

SqliteDb openIndex() {
    return registry::OpenWalDatabase(UrlCache::indexPath(), kSchema, kBusyWaitMs);
}

// A file name made of the URL's last path segment, reduced to characters that
// are safe in any folder: nothing from the URL can name a parent or a path.
std::string baseNameOf(std::string_view url) {
    auto end = url.find_first_of("?#");
    if (end == std::string_view::npos) end = url.size();
    std::string_view path = url.substr(0, end);
    if (const auto scheme = path.find("://"); scheme != std::string_view::npos)
        path = path.substr(scheme + 3);
    const auto slash = path.rfind('/');
    std::string_view last =
        slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    std::string name;
    for (char c : last) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' || c == '@';
        name += safe ? c : '_';
        if (name.size() == kMaxNameLength) break;
    }
    while (!name.empty() && name.front() == '.') name.erase(0, 1);
    return name.empty() ? "index" : name;
}

// What the user browsed is theirs alone: folders made for it are private.
void createPrivateFolders(const std::filesystem::path& folder) {
    std::error_code ec;
    if (folder.empty() || std::filesystem::is_directory(folder, ec)) return;
    if (folder.parent_path() != folder) createPrivateFolders(folder.parent_path());
    if (::mkdir(folder.c_str(), 0700) != 0) return;
}

// Writes the bytes to a new file "name[N].ext" in `folder`, never replacing or
// following anything that is there.
bool writeNewFile(const std::filesystem::path& folder, const std::string& baseName,
                  std::string_view bytes, std::filesystem::path& written) {
    createPrivateFolders(folder);
    const auto dot = baseName.rfind('.');
    const std::string stem =
        dot == std::string::npos || dot == 0 ? baseName : baseName.substr(0, dot);
    const std::string ext = stem.size() == baseName.size() ? "" : baseName.substr(stem.size());
    for (int n = 1; n < 10000; ++n) {
        const auto candidate = folder / (stem + "[" + std::to_string(n) + "]" + ext);
        io::UniqueFd fd(
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd) {
            if (errno == EEXIST) continue;
            return false;
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n_written = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
            if (n_written < 0 && errno == EINTR) continue;
            if (n_written <= 0) {
                ::unlink(candidate.c_str());
                return false;
            }
            done += static_cast<std::size_t>(n_written);
        }
        written = candidate;
        return true;
    }
    return false;
}

// The folder an entry of this type keeps its file in; false when the shell
// names none that can be written to safely (a relative or empty override).
bool folderFor(std::uint32_t entryType, std::filesystem::path& folder) {
    shell::FolderLocation location;
    const bool cookie = (entryType & COOKIE_CACHE_ENTRY) != 0;
    if (!shell::getSpecialFolderPath(
            cookie ? shell::SpecialFolder::Cookies : shell::SpecialFolder::InternetCache, location))
        return false;
    if (location.path.empty() || location.path.is_relative()) return false;
    folder = cookie ? location.path : location.path / "Content.IE5";
    return true;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A cache folder may only be cleaned from when it is not the root, the user's
// home or the Veilport home, nor a folder holding one of them: an override
// pointing the cache there must not make every file of the home an entry's.
bool mayCleanFrom(const std::filesystem::path& folder) {
    struct stat target {};
    if (::stat(folder.c_str(), &target) != 0) return false;
    for (const auto& inside : {home::userHome(), home::veilportHome()}) {
        for (auto path = inside;; path = path.parent_path()) {
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0 && sameFile(st, target)) return false;
            if (path == path.parent_path() || path.empty()) break;
        }
    }
    return true;
}

// Removes an entry's local file. The index is a file of the user's that could
// have been edited or damaged, so it may name anything: only a file inside the
// cache's own folders (pages, cookies) is removed, never by way of a link, and
// never one lying directly in the Veilport home, where the stores live.
void removeFile(const std::string& file) {
    if (file.empty() || file.front() != '/') return;
    struct stat home {};
    const bool homeKnown = ::stat(home::veilportHome().c_str(), &home) == 0;
    const auto notTheHome = [&](const struct stat& parent) {
        return !homeKnown || !sameFile(parent, home);
    };
    for (const std::uint32_t type : {NORMAL_CACHE_ENTRY, COOKIE_CACHE_ENTRY}) {
        std::filesystem::path folder;
        if (!folderFor(type, folder) || !mayCleanFrom(folder)) continue;
        if (io::RemoveFileBeneath(folder, file, notTheHome) != io::RemoveBeneath::Refused) return;
    }
}

bool readEntry(SqliteStatement& stmt, UrlCacheEntry& entry, std::int64_t& id) {
    if (stmt.step() != SQLITE_ROW) return false;
    id = stmt.columnInt(0);
    entry.sourceUrl = stmt.columnText(1);
    entry.entryType = static_cast<std::uint32_t>(stmt.columnInt(2));
    entry.localFile = stmt.columnText(3);
    entry.size = static_cast<std::uint64_t>(stmt.columnInt(4));
    return true;
}

std::string hostOf(std::string_view url) {
    if (const auto scheme = url.find("://"); scheme != std::string_view::npos)
        url = url.substr(scheme + 3);
    url = url.substr(0, url.find_first_of("/:?#"));
    return text::AsciiLowered(url);
}

}  // namespace

struct UrlCacheFind::State {
    SqliteDb db;
    SqliteStatement next;
    std::int64_t lastId = 0;
};

UrlCacheFind::UrlCacheFind() = default;
UrlCacheFind::~UrlCacheFind() = default;
UrlCacheFind::UrlCacheFind(UrlCacheFind&&) noexcept = default;
UrlCacheFind& UrlCacheFind::operator=(UrlCacheFind&&) noexcept = default;
bool UrlCacheFind::isOpen() const {
    return state_ != nullptr;
}

std::filesystem::path UrlCache::indexPath() {
    return home::veilportHome() / "urlcache.db";
}

bool UrlCache::recordDownload(std::string_view url, std::string_view bytes) {
    return commitEntry(url, NORMAL_CACHE_ENTRY, bytes);
}

bool UrlCache::recordCookie(std::string_view url, std::string_view cookieText) {
    const std::string host = hostOf(url);
    if (host.empty()) return false;
    std::string user;
    if (!shell::getUserName(user)) user = "user";
    return commitEntry("Cookie:" + user + "@" + host + "/", COOKIE_CACHE_ENTRY, cookieText);
}

bool UrlCache::commitEntry(std::string_view url, std::uint32_t entryType, std::string_view bytes) {
    if (url.empty()) return false;
    std::filesystem::path folder;
    if (!folderFor(entryType, folder)) return false;
    auto db = openIndex();
    if (!db) return false;
    std::string name = baseNameOf(url);
    if (entryType & COOKIE_CACHE_ENTRY) {
        // "Cookie:alice@example.com/" keeps its file as "alice@example.com[1].txt".
        std::string_view owner =
            url.substr(url.find(':') == std::string_view::npos ? 0 : url.find(':') + 1);
        while (!owner.empty() && owner.back() == '/') owner.remove_suffix(1);
        name = baseNameOf("/" + std::string(owner)) + ".txt";
    }
    std::filesystem::path file;
    if (!writeNewFile(folder, name, bytes, file)) return false;
    SqliteStatement old(db.get(), "SELECT file FROM entries WHERE url = ?1");
    SqliteStatement upsert(db.get(),
                           "INSERT INTO entries(url, type, file, size) VALUES(?1, ?2, ?3, ?4) "
                           "ON CONFLICT(url) DO UPDATE SET type = excluded.type, "
                           "file = excluded.file, size = excluded.size");
    if (!old.ok() || !upsert.ok()) {
        ::unlink(file.c_str());
        return false;
    }
    std::string replaced;
    old.bind(1, url);
    if (old.step() == SQLITE_ROW) replaced = old.columnText(0);
    old.reset();
    upsert.bind(1, url)
        .bind(2, static_cast<std::int64_t>(entryType))
        .bind(3, file.string())
        .bind(4, static_cast<std::int64_t>(bytes.size()));
    if (upsert.run() != SQLITE_DONE) {
        ::unlink(file.c_str());
        return false;
    }
    if (replaced != file.string()) removeFile(replaced);
    return true;
}

bool UrlCache::findFirstEntry(UrlCacheFind& find, UrlCacheEntry& entry) {
    findClose(find);
    auto state = std::make_unique<UrlCacheFind::State>();
    state->db = openIndex();
    if (!state->db) return false;
    state->next = SqliteStatement(
        state->db.get(),
        "SELECT id, url, type, file, size FROM entries WHERE id > ?1 ORDER BY id LIMIT 1");
    if (!state->next.ok()) return false;
    find.state_ = std::move(state);
    if (findNextEntry(find, entry)) return true;
    findClose(find);
    return false;
}

bool UrlCache::findNextEntry(UrlCacheFind& find, UrlCacheEntry& entry) {
    if (!find.state_) return false;
    auto& state = *find.state_;
    state.next.bind(1, state.lastId);
    std::int64_t id = 0;
    const bool found = readEntry(state.next, entry, id);
    state.next.reset();
    if (found) state.lastId = id;
    return found;
}

void UrlCache::findClose(UrlCacheFind& find) {
    find.state_.reset();
}

bool UrlCache::deleteEntry(std::string_view url) {
    auto db = openIndex();
    if (!db) return false;
    SqliteStatement take(db.get(), "DELETE FROM entries WHERE url = ?1 RETURNING file");
    if (!take.ok()) return false;
    take.bind(1, url);
    if (take.step() != SQLITE_ROW) return false;
    const std::string file = take.columnText(0);
    if (take.step() != SQLITE_DONE) return false;
    take.reset();
    removeFile(file);
    return true;
}

}  // namespace veilport::inet
