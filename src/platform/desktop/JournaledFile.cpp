#include "platform/desktop/JournaledFile.h"

#include <cerrno>
#include <cstring>

namespace veilport::desktop {

namespace {

TargetOutcome Failed(std::string reason) {
    return {false, std::move(reason)};
}

std::string Why(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

constexpr const char* kCannotRecord =
    "its settings could not be recorded for the way back, so it was left as it is";

}  // namespace

TargetOutcome ChangeJournaledFile(const std::filesystem::path& file, const std::string& kind,
                                  const FileEdit& edit) {
    const auto current = ReadTargetFile(file);
    if (!current) return Failed(Why("cannot be read"));
    const auto changed = edit(*current);
    if (!changed) return Failed("its contents could not be changed safely; left as it is");
    if (current->exists && *changed == current->bytes) {
        // Nothing to change, but a journal entry made earlier still needs the
        // after-state so the way back knows this content as the switch's own.
        if (SwitchJournal::Find(kind, file.string()))
            (void)SwitchJournal::RecordAfter(kind, file.string(), *current);
        return {true, {}};
    }
    if (!SwitchJournal::RecordBefore(kind, file.string(), *current)) return Failed(kCannotRecord);
    if (!WriteTargetFile(file, {true, *changed})) return Failed(Why("cannot be written"));
    if (!SwitchJournal::RecordAfter(kind, file.string(), {true, *changed}))
        return Failed(kCannotRecord);
    return {true, {}};
}

TargetOutcome RestoreJournaledFile(const JournalEntry& entry, const FileMerge& merge) {
    const std::filesystem::path file = entry.name;
    const auto current = ReadTargetFile(file);
    if (!current) return Failed(Why("cannot be read"));
    TargetOutcome outcome{true, {}};
    if (*current == entry.before) {
        // Already as it was.
    } else if (!entry.after || *current == *entry.after) {
        if (!WriteTargetFile(file, entry.before)) return Failed(Why("cannot be written"));
    } else if (merge && current->exists) {
        std::vector<std::string> conflicts;
        const std::string merged = merge(current->bytes, entry, conflicts);
        TargetState next{true, merged};
        if (!entry.before.exists && merged.find_first_not_of(" \t\r\n") == std::string::npos)
            next = {};
        if (!(next == *current) && !WriteTargetFile(file, next))
            return Failed(Why("cannot be written"));
        if (!conflicts.empty()) {
            std::string names;
            for (const auto& name : conflicts) names += (names.empty() ? "" : ", ") + name;
            outcome =
                Failed("changed since Veilport switched it; " + names + " left as they are now");
        }
    } else {
        outcome = Failed("changed since Veilport switched it; left as it is now");
    }
    if (!SwitchJournal::Forget(entry.kind, entry.name) && outcome.done)
        return Failed("put back, but the journal could not be updated");
    return outcome;
}

}  // namespace veilport::desktop
