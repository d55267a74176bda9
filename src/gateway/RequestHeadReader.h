#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace veilport {

// The browser's request head as read off its connection.
struct RequestHead {
    enum class Outcome {
        Complete,  // `bytes` holds the whole header block, then any body bytes
        TooLarge,  // no end of the header block within kMaxHeadSize bytes
        TimedOut,  // the head did not arrive whole within the time limit
        Closed,    // the browser closed or failed before the head was whole
    };
    Outcome outcome = Outcome::Closed;
    std::string bytes;

    // Large cookies and long URLs fit many times over; a head larger than
    // this is not a browser's.
    static constexpr std::size_t kMaxHeadSize = 64 * 1024;
};

// Reads from `fd` until the header block has come whole (HeadScanner), or
// `limit` has passed since the call, or kMaxHeadSize bytes came without its
// end. Body bytes that arrive in the same reads are kept after the head.
RequestHead ReadRequestHead(int fd, std::chrono::milliseconds limit);

}  // namespace veilport
