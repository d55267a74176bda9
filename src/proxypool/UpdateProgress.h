#pragma once

// The progress sequence around a list update, as a list of steps a window (or
// the command line) plays: the bar moves to 20, the update runs, then the bar
// walks to 100 in steps of 20 with a short pause after each, so the user sees
// the work finish.

#include <string>
#include <vector>

#include "proxypool/UpdateProxyList.h"

namespace veilport::proxypool {

struct ProgressStep {
    enum class Kind {
        SetRange,     // the bar's range becomes 0..value
        SetPosition,  // the bar's position becomes value
        Wait,         // pause for value milliseconds
        RunUpdate,    // run UpdateProxyList
        ShowMessage,  // the message dialog with text; the next step follows when it closes
    };
    Kind kind;
    int value = 0;
    std::string text;

    bool operator==(const ProgressStep&) const = default;
};

inline constexpr int kProgressPauseMs = 300;

std::vector<ProgressStep> UpdateProgressSteps(UpdateOrigin origin);

}  // namespace veilport::proxypool
