#include "cleaner/SiteStorage.h"

namespace veilport::cleaner {

namespace {

using browsers::BrowserFamily;

std::string_view AfterWebScheme(std::string_view name, std::string_view http,
                                std::string_view https) {
    if (name.starts_with(https)) return name.substr(https.size());
    if (name.starts_with(http)) return name.substr(http.size());
    return {};
}

}  // namespace

std::vector<std::string_view> SiteStorageFolders(BrowserFamily family) {
    switch (family) {
        case BrowserFamily::Firefox:
            return {"storage/default"};
        case BrowserFamily::Chromium:
            return {"IndexedDB"};
    }
    return {};
}

std::string SiteStorageHost(BrowserFamily family, std::string_view name) {
    switch (family) {
        case BrowserFamily::Firefox: {
            const std::string_view rest = AfterWebScheme(name, "http+++", "https+++");
            return std::string(rest.substr(0, rest.find_first_of("+^")));
        }
        case BrowserFamily::Chromium: {
            std::string_view rest = AfterWebScheme(name, "http_", "https_");
            const auto suffix = rest.find(".indexeddb.");
            if (suffix == std::string_view::npos) return {};
            rest = rest.substr(0, suffix);
            const auto port = rest.rfind('_');
            return port == std::string_view::npos ? std::string()
                                                  : std::string(rest.substr(0, port));
        }
    }
    return {};
}

}  // namespace veilport::cleaner
