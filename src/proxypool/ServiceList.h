#pragma once

// The proxy-list service's body and the views built from it, as pure functions.
// The body is a run of entries, each ended by "<br />"; an entry is taken as it
// stands (no trimming, so a line break after one "<br />" starts the next
// entry), an entry containing "null" is skipped by every view, and text after
// the last "<br />" is ignored.

#include <string>
#include <string_view>
#include <vector>

namespace veilport::proxypool {

inline constexpr std::string_view kEntryTerminator = "<br />";
inline constexpr std::string_view kNullMark = "null";

// Which wizard purpose a view serves: any proxy, or only those that take POST.
enum class WizardMode { BrowseInvisibly, PostAnonymously };

// One row of the New list: the entry text and the picture of its role.
struct NewListRow {
    std::string entry;
    int picture = 0;  // 1: the proxy supports POST; 0: plain proxy
    // Where the entry came from: empty for the service list, else a list
    // source's location.
    std::string source = {};

    bool operator==(const NewListRow&) const = default;
};

// Every entry of the body in service order, "null" entries included.
std::vector<std::string_view> ServiceEntries(std::string_view body);

// The New list: every entry without "null", in service order, duplicates kept.
std::vector<NewListRow> BuildNewList(std::string_view body);

// The location name of an entry: the text after the first "->" (from the second
// character when there is none), cut before the blank that precedes the first
// "<" when "<supports POST>" follows.
std::string LocationName(std::string_view entry);

// The wizard's location drop-down: distinct names (exact compare), in the order
// a sorted drop-down shows them, case-insensitive alphabetical. Post mode takes
// only entries that support POST. Every name is kept, however many.
std::vector<std::string> WizardLocations(std::string_view body, WizardMode mode);

// The wizard's proxies for a location: distinct entries whose text contains the
// location anywhere (case-sensitive substring, so "Niger" also selects
// "Nigeria"), in service order. Post mode takes only entries that support POST.
std::vector<std::string> WizardProxies(std::string_view body, std::string_view location,
                                       WizardMode mode);

}  // namespace veilport::proxypool
