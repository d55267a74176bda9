#pragma once

// The country of an address, from a country database (.mmdb) when one is
// installed; "unknown" otherwise. Nothing is ever downloaded. Lookups are safe
// from several threads at once once the object is built.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace veilport::proxypool {

inline constexpr std::string_view kUnknownCountry = "unknown";

class CountryLookup {
public:
    // Opens `database`, or when it is empty the first of the usual system
    // places that holds one. Without a readable database every answer is
    // "unknown".
    explicit CountryLookup(const std::filesystem::path& database = {});
    ~CountryLookup();
    CountryLookup(const CountryLookup&) = delete;
    CountryLookup& operator=(const CountryLookup&) = delete;

    bool available() const;
    // The country's English name, or "unknown".
    std::string country(const std::string& address) const;

private:
    struct Database;
    std::unique_ptr<Database> database_;
};

}  // namespace veilport::proxypool
