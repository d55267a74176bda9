#include "proxypool/ServiceList.h"

#include <algorithm>
#include <unordered_set>

#include "platform/text/Ascii.h"
#include "proxypool/ProxyText.h"

namespace veilport::proxypool {

namespace {

bool IsNull(std::string_view entry) {
    return entry.find(kNullMark) != std::string_view::npos;
}

// The order of a sorted drop-down: letters compared without regard to case;
// names equal that way keep a fixed order by their bytes.
bool DropDownLess(const std::string& a, const std::string& b) {
    if (text::lessIgnoringAsciiCase(a, b)) return true;
    return !text::lessIgnoringAsciiCase(b, a) && a < b;
}

}  // namespace

std::vector<std::string_view> ServiceEntries(std::string_view body) {
    std::vector<std::string_view> entries;
    for (auto end = body.find(kEntryTerminator); end != std::string_view::npos;
         end = body.find(kEntryTerminator)) {
        entries.push_back(body.substr(0, end));
        body.remove_prefix(end + kEntryTerminator.size());
    }
    return entries;
}

std::vector<NewListRow> BuildNewList(std::string_view body) {
    std::vector<NewListRow> rows;
    for (const auto entry : ServiceEntries(body)) {
        if (IsNull(entry)) continue;
        rows.push_back({std::string(entry), SupportsPost(entry) ? 1 : 0});
    }
    return rows;
}

std::string LocationName(std::string_view entry) {
    const auto arrow = entry.find(kCountrySeparator);
    std::string_view name;
    if (arrow != std::string_view::npos) {
        name = entry.substr(arrow + kCountrySeparator.size());
    } else if (!entry.empty()) {
        name = entry.substr(1);
    }
    const auto mark = name.find(kSupportsPostMark);
    if (mark != std::string_view::npos && mark > 0) {
        // The mark is found after the start, so some '<' exists; when the very
        // first character is a '<' there is no blank before it to drop.
        const auto lt = name.find('<');
        name = name.substr(0, lt == 0 ? 0 : lt - 1);
    }
    return std::string(name);
}

std::vector<std::string> WizardLocations(std::string_view body, WizardMode mode) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const auto entry : ServiceEntries(body)) {
        if (IsNull(entry)) continue;
        if (mode == WizardMode::PostAnonymously && !SupportsPost(entry)) continue;
        auto name = LocationName(entry);
        if (seen.insert(name).second) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), DropDownLess);
    return names;
}

std::vector<std::string> WizardProxies(std::string_view body, std::string_view location,
                                       WizardMode mode) {
    std::vector<std::string> entries;
    std::unordered_set<std::string_view> seen;
    for (const auto entry : ServiceEntries(body)) {
        if (IsNull(entry)) continue;
        if (entry.find(location) == std::string_view::npos) continue;
        if (mode == WizardMode::PostAnonymously && !SupportsPost(entry)) continue;
        if (!seen.insert(entry).second) continue;
        entries.emplace_back(entry);
    }
    return entries;
}

}  // namespace veilport::proxypool
