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
    // False when another Veilport was brought to the front: end at once.
    bool proceed = false;
    // What putting back a machine left pointing at the last session's Gateway
    // did; the window shows its failures once it is up.
    browsers::SwitchReport reset;
};

// The steps of start-up that come before the main window, in their order:
// the single-instance rule (a second instance shows the first one's window and
// touches nothing), then the anonymity service's reset for a new session.
Startup BeginStartup(services::Anonymity& anonymity,
                     std::string_view mutexName = process::kSingleInstanceMutexName,
                     std::string_view windowTitle = process::kMainWindowTitle);

}  // namespace veilport::app
