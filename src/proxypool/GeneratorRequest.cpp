#include "proxypool/GeneratorRequest.h"

#include <system_error>

namespace veilport::proxypool {

GeneratorRequest& GeneratorRequest::instance() {
    static auto* request = new GeneratorRequest;
    return *request;
}

void GeneratorRequest::start(HttpGet get, std::string url) {
    std::unique_lock lock(mutex_);
    const auto generation = ++generation_;
    exitCode_ = kStillRunning;
    try {
        std::thread thread([this, generation, get = std::move(get), url = std::move(url)] {
            if (get) (void)get(url);
            finished(generation);
        });
        threadId_ = thread.get_id();
        // Started and forgotten: at exit a request still running ends with the process.
        thread.detach();
    } catch (const std::system_error&) {
        exitCode_ = 0;
        threadId_ = {};
    }
}

void GeneratorRequest::finished(std::uint64_t generation) {
    std::lock_guard lock(mutex_);
    // A newer request owns the exit code now.
    if (generation != generation_) return;
    exitCode_ = 0;
    done_.notify_all();
}

int GeneratorRequest::exitCode() const {
    std::lock_guard lock(mutex_);
    return exitCode_;
}

std::thread::id GeneratorRequest::threadId() const {
    std::lock_guard lock(mutex_);
    return threadId_;
}

bool GeneratorRequest::waitFinished(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [this] { return exitCode_ != kStillRunning; });
}

}  // namespace veilport::proxypool
