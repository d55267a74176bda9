#pragma once

// Browser profiles made by hand for the cleaner's tests: the tables and
// columns the cleaning reads, as Firefox and Chromium name them, with a few
// rows, and the helpers to look into them afterwards.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cleaner/CleanerFixtures.h"
#include "cleaner/ProfileOutcome.h"

namespace veilport::cleaner::testing {

inline void execSql(const fs::path& file, const std::string& sql) {
    fs::create_directories(file.parent_path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

// The first column of the first row as a number; -1 when there is none.
inline std::int64_t queryInt(const fs::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::int64_t value = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return value;
}

inline std::vector<std::string> queryTexts(const fs::path& file, const std::string& sql) {
    std::vector<std::string> texts;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                texts.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return texts;
}

// places.sqlite with three pages: one bookmarked (and tagged), one held by a
// keyword, one only visited; every page visited and typed.
inline void makeFirefoxPlaces(const fs::path& profile, bool withKeywords = true) {
    std::string sql =
        "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, visit_count INTEGER DEFAULT 0,"
        " typed INTEGER DEFAULT 0, last_visit_date INTEGER, foreign_count INTEGER DEFAULT 0,"
        " origin_id INTEGER);"
        "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, visit_date "
        "INTEGER);"
        "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent "
        "INTEGER,"
        " title TEXT);"
        "CREATE TABLE moz_inputhistory (place_id INTEGER, input TEXT, use_count INTEGER);"
        "CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, host TEXT);"
        "INSERT INTO moz_origins VALUES (1, 'bookmarked.org'), (2, 'keyword.org'), (3, "
        "'visited.org');"
        "INSERT INTO moz_places VALUES (1, 'https://bookmarked.org/', 3, 1, 100, 2, 1),"
        " (2, 'https://keyword.org/', 1, 1, 100, 1, 2), (3, 'https://visited.org/', 5, 1, 100, 0, "
        "3);"
        "INSERT INTO moz_historyvisits (place_id, visit_date) VALUES (1, 1), (1, 2), (2, 3), (3, "
        "4);"
        "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 'root'), (2, 1, 1, 1, 'Bookmarked'),"
        " (3, 2, NULL, 1, 'a-tag'), (4, 1, 1, 3, NULL);"
        "INSERT INTO moz_inputhistory VALUES (1, 'boo', 1), (3, 'vis', 2);";
    if (withKeywords)
        sql +=
            "CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY, keyword TEXT, place_id INTEGER);"
            "INSERT INTO moz_keywords VALUES (1, 'kw', 2);";
    execSql(profile / "places.sqlite", sql);
}

inline void makeFirefoxCookies(const fs::path& profile) {
    execSql(profile / "cookies.sqlite",
            "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, host TEXT, name TEXT);"
            "INSERT INTO moz_cookies (host, name) VALUES ('.example.org', 'a'),"
            " ('www.example.org', 'b'), ('tracker.net', 'c'), ('badexample.org', 'd');");
}

// A Firefox profile in the usual home, named by profiles.ini, with its
// databases, storage, logins and a cache folder under ~/.cache.
inline fs::path makeFirefoxProfile(const fs::path& home) {
    const fs::path root = home / ".mozilla/firefox";
    const fs::path profile = root / "abc.default";
    writeFile(root / "profiles.ini", "[Profile0]\nName=default\nIsRelative=1\nPath=abc.default\n");
    writeFile(profile / "prefs.js", "user_pref(\"a\", 1);\n");
    makeFirefoxPlaces(profile);
    makeFirefoxCookies(profile);
    execSql(profile / "formhistory.sqlite",
            "CREATE TABLE moz_formhistory (id INTEGER PRIMARY KEY, fieldname TEXT, value TEXT);"
            "INSERT INTO moz_formhistory (fieldname, value) VALUES ('q', 'secret');");
    writeFile(profile / "logins.json", "{\"logins\":[]}");
    writeFile(profile / "storage/default/https+++www.example.org/ls/data.sqlite", "kept");
    writeFile(profile / "storage/default/https+++tracker.net/ls/data.sqlite", "gone");
    writeFile(profile / "storage/default/moz-extension+++1234/idb/x", "an add-on's");
    writeFile(home / ".cache/mozilla/firefox/abc.default/cache2/entries/ABCD", "cached");
    return profile;
}

// A Chromium "Default" profile with its user-data folder and cache.
inline fs::path makeChromiumProfile(const fs::path& home) {
    const fs::path profile = home / ".config/chromium/Default";
    execSql(profile / "History",
            "CREATE TABLE urls (id INTEGER PRIMARY KEY, url TEXT, typed_count INTEGER);"
            "CREATE TABLE visits (id INTEGER PRIMARY KEY, url INTEGER);"
            "CREATE TABLE keyword_search_terms (keyword_id INTEGER, url_id INTEGER, term TEXT);"
            "CREATE TABLE segments (id INTEGER PRIMARY KEY, name TEXT);"
            "INSERT INTO urls VALUES (1, 'https://visited.org/', 2), (2, 'https://other.org/', 0);"
            "INSERT INTO visits (url) VALUES (1), (1), (2);"
            "INSERT INTO keyword_search_terms VALUES (1, 1, 'words');"
            "INSERT INTO segments (name) VALUES ('visited.org');");
    execSql(profile / "Cookies",
            "CREATE TABLE cookies (host_key TEXT, name TEXT);"
            "INSERT INTO cookies VALUES ('.example.org', 'a'), ('tracker.net', 'b');");
    execSql(profile / "Web Data",
            "CREATE TABLE autofill (name TEXT, value TEXT);"
            "INSERT INTO autofill VALUES ('q', 'secret');");
    execSql(profile / "Login Data",
            "CREATE TABLE logins (origin_url TEXT, username_value TEXT);"
            "INSERT INTO logins VALUES ('https://example.org/', 'me');");
    writeFile(profile / "Bookmarks", "{\"roots\":{}}");
    writeFile(profile / "Cache/Cache_Data/data_0", "cached");
    writeFile(home / ".cache/chromium/Default/Cache/Cache_Data/f_000001", "cached");
    return profile;
}

}  // namespace veilport::cleaner::testing
