#pragma once

#include <string_view>

#include "platform/process/NamedMutex.h"

namespace veilport::process {

// Veilport's own names: the single-instance mutex and the title of its main
// window, by which a second instance (and Quenchor) find the first.
inline constexpr std::string_view kSingleInstanceMutexName =
    "AFX_Tavel_H__5B5F33E8_2175_4C23_BB38_A334CADD6B88";
inline constexpr std::string_view kMainWindowTitle = "Veilport";

// The single-instance rule at start-up. Holds the mutex for the life of the
// object (keep it for the life of the process).
class SingleInstance {
public:
    // Creates the mutex. When another instance holds it and its window can be
    // found by title, that window is told to show itself, raise and take the
    // foreground, and activatedOther() is true: this process should then end
    // without creating a window or touching any setting. Otherwise (first
    // instance; another one still starting or ending without a window; or a
    // mutex that could not be created) this process goes on as the instance.
    [[nodiscard]] static SingleInstance start(std::string_view mutexName = kSingleInstanceMutexName,
                                              std::string_view windowTitle = kMainWindowTitle);

    bool activatedOther() const { return activatedOther_; }

private:
    NamedMutex mutex_;
    bool activatedOther_ = false;
};

}  // namespace veilport::process
