#pragma once

#include "cleaner/PassContext.h"
#include "cleaner/RunCleaningPass.h"

namespace veilport::cleaner {

// The browser choice as stored: the boxes of the cleaning page and the keep list.
BrowserChoice ReadBrowserChoice();

// Runs the enabled tasks on every profile of the browsers `context.browsers`
// names, each profile in one go: a profile whose browser runs is left alone
// and the next pass tries again. Each profile's counts, and what was skipped
// and why, go to the observer's browserProfile; a dry run counts exactly what
// the pass would remove. Bookmarks and favorites of real browsers are never
// touched.
void CleanBrowsers(const TaskFlags& flags, PassContext& context);

}  // namespace veilport::cleaner
