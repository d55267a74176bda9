#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/io/UniqueFd.h"
#include "platform/process/WindowEndpoint.h"

namespace veilport::process {

// Reads the requests that reach a window on a thread of its own, so that the
// window never waits on a client: a client that sends its bytes slowly, or
// connects and sends nothing, costs the window no time at all. The window
// takes whole, valid requests only, each with its reply channel.
//
// Each connection has a deadline for its whole request; at most a bounded
// number are read at once, and a new connection past the bound ends the one
// that has waited longest, so idle connections cannot lock out a client that
// sends its request at once (the command line does).
class WindowRequestReader {
public:
    struct Limits {
        std::chrono::milliseconds deadline{2000};
        std::size_t openConnections = 64;
    };

    // Starts reading the endpoint's connections. The endpoint must outlive
    // the reader. When the thread cannot be started, running() is false and
    // error() says why.
    explicit WindowRequestReader(const WindowEndpoint& endpoint, Limits limits);
    explicit WindowRequestReader(const WindowEndpoint& endpoint)
        : WindowRequestReader(endpoint, Limits{}) {}
    // Stops the thread and closes every connection still being read.
    ~WindowRequestReader();
    WindowRequestReader(const WindowRequestReader&) = delete;
    WindowRequestReader& operator=(const WindowRequestReader&) = delete;

    bool running() const { return thread_.joinable(); }
    std::error_code error() const { return error_; }

    // Readable while requests wait to be taken; an event loop watches it.
    int readyFd() const { return ready_.get(); }

    // The requests read so far, oldest first. Never waits.
    [[nodiscard]] std::vector<IncomingRequest> take();

private:
    void run(int listener);
    void deliver(IncomingRequest request);

    Limits limits_;
    io::UniqueFd ready_;
    io::UniqueFd stop_;
    std::mutex lock_;
    std::vector<IncomingRequest> waiting_;  // guarded by lock_
    std::error_code error_;
    // Last, so that it stops before the members it uses go.
    std::jthread thread_;
};

}  // namespace veilport::process
