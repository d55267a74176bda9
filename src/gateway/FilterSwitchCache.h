#pragma once

#include <mutex>
#include <optional>

#include "gateway/FilterSwitches.h"
#include "platform/registry/Registry.h"

namespace veilport {

// The filter's switches for every request and every filtered chunk, read from
// the settings store again only once something was committed there, by this
// process or another one. A read costs several key lookups under the store's
// lock, which every connection thread would queue for; a look at the store's
// change mark costs a 96-byte copy. Where the mark cannot be had, every call
// reads the store.
class FilterSwitchCache {
public:
    FilterSwitchCache() = default;
    FilterSwitchCache(const FilterSwitchCache&) = delete;
    FilterSwitchCache& operator=(const FilterSwitchCache&) = delete;

    FilterSwitches current();

private:
    std::mutex mutex_;
    std::optional<registry::ChangeMark> seen_;  // guarded
    FilterSwitches switches_;                   // guarded
};

}  // namespace veilport
