#pragma once

#include <array>

#include "cleaner/PassContext.h"

namespace veilport::cleaner {

// The seven flags IClear1 to IClear7; a task runs only when its flag holds 1.
using TaskFlags = std::array<bool, 7>;
TaskFlags ReadTaskFlags();

// One pass: reads the flags, then runs the enabled tasks in their fixed order
// (history, typed URLs, temporary files, cookies, forms, passwords,
// favorites). Failures are skipped; refused folders go to the observer.
void RunCleaningPass(PassContext& context);
// The same with flags chosen by the caller.
void RunCleaningTasks(const TaskFlags& flags, PassContext& context);

}  // namespace veilport::cleaner
