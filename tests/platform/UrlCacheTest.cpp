#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/inet/UrlCache.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Registry.h"
#include "platform/shell/UserName.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport::inet {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<UrlCacheEntry> allEntries() {
    std::vector<UrlCacheEntry> result;
    UrlCacheFind find;
    UrlCacheEntry entry;
    if (!UrlCache::findFirstEntry(find, entry)) return result;
    do result.push_back(entry);
    while (UrlCache::findNextEntry(find, entry));
    UrlCache::findClose(find);
    return result;
}

class UrlCacheTest : public ::testing::Test {
protected:
    veilport::testing::TempHome home;
    fs::path cache = home.veilportHome() / "shell" / "Temporary Internet Files";
    fs::path cookies = home.veilportHome() / "shell" / "Cookies";
};

TEST_F(UrlCacheTest, DownloadsAndCookiesLandInTheirFoldersWithTheirTypes) {
    EXPECT_TRUE(allEntries().empty());
    ASSERT_TRUE(
        UrlCache::recordDownload("http://svc.example/services/list.txt?x=1", "1.2.3.4:80\n"));
    ASSERT_TRUE(UrlCache::recordCookie("http://Svc.Example:8080/path", "session=1"));

    const auto entries = allEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sourceUrl, "http://svc.example/services/list.txt?x=1");
    EXPECT_EQ(entries[0].entryType, NORMAL_CACHE_ENTRY);
    EXPECT_EQ(entries[0].localFile, cache / "Content.IE5" / "list[1].txt");
    EXPECT_EQ(readFile(entries[0].localFile), "1.2.3.4:80\n");
    const auto access = fs::status(cache / "Content.IE5").permissions();
    EXPECT_EQ(access & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
    EXPECT_EQ(entries[0].size, 11u);

    std::string user;
    ASSERT_TRUE(shell::getUserName(user));
    EXPECT_EQ(entries[1].sourceUrl, "Cookie:" + user + "@svc.example/");
    EXPECT_TRUE(entries[1].entryType & COOKIE_CACHE_ENTRY);
    EXPECT_EQ(entries[1].localFile.parent_path(), cookies);
    EXPECT_EQ(readFile(entries[1].localFile), "session=1");
}

TEST_F(UrlCacheTest, ARepeatedUrlReplacesItsEntryAndFile) {
    ASSERT_TRUE(UrlCache::recordDownload("http://a.example/p", "one"));
    const auto first = allEntries().at(0).localFile;
    ASSERT_TRUE(UrlCache::recordDownload("http://a.example/p", "two"));
    const auto entries = allEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(readFile(entries[0].localFile), "two");
    EXPECT_FALSE(fs::exists(first));
}

TEST_F(UrlCacheTest, NamesFromUrlsNeverLeaveTheCacheFolder) {
    for (const char* url : {"http://x.example/../../../../etc/passwd", "http://x.example/..",
                            "http://x.example/a%2f..%2f..%2fb", "http://x.example/.hidden",
                            "http://x.example/", "weird"}) {
        ASSERT_TRUE(UrlCache::recordDownload(url, "x")) << url;
    }
    for (const auto& entry : allEntries()) {
        EXPECT_EQ(entry.localFile.parent_path(), cache / "Content.IE5") << entry.sourceUrl;
        EXPECT_NE(entry.localFile.filename().string().front(), '.') << entry.localFile;
    }
}

TEST_F(UrlCacheTest, EnumerationGoesOnWhileEntriesAreDeletedAndDeletionTakesTheFile) {
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(UrlCache::recordDownload("http://e.example/" + std::to_string(i), "x"));
    UrlCacheFind find;
    UrlCacheEntry entry;
    std::vector<std::string> seen;
    ASSERT_TRUE(UrlCache::findFirstEntry(find, entry));
    do {
        seen.push_back(entry.sourceUrl);
        ASSERT_TRUE(UrlCache::deleteEntry(entry.sourceUrl));
        EXPECT_FALSE(fs::exists(entry.localFile));
        // Deleting one further ahead must not end or repeat the walk.
        if (entry.sourceUrl == "http://e.example/1")
            (void)UrlCache::deleteEntry("http://e.example/3");
    } while (UrlCache::findNextEntry(find, entry));
    EXPECT_EQ(seen, (std::vector<std::string>{"http://e.example/0", "http://e.example/1",
                                              "http://e.example/2", "http://e.example/4",
                                              "http://e.example/5"}));
    EXPECT_FALSE(UrlCache::deleteEntry("http://e.example/0"));
}

TEST_F(UrlCacheTest, AnEditedIndexCannotMakeDeletionRemoveTheSettingsStore) {
    registry::KeyHandle key;
    ASSERT_EQ(registry::createKey(registry::Root::LocalMachine, "Software\\Veilport",
                                  registry::kKeyWrite, key),
              registry::kSuccess);
    ASSERT_TRUE(UrlCache::recordDownload("http://t.example/x", "x"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(UrlCache::indexPath().c_str(), &db), SQLITE_OK);
    const std::string sql = "UPDATE entries SET file = '" + registry::storePath().string() + "'";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_TRUE(UrlCache::deleteEntry("http://t.example/x"));
    EXPECT_TRUE(fs::exists(registry::storePath()));
}

// The index is a file of the user's: whatever an edited or damaged one names,
// deleting entries removes files inside the cache's own folders only.
class EditedIndexTest : public UrlCacheTest {
protected:
    // Records an entry, then points its file at `file` as an edit would.
    void entryNaming(const std::string& url, const fs::path& file) {
        ASSERT_TRUE(UrlCache::recordDownload(url, "x"));
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(UrlCache::indexPath().c_str(), &db), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "UPDATE entries SET file = ?1 WHERE url = ?2", -1, &stmt,
                                     nullptr),
                  SQLITE_OK);
        sqlite3_bind_text(stmt, 1, file.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, url.c_str(), -1, SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
    fs::path document(const std::string& name) {
        const fs::path file = home.path() / "home" / "Documents" / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "the user's own";
        return file;
    }
};

TEST_F(EditedIndexTest, FilesOutsideTheCacheFoldersStay) {
    const fs::path letter = document("letter.odt");
    entryNaming("http://a.example/1", letter);
    const fs::path escaped = document("escaped.odt");
    entryNaming("http://a.example/2", cache / "Content.IE5" / ".." / ".." / ".." / ".." / "home" /
                                          "Documents" / "escaped.odt");
    EXPECT_TRUE(UrlCache::deleteEntry("http://a.example/1")) << "the entry itself goes";
    EXPECT_TRUE(UrlCache::deleteEntry("http://a.example/2"));
    EXPECT_TRUE(fs::exists(letter));
    EXPECT_TRUE(fs::exists(escaped));
    EXPECT_TRUE(allEntries().empty());
}

TEST_F(EditedIndexTest, LinksInsideTheCacheAreRemovedNeverFollowed) {
    const fs::path letter = document("letter.odt");
    const fs::path content = cache / "Content.IE5";
    fs::create_directories(content);
    fs::create_symlink(letter, content / "link.htm");
    fs::create_directory_symlink(letter.parent_path(), content / "docs");
    entryNaming("http://a.example/1", content / "link.htm");
    entryNaming("http://a.example/2", content / "docs" / "letter.odt");
    EXPECT_TRUE(UrlCache::deleteEntry("http://a.example/1"));
    EXPECT_TRUE(UrlCache::deleteEntry("http://a.example/2"));
    EXPECT_FALSE(fs::is_symlink(content / "link.htm"));
    EXPECT_TRUE(fs::is_symlink(content / "docs"));
    EXPECT_TRUE(fs::exists(letter));
}

TEST_F(EditedIndexTest, ACacheFolderMovedOntoTheHomeRemovesNothingThere) {
    const fs::path letter = document("letter.odt");
    StringSetting cookies(
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell "
        "Folders\\Cookies",
        "", registry::Root::CurrentUser);
    cookies.set((home.path() / "home").string());
    cookies.write();
    // The letter now lies inside the cookies folder, as every file of the home does.
    entryNaming("http://c.example/x", letter);
    EXPECT_TRUE(UrlCache::deleteEntry("http://c.example/x"));
    EXPECT_TRUE(fs::exists(letter));
}

TEST_F(UrlCacheTest, NothingIsRecordedWithoutAUsableFolder) {
    registry::KeyHandle key;
    ASSERT_EQ(registry::createKey(registry::Root::CurrentUser,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User "
                                  "Shell Folders",
                                  registry::kKeyWrite, key),
              registry::kSuccess);
    ASSERT_EQ(registry::setValue(key, "Cache", registry::kTypeSz, "", 1), registry::kSuccess);
    EXPECT_FALSE(UrlCache::recordDownload("http://a.example/", "x"));
    EXPECT_FALSE(UrlCache::recordDownload("", "x"));
    EXPECT_TRUE(allEntries().empty());
}

TEST_F(UrlCacheTest, ThreadsRecordingAtOnceLoseNothing) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 10; ++i)
                EXPECT_TRUE(UrlCache::recordDownload(
                    "http://p.example/" + std::to_string(t) + "/" + std::to_string(i), "x"));
        });
    for (auto& w : writers) w.join();
    std::set<fs::path> files;
    for (const auto& entry : allEntries()) files.insert(entry.localFile);
    EXPECT_EQ(files.size(), 40u);
}

TEST(UrlHistoryTest, ClearHistoryEmptiesTheList) {
    veilport::testing::TempHome home;
    auto history = UrlHistory::create();
    ASSERT_TRUE(history);
    ASSERT_TRUE(history->addUrl("http://a.example/", "A"));
    ASSERT_TRUE(history->addUrl("http://a.example/", "A again"));
    ASSERT_TRUE(history->addUrl("http://b.example/", "B"));
    EXPECT_EQ(history->count(), 2u);
    ASSERT_TRUE(history->clearHistory());
    EXPECT_EQ(UrlHistory::create()->count(), 0u);
    EXPECT_FALSE(history->queryUrl("http://a.example/"));
}

}  // namespace
}  // namespace veilport::inet
