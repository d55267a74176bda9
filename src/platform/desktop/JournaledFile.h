#pragma once

// Changing one file through the switch journal, and putting it back.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/SwitchJournal.h"

namespace veilport::desktop {

struct TargetOutcome {
    bool done = false;
    // Why not, for a person to read; empty when done.
    std::string reason;
};

// What the switch makes of a file: the new bytes, or nullopt when the file
// must stay as it is (the edit refused it).
using FileEdit = std::function<std::optional<std::string>(const TargetState& current)>;

// Records what `file` holds (the first time only), then writes what `edit`
// makes of it and records that. A file that cannot be read, or whose record
// cannot be written, is left untouched and the outcome says why.
TargetOutcome ChangeJournaledFile(const std::filesystem::path& file, const std::string& kind,
                                  const FileEdit& edit);

// Puts back the part of a file the switch changed when the user changed other
// parts since: the merged bytes, and in `conflicts` what the user changed in
// the switch's own part (that stays as the user left it).
using FileMerge = std::function<std::string(const std::string& current, const JournalEntry& entry,
                                            std::vector<std::string>& conflicts)>;

// Puts the file of `entry` back: exactly as recorded when it still holds what
// the switch left; through `merge`, when given, when the user changed it since;
// else it is left as the user made it and the outcome says so. The entry is
// forgotten unless the file could not be read or written.
TargetOutcome RestoreJournaledFile(const JournalEntry& entry, const FileMerge& merge = {});

}  // namespace veilport::desktop
