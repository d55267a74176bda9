#pragma once

// The journal of what each target of the anonymity switch held before the
// switch first changed it: the desktop's proxy settings, each browser file.
// It lives in the Veilport home ("switch-journal") so that switching off, Exit
// and the next start after a crash can put every target back exactly.
//
// A target is recorded before it is changed, and the record is on disk
// (replaced atomically) before the change is made; a target whose record
// cannot be written must not be changed. What the switch left is recorded after
// the change, so the way back can tell a target the user changed meanwhile.
//
// Every call locks the journal (flock on "switch-journal.lock") for its
// read-change-write, so the window, its workers and veilportctl can share it.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/JournalFormat.h"

namespace veilport::desktop {

class SwitchJournal {
public:
    static std::filesystem::path Path();

    // Every entry, in the order recorded. Nullopt, with `problem` saying why,
    // when a journal exists but cannot be read or is damaged; it is then kept
    // as it is for a person to look at.
    static std::optional<std::vector<JournalEntry>> Entries(std::string* problem = nullptr);
    static std::optional<JournalEntry> Find(const std::string& kind, const std::string& name);

    // Records what the target holds now, unless the journal already knows it
    // (its first state is the one to go back to). False when that could not
    // be written: the caller must then leave the target alone.
    [[nodiscard]] static bool RecordBefore(const std::string& kind, const std::string& name,
                                           const TargetState& before);
    // Records what the switch left in a target already recorded.
    [[nodiscard]] static bool RecordAfter(const std::string& kind, const std::string& name,
                                          const TargetState& after);
    // The target is back (or left to the user): its entry goes, and the
    // journal file with the last entry.
    [[nodiscard]] static bool Forget(const std::string& kind, const std::string& name);
};

// What a file holds now, as the journal records it; nullopt when it exists but
// cannot be read.
std::optional<TargetState> ReadTargetFile(const std::filesystem::path& file);
// Puts a file back as recorded: its bytes, or no file when there was none.
[[nodiscard]] bool WriteTargetFile(const std::filesystem::path& file, const TargetState& state);

}  // namespace veilport::desktop
