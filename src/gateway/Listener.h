#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "gateway/ConnectionThreads.h"
#include "gateway/GatewayShared.h"
#include "platform/io/UniqueFd.h"

namespace veilport {

// One listening socket, and the source the connection threads accept from.
// Every start of the Gateway makes a new Listener with its own socket and its
// own stop flag, so a thread of an old listener that is still returning from
// accept after a stop can never touch the socket or the state of the one that
// replaced it. The socket closes when the last thread lets go of the Listener.
class Listener : public ConnectionSource, public std::enable_shared_from_this<Listener> {
public:
    enum class State { Starting, Listening, Failed, Ended };

    struct Outcome {
        State state = State::Starting;
        int error = 0;           // errno when Failed
        std::uint16_t port = 0;  // the bound port when Listening
    };

    Listener(in_addr address, std::uint16_t port, std::shared_ptr<GatewayShared> shared)
        : address_(address), port_(port), shared_(std::move(shared)) {}

    // The listener thread's body: binds the address, then accepts and serves
    // as the first of the connection threads.
    void run();
    // From any thread; returns at once. The accept in progress is woken.
    void stop();
    bool running() const;
    // Waits until the listener listens or has given up (or the time is over).
    Outcome waitUntilSettled(std::chrono::milliseconds timeout) const;

    // How long the listener pauses after a failed accept (for example, out of
    // descriptors) before it tries again, so that it never spins.
    static constexpr std::chrono::milliseconds kAcceptBackoff{100};

    net::Result<net::UniqueFd> next() override;
    bool stopped() const override { return stopRequested_.load(); }
    void pauseAfterFailure() override;
    void serve(net::UniqueFd browser) override;

private:
    void settle(State state, int error);

    const in_addr address_;
    const std::uint16_t port_;
    const std::shared_ptr<GatewayShared> shared_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    // Set once by run() before any thread accepts on it; stop() shuts it down,
    // the destructor closes it.
    net::UniqueFd socket_;
    std::atomic<bool> stopRequested_{false};
    Outcome outcome_;
};

}  // namespace veilport
