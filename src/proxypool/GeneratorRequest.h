#pragma once

// The request the service expects after each list update, sent on a short-lived
// thread of its own so the window never waits for it. One global object keeps
// the latest request's thread id and exit code; each start replaces them.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "proxypool/ProxyListService.h"

namespace veilport::proxypool {

class GeneratorRequest {
public:
    static constexpr int kStillRunning = -1;

    // The one object of the program. It is never destroyed, so a request still
    // running while the process exits never touches a dead object.
    static GeneratorRequest& instance();

    // GETs url through get on a new thread and throws the body away. The exit
    // code is kStillRunning until the thread ends, then 0. A thread that cannot
    // be created leaves the exit code 0: there is nothing to wait for.
    void start(HttpGet get, std::string url);

    int exitCode() const;
    std::thread::id threadId() const;
    // The thread's parameter, always 0.
    int parameter() const { return 0; }
    // Waits until the latest request has ended; false when timeout passes first.
    bool waitFinished(std::chrono::milliseconds timeout) const;

private:
    GeneratorRequest() = default;
    void finished(std::uint64_t generation);

    mutable std::mutex mutex_;
    mutable std::condition_variable done_;
    std::uint64_t generation_ = 0;
    std::thread::id threadId_;
    int exitCode_ = 0;
};

}  // namespace veilport::proxypool
