#include "gateway/GatewayShared.h"

#include <pthread.h>

#include <memory>

namespace veilport {

namespace {

// A connection needs little stack (a 16 KB buffer for the request head, two
// 4 KB buffers for the relay and a settings read), and with small stacks the C
// library keeps finished threads' stacks for the next ones instead of mapping
// and unmapping 8 MB for every connection.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t kThreadStackSize = 2 * 1024 * 1024;  // sanitizers need room
#else
constexpr std::size_t kThreadStackSize = 256 * 1024;
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
    (void)pthread_attr_setstacksize(&attributes, kThreadStackSize);
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

void GatewayShared::noteUpstreamReached(const std::shared_ptr<const GatewaySettings>& used) {
    std::lock_guard lock(mutex_);
    if (used == upstream_) failuresInARow_ = 0;
}

void GatewayShared::noteUpstreamUnreachable(const std::shared_ptr<const GatewaySettings>& used) {
    FailoverHandler handler;
    {
        std::lock_guard lock(mutex_);
        if (used != upstream_ || ++failuresInARow_ < 2 || !failover_) return;
        failuresInARow_ = 0;
        handler = failover_;
    }
    // One failover at a time: connections failing meanwhile wait for its result
    // instead of each trying the whole list.
    if (failingOver_.exchange(true)) return;
    handler(*used);
    failingOver_ = false;
}

}  // namespace veilport
