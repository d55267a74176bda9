#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "cleaner/CleanerClock.h"

namespace veilport::cleaner {

// The worker of scheduled cleaning. Once started it checks AutoClean at once
// and after every wait: when it holds exactly 1 a cleaning pass runs. The wait
// is Sleep minutes, read afresh after each check, so a change of AutoClean or
// Sleep is seen only when the current wait ends.
//
// The thread lives until the object is destroyed. The destructor asks it to
// stop: a wait ends at once, a pass stops at its next file, key or cache entry,
// and the destructor then waits for the thread, so that nothing it uses (the
// stores, the clock) goes away under it at program exit.
class CleanerThread {
public:
    using Pass = std::function<void(std::stop_token)>;

    // A thread that runs `pass`; the clock must outlive the object.
    CleanerThread(CleanerClock& clock, Pass pass);
    ~CleanerThread();
    CleanerThread(const CleanerThread&) = delete;
    CleanerThread& operator=(const CleanerThread&) = delete;

    // Starts the thread, once. False when it was already started or the system
    // refused a new thread (the program then simply runs without cleaning).
    [[nodiscard]] bool start();
    bool isRunning() const;

    // The process's cleaner, running real passes on the steady clock.
    static CleanerThread& processWide();
    // The real pass: the stored flags and browser choice. Nothing is
    // reported but what was left alone (refused folders, running browsers,
    // locked files), which goes to stderr and, when a notice is set, to it.
    static void RunScheduledPass(std::stop_token stop);

    // Told, on the cleaner thread, the lines of a scheduled pass that left
    // something alone; the window shows them. Replaces the notice before.
    using SkippedNotice = std::function<void(const std::vector<std::string>&)>;
    void setSkippedNotice(SkippedNotice notice);

    // The wait for a Sleep value: that many minutes; 5 minutes when it is 0
    // (never stored yet), so passes never run back to back; at most the
    // largest period the cleaning page accepts, 31999 minutes.
    static std::chrono::milliseconds periodFromSleep(std::uint32_t minutes);

private:
    void run(std::stop_token stop);

    CleanerClock& clock_;
    Pass pass_;
    mutable std::mutex mutex_;
    std::mutex noticeMutex_;
    SkippedNotice notice_;
    std::jthread thread_;
};

}  // namespace veilport::cleaner
