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

}  // namespace veilport::browsers
