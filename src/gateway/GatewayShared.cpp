#include "gateway/GatewayShared.h"

namespace veilport {

void GatewayShared::noteUpstreamReached(const std::shared_ptr<const GatewaySettings>& used) {
    std::lock_guard lock(mutex_);
    if (used == upstream_) failuresInARow_ = 0;
}

void GatewayShared::noteUpstreamUnreachable(const std::shared_ptr<const GatewaySettings>& used) {
    FailoverHandler handler;
    {
        std::lock_guard lock(mutex_);
        if (used != upstream_ || ++failuresInARow_ < 2 || !failover_) return;
        failuresInARow_ = 0;
        handler = failover_;
    }
    // One failover at a time: connections failing meanwhile wait for its result
    // instead of each trying the whole list.
    if (failingOver_.exchange(true)) return;
    handler(*used);
    failingOver_ = false;
}

}  // namespace veilport
