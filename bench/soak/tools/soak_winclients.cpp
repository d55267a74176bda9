// Idle and slow clients of a window's socket: --idle N connections that send
// nothing, and --slow M that send "anonymity-status\n" one byte every
// --slow-every-ms milliseconds. Holds them until each is closed by the other
// side or --hold-s seconds pass, then prints one line:
//   idle=N idle_closed=A slow=M slow_closed=B slow_answered=C
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Client {
    int fd = -1;
    bool slow = false;
    std::size_t sent = 0;
    bool closed = false;
    bool answered = false;
};

int ConnectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string socket;
    int idle = 0;
    int slow = 0;
    int everyMs = 200;
    int holdS = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--socket") socket = value;
        if (name == "--idle") idle = std::atoi(value);
        if (name == "--slow") slow = std::atoi(value);
        if (name == "--slow-every-ms") everyMs = std::atoi(value);
        if (name == "--hold-s") holdS = std::atoi(value);
    }
    const std::string_view request = "anonymity-status\n";
    std::vector<Client> clients;
    for (int i = 0; i < idle + slow; ++i) {
        Client client;
        client.fd = ConnectTo(socket);
        client.slow = i >= idle;
        client.closed = client.fd < 0;
        clients.push_back(client);
    }
    const auto end = Clock::now() + std::chrono::seconds(holdS);
    auto nextByte = Clock::now();
    while (Clock::now() < end) {
        if (Clock::now() >= nextByte) {
            for (auto& client : clients) {
                if (client.closed || !client.slow || client.sent >= request.size()) continue;
                if (::send(client.fd, request.data() + client.sent, 1, MSG_NOSIGNAL) == 1)
                    ++client.sent;
            }
            nextByte += std::chrono::milliseconds(everyMs);
        }
        std::vector<pollfd> watch;
        std::vector<Client*> watched;
        for (auto& client : clients) {
            if (client.closed) continue;
            watch.push_back({client.fd, POLLIN, 0});
            watched.push_back(&client);
        }
        if (watch.empty()) break;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::min(nextByte, end) - Clock::now());
        ::poll(watch.data(), watch.size(), static_cast<int>(std::max<long>(wait.count(), 0)));
        for (std::size_t i = 0; i < watch.size(); ++i) {
            if (watch[i].revents == 0) continue;
            char buffer[256];
            const ssize_t got = ::recv(watch[i].fd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (got > 0) {
                watched[i]->answered = true;
                continue;
            }
            watched[i]->closed = true;
            ::close(watched[i]->fd);
        }
    }
    int idleClosed = 0;
    int slowClosed = 0;
    int slowAnswered = 0;
    for (const auto& client : clients) {
        if (client.slow) {
            slowClosed += client.closed;
            slowAnswered += client.answered;
        } else {
            idleClosed += client.closed;
        }
    }
    std::printf("idle=%d idle_closed=%d slow=%d slow_closed=%d slow_answered=%d\n", idle,
                idleClosed, slow, slowClosed, slowAnswered);
    return 0;
}
