#pragma once

#include <string_view>

#include "platform/process/SingleInstance.h"
#include "proxypool/ConnectionSwitch.h"

namespace veilport::app {

// What start-up decided before any window exists. Keep it for the life of the
// process: it holds the single-instance mutex.
struct Startup {
    process::SingleInstance instance;
    // False when another Veilport was brought to the front: end at once; or
    // when instance.problem() says why this one cannot run: say so and end.
    bool proceed = false;
};

// The steps of start-up that come before the main window, in their order:
// the single-instance rule (a second instance shows the first one's window and
// touches nothing; without a private runtime folder nothing is touched
// either), then anonymity switched off in the settings. Once the main window
// has registered its title, call startup.instance.windowReady(): a start made
// meanwhile waits for it. When the last
// session ended with anonymity on, the machine still points at a Gateway that
// no longer listens, so the system proxy and the flagged browsers are put back
// too; otherwise they are left alone.
Startup BeginStartup(proxypool::ConnectionSwitch& connection,
                     std::string_view mutexName = process::kSingleInstanceMutexName,
                     std::string_view windowTitle = process::kMainWindowTitle);

// The anonymity reset alone: a stored UseProxy 1 becomes 0 (after the
// connection is switched back), an absent value stays absent.
void ResetAnonymityAtStartup(proxypool::ConnectionSwitch& connection);

}  // namespace veilport::app
