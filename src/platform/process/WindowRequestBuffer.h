#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/process/WindowMessage.h"

namespace veilport::process {

// Gathers the bytes of one request as they arrive on a connection, in pieces
// of any size, and says as soon as they are a whole request or can no longer
// become one. A request is one line (parseWindowRequest): it is whole at its
// line feed; bytes past it, more than kLongestWindowMessage bytes, or the
// peer's end before the line feed make it bad.
class WindowRequestBuffer {
public:
    enum class State { Incomplete, Complete, Bad };

    State add(std::string_view bytes);
    // The peer has closed its side.
    State end();

    State state() const { return state_; }
    // The request, once Complete.
    const std::optional<WindowRequest>& request() const { return request_; }

private:
    std::string bytes_;
    std::optional<WindowRequest> request_;
    State state_ = State::Incomplete;
};

}  // namespace veilport::process
