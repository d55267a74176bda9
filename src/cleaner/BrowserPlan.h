#pragma once

#include <string_view>
#include <vector>

#include "browsers/BrowserProfiles.h"
#include "cleaner/CleaningObserver.h"

namespace veilport::cleaner {

// One statement of a task against a browser's database. It runs only when
// every table and column it names is in the file as found ("table" or
// "table.column"); otherwise the step is skipped and reported, never guessed.
// A quiet step is for tables only some versions of the browser have: when
// they are missing there is nothing to say.
struct RowStep {
    std::string_view what{};  // the kind of row, as a person reads it: "history visits"
    std::string_view sql{};
    std::vector<std::string_view> needs{};
    bool quiet = false;
};

struct DatabasePlan {
    // The database's names below the profile; each that exists is cleaned.
    std::vector<std::string_view> files{};
    std::vector<RowStep> steps{};
};

// Everything one task does to one profile of a browser family.
struct TaskPlan {
    std::vector<DatabasePlan> databases{};
    // Files below the profile that go whole.
    std::vector<std::string_view> files{};
    // Folders below the profile, and below each of its cache folders, that
    // are emptied with the link-safe tree deletion.
    std::vector<std::string_view> profileFolders{};
    std::vector<std::string_view> cacheFolders{};
    // The per-site storage folders, except those of kept sites.
    bool siteStorage = false;
};

TaskPlan PlanFor(browsers::BrowserFamily family, CleaningTask task);

}  // namespace veilport::cleaner
