#include "gateway/FilterSwitchCache.h"

namespace veilport {

FilterSwitches FilterSwitchCache::current() {
    // The mark is taken before the read it then stands for: a commit in
    // between makes the next mark differ, and that call reads again.
    auto mark = registry::changeMark();
    std::lock_guard lock(mutex_);
    if (!mark || !seen_ || *mark != *seen_) {
        switches_ = FilterSwitches::fromStore();
        seen_ = std::move(mark);
    }
    return switches_;
}

}  // namespace veilport
