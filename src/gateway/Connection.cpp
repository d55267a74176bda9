#include "gateway/Connection.h"

#include <sys/socket.h>

#include <cerrno>
#include <string>

#include "gateway/FilterSwitches.h"
#include "gateway/InvasiveCodeFilter.h"
#include "gateway/RequestHeadReader.h"
#include "gateway/RequestRewriter.h"
#include "gateway/UpstreamAddress.h"
#include "platform/net/Socket.h"

namespace veilport {

namespace {

// While the answer streams in, the browser's side is looked at after this many
// chunks even when the upstream never pauses, so a tunnel carries traffic both
// ways without costing a poll per chunk on a plain download.
constexpr unsigned kChunksBetweenBrowserChecks = 16;

bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

}  // namespace

void Connection::run() {
    const ConnectionLimits& limits = shared_->limits();
    const RequestHead head = ReadRequestHead(browser_.get(), limits.firstRequest);
    if (head.outcome != RequestHead::Outcome::Complete) return;  // closed, no bytes

    const FilterSwitches switches = FilterSwitches::fromStore();
    RewriteOptions options;
    options.identityEncoding = switches.any();
    const RewrittenRequest request = RewriteRequest(head.bytes, options);
    shared_->lastDomain().post(request.targetHost);

    const auto upstreamSettings = shared_->upstream();
    if (!upstreamSettings) return;
    const auto address = UpstreamAddress(request.targetHost, upstreamSettings->upstreamHost);
    if (!address.ok()) return;
    auto connected =
        net::connectTcp(address.value, upstreamSettings->upstreamPort, limits.upstreamConnect);
    if (!connected.ok()) return;
    net::UniqueFd upstream = std::move(connected.value);

    // A peer that stops reading must not hold a send for longer than the idle
    // limit either.
    (void)net::setSendTimeout(upstream.get(), limits.idle);
    (void)net::setSendTimeout(browser_.get(), limits.idle);

    RelayEnd end = RelayEnd::Cut;
    if (net::sendAll(upstream.get(), request.bytes.data(), request.bytes.size()).ok())
        end = relay(upstream.get(), switches);

    if (end == RelayEnd::Cut) {
        // Closing with a reset tells the browser the answer is not whole; a
        // clean close would let an answer without a length pass as complete.
        (void)net::setResetOnClose(browser_.get());
        return;
    }
    (void)net::shutdownSocket(upstream.get(), SHUT_RDWR);
    upstream.reset();
    (void)net::shutdownSocket(browser_.get(), SHUT_RDWR);
}

Connection::RelayEnd Connection::relay(int upstream, FilterSwitches switches) {
    const auto idle = shared_->limits().idle;
    char answer[kChunkSize];
    char fromBrowser[kChunkSize];
    std::string scratch;
    InvasiveCodeFilter filter(switches);
    bool browserOpen = true;
    unsigned sinceBrowserCheck = 0;

    for (;;) {
        const auto received = net::receiveSome(upstream, answer, sizeof(answer), /*dontWait=*/true);
        if (received.ok()) {
            if (received.value == 0) break;
            const auto out = filter.filterChunk(std::string_view(answer, received.value), scratch);
            if (!out.empty() && !net::sendAll(browser_.get(), out.data(), out.size()).ok())
                return RelayEnd::Cut;
            if (browserOpen && ++sinceBrowserCheck >= kChunksBetweenBrowserChecks) {
                sinceBrowserCheck = 0;
                if (!pumpBrowser(upstream, fromBrowser, browserOpen)) return RelayEnd::Cut;
            }
            continue;
        }
        if (!wouldBlock(received.error)) return RelayEnd::Cut;  // reset or failed

        // Nothing to read: wait for either side, at most the idle limit, since
        // every byte moved in either direction brings the loop back here.
        pollfd fds[2] = {{upstream, POLLIN, 0}, {browser_.get(), POLLIN, 0}};
        const auto ready = net::pollFor(fds, browserOpen ? 2 : 1, idle);
        if (!ready.ok() || ready.value == 0) return RelayEnd::Cut;
        if (browserOpen && fds[1].revents != 0 && !pumpBrowser(upstream, fromBrowser, browserOpen))
            return RelayEnd::Cut;
    }
    const auto rest = filter.finish(scratch);
    if (!rest.empty() && !net::sendAll(browser_.get(), rest.data(), rest.size()).ok())
        return RelayEnd::Cut;
    return RelayEnd::Complete;
}

// Moves what the browser has sent to the upstream without waiting. False when
// either side failed; a browser that closed its sending side gets the upstream's
// sending side shut down, and the answer keeps coming.
bool Connection::pumpBrowser(int upstream, char* buffer, bool& browserOpen) {
    const auto received = net::receiveSome(browser_.get(), buffer, kChunkSize, /*dontWait=*/true);
    if (!received.ok()) return wouldBlock(received.error);
    if (received.value == 0) {
        browserOpen = false;
        (void)net::shutdownSocket(upstream, SHUT_WR);
        return true;
    }
    return net::sendAll(upstream, buffer, received.value).ok();
}

}  // namespace veilport
