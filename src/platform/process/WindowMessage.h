#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace veilport::process {

// The messages one program may post to another program's top-level window.
enum class WindowMessage {
    // Show the window as the show-default command would (restored from the
    // tray or from minimised), raise it and make it the foreground window.
    Show,
    // The close message: the window ends, and nothing else is switched off.
    Close,
    // The command line's requests to the running program, which owns the
    // Gateway: switch Online Anonymity on or off, tell its state, refetch the
    // proxy list, test and adopt a proxy (the argument is its entry text).
    // Each is answered on the same connection (see WindowReply).
    AnonymityOn,
    AnonymityOff,
    AnonymityStatus,
    UpdateProxyList,
    AdoptProxy,
};

// A message with its argument (only AdoptProxy takes one, and needs it).
struct WindowRequest {
    WindowMessage message = WindowMessage::Show;
    std::string argument;

    bool operator==(const WindowRequest&) const = default;
};

// The longest wire form a window reads; longer input is no message.
inline constexpr std::size_t kLongestWindowMessage = 512;

// The wire form of a message without argument: one word and a line feed.
std::string_view formatWindowMessage(WindowMessage message);

// The wire form of a request: the word, a blank and the argument when there is
// one, and a line feed. Empty when the request cannot be sent: an argument
// missing where one is needed, given where none is taken, holding a line
// break, or too long.
std::string formatWindowRequest(const WindowRequest& request);

// Reads the wire form; anything else (including a word without its line feed)
// is no message. parseWindowMessage takes only messages without argument.
std::optional<WindowRequest> parseWindowRequest(std::string_view bytes);
std::optional<WindowMessage> parseWindowMessage(std::string_view bytes);

}  // namespace veilport::process
