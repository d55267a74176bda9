#include "gateway/Connection.h"

#include <sys/socket.h>

#include <cerrno>
#include <string>

#include "gateway/FilterSwitches.h"
#include "gateway/InvasiveCodeFilter.h"
#include "gateway/RequestRewriter.h"
#include "gateway/UpstreamAddress.h"
#include "platform/net/Socket.h"
#include "settings/SettingsTable.h"
#include "settings/StringSetting.h"

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
    char buffer[kChunkSize];
    pollfd first{browser_.get(), POLLIN, 0};
    const auto ready = net::pollFor(&first, 1, shared_->firstByteTimeout());
    if (!ready.ok() || ready.value == 0) return;  // silent browser: just close
    const auto received = net::receiveSome(browser_.get(), buffer, sizeof(buffer));
    if (!received.ok() || received.value == 0) return;

    const FilterSwitches switches = FilterSwitches::fromStore();
    RewriteOptions options;
    options.identityEncoding = switches.any();
    const RewrittenRequest request =
        RewriteRequest(std::string_view(buffer, received.value), options);
    StringSetting(settings::kLastDomain).set(request.targetHost);

    const auto upstreamSettings = shared_->upstream();
    if (!upstreamSettings) return;
    const auto address = UpstreamAddress(request.targetHost, upstreamSettings->upstreamHost);
    if (!address.ok()) return;
    auto connected = net::connectTcp(address.value, upstreamSettings->upstreamPort);
    if (!connected.ok()) return;
    net::UniqueFd upstream = std::move(connected.value);

    if (net::sendAll(upstream.get(), request.bytes.data(), request.bytes.size()).ok())
        (void)relay(upstream.get(), switches);

    (void)net::shutdownSocket(upstream.get(), SHUT_RDWR);
    upstream.reset();
    (void)net::shutdownSocket(browser_.get(), SHUT_RDWR);
}

// Returns false when the browser could not take the answer.
bool Connection::relay(int upstream, FilterSwitches switches) {
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
                return false;
            if (browserOpen && ++sinceBrowserCheck >= kChunksBetweenBrowserChecks) {
                sinceBrowserCheck = 0;
                if (!pumpBrowser(upstream, fromBrowser, browserOpen)) break;
            }
            continue;
        }
        if (!wouldBlock(received.error)) break;

        pollfd fds[2] = {{upstream, POLLIN, 0}, {browser_.get(), POLLIN, 0}};
        const auto ready = net::pollFor(fds, browserOpen ? 2 : 1, net::kWaitForever);
        if (!ready.ok()) break;
        if (browserOpen && fds[1].revents != 0 && !pumpBrowser(upstream, fromBrowser, browserOpen))
            break;
    }
    const auto rest = filter.finish(scratch);
    return rest.empty() || net::sendAll(browser_.get(), rest.data(), rest.size()).ok();
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
