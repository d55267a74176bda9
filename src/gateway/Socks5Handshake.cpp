#include "gateway/Socks5Handshake.h"

#include <cerrno>

#include "gateway/ErrorPage.h"
#include "gateway/Socks5Messages.h"
#include "platform/net/Socket.h"

namespace veilport {

namespace {

using Clock = std::chrono::steady_clock;

enum class ReadEnd { Done, Closed, TimedOut, Failed };

// Reads until `out` holds `size` bytes, or the deadline passes.
ReadEnd readUpTo(int fd, std::string& out, std::size_t size, Clock::time_point deadline) {
    char buffer[512];
    while (out.size() < size) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return ReadEnd::TimedOut;
        pollfd fds[1] = {{fd, POLLIN, 0}};
        const auto ready = net::pollFor(fds, 1, left);
        if (!ready.ok()) return ReadEnd::Failed;
        if (ready.value == 0) return ReadEnd::TimedOut;
        const std::size_t want = std::min(sizeof(buffer), size - out.size());
        const auto received = net::receiveSome(fd, buffer, want, /*dontWait=*/true);
        if (!received.ok() && (received.error == EAGAIN || received.error == EWOULDBLOCK))
            continue;  // woken for nothing
        if (!received.ok()) return ReadEnd::Failed;
        if (received.value == 0) return ReadEnd::Closed;
        out.append(buffer, received.value);
    }
    return ReadEnd::Done;
}

std::string readFailure(ReadEnd end, std::chrono::milliseconds limit) {
    switch (end) {
        case ReadEnd::TimedOut:
            return "The proxy did not answer within " + DurationText(limit) + ".";
        case ReadEnd::Closed:
            return "The proxy closed the connection before answering.";
        case ReadEnd::Failed:
        case ReadEnd::Done:
            break;
    }
    return "The connection to the proxy failed while it was answering.";
}

// The Gateway's upstream socket is non-blocking.
bool sendBytes(int fd, const std::string& bytes, std::chrono::milliseconds limit) {
    return net::sendAllWithin(fd, bytes.data(), bytes.size(), limit).ok();
}

}  // namespace

std::optional<std::string> Socks5Handshake(int fd, const std::optional<Socks5Login>& login,
                                           std::string_view host, std::uint16_t port,
                                           std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    const std::string notSocks = "The proxy did not answer as a SOCKS5 proxy.";
    const std::string request = Socks5ConnectRequest(host, port);
    if (request.empty()) return "The site's name is too long for a SOCKS5 proxy.";

    if (!sendBytes(fd, Socks5Greeting(login.has_value()), limit))
        return "The connection to the proxy failed.";
    std::string answer;
    if (const auto end = readUpTo(fd, answer, 2, deadline); end != ReadEnd::Done)
        return readFailure(end, limit);
    const auto choice = ReadMethodChoice(answer);
    if (!choice.valid) return notSocks;
    if (choice.method == kSocksNoAcceptableMethod)
        return login ? "The proxy does not accept a login with a user name and password."
                     : "The proxy asks for a login: give Veilport its user name and password.";
    if (login && choice.method == kSocksUserPassword) {
        if (!sendBytes(fd, Socks5LoginRequest(login->user, login->password), limit))
            return "The connection to the proxy failed.";
        answer.clear();
        const auto end = readUpTo(fd, answer, 2, deadline);
        // Many proxies close at once after a refused login instead of answering.
        if (end == ReadEnd::Closed || (end == ReadEnd::Done && !LoginAccepted(answer)))
            return "The proxy refused Veilport's login.";
        if (end != ReadEnd::Done) return readFailure(end, limit);
    } else if (choice.method != kSocksNoLogin) {
        // Only what we offered may be chosen.
        return notSocks;
    }

    if (!sendBytes(fd, request, limit)) return "The connection to the proxy failed.";
    answer.clear();
    Socks5Reply reply;
    for (;;) {
        if (const auto end = readUpTo(fd, answer, reply.needed, deadline); end != ReadEnd::Done)
            return readFailure(end, limit);
        reply = ReadConnectReply(answer);
        if (reply.state == Socks5Reply::State::Bad) return notSocks;
        if (reply.state == Socks5Reply::State::Done) break;
    }
    if (reply.code != 0)
        return "The proxy could not reach the site: " + std::string(Socks5ReplyText(reply.code)) +
               ".";
    return std::nullopt;
}

bool AnswersSocks5Greeting(int fd, std::chrono::milliseconds limit) {
    if (!sendBytes(fd, Socks5Greeting(false), limit)) return false;
    std::string answer;
    if (readUpTo(fd, answer, 2, Clock::now() + limit) != ReadEnd::Done) return false;
    const auto choice = ReadMethodChoice(answer);
    return choice.valid && choice.method == kSocksNoLogin;
}

}  // namespace veilport
