#pragma once

#include <functional>
#include <stop_token>
#include <string>

#include "cleaner/CleanerSystem.h"
#include "cleaner/CleaningObserver.h"
#include "cleaner/ProtectedPaths.h"
#include "cleaner/SiteKeepList.h"

namespace veilport::cleaner {

// Which real browsers' profiles a pass cleans besides the stand-in folders,
// and the sites whose cookies it keeps there. None by default.
struct BrowserChoice {
    bool firefox = false;
    bool chromium = false;
    SiteKeepList keep;
};

// What every step of one pass shares: whom to tell, whether to change
// anything, when to stop, and what never to touch.
struct PassContext {
    CleaningObserver& observer;
    CleanerSystem& system;
    // Report what would be removed and remove nothing.
    bool dryRun = false;
    // Requested when the program ends: the pass stops at the next item.
    std::stop_token stop;
    ProtectedPaths protectedPaths = ProtectedPaths::current();
    // The task under way, for the lines that name it.
    CleaningTask task = CleaningTask::History;
    // Called with a sub-folder's path after it was looked at and before it is
    // opened: the moment another program could swap it for a link. Tests use
    // it to make that swap happen exactly then.
    std::function<void(const std::string&)> beforeOpeningFolder = nullptr;
    BrowserChoice browsers{};
};

}  // namespace veilport::cleaner
