#pragma once

#include <array>

#include "cleaner/PassContext.h"

namespace veilport::cleaner {

// The seven flags IClear1 to IClear7; a task runs only when its flag holds 1.
using TaskFlags = std::array<bool, 7>;
TaskFlags ReadTaskFlags();

// One pass: reads the flags and the browser choice, then runs the enabled
// tasks in their fixed order (history, typed URLs, temporary files, cookies,
// forms, passwords, favorites) on the stand-in folders, then on the chosen
// browsers' profiles. Failures are skipped; refused folders and each browser
// profile's outcome go to the observer.
void RunCleaningPass(PassContext& context);
// The same with flags chosen by the caller and the browsers `context` names.
void RunCleaningTasks(const TaskFlags& flags, PassContext& context);

}  // namespace veilport::cleaner
