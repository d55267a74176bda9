#pragma once

// The running Veilport, which owns the Gateway: commands that change the
// anonymity state are handed to it over the window-message channel, so the
// Gateway the machine is pointed at lives as long as the program does.

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>

#include "platform/process/TopLevelWindow.h"

namespace veilport::cli {

// The running Veilport's main window, or nothing. When nothing is found
// because this user has no usable runtime folder (where the window's socket
// lives), err is told which folder and what is wrong with it: "not running"
// alone would hide why no Veilport can run.
std::optional<process::TopLevelWindow> FindRunningVeilport(std::ostream& err);

// How long the command line waits for an answer. Generous: the window may
// show a message the user has to acknowledge, or run a download first.
inline constexpr std::chrono::seconds kAnswerTimeout{120};

// Sends the request and prints the answer: its first line is the exit status,
// the rest goes to out (status 0) or err (otherwise). Returns that status, or
// 1 with a message when no answer came.
int HandOver(const process::TopLevelWindow& window, const process::WindowRequest& request,
             std::ostream& out, std::ostream& err);

// The answer a window writes: the exit status on the first line, then the text.
std::string FormatAnswer(int status, const std::string& text);

}  // namespace veilport::cli
