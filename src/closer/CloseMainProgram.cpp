#include "closer/CloseMainProgram.h"

#include <chrono>

#include "closer/QuenchorNames.h"
#include "platform/process/ProcessHandle.h"
#include "platform/process/ProcessWalk.h"
#include "platform/process/TopLevelWindow.h"
#include "platform/text/Ascii.h"

namespace veilport::closer {

namespace {

constexpr std::chrono::seconds kExitWait{3};

bool isVeilport(const std::optional<std::string>& executable) {
    return executable && text::equalsIgnoringAsciiCase(*executable, kVeilportExecutable);
}

}  // namespace

CloseOutcome CloseMainProgram() {
    CloseOutcome outcome;
    if (const auto window = process::TopLevelWindow::find(kVeilportWindowTitle))
        outcome.closePosted = window->post(process::WindowMessage::Close);

    const auto pid = process::findFirstProcessNamed(kVeilportExecutable);
    if (!pid) return outcome;
    const process::ProcessHandle handle = process::ProcessHandle::open(*pid);
    // Once opened, the handle holds this very process; checking the name
    // again rules out a number that was reused in between by another program.
    if (!handle.valid() || !isVeilport(process::executableFileName(*pid))) return outcome;
    if (handle.terminate()) return outcome;
    outcome.terminated = *pid;
    static_cast<void>(handle.waitForExit(kExitWait));
    return outcome;
}

}  // namespace veilport::closer
