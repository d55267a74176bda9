#include "proxypool/ListSource.h"

#include "platform/text/Ascii.h"

namespace veilport::proxypool {

bool ListSource::remote() const {
    return text::startsWithIgnoringAsciiCase(location, "http://") ||
           text::startsWithIgnoringAsciiCase(location, "https://");
}

std::string NormalisedLocation(std::string_view location, std::string& error) {
    while (!location.empty() && (location.front() == ' ' || location.front() == '\t'))
        location.remove_prefix(1);
    while (!location.empty() && (location.back() == ' ' || location.back() == '\t'))
        location.remove_suffix(1);
    if (location.find_first_of("\t\r\n") != std::string_view::npos) {
        error = "a source is one line without tabs";
        return {};
    }
    if (text::startsWithIgnoringAsciiCase(location, "file://")) location.remove_prefix(7);
    const bool web = text::startsWithIgnoringAsciiCase(location, "http://") ||
                     text::startsWithIgnoringAsciiCase(location, "https://");
    if (web) {
        const auto host = location.substr(location.find("://") + 3);
        if (host.empty() || host.front() == '/') {
            error = "the address names no host: " + std::string(location);
            return {};
        }
        return std::string(location);
    }
    if (!location.starts_with('/')) {
        error = "a source is an http:// or https:// address or an absolute file path, not \"" +
                std::string(location) + "\"";
        return {};
    }
    return std::string(location);
}

std::string NormalisedScheme(std::string_view scheme) {
    const auto lowered = text::asciiLowered(scheme);
    if (lowered == "http" || lowered == "socks5" || lowered == "socks5h") return lowered;
    return {};
}

}  // namespace veilport::proxypool
