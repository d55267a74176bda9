#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/net/Socket.h"

namespace veilport {

// Starts `body` on a thread of its own that nobody joins; false when the thread
// could not be created (then `body` is destroyed unrun).
using ThreadStarter = bool (*)(std::function<void()> body);
bool StartDetachedThread(std::function<void()> body);

// How long a Gateway thread that finished its work (a connection, a store of
// LastDomain) waits for more before it ends, and how many connection threads
// may wait at once.
struct ThreadParking {
    std::chrono::milliseconds idle{30'000};
    // Above the concurrency a browser reaches (a few dozen connections for one
    // page), so a burst is served by threads that already exist.
    std::size_t maxParked = 256;
};

// Where connection threads take their connections from (the Gateway's
// listening socket).
class ConnectionSource {
public:
    virtual ~ConnectionSource() = default;
    // Waits for the next connection. EAGAIN when none came within the idle
    // time of the threads; any result once the source is stopped.
    virtual net::Result<net::UniqueFd> next() = 0;
    virtual bool stopped() const = 0;
    // After a failed accept (out of descriptors or memory): a pause that a
    // stop cuts short, so that the threads never spin.
    virtual void pauseAfterFailure() = 0;
    // Serves one connection to its end, on the calling thread.
    virtual void serve(net::UniqueFd connection) = 0;
};

// The threads that serve browser connections. Each thread accepts a
// connection itself and serves it from start to end, then goes back to accept
// the next one (it "parks" there), so a connection is neither handed from
// thread to thread nor waits for a thread to be created. One thread is always
// waiting at the source while it runs: the thread that takes the last waiting
// place starts a spare before it serves. When no spare can be made, the
// connection just accepted is refused (closed unserved) and the thread goes on
// waiting, so the Gateway keeps accepting.
//
// Parked threads end after `idle` without a connection, as long as another
// one still waits, or at once after their connection when `maxParked` wait
// already. Everything ends once the source is stopped.
//
// Held by shared_ptr: each thread keeps the set alive, so the set outlives
// whoever made it.
class ConnectionThreads : public std::enable_shared_from_this<ConnectionThreads> {
public:
    static std::shared_ptr<ConnectionThreads> create(ThreadStarter start, ThreadParking parking);

    // The calling thread becomes the first of the set's threads at `source`;
    // returns when this thread's part ends (idle, surplus, or stopped).
    void acceptFrom(std::shared_ptr<ConnectionSource> source);

    const ThreadParking& parking() const { return parking_; }
    // Threads waiting for a connection.
    std::size_t parked() const { return count(waiting_); }
    // Threads alive in the set, serving or parked.
    std::size_t threads() const { return count(threads_); }
    // Spare threads created so far.
    std::size_t started() const { return count(started_); }

    ConnectionThreads(ThreadStarter start, ThreadParking parking)
        : start_(start), parking_(parking) {}

private:
    // The threads waiting at one source. Each start of the Gateway has a
    // source of its own, and threads still leaving an old one must never
    // count as waiting at the new one.
    struct Waiting {
        std::atomic<long> count{0};
    };
    // `counted`: this thread's waiting place was already taken for it.
    void acceptLoop(const std::shared_ptr<ConnectionSource>& source,
                    const std::shared_ptr<Waiting>& waiting, bool counted);
    bool startSpare(const std::shared_ptr<ConnectionSource>& source,
                    const std::shared_ptr<Waiting>& waiting);
    void arrive(Waiting& waiting) {
        ++waiting.count;
        ++waiting_;
    }
    // The number of threads still waiting at the source after this one left.
    long leave(Waiting& waiting) {
        --waiting_;
        return --waiting.count;
    }
    static std::size_t count(const std::atomic<long>& value) {
        const long now = value.load();
        return now > 0 ? static_cast<std::size_t>(now) : 0;
    }

    const ThreadStarter start_;
    const ThreadParking parking_;
    // Every decision to leave or to start a spare rests on the value one
    // thread's own change of its source's count returned, so two threads
    // never both leave a source unattended. `waiting_` is the sum over all
    // sources, for parked().
    std::atomic<long> waiting_{0};
    std::atomic<long> threads_{0};
    std::atomic<long> started_{0};
};

}  // namespace veilport
