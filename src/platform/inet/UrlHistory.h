#pragma once

// The URL history object: the list of addresses visited, with titles and the
// time of the last visit, as the browser stack keeps it for its history views.
// The list is urlhistory.db in the Veilport home, shared by every process of
// the user. An object is one open connection, for one thread at a time.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry/SqliteHandle.h"

namespace veilport::inet {

class UrlHistory {
public:
    // Null when the list cannot be opened (the stand-in for a failed creation
    // of the system's object).
    static std::unique_ptr<UrlHistory> create();
    // Path of the list file of the current home.
    static std::filesystem::path listPath();

    // Adds a visit or refreshes the one of that URL.
    [[nodiscard]] bool addUrl(std::string_view url, std::string_view title);
    // True when the URL is in the list.
    [[nodiscard]] bool queryUrl(std::string_view url);
    // Number of URLs in the list; 0 when it cannot be read.
    std::uint64_t count();
    // Removes every URL. False when the list could not be changed.
    [[nodiscard]] bool clearHistory();

    explicit UrlHistory(registry::SqliteDb db) : db_(std::move(db)) {}

private:
    registry::SqliteDb db_;
};

}  // namespace veilport::inet
