#include "gateway/ConnectionThreads.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>

namespace veilport {

namespace {

// A Gateway thread needs little stack: the deepest path measured (bench/
// stack_depth: filtered and chunked pages, uploads, tunnels, a head near its
// limit, a resolver lookup, settings read and written through SQLite) used
// 11 KB. The reserve is over ten times that, room for what later versions of
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

void ConnectionThreads::acceptFrom(std::shared_ptr<ConnectionSource> source) {
    acceptLoop(source, std::make_shared<Waiting>(), /*counted=*/false);
}

bool ConnectionThreads::startSpare(const std::shared_ptr<ConnectionSource>& source,
                                   const std::shared_ptr<Waiting>& waiting) {
    ++threads_;
    if (start_([self = shared_from_this(), source, waiting] {
            self->acceptLoop(source, waiting, true);
        })) {
        ++started_;
        return true;
    }
    --threads_;
    return false;
}

void ConnectionThreads::acceptLoop(const std::shared_ptr<ConnectionSource>& source,
                                   const std::shared_ptr<Waiting>& waiting, bool counted) {
    if (!counted) {
        ++threads_;
        arrive(*waiting);
    }
    for (;;) {
        auto accepted = source->next();
        const long othersWaiting = leave(*waiting);
        if (source->stopped()) break;  // what was accepted closes unserved
        if (accepted.ok()) {
            if (othersWaiting == 0) {
                // Nobody would accept while this thread serves: a spare takes
                // its place first. Without one the connection is refused and
                // this thread stays at the source.
                arrive(*waiting);
                if (!startSpare(source, waiting)) continue;
            }
            source->serve(std::move(accepted.value));
            if (source->stopped() || parking_.idle.count() <= 0 ||
                waiting->count.load() >= static_cast<long>(parking_.maxParked))
                break;
            arrive(*waiting);
            continue;
        }
        if (accepted.error == EAGAIN || accepted.error == EWOULDBLOCK) {
            // Idle for the idle time: end, unless no other thread is waiting.
            if (othersWaiting > 0) break;
            arrive(*waiting);
            continue;
        }
        arrive(*waiting);
        switch (accepted.error) {
            case ECONNABORTED:
            case EPROTO:
            case EPERM:
                continue;  // that one connection is gone; the next may be fine
            default:
                source->pauseAfterFailure();
        }
    }
    --threads_;
}

}  // namespace veilport
