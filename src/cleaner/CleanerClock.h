#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace veilport::cleaner {

// How the cleaner thread waits between two checks. The program waits on the
// steady clock; tests put in a clock they advance themselves, so that no test
// sleeps.
class CleanerClock {
public:
    virtual ~CleanerClock() = default;
    // Returns after `period`, or sooner once `stop` is requested.
    virtual void waitFor(std::chrono::milliseconds period, std::stop_token stop) = 0;
};

class SteadyCleanerClock final : public CleanerClock {
public:
    void waitFor(std::chrono::milliseconds period, std::stop_token stop) override;

private:
    std::mutex mutex_;
    std::condition_variable_any wake_;
};

}  // namespace veilport::cleaner
