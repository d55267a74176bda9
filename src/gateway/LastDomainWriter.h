#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "gateway/ConnectionThreads.h"

namespace veilport {

// Keeps LastDomain at the target host of the most recent request without
// making connections wait for the settings store. Connections hand the host
// over and go on; one writer thread stores it. Hosts that come while a write
// is in progress are coalesced: only the newest is stored next, so a burst of
// requests costs a write or two, and the value stored last is always the host
// of the request posted last. A host posted again right after itself is not
// stored again.
//
// The writer thread is started on the first post and ends after `idle`
// without hosts. When no thread can be made, the posting connection stores the
// host itself, as if there were no writer.
class LastDomainWriter {
public:
    LastDomainWriter(ThreadStarter start, std::chrono::milliseconds idle);
    // Waits until what was posted is stored.
    ~LastDomainWriter();
    LastDomainWriter(const LastDomainWriter&) = delete;
    LastDomainWriter& operator=(const LastDomainWriter&) = delete;

    void post(std::string host);
    // Returns once every host posted before the call is stored or replaced by
    // a newer one.
    void flush();

private:
    struct State;
    std::shared_ptr<State> state_;
    const ThreadStarter start_;
};

}  // namespace veilport
