#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/io/UniqueFd.h"
#include "platform/process/NamedMutex.h"

namespace veilport::process {

// Veilport's own names: the single-instance mutex and the title of its main
// window, by which a second instance (and Quenchor) find the first.
inline constexpr std::string_view kSingleInstanceMutexName =
    "AFX_Tavel_H__5B5F33E8_2175_4C23_BB38_A334CADD6B88";
inline constexpr std::string_view kMainWindowTitle = "Veilport";

// How long a start waits for an instance that is itself still starting.
inline constexpr std::chrono::seconds kWaitForStartingInstance{30};

// The single-instance rule at start-up. Holds the mutex for the life of the
// object (keep it for the life of the process).
//
// Starts are taken one at a time: a start holds a per-user "starting" lock
// from before it looks at the mutex until its window can be found
// (windowReady). A second start, even one made within the same instant (a
// double-click), waits for that lock and then finds the first one's window,
// so there is never a moment in which the first runs without a window that a
// second could miss. The lock dies with its holder, so a crashed start never
// blocks the next.
class SingleInstance {
public:
    // Waits for a start in progress, then creates the mutex. When another
    // instance holds it and its window can be found by title, that window is
    // told to show itself, raise and take the foreground, and activatedOther()
    // is true: this process should then end without creating a window or
    // touching any setting. Otherwise (first instance; another one ending
    // without a window; a start that kept the lock past `wait`) this process
    // goes on as the instance, unless problem() says it cannot.
    [[nodiscard]] static SingleInstance start(
        std::string_view mutexName = kSingleInstanceMutexName,
        std::string_view windowTitle = kMainWindowTitle,
        std::chrono::milliseconds wait = kWaitForStartingInstance);

    bool activatedOther() const { return activatedOther_; }

    // Not empty when there is no runtime folder fit for the lock and the
    // window's socket (see runtimeDir): the sentence to show before ending.
    // Running on without them would let a second instance start unseen and
    // leave the window out of reach of the command line.
    const std::string& problem() const { return problem_; }

    // The first instance's window has registered its title (or failed to):
    // a start waiting for this one goes on and finds it.
    void windowReady() { starting_.reset(); }

private:
    io::UniqueFd starting_;
    NamedMutex mutex_;
    bool activatedOther_ = false;
    std::string problem_;
};

}  // namespace veilport::process
