#include "gateway/ConnectionThreads.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>

namespace veilport {

namespace {

// A Gateway thread needs little stack: the deepest path measured (bench/
// stack_depth: filtered and chunked pages, uploads, tunnels, a head near its
// limit, a resolver lookup, settings read and written through SQLite) used
// 15 KB. The reserve is about eight times that, room for what later versions of
// the connection add; only the pages touched become resident.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t kConnectionStackSize = 2 * 1024 * 1024;  // sanitizers need room
#else
constexpr std::size_t kConnectionStackSize = 128 * 1024;
#endif

void* RunBody(void* argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return nullptr;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    (void)pthread_attr_setstacksize(&attributes, kConnectionStackSize);
    // A stack overrun must fault on the guard page, never write into the
    // neighbouring thread's stack.
    (void)pthread_attr_setguardsize(&attributes, static_cast<std::size_t>(sysconf(_SC_PAGESIZE)));
    (void)pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    pthread_t thread;
    const int status = pthread_create(&thread, &attributes, &RunBody, owned.get());
    pthread_attr_destroy(&attributes);
    // Out of threads or memory: the body is destroyed unrun, and with it what
    // the thread would have served.
    if (status != 0) return false;
    (void)owned.release();  // the thread owns it now
    return true;
}

std::shared_ptr<ConnectionThreads> ConnectionThreads::create(ThreadStarter start,
                                                             ThreadParking parking) {
    return std::make_shared<ConnectionThreads>(start, parking);
}

bool ConnectionThreads::run(Job job) {
    {
        std::lock_guard lock(mutex_);
        if (!parked_.empty()) {
            Parked* thread = parked_.back();
            parked_.pop_back();
            thread->job = std::move(job);
            // Notified under the lock: once it is released the parked thread
            // may wake on its own, take the job and leave, and its slot with it.
            thread->wake.notify_one();
            return true;
        }
        ++threads_;
        ++started_;
    }
    if (start_([self = shared_from_this(), job = std::move(job)]() mutable {
            self->work(std::move(job));
        }))
        return true;
    std::lock_guard lock(mutex_);
    --threads_;
    --started_;
    return false;
}

void ConnectionThreads::work(Job job) {
    do {
        job();
        // What the connection held (sockets, buffers) goes before the wait.
        job = nullptr;
    } while (park(job));
    std::lock_guard lock(mutex_);
    --threads_;
}

bool ConnectionThreads::park(Job& job) {
    std::unique_lock lock(mutex_);
    // Without an idle time a thread never parks, not even for the moment a
    // wait with a passed deadline takes.
    if (dismissed_ || parking_.idle.count() <= 0 || parked_.size() >= parking_.maxParked)
        return false;
    Parked self;
    parked_.push_back(&self);
    const auto deadline = std::chrono::steady_clock::now() + parking_.idle;
    self.wake.wait_until(lock, deadline, [&self] { return self.job || self.dismissed; });
    if (self.job) {
        job = std::move(self.job);
        return true;
    }
    // Idle for too long (a dismissal has taken every slot off the list already).
    if (const auto at = std::find(parked_.begin(), parked_.end(), &self); at != parked_.end())
        parked_.erase(at);
    return false;
}

void ConnectionThreads::dismiss() {
    std::lock_guard lock(mutex_);
    dismissed_ = true;
    for (Parked* thread : parked_) {
        thread->dismissed = true;
        thread->wake.notify_one();
    }
    parked_.clear();
}

std::size_t ConnectionThreads::parked() const {
    std::lock_guard lock(mutex_);
    return parked_.size();
}

std::size_t ConnectionThreads::threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
}

std::size_t ConnectionThreads::started() const {
    std::lock_guard lock(mutex_);
    return started_;
}

}  // namespace veilport
