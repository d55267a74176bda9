#pragma once

#include <string_view>

namespace veilport::app {

inline constexpr std::string_view kNoDesktopMessage =
    "Veilport needs a desktop session (no DISPLAY or WAYLAND_DISPLAY)";

// Whether the windowing system the toolkit will use can be reached: an X
// server at $DISPLAY, or a Wayland compositor at $WAYLAND_DISPLAY, as
// $QT_QPA_PLATFORM asks (either, when it is unset). A platform that needs no
// display (offscreen, for tests) always can. Asked before anything else at
// start-up: the toolkit aborts the process when it cannot open its display,
// and by then settings would already have been changed.
[[nodiscard]] bool CanOpenDesktopSession();

}  // namespace veilport::app
