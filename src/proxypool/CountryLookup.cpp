#include "proxypool/CountryLookup.h"

#include <system_error>

#ifdef VEILPORT_HAVE_MAXMINDDB
#include <maxminddb.h>
#endif

namespace veilport::proxypool {

#ifdef VEILPORT_HAVE_MAXMINDDB
struct CountryLookup::Database {
    MMDB_s mmdb{};
    ~Database() { MMDB_close(&mmdb); }
};
#else
struct CountryLookup::Database {};
#endif

namespace {

std::filesystem::path FirstInstalled() {
    static const char* const kPlaces[] = {
        "/usr/share/GeoIP/GeoLite2-Country.mmdb",
        "/var/lib/GeoIP/GeoLite2-Country.mmdb",
        "/usr/share/GeoIP/dbip-country-lite.mmdb",
        "/usr/share/GeoIP/dbip-country.mmdb",
    };
    std::error_code error;
    for (const char* place : kPlaces)
        if (std::filesystem::is_regular_file(place, error)) return place;
    return {};
}

}  // namespace

CountryLookup::CountryLookup(const std::filesystem::path& database) {
#ifdef VEILPORT_HAVE_MAXMINDDB
    const auto file = database.empty() ? FirstInstalled() : database;
    if (file.empty()) return;
    auto opened = std::make_unique<Database>();
    if (MMDB_open(file.c_str(), MMDB_MODE_MMAP, &opened->mmdb) != MMDB_SUCCESS) return;
    database_ = std::move(opened);
#else
    (void)database;
    (void)&FirstInstalled;
#endif
}

CountryLookup::~CountryLookup() = default;

bool CountryLookup::available() const {
    return database_ != nullptr;
}

std::string CountryLookup::country(const std::string& address) const {
#ifdef VEILPORT_HAVE_MAXMINDDB
    if (!database_ || address.empty()) return std::string(kUnknownCountry);
    int gaiError = 0;
    int mmdbError = 0;
    auto result = MMDB_lookup_string(&database_->mmdb, address.c_str(), &gaiError, &mmdbError);
    if (gaiError != 0 || mmdbError != MMDB_SUCCESS || !result.found_entry)
        return std::string(kUnknownCountry);
    MMDB_entry_data_s data{};
    if (MMDB_get_value(&result.entry, &data, "country", "names", "en", nullptr) != MMDB_SUCCESS ||
        !data.has_data || data.type != MMDB_DATA_TYPE_UTF8_STRING)
        return std::string(kUnknownCountry);
    return std::string(data.utf8_string, data.data_size);
#else
    (void)address;
    return std::string(kUnknownCountry);
#endif
}

}  // namespace veilport::proxypool
