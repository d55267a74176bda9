#pragma once

#include <filesystem>

#include "browsers/BrowserProfiles.h"

namespace veilport::cleaner {

// Whether the browser that owns a profile is running, by the lock it keeps
// while it runs:
//   Firefox   a record lock on ".parentlock" held by another process, or the
//             "lock" link naming a process of this machine that is alive;
//   Chromium  the user-data folder's "SingletonLock" link, "host-pid", naming a
//             live process, or another machine (which cannot be asked, so the
//             profile counts as in use there).
// A lock left by a process that has ended blocks nothing.
bool BrowserIsRunning(const browsers::BrowserProfile& profile);

}  // namespace veilport::cleaner
