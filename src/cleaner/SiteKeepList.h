#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veilport::cleaner {

// The sites whose cookies and site storage a pass keeps. A site keeps itself
// and every host below it: "example.org" keeps "example.org",
// "www.example.org" and the domain cookie ".example.org", but not
// "badexample.org". It also keeps the domain cookies the browser sends it:
// "mail.example.org" keeps ".example.org", but not the host "example.org".
class SiteKeepList {
public:
    SiteKeepList() = default;
    // Sites separated by blanks, commas, semicolons or line breaks; each may
    // be written as a URL ("https://www.example.org/path") or with a leading
    // dot, and in any letter case.
    static SiteKeepList parse(std::string_view text);

    // Adds one site; false (and nothing added) when it names no host.
    bool add(std::string_view site);
    bool keeps(std::string_view host) const;
    bool empty() const { return sites_.empty(); }
    const std::vector<std::string>& sites() const { return sites_; }
    // The list as stored: the sites separated by blanks.
    std::string text() const;

private:
    std::vector<std::string> sites_;
};

}  // namespace veilport::cleaner
