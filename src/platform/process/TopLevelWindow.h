#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/process/WindowMessage.h"

namespace veilport::process {

// Another program's top-level window, found by its exact title. Like a window
// handle it may go stale: the window can end between the search and a post.
class TopLevelWindow {
public:
    // Finds the window that registered this title (WindowEndpoint), whether it
    // is shown or hidden. Nothing when no live window holds the title.
    [[nodiscard]] static std::optional<TopLevelWindow> find(std::string_view title);

    // Posts the message and returns at once, without waiting for the window to
    // act on it. False when the window is gone or did not take the message.
    [[nodiscard]] bool post(WindowMessage message) const;

    // Sends a request and waits for the window's answer. Nothing when the
    // window is gone, the request cannot be sent, no answer came within
    // timeout, or the window closed the connection without one.
    [[nodiscard]] std::optional<std::string> ask(const WindowRequest& request,
                                                 std::chrono::milliseconds timeout) const;

private:
    explicit TopLevelWindow(std::filesystem::path path) : path_(std::move(path)) {}

    std::filesystem::path path_;
};

}  // namespace veilport::process
