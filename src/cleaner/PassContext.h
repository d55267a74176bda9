#pragma once

#include <stop_token>

#include "cleaner/CleanerSystem.h"
#include "cleaner/CleaningObserver.h"
#include "cleaner/ProtectedPaths.h"

namespace veilport::cleaner {

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
};

}  // namespace veilport::cleaner
