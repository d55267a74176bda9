#pragma once

// A tiny HTTP server on 127.0.0.1 for tests: each connection's request head is
// recorded and answered with the raw bytes the responder returns (or, when it
// returns nothing, held open until the server stops, to play a dead server).
// Header-only so helper programs can use it too.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace veilport::testing {

class LoopbackHttpServer {
public:
    using Responder = std::function<std::optional<std::string>(const std::string& request)>;

    // Answers every request with status 200 and body.
    static std::string Ok(const std::string& body) {
        return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    }

    // port 0 takes an ephemeral port. When the port cannot be bound, listening()
    // is false and error() tells why.
    explicit LoopbackHttpServer(Responder responder, int port = 0)
        : responder_(std::move(responder)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 16) != 0) {
            error_ = errno;
            ::close(listener_);
            listener_ = -1;
            return;
        }
        socklen_t length = sizeof(address);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (::pipe2(stopPipe_, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        thread_ = std::thread([this] { serve(); });
    }

    ~LoopbackHttpServer() {
        if (listener_ < 0) return;
        (void)!::write(stopPipe_[1], "x", 1);
        thread_.join();
        ::close(listener_);
        ::close(stopPipe_[0]);
        ::close(stopPipe_[1]);
    }

    bool listening() const { return listener_ >= 0; }
    int error() const { return error_; }
    int port() const { return port_; }

    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    // True when the stop pipe became readable while waiting for fd.
    bool waitReadable(int fd) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        while (::poll(fds, 2, -1) < 0) {
        }
        return (fds[1].revents & POLLIN) != 0;
    }

    void serve() {
        for (;;) {
            if (waitReadable(listener_)) return;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::string request;
            char buffer[4096];
            bool stopped = false;
            while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
                if ((stopped = waitReadable(client))) break;
                const auto got = ::recv(client, buffer, sizeof(buffer), 0);
                if (got <= 0) break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            if (stopped) {
                ::close(client);
                return;
            }
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            const auto answer = responder_(request);
            if (!answer) {
                // Play dead: keep the connection open and silent until the end.
                waitReadable(-1);
                ::close(client);
                return;
            }
            std::string_view rest = *answer;
            while (!rest.empty()) {
                const auto sent = ::send(client, rest.data(), rest.size(), MSG_NOSIGNAL);
                if (sent <= 0) break;
                rest.remove_prefix(static_cast<std::size_t>(sent));
            }
            ::shutdown(client, SHUT_WR);
            ::close(client);
        }
    }

    Responder responder_;
    int listener_ = -1;
    int port_ = 0;
    int error_ = 0;
    int stopPipe_[2] = {-1, -1};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

}  // namespace veilport::testing
