// Hostile first requests against a proxy, with a recording fake upstream.
//
//   soak_hostile [--cases N] [--seed S] [--case-limit-s L]
//
// It listens as the upstream, prints "port N", and reads the proxy's port
// from its standard input. Then, one case at a time, it sends a generated
// request (random bytes, NUL bytes, lines without CR, sizes around the limits,
// thousands of fields, requests split across writes), closes its sending side,
// and records what reaches the upstream. The upstream answers once the proxy
// has passed on the end of the request. Checked for every case:
// - it ends within L seconds (no hang);
// - the header block the upstream got holds none of the fields the proxy
//   must remove, and every Connection field in it says "close" (one at least);
// - what followed the browser's header block arrives unchanged at the end;
// - the browser gets the upstream's answer byte for byte.
// Prints cases= forwarded= closed= violations= hangs= slowest= and the first
// violations on stderr with the name of the case.
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <random>

#include "SoakSupport.h"

namespace soak {
namespace {

constexpr std::string_view kAnswer = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok";
constexpr std::array<std::string_view, 10> kRemoved = {
    "proxy-connection",  "keep-alive",         "te",       "trailer",
    "upgrade",           "if-match",           "if-range", "if-none-match",
    "if-modified-since", "if-unmodified-since"};

struct Case {
    std::string name;
    std::string bytes;
    std::vector<std::size_t> cuts;  // positions where a new write starts
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    Case make(long long index) {
        Case c;
        switch (index % 8) {
            case 0:
                c = randomBytes();
                break;
            case 1:
                c = mutated(wellFormed(pick(0, 12)));
                break;
            case 2:
                c = wellFormed(pick(0, 12));
                break;
            case 3:
                c = manyFields();
                break;
            case 4:
                c = aroundLimit();
                break;
            case 5:
                c = longRequestLine();
                break;
            case 6:
                c = oddFraming();
                break;
            default:
                c = mutated(manyFields());
                break;
        }
        if (pick(0, 2) == 0 || c.name.find("split") != std::string::npos) split(c);
        c.name += " #" + std::to_string(index);
        return c;
    }

private:
    std::size_t pick(std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(random_);
    }

    std::string casing(std::string_view name) {
        std::string out(name);
        const auto style = pick(0, 3);
        for (char& c : out) {
            if (style == 1) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (style == 2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (style == 3 && pick(0, 1))
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return out;
    }

    // A field the proxy must drop or rewrite, in some letter case.
    std::string hopField() {
        static constexpr std::array<std::string_view, 11> names = {"Proxy-Connection",
                                                                   "Keep-Alive",
                                                                   "TE",
                                                                   "Trailer",
                                                                   "Upgrade",
                                                                   "If-Match",
                                                                   "If-Range",
                                                                   "If-None-Match",
                                                                   "If-Modified-Since",
                                                                   "If-Unmodified-Since",
                                                                   "Connection"};
        return casing(names[pick(0, names.size() - 1)]) + ": keep-alive\r\n";
    }

    std::string plainField(std::size_t valueSize) {
        return "X-Soak-" + std::to_string(pick(0, 1 << 20)) + ": " + std::string(valueSize, 'v') +
               "\r\n";
    }

    std::string requestLine() {
        static constexpr std::array<std::string_view, 5> methods = {"GET", "POST", "HEAD",
                                                                    "CONNECT", "OPTIONS"};
        const auto method = methods[pick(0, methods.size() - 1)];
        if (method == "CONNECT") return "CONNECT example.org:443 HTTP/1.1\r\n";
        return std::string(method) + " http://example.org/p" + std::to_string(pick(0, 999)) +
               " HTTP/1." + std::to_string(pick(0, 1)) + "\r\n";
    }

    Case wellFormed(std::size_t fields) {
        Case c{"well-formed",
               requestLine() + "Host: example.org:" + std::to_string(pick(1, 65535)) + "\r\n",
               {}};
        for (std::size_t i = 0; i < fields; ++i)
            c.bytes += pick(0, 2) == 0 ? hopField() : plainField(pick(0, 40));
        c.bytes += "\r\n";
        if (pick(0, 1)) c.bytes += "body " + std::string(pick(0, 3000), 'b');
        return c;
    }

    Case randomBytes() {
        Case c{"random bytes", std::string(pick(0, 8192), '\0'), {}};
        for (char& b : c.bytes) b = static_cast<char>(pick(0, 255));
        return c;
    }

    Case mutated(Case c) {
        if (c.bytes.empty()) return c;
        switch (pick(0, 4)) {
            case 0:
                c.bytes.insert(pick(0, c.bytes.size() - 1), 1, '\0');
                c.name += ", NUL";
                break;
            case 1:
                for (std::size_t at = c.bytes.find("\r\n"); at != std::string::npos;
                     at = c.bytes.find("\r\n", at))
                    c.bytes.erase(at, 1);
                c.name += ", LF without CR";
                break;
            case 2:
                c.bytes.insert(0, std::string(pick(1, 4) * 2, '\r').replace(1, 1, "\n"));
                c.name += ", leading line ends";
                break;
            case 3: {
                const auto colon = c.bytes.find(": ");
                if (colon != std::string::npos) c.bytes.erase(colon + 1, 1);
                c.name += ", no blank after colon";
                break;
            }
            default:
                c.bytes.resize(pick(0, c.bytes.size() - 1));
                c.name += ", cut short";
                break;
        }
        return c;
    }

    Case manyFields() {
        Case c = wellFormed(pick(100, 3000));
        c.name = "many fields";
        return c;
    }

    // A header block whose end, or one of whose hop-by-hop fields, sits just
    // before, at or after one of the sizes a proxy may read at once.
    Case aroundLimit() {
        static constexpr std::array<std::size_t, 4> limits = {4096, 8192, 16384, 65536};
        const std::size_t limit = limits[pick(0, limits.size() - 1)];
        const std::size_t target = limit + pick(0, 8) - 4;
        Case c = wellFormed(0);
        c.bytes.resize(c.bytes.size() - 2);  // reopen the header block
        const std::string tail = hopField() + hopField() + "\r\n";
        while (c.bytes.size() + tail.size() + 60 < target) c.bytes += plainField(pick(1, 50));
        const std::size_t left = target - std::min(target, c.bytes.size() + tail.size());
        c.bytes += "X-Pad: " + std::string(left > 9 ? left - 9 : 0, 'p') + "\r\n" + tail;
        c.name = "header block of " + std::to_string(c.bytes.size()) + " bytes near " +
                 std::to_string(limit);
        return c;
    }

    Case longRequestLine() {
        const std::size_t length = pick(0, 1) ? 4096 + pick(0, 16) - 8 : pick(4000, 9000);
        Case c{"request line of " + std::to_string(length) + " bytes",
               "GET http://example.org/?q=" + std::string(length, 'a') +
                   " HTTP/1.1\r\nHost: example.org\r\n" + hopField() + hopField() + "\r\n",
               {}};
        return c;
    }

    Case oddFraming() {
        static constexpr std::array<std::string_view, 8> texts = {
            "",
            "\r\n",
            "\r\n\r\n",
            "GET",
            "GET http://example.org/ HTTP/1.1\r\n",
            "GET http://example.org/ HTTP/1.1\r\nProxy-Connection: keep-alive",
            ":\r\n:\r\n\r\n",
            "GET http://example.org/ HTTP/1.1\r\nHost:\r\nHost: :\r\nConnection:\r\n\r\n"};
        Case c{"odd framing, split", std::string(texts[pick(0, texts.size() - 1)]), {}};
        return c;
    }

    void split(Case& c) {
        if (c.bytes.size() < 2) return;
        const auto parts = pick(2, 4);
        for (std::size_t i = 1; i < parts; ++i) c.cuts.push_back(pick(1, c.bytes.size() - 1));
        // Cutting inside a field the proxy must remove is the case that matters.
        const auto hop = Lower(c.bytes).find("proxy-connection");
        if (hop != std::string::npos) c.cuts.push_back(hop + pick(0, 10));
        std::sort(c.cuts.begin(), c.cuts.end());
        c.cuts.erase(std::unique(c.cuts.begin(), c.cuts.end()), c.cuts.end());
        c.name += ", " + std::to_string(c.cuts.size() + 1) + " writes";
    }

    std::mt19937 random_;
};

struct Outcome {
    bool hung = false;
    bool forwarded = false;
    std::string upstream;  // what the upstream received
    std::string browser;   // what the browser received
    bool answered = false;
    Ending browserEnding = Ending::TimedOut;
    double seconds = 0;
};

// Runs one case against the proxy and the upstream listener.
Outcome Run(const Case& c, std::uint16_t proxy, int listener, std::chrono::seconds limit) {
    Outcome out;
    const auto start = Clock::now();
    Fd browser = ConnectLoopback(proxy, /*nonBlocking=*/true);
    Fd upstream;
    bool upstreamEnded = false, browserEnded = !browser.valid(), sendingDone = false;
    std::size_t sent = 0, part = 0;
    auto pauseUntil = start;
    std::size_t answerSent = 0;
    auto quietSince = start;

    while (!(browserEnded && (!upstream.valid() || upstreamEnded))) {
        const auto now = Clock::now();
        if (now - start > limit) {
            out.hung = true;
            break;
        }
        // The browser's writes, with a short pause between the parts so that
        // each arrives in its own segment.
        if (!sendingDone && browser.valid() && now >= pauseUntil) {
            const std::size_t end = part < c.cuts.size() ? c.cuts[part] : c.bytes.size();
            const ssize_t n =
                end > sent ? ::send(browser.get(), c.bytes.data() + sent, end - sent, MSG_NOSIGNAL)
                           : 0;
            if (n > 0) sent += static_cast<std::size_t>(n);
            if (n < 0 && errno != EAGAIN && errno != ENOTCONN) sendingDone = true;
            if (sent == end) {
                if (part < c.cuts.size()) {
                    ++part;
                    pauseUntil = now + std::chrono::milliseconds(3);
                } else {
                    sendingDone = true;
                }
            }
            if (sendingDone) (void)::shutdown(browser.get(), SHUT_WR);
        }
        // The upstream answers once the request's end came through (the
        // proxy passed the browser's close on), or after a quiet spell that
        // follows a complete header block.
        if (upstream.valid() && !out.answered) {
            const bool headerSeen = out.upstream.find("\r\n\r\n") != std::string::npos;
            if (upstreamEnded || (headerSeen && now - quietSince > std::chrono::milliseconds(500)))
                out.answered = true;
        }
        if (out.answered && upstream.valid() && answerSent < kAnswer.size()) {
            const ssize_t n = ::send(upstream.get(), kAnswer.data() + answerSent,
                                     kAnswer.size() - answerSent, MSG_NOSIGNAL);
            if (n > 0) answerSent += static_cast<std::size_t>(n);
            if (n < 0 && errno != EAGAIN) answerSent = kAnswer.size();
            if (answerSent == kAnswer.size()) (void)::shutdown(upstream.get(), SHUT_WR);
        }

        pollfd fds[3] = {{browser.get(), 0, 0}, {listener, 0, 0}, {upstream.get(), 0, 0}};
        if (!browserEnded) {
            fds[0].events = POLLIN;
            if (!sendingDone) fds[0].events |= POLLOUT;
        }
        if (!upstream.valid()) fds[1].events = POLLIN;
        if (upstream.valid() && !upstreamEnded) fds[2].events = POLLIN;
        if (upstream.valid() && upstreamEnded) fds[2].fd = -1;
        if (browserEnded) fds[0].fd = -1;
        const int wait = browserEnded && !upstream.valid() ? 0 : 20;
        const int ready = ::poll(fds, upstream.valid() ? 3 : 2, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (browserEnded && !upstream.valid() && ready == 0) break;  // nothing was forwarded

        char buffer[65536];
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::recv(browser.get(), buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n > 0) {
                out.browser.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EAGAIN) {
                out.browserEnding = n == 0                ? Ending::Closed
                                    : errno == ECONNRESET ? Ending::Reset
                                                          : Ending::OtherError;
                browserEnded = true;
                sendingDone = true;
            }
        }
        if (fds[1].revents & POLLIN) {
            upstream = Fd(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            out.forwarded = upstream.valid();
            quietSince = Clock::now();
        }
        if (upstream.valid() && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = ::recv(upstream.get(), buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n > 0) {
                out.upstream.append(buffer, static_cast<std::size_t>(n));
                quietSince = Clock::now();
            } else if (n == 0 || errno != EAGAIN) {
                upstreamEnded = true;
            }
        }
    }
    out.seconds = SecondsSince(start);
    return out;
}

// What is wrong with one case's outcome; empty when nothing is.
std::string Judge(const Case& c, const Outcome& out) {
    if (out.hung) return "no end within the limit";
    if (!out.forwarded || out.upstream.empty()) return "";
    const auto headEnd = out.upstream.find("\r\n\r\n");
    const std::string_view head =
        std::string_view(out.upstream)
            .substr(0, headEnd == std::string::npos ? out.upstream.size() : headEnd + 2);
    int connections = 0;
    std::size_t lineStart = head.find("\r\n");
    while (lineStart != std::string_view::npos && lineStart + 2 < head.size()) {
        const std::size_t begin = lineStart + 2;
        const std::size_t end = head.find("\r\n", begin);
        const std::string_view line = head.substr(
            begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
        lineStart = end;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string name = Lower(line.substr(0, colon));
        for (const auto removed : kRemoved)
            if (name == removed) return "the upstream got " + std::string(line.substr(0, 60));
        if (name == "connection") {
            ++connections;
            if (line.substr(colon + 1) != " close")
                return "the upstream got " + std::string(line.substr(0, 60));
        }
    }
    if (connections == 0) return "no Connection: close reached the upstream";
    const auto sentEnd = c.bytes.find("\r\n\r\n");
    if (headEnd != std::string::npos && sentEnd != std::string::npos) {
        const std::string_view body = std::string_view(c.bytes).substr(sentEnd + 4);
        if (out.upstream.size() < body.size() ||
            out.upstream.compare(out.upstream.size() - body.size(), body.size(), body) != 0)
            return "what followed the header block did not arrive unchanged";
    }
    if (out.answered && out.browserEnding == Ending::Closed && out.browser != kAnswer)
        return "the browser got " + std::to_string(out.browser.size()) +
               " bytes instead of the upstream's answer";
    return "";
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
    using namespace soak;
    const Options options(argc, argv);
    const long long cases = options.number("cases", 2000);
    const auto seed = static_cast<std::uint32_t>(options.number("seed", 16));
    const auto limit = std::chrono::seconds(options.number("case-limit-s", 10));
    const long long shown = options.number("show", 10);

    std::uint16_t port = 0;
    const Fd listener = ListenLoopback(64, port);
    if (!listener.valid()) return 1;
    std::cout << "port " << port << std::endl;
    const std::uint16_t proxy = PortOf(ReadLineFromStdin());

    Generator generator(seed);
    long long forwarded = 0, closed = 0, violations = 0, hangs = 0;
    double slowest = 0;
    for (long long i = 0; i < cases; ++i) {
        const Case c = generator.make(i);
        const Outcome out = Run(c, proxy, listener.get(), limit);
        out.forwarded ? ++forwarded : ++closed;
        if (out.hung) ++hangs;
        slowest = std::max(slowest, out.seconds);
        const std::string fault = Judge(c, out);
        if (!fault.empty() && ++violations <= shown)
            std::cerr << "soak_hostile: " << c.name << " (seed " << seed << "): " << fault << '\n';
    }
    std::printf("cases=%lld forwarded=%lld closed=%lld violations=%lld hangs=%lld slowest=%.1f\n",
                cases, forwarded, closed, violations, hangs, slowest);
    return violations == 0 ? 0 : 1;
}
