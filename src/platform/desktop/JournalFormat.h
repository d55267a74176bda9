#pragma once

// The text of the switch journal (see SwitchJournal.h), as pure functions so
// that a damaged journal can be table-tested and fuzzed. Every field carries
// its length, so file contents of any bytes (line breaks, zero bytes) travel
// unchanged:
//
//   veilport switch journal 1\n
//   K <len>\n<kind>\n  N <len>\n<name>\n  B <len>|-\n[<bytes>\n]  A <len>|-\n[<bytes>\n]  E\n
//
// "-" marks a target that did not exist; an entry without an A field has no
// known after-state (the switch was cut short between the two records).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veilport::desktop {

// What one target held: its bytes, or nothing when it did not exist.
struct TargetState {
    bool exists = false;
    std::string bytes;
    bool operator==(const TargetState&) const = default;
};

struct JournalEntry {
    // "file", "gnome" or "gnome-keyfile"; the restore for each lives with whoever
    // changes that kind of target.
    std::string kind;
    // The file's path, or the desktop's name for its settings.
    std::string name;
    TargetState before;
    std::optional<TargetState> after;
    bool operator==(const JournalEntry&) const = default;
};

std::string FormatJournal(const std::vector<JournalEntry>& entries);

// Nullopt when the text is not a whole journal (wrong header, a field cut
// short, a length past the end): a damaged journal is never half believed.
std::optional<std::vector<JournalEntry>> ParseJournal(std::string_view text);

}  // namespace veilport::desktop
