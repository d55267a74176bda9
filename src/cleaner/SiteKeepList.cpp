#include "cleaner/SiteKeepList.h"

#include <algorithm>

#include "platform/text/Ascii.h"

namespace veilport::cleaner {

namespace {

constexpr std::string_view kSeparators = " \t\r\n,;";

// The host of a site as a person types it: no scheme, user, port, path or
// leading and trailing dots.
std::string HostOf(std::string_view site) {
    if (const auto scheme = site.find("://"); scheme != std::string_view::npos)
        site.remove_prefix(scheme + 3);
    site = site.substr(0, site.find_first_of("/?#"));
    if (const auto at = site.rfind('@'); at != std::string_view::npos) site.remove_prefix(at + 1);
    if (const auto colon = site.find(':'); colon != std::string_view::npos)
        site = site.substr(0, colon);
    while (!site.empty() && site.front() == '.') site.remove_prefix(1);
    while (!site.empty() && site.back() == '.') site.remove_suffix(1);
    return text::asciiLowered(site);
}

}  // namespace

SiteKeepList SiteKeepList::parse(std::string_view text) {
    SiteKeepList list;
    while (!text.empty()) {
        const auto start = text.find_first_not_of(kSeparators);
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const auto end = text.find_first_of(kSeparators);
        (void)list.add(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end);
    }
    return list;
}

bool SiteKeepList::add(std::string_view site) {
    std::string host = HostOf(site);
    // A blank or separator inside would split the site in two once stored.
    if (host.empty() || host.find_first_of(" \t\r\n,;") != std::string::npos) return false;
    if (std::find(sites_.begin(), sites_.end(), host) == sites_.end())
        sites_.push_back(std::move(host));
    return true;
}

namespace {

// `name` is `domain` or a host below it.
bool IsWithin(std::string_view name, std::string_view domain) {
    if (name == domain) return true;
    return name.size() > domain.size() && name.ends_with(domain) &&
           name[name.size() - domain.size() - 1] == '.';
}

}  // namespace

bool SiteKeepList::keeps(std::string_view host) const {
    // A leading dot marks a domain cookie, which the browser also sends to
    // every host below that domain.
    const bool domainCookie = host.starts_with('.');
    while (!host.empty() && host.front() == '.') host.remove_prefix(1);
    const std::string name = text::asciiLowered(host);
    if (name.empty()) return false;
    return std::any_of(sites_.begin(), sites_.end(), [&](const std::string& site) {
        return IsWithin(name, site) || (domainCookie && IsWithin(site, name));
    });
}

std::string SiteKeepList::text() const {
    std::string joined;
    for (const auto& site : sites_) {
        if (!joined.empty()) joined += ' ';
        joined += site;
    }
    return joined;
}

}  // namespace veilport::cleaner
