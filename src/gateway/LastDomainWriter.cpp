#include "gateway/LastDomainWriter.h"

#include <condition_variable>
#include <mutex>
#include <optional>

#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

namespace veilport {

struct LastDomainWriter::State {
    explicit State(std::chrono::milliseconds idle) : idle(idle) {}

    const std::chrono::milliseconds idle;
    std::mutex mutex;
    std::condition_variable wake;  // a host came, or the writer is told to end
    std::condition_variable done;  // what was pending is stored
    std::string pending;
    // The host of the latest post. Browsing asks one host many times in a
    // row; a repeat changes nothing stored, so it costs neither a wake-up of
    // the writer nor a write.
    std::optional<std::string> lastPosted;
    bool hasPending = false;
    bool writing = false;
    bool draining = false;  // someone (the writer thread, or a poster) stores hosts
    bool closing = false;

    // Stores pending hosts one at a time, oldest first, until none is left;
    // a thread that `lingers` then waits a while for more before it ends.
    // Only one drains at a time, which keeps the stores in posting order.
    void drain(bool lingers) {
        std::unique_lock lock(mutex);
        for (;;) {
            while (hasPending) {
                std::string host = std::move(pending);
                hasPending = false;
                writing = true;
                lock.unlock();
                StringSetting(settings::kLastDomain).set(host);
                lock.lock();
                writing = false;
                done.notify_all();
            }
            if (!lingers || closing) break;
            if (!wake.wait_for(lock, idle, [this] { return hasPending || closing; })) break;
        }
        draining = false;
        done.notify_all();
    }
};

LastDomainWriter::LastDomainWriter(ThreadStarter start, std::chrono::milliseconds idle)
    : state_(std::make_shared<State>(idle)), start_(start) {}

LastDomainWriter::~LastDomainWriter() {
    {
        std::lock_guard lock(state_->mutex);
        state_->closing = true;
        state_->wake.notify_all();
    }
    flush();
}

void LastDomainWriter::post(std::string host) {
    bool closing = false;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->lastPosted == host) return;
        state_->lastPosted = host;
        state_->pending = std::move(host);
        state_->hasPending = true;
        if (state_->draining) {
            state_->wake.notify_one();
            return;
        }
        state_->draining = true;
        closing = state_->closing;
    }
    if (!closing && start_([state = state_] { state->drain(/*lingers=*/true); })) return;
    state_->drain(/*lingers=*/false);
}

void LastDomainWriter::flush() {
    std::unique_lock lock(state_->mutex);
    state_->done.wait(lock, [this] { return !state_->hasPending && !state_->writing; });
}

}  // namespace veilport
