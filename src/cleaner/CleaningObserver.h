#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "cleaner/ProfileOutcome.h"

namespace veilport::cleaner {

// The seven tasks, numbered as their flags IClear1 to IClear7.
enum class CleaningTask {
    History = 1,
    TypedUrls = 2,
    TemporaryFiles = 3,
    Cookies = 4,
    AutoCompleteForms = 5,
    AutoCompletePasswords = 6,
    Favorites = 7,
};

std::string_view taskName(CleaningTask task);

enum class RemovedKind { File, Folder, Link, RegistryKey, CacheEntry, HistoryEntries };

// Told what a pass removes (or, in a dry run, would remove), in the order it
// happens. The pass itself reports nothing to the user; the cleaner thread
// uses this base class, veilportctl prints every call.
class CleaningObserver {
public:
    virtual ~CleaningObserver() = default;
    virtual void taskStarted(CleaningTask) {}
    virtual void removed(RemovedKind, std::string_view) {}
    // A file or link removed, with its size; the default passes it on to
    // `removed`.
    virtual void removedFile(RemovedKind kind, std::string_view what, std::uint64_t bytes);
    // A folder the task leaves alone because emptying it would do harm (the
    // root, a home folder, a path that is empty or relative). The default
    // writes one line on stderr, since the user asked for that folder to be
    // cleaned and should learn why it was not.
    virtual void refused(CleaningTask task, const std::filesystem::path& folder,
                         std::string_view reason);
    // One browser profile done, with its counts; called once per profile.
    // The default writes a line on stderr for each thing left alone, since
    // the user asked for it to be cleaned.
    virtual void browserProfile(const ProfileOutcome& outcome);
};

}  // namespace veilport::cleaner
