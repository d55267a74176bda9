#pragma once

#include <sys/types.h>

#include <optional>

namespace veilport::closer {

// What CloseMainProgram found and did; nothing of it is shown to the user.
struct CloseOutcome {
    bool closePosted = false;         // Veilport's window was found and told to close
    std::optional<pid_t> terminated;  // the process that was terminated
};

// Ends a running Veilport: posts the close message to the window titled
// "Veilport" (shown or hidden in the tray), then terminates the first process
// whose executable is named Veilport in any letter case, as Veilport's own
// exit with status 0 without cleanup. It returns once that process has ended
// (or after a few seconds), so the poll dialog appears when Veilport is gone.
// A process of another user cannot be terminated; then only the close
// message may end it.
CloseOutcome CloseMainProgram();

}  // namespace veilport::closer
