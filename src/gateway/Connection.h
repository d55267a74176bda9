#pragma once

#include <memory>

#include "gateway/FilterSwitches.h"
#include "gateway/GatewayShared.h"
#include "platform/io/UniqueFd.h"

namespace veilport {

// One browser connection, from its first read to the close of both sockets.
//
// The first read (at most kChunkSize bytes, within the first-byte time-out) is
// rewritten for the upstream proxy and the target host recorded in LastDomain.
// Then the connection goes to the upstream proxy of the moment and relays both
// ways: the answer back through the invasive-code filter, and whatever else the
// browser sends (the rest of a body, a tunnel's traffic) unchanged. When the
// browser closes its sending side the upstream's is shut down too and the
// answer still comes back; the connection ends when the upstream closes or
// either side fails. A failed lookup or connect just closes the browser's
// connection.
class Connection {
public:
    static constexpr std::size_t kChunkSize = 4096;

    Connection(net::UniqueFd browser, std::shared_ptr<GatewayShared> shared)
        : browser_(std::move(browser)), shared_(std::move(shared)) {}

    void run();

private:
    bool relay(int upstream, FilterSwitches switches);
    bool pumpBrowser(int upstream, char* buffer, bool& browserOpen);

    net::UniqueFd browser_;
    std::shared_ptr<GatewayShared> shared_;
};

}  // namespace veilport
