#pragma once

#include <string_view>

#include "browsers/SwitchReport.h"
#include "platform/process/SingleInstance.h"
#include "services/Anonymity.h"

namespace veilport::app {

// What start-up decided before any window exists. Keep it for the life of the
// process: it holds the single-instance mutex.
struct Startup {
    process::SingleInstance instance;
    // False when another Veilport was brought to the front: end at once; or
    // when instance.problem() says why this one cannot run, or there is no
    // desktop to show a window on (noDesktop): say so and end.
    bool proceed = false;
    bool noDesktop = false;
    // What putting back a machine left pointing at the last session's Gateway
    // did; the window shows its failures once it is up.
    browsers::SwitchReport reset;
};

// The steps of start-up that come before the main window, in their order:
// the single-instance rule (a second instance shows the first one's window and
// touches nothing; without a private runtime folder nothing is touched
// either), then whether a desktop session can be opened (without one nothing
// is touched), then the anonymity service's reset for a new session. A second
// start hands over before it opens the display: a burst of starts from one
// double-click then costs the X server one connection, not one each. Once the
// main window has registered its title, call startup.instance.windowReady():
// a start made meanwhile waits for it.
Startup BeginStartup(services::Anonymity& anonymity, bool (*canOpenDesktop)(),
                     std::string_view mutexName = process::kSingleInstanceMutexName,
                     std::string_view windowTitle = process::kMainWindowTitle);

}  // namespace veilport::app
