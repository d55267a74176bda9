#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

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

// The threads that serve browser connections. A connection is still served by
// one thread from start to end, but a thread that finished its connection
// parks for the next one instead of ending, which spares the creation of a
// thread (and the clearing of a fresh stack) for almost every connection.
// Parked threads end after `idle` without work, or when the set is dismissed.
//
// Held by shared_ptr: each thread keeps the set alive, so the set outlives
// whoever made it.
class ConnectionThreads : public std::enable_shared_from_this<ConnectionThreads> {
public:
    using Job = std::function<void()>;

    static std::shared_ptr<ConnectionThreads> create(ThreadStarter start, ThreadParking parking);

    // Hands `job` to a parked thread, or else to a new one. False when no
    // thread could be made; `job` is then destroyed unrun, so whatever it holds
    // (the connection's socket) is released at once.
    [[nodiscard]] bool run(Job job);
    // Parked threads end now and none parks from then on; threads serving a
    // connection end once it is done.
    void dismiss();

    // Threads waiting for a connection.
    std::size_t parked() const;
    // Threads alive in the set, serving or parked.
    std::size_t threads() const;
    // Threads created so far.
    std::size_t started() const;

    ConnectionThreads(ThreadStarter start, ThreadParking parking)
        : start_(start), parking_(parking) {}

private:
    struct Parked {
        std::condition_variable wake;
        Job job;
        bool dismissed = false;
    };

    void work(Job job);
    bool park(Job& job);

    const ThreadStarter start_;
    const ThreadParking parking_;
    mutable std::mutex mutex_;
    // Last parked first: the threads of a burst that are not needed again are
    // the ones that reach their idle end.
    std::vector<Parked*> parked_;
    std::size_t threads_ = 0;
    std::size_t started_ = 0;
    bool dismissed_ = false;
};

}  // namespace veilport
