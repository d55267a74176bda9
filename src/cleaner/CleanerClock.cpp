#include "cleaner/CleanerClock.h"

namespace veilport::cleaner {

void SteadyCleanerClock::waitFor(std::chrono::milliseconds period, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    // Nothing ever notifies without a stop request, so only the deadline or the
    // stop ends the wait; spurious wake-ups go back to waiting.
    (void)wake_.wait_for(lock, stop, period, [] { return false; });
}

}  // namespace veilport::cleaner
