// Holds many connections to a proxy open and notes when the proxy ends each.
//
//   soak_hold --proxy PORT [--idle N] [--slow M --slow-every-s P]
//             [--stall K --hold-s H] [--request TEXT] [--limit-s L]
//
// idle connections send nothing; slow ones send REQUEST one byte every P
// seconds; stalled ones send REQUEST whole and never read the answer, and are
// closed by this tool after H seconds. The tool ends when the proxy has closed
// every idle and slow connection, or after L seconds. It prints, per kind, how
// many the proxy closed, the earliest and latest close (seconds after the
// connection was made) and how many got any answer bytes.
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "SoakSupport.h"

namespace soak {
namespace {

enum class Kind { Idle, Slow, Stall };

struct Held {
    Kind kind;
    Fd fd;
    Clock::time_point opened;
    std::size_t sent = 0;        // bytes of the request sent so far (slow ones)
    Clock::time_point nextByte;  // when the next byte is due (slow ones)
    bool answered = false;       // any byte came back
    double closedAfter = -1;     // seconds until the proxy ended it; -1 while open
};

struct Tally {
    int count = 0, closed = 0, answered = 0;
    double earliest = -1, latest = -1;
};

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
    using namespace soak;
    const Options options(argc, argv);
    const std::uint16_t proxy = PortOf(options.text("proxy", ""));
    const std::string request = options.text("request", "GET http://127.0.0.1/ HTTP/1.1\r\n\r\n");
    const auto every = std::chrono::milliseconds(options.number("slow-every-s", 25) * 1000);
    const auto hold = std::chrono::seconds(options.number("hold-s", 5));
    const auto limit = std::chrono::seconds(options.number("limit-s", 90));

    std::vector<Held> held;
    const auto open = [&](Kind kind, long long count) {
        for (long long i = 0; i < count; ++i) {
            Held one{kind, ConnectLoopback(proxy), Clock::now(), 0, Clock::now()};
            if (!one.fd.valid()) one.closedAfter = 0;
            if (one.fd.valid() && kind == Kind::Stall) (void)SendAll(one.fd.get(), request);
            held.push_back(std::move(one));
        }
    };
    open(Kind::Idle, options.number("idle", 0));
    open(Kind::Slow, options.number("slow", 0));
    open(Kind::Stall, options.number("stall", 0));
    const auto start = Clock::now();

    const auto closeOne = [&](Held& one) {
        one.closedAfter = std::chrono::duration<double>(Clock::now() - one.opened).count();
        one.fd.reset();
    };
    for (;;) {
        const auto now = Clock::now();
        bool waiting = false;
        auto wake = now + std::chrono::milliseconds(200);
        std::vector<pollfd> fds;
        std::vector<Held*> owners;
        for (auto& one : held) {
            if (!one.fd.valid()) continue;
            if (one.kind == Kind::Stall) {
                if (now - start >= hold) {
                    one.fd.reset();  // our own close, not the proxy's: not counted
                    continue;
                }
            } else {
                waiting = true;
            }
            if (one.kind == Kind::Slow && one.sent < request.size()) {
                if (now >= one.nextByte) {
                    if (!SendAll(one.fd.get(), std::string_view(request).substr(one.sent, 1))) {
                        closeOne(one);
                        continue;
                    }
                    ++one.sent;
                    one.nextByte = now + every;
                }
                wake = std::min(wake, one.nextByte);
            }
            // A stalled connection leaves its answer unread, so that the proxy's
            // thread stays busy; only the proxy's end of it is watched.
            fds.push_back({one.fd.get(),
                           static_cast<short>(one.kind == Kind::Stall ? POLLRDHUP : POLLIN), 0});
            owners.push_back(&one);
        }
        const bool stallsLeft = std::any_of(held.begin(), held.end(), [](const Held& one) {
            return one.kind == Kind::Stall && one.fd.valid();
        });
        if ((!waiting && !stallsLeft) || now - start >= limit) break;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now);
        const int ready =
            ::poll(fds.data(), fds.size(), std::max<int>(1, static_cast<int>(wait.count())));
        if (ready < 0 && errno != EINTR) return 1;
        for (std::size_t i = 0; ready > 0 && i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            Held& one = *owners[i];
            if (one.kind == Kind::Stall) {
                closeOne(one);
                continue;
            }
            char buffer[65536];
            const ssize_t got = ::recv(one.fd.get(), buffer, sizeof(buffer), MSG_DONTWAIT);
            if (got > 0) {
                one.answered = true;
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                closeOne(one);
            }
        }
    }

    Tally tally[3];
    for (const auto& one : held) {
        Tally& t = tally[static_cast<int>(one.kind)];
        ++t.count;
        if (one.answered) ++t.answered;
        if (one.closedAfter < 0) continue;
        ++t.closed;
        t.earliest = t.earliest < 0 ? one.closedAfter : std::min(t.earliest, one.closedAfter);
        t.latest = std::max(t.latest, one.closedAfter);
    }
    const char* names[] = {"idle", "slow", "stall"};
    for (int k = 0; k < 3; ++k) {
        std::printf("%s%s=%d %s_closed=%d %s_first=%.1f %s_last=%.1f %s_answered=%d", k ? " " : "",
                    names[k], tally[k].count, names[k], tally[k].closed, names[k],
                    tally[k].earliest, names[k], tally[k].latest, names[k], tally[k].answered);
    }
    std::printf("\n");
    return 0;
}
