#include "gateway/Connection.h"

#include <sys/socket.h>

#include <cerrno>
#include <memory>
#include <span>
#include <string>

#include "gateway/ErrorPage.h"
#include "gateway/FilterSwitches.h"
#include "gateway/ForwardPlan.h"
#include "gateway/InvasiveCodeFilter.h"
#include "gateway/RequestHeadReader.h"
#include "gateway/RequestRewriter.h"
#include "gateway/UpstreamLink.h"
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

// Enough of an answer to read its status code: "HTTP/1.1 407".
constexpr std::size_t kStatusPrefix = 12;

// A 407 is always the proxy's. A site never answers a CONNECT, so there a 401
// is the proxy's too: some proxies (tinyproxy) answer a wrong login that way.
bool isProxyLoginRefusal(std::string_view answer, bool forTunnel) {
    if (answer.size() < kStatusPrefix || answer.rfind("HTTP/1.", 0) != 0) return false;
    const auto status = answer.substr(8, 4);
    return status == " 407" || (forTunnel && status == " 401");
}

}  // namespace

// One buffer serves both directions: a chunk is sent on before the next read
// into it. It starts small on the stack, since the deepest frame sets how many
// stack pages every parked thread keeps, and a small page's answer fits it;
// the first read that fills it moves the rest of the connection to a larger
// one on the heap.
class Connection::RelayBuffer {
public:
    RelayBuffer() = default;
    RelayBuffer(const RelayBuffer&) = delete;
    RelayBuffer& operator=(const RelayBuffer&) = delete;

    char* data() { return current_.data(); }
    std::size_t size() const { return current_.size(); }
    // Called once the `received` bytes read into it have been passed on.
    void consumed(std::size_t received) {
        if (received < current_.size() || large_) return;
        large_ = std::make_unique_for_overwrite<char[]>(kChunkSize);
        current_ = std::span<char>(large_.get(), kChunkSize);
    }

private:
    char small_[kFirstChunkSize];
    std::unique_ptr<char[]> large_;
    std::span<char> current_{small_};
};

void Connection::run() {
    const ConnectionLimits& limits = shared_->limits();
    const RequestHead head = ReadRequestHead(browser_.get(), limits.firstRequest);
    if (head.outcome != RequestHead::Outcome::Complete) return;  // closed, no bytes

    const FilterSwitches switches = shared_->filterSwitches().current();
    RewriteOptions options;
    options.identityEncoding = switches.any();
    const RewrittenRequest request = RewriteRequest(head.bytes, options);
    shared_->lastDomain().post(request.targetHost);

    const auto upstreamSettings = shared_->upstream();
    if (!upstreamSettings || !upstreamSettings->hasUpstream()) {
        answerFailure(upstreamSettings ? *upstreamSettings : GatewaySettings{},
                      "No proxy is chosen in Veilport.", head.bytes.rfind("CONNECT ", 0) == 0);
        return;
    }
    const ForwardPlan plan = PlanForward(request.bytes, *upstreamSettings);
    if (!plan.ok) {
        answerFailure(*upstreamSettings, plan.failure, plan.connect);
        return;
    }
    UpstreamLink link =
        OpenUpstream(*upstreamSettings, plan, request.targetHost, limits.upstreamConnect);
    if (!link.ok()) {
        answerFailure(*upstreamSettings, link.failure, plan.connect);
        if (link.unreachable) shared_->noteUpstreamUnreachable(upstreamSettings);
        return;
    }
    shared_->noteUpstreamReached(upstreamSettings);
    net::UniqueFd upstream = std::move(link.fd);

    RelayEnd end = RelayEnd::Cut;
    const bool established =
        !plan.tunnelBySocks || send(browser_.get(), kTunnelEstablished).ok();
    if (established && !link.cut &&
        send(upstream.get(), std::string_view(plan.bytes).substr(link.sent)).ok())
        end = relay(upstream.get(), plan.tunnelBySocks ? FilterSwitches{} : switches,
                    /*watchLogin=*/!upstreamSettings->isSocksScheme(), plan.connect);

    if (end == RelayEnd::LoginRefused) {
        answerFailure(*upstreamSettings,
                      upstreamSettings->user
                          ? "The proxy refused Veilport's login."
                          : "The proxy asks for a login: give Veilport its user name and password.",
                      plan.connect);
        return;
    }
    if (end == RelayEnd::Cut) {
        // Closing with a reset tells the browser the answer is not whole; a
        // clean close would let an answer without a length pass as complete.
        (void)net::setResetOnClose(browser_.get());
        return;
    }
    // A clean end: both sockets close with the connection, the browser's last.
}

void Connection::answerFailure(const GatewaySettings& upstream, std::string_view reason,
                               bool forTunnel) {
    const std::string answer = BadGatewayAnswer(
        upstream.hasUpstream() ? upstream.upstreamText() : "(none)", reason, forTunnel);
    if (send(browser_.get(), answer).ok())
        (void)net::shutdownSocket(browser_.get(), SHUT_WR);
}

Connection::RelayEnd Connection::relay(int upstream, FilterSwitches switches, bool watchLogin,
                                       bool forTunnel) {
    const auto idle = shared_->limits().idle;
    RelayBuffer buffer;
    std::string scratch;
    std::string start;
    InvasiveCodeFilter filter(switches, [this] { return shared_->filterSwitches().current(); });
    bool browserOpen = true;
    unsigned sinceBrowserCheck = 0;
    // The request has only just gone out: its answer cannot be there yet, so
    // the first turn waits instead of asking for nothing.
    bool waitFirst = true;

    for (;;) {
        const auto received =
            waitFirst ? net::Result<std::size_t>::failure(EAGAIN)
                      : net::receiveSome(upstream, buffer.data(), buffer.size(), /*dontWait=*/true);
        waitFirst = false;
        if (received.ok()) {
            std::string_view chunk(buffer.data(), received.value);
            if (watchLogin) {
                // An HTTP proxy's 407 would make the browser ask the person for
                // a login meant for us: hold the answer's first bytes back
                // until its status is known.
                // Held only when the status came in pieces.
                if (!start.empty() || chunk.size() < kStatusPrefix) {
                    start.append(chunk);
                    if (received.value != 0 && start.size() < kStatusPrefix) continue;
                    chunk = start;
                }
                if (isProxyLoginRefusal(chunk, forTunnel)) return RelayEnd::LoginRefused;
                watchLogin = false;
            }
            if (chunk.empty()) break;
            const auto out = filter.filterChunk(chunk, scratch);
            if (!out.empty() && !send(browser_.get(), out).ok())
                return RelayEnd::Cut;
            buffer.consumed(received.value);
            if (browserOpen && ++sinceBrowserCheck >= kChunksBetweenBrowserChecks) {
                sinceBrowserCheck = 0;
                if (!pumpBrowser(upstream, buffer, browserOpen)) return RelayEnd::Cut;
            }
            continue;
        }
        if (!wouldBlock(received.error)) return RelayEnd::Cut;  // reset or failed

        // Nothing to read: wait for either side, at most the idle limit, since
        // every byte moved in either direction brings the loop back here.
        pollfd fds[2] = {{upstream, POLLIN, 0}, {browser_.get(), POLLIN, 0}};
        const auto ready = net::pollFor(fds, browserOpen ? 2 : 1, idle);
        if (!ready.ok() || ready.value == 0) return RelayEnd::Cut;
        if (browserOpen && fds[1].revents != 0 && !pumpBrowser(upstream, buffer, browserOpen))
            return RelayEnd::Cut;
    }
    const auto rest = filter.finish(scratch);
    if (!rest.empty() && !send(browser_.get(), rest).ok())
        return RelayEnd::Cut;
    return RelayEnd::Complete;
}

// Moves what the browser has sent to the upstream without waiting. False when
// either side failed; a browser that closed its sending side gets the upstream's
// sending side shut down, and the answer keeps coming.
bool Connection::pumpBrowser(int upstream, RelayBuffer& buffer, bool& browserOpen) {
    const auto received =
        net::receiveSome(browser_.get(), buffer.data(), buffer.size(), /*dontWait=*/true);
    if (!received.ok()) return wouldBlock(received.error);
    if (received.value == 0) {
        browserOpen = false;
        (void)net::shutdownSocket(upstream, SHUT_WR);
        return true;
    }
    if (!send(upstream, std::string_view(buffer.data(), received.value)).ok()) return false;
    buffer.consumed(received.value);
    return true;
}

// Both sockets are non-blocking: a peer that stops reading holds a send for at
// most the idle limit.
net::Result<std::size_t> Connection::send(int fd, std::string_view bytes) const {
    return net::sendAllWithin(fd, bytes.data(), bytes.size(), shared_->limits().idle);
}

}  // namespace veilport
