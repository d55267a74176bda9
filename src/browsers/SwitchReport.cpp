#include "browsers/SwitchReport.h"

#include <algorithm>
#include <iterator>

namespace veilport::browsers {

std::vector<SwitchReport::Target> SwitchReport::failures() const {
    std::vector<Target> failed;
    std::copy_if(targets_.begin(), targets_.end(), std::back_inserter(failed),
                 [](const Target& target) { return !target.done; });
    return failed;
}

bool SwitchReport::allDone() const {
    return std::all_of(targets_.begin(), targets_.end(),
                       [](const Target& target) { return target.done; });
}

std::string SwitchReport::failureText() const {
    std::string text;
    for (const auto& target : failures()) text += target.name + ": " + target.reason + "\n";
    return text;
}

}  // namespace veilport::browsers
