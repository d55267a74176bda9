#pragma once

// The URL cache: what the browser stack keeps of the pages and cookies it
// fetched. Each entry has a source URL (unique), a type and a local file that
// holds its bytes, in the Internet-cache folder (pages) or the cookies folder
// (cookies). The index is urlcache.db in the Veilport home, shared by every
// thread and process; each call opens it for its own use, so the calls are
// safe from any thread and follow the Veilport home of the moment.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace veilport::inet {

// Entry types, numbered as the system numbers them.
inline constexpr std::uint32_t NORMAL_CACHE_ENTRY = 0x00000001;
inline constexpr std::uint32_t COOKIE_CACHE_ENTRY = 0x00100000;

struct UrlCacheEntry {
    std::string sourceUrl;
    std::uint32_t entryType = 0;
    std::filesystem::path localFile;
    std::uint64_t size = 0;
};

// An enumeration under way. It walks entries in the order they were stored and
// tolerates entries added or deleted meanwhile, by this or any other caller.
class UrlCacheFind {
public:
    UrlCacheFind();
    ~UrlCacheFind();
    UrlCacheFind(UrlCacheFind&&) noexcept;
    UrlCacheFind& operator=(UrlCacheFind&&) noexcept;
    bool isOpen() const;

private:
    friend class UrlCache;
    struct State;
    std::unique_ptr<State> state_;
};

class UrlCache {
public:
    // Records the body of an HTTP download as a browser stack would: a new file
    // in the Internet-cache folder and a NORMAL_CACHE_ENTRY for `url`,
    // replacing any earlier entry of that URL and its file. False when nothing
    // could be recorded (no usable cache folder, the index unavailable); a
    // download goes on regardless, so the result is only informative.
    static bool recordDownload(std::string_view url, std::string_view bytes);

    // Records a cookie the way the stack keeps one: a text file in the cookies
    // folder and a COOKIE_CACHE_ENTRY named "Cookie:<user>@<host>/".
    static bool recordCookie(std::string_view url, std::string_view cookieText);

    // The general form of the two above: stores `bytes` in the folder that fits
    // `entryType` and indexes them under `url`.
    [[nodiscard]] static bool commitEntry(std::string_view url, std::uint32_t entryType,
                                          std::string_view bytes);

    // Starts an enumeration of every entry; false (and `find` closed) when the
    // cache is empty or cannot be read.
    [[nodiscard]] static bool findFirstEntry(UrlCacheFind& find, UrlCacheEntry& entry);
    // The next entry; false at the end.
    [[nodiscard]] static bool findNextEntry(UrlCacheFind& find, UrlCacheEntry& entry);
    static void findClose(UrlCacheFind& find);

    // Removes the entry of `url` and its local file. The file is removed only
    // when it lies inside the cache's own folders (the Internet-cache folder's
    // Content.IE5 and the cookies folder), never through a link; whatever else
    // an edited index names stays where it is. False when there is no such
    // entry or the index cannot be changed.
    [[nodiscard]] static bool deleteEntry(std::string_view url);

    // Path of the index file of the current home.
    static std::filesystem::path indexPath();
};

}  // namespace veilport::inet
