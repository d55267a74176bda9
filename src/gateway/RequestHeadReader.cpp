#include "gateway/RequestHeadReader.h"

#include <poll.h>

#include <cerrno>

#include "gateway/HeadScanner.h"
#include "platform/net/Socket.h"

namespace veilport {

RequestHead ReadRequestHead(int fd, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    RequestHead head;
    HeadScanner scanner;
    // A browser's head is a kilobyte or two and comes in one read; a larger
    // one takes a few more. The buffer is most of a connection thread's stack
    // use, which parked threads keep resident, so it stays small.
    char buffer[2 * 1024];
    for (;;) {
        // Read first and wait only when nothing is there: the request has
        // usually arrived by the time the connection's thread runs.
        const auto received = net::receiveSome(fd, buffer, sizeof(buffer), /*dontWait=*/true);
        if (!received.ok()) {
            if (received.error != EAGAIN && received.error != EWOULDBLOCK) return head;
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd entry{fd, POLLIN, 0};
            const auto ready =
                left.count() > 0 ? net::pollFor(&entry, 1, left) : net::Result<int>{0, 0};
            if (!ready.ok()) return head;
            if (ready.value == 0) {
                head.outcome = RequestHead::Outcome::TimedOut;
                return head;
            }
            continue;
        }
        if (received.value == 0) return head;
        head.bytes.append(buffer, received.value);
        if (const auto end = scanner.scan(head.bytes)) {
            if (*end > RequestHead::kMaxHeadSize) break;
            head.outcome = RequestHead::Outcome::Complete;
            return head;
        }
        if (head.bytes.size() >= RequestHead::kMaxHeadSize) break;
    }
    head.outcome = RequestHead::Outcome::TooLarge;
    return head;
}

}  // namespace veilport
