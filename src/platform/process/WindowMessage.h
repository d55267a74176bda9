#pragma once

#include <optional>
#include <string_view>

namespace veilport::process {

// The messages one program may post to another program's top-level window.
enum class WindowMessage {
    // Show the window as the show-default command would (restored from the
    // tray or from minimised), raise it and make it the foreground window.
    Show,
    // The close message: the window ends, and nothing else is switched off.
    Close,
};

// The wire form of a message: one word and a line feed.
std::string_view formatWindowMessage(WindowMessage message);

// Reads the wire form; anything else (including a word without its line feed)
// is no message.
std::optional<WindowMessage> parseWindowMessage(std::string_view bytes);

}  // namespace veilport::process
