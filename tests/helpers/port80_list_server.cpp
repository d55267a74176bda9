// Serves a proxy list on 127.0.0.1 port 80, where the pool's downloads always
// go, and runs a check against it: the pool's own fetch and connect timing in
// this process (--probe), or another program as a child (veilportctl).
//
//   port80_list_server netns|host BODYFILE --probe
//   port80_list_server netns|host BODYFILE -- PROGRAM [ARGS...]
//
// netns enters a private network namespace first (as root, or through a user
// namespace otherwise), so nothing of the machine's port 80 is touched; host
// binds the machine's 127.0.0.1:80 and needs it free. Exit 77 when neither the
// namespace nor the port can be had, so the calling test can skip. The request
// lines the server saw go to stderr as "request: ...".

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "../platform/LoopbackHttpServer.h"
#include "proxypool/ConnectTime.h"
#include "proxypool/FetchProxyList.h"

namespace {

constexpr int kSkip = 77;

bool WriteFile(const char* path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    return static_cast<bool>(out.flush());
}

bool EnterPrivateNetwork() {
    if (::geteuid() == 0) {
        if (::unshare(CLONE_NEWNET) != 0) return false;
    } else {
        const auto uid = std::to_string(::geteuid());
        const auto gid = std::to_string(::getegid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
        if (!WriteFile("/proc/self/setgroups", "deny") ||
            !WriteFile("/proc/self/uid_map", uid + " " + uid + " 1\n") ||
            !WriteFile("/proc/self/gid_map", gid + " " + gid + " 1\n"))
            return false;
    }
    // A new namespace has only a loopback interface, and it is down.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP;
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return up;
}

// A loopback port where nothing listens: bound once, then released.
int ClosedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    (void)!::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    (void)!::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::string Escaped(const std::string& text) {
    std::string shown;
    for (const char c : text)
        shown += c == '\r' ? std::string("\\r") : c == '\n' ? "\\n" : std::string(1, c);
    return shown;
}

int Probe() {
    using namespace veilport::proxypool;
    // The URL names another port on purpose: downloads use port 80 whatever it says.
    const auto url = "http://127.0.0.1:8/services/ib/proxy/sortedproxylist.txt";
    const auto body = FetchProxyList(url, DirectHttpGet());
    std::cout << "fetched: " << Escaped(body) << '\n';
    std::cout << "listening: " << MeasureConnectTime("127.0.0.1", 80) << '\n';
    std::cout << "closed: " << MeasureConnectTime("127.0.0.1", ClosedPort()) << '\n';
    return 0;
}

int RunChild(char** argv) {
    std::cout.flush();
    const pid_t child = ::fork();
    if (child < 0) return 1;
    if (child == 0) {
        ::execv(argv[0], argv);
        std::perror(argv[0]);
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: port80_list_server netns|host BODYFILE --probe | -- PROGRAM ARGS...\n";
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "netns" && !EnterPrivateNetwork()) {
        std::cerr << "port80_list_server: cannot enter a private network namespace: "
                  << std::strerror(errno) << '\n';
        return kSkip;
    }
    std::ifstream in(argv[2], std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int code = 0;
    std::vector<std::string> requests;
    {
        veilport::testing::LoopbackHttpServer server(
            [&](const std::string&) { return veilport::testing::LoopbackHttpServer::Ok(body); },
            80);
        if (!server.listening()) {
            std::cerr << "port80_list_server: cannot listen on 127.0.0.1:80: "
                      << std::strerror(server.error()) << '\n';
            return kSkip;
        }
        if (std::string(argv[3]) == "--probe") {
            code = Probe();
        } else if (std::string(argv[3]) == "--" && argc > 4) {
            code = RunChild(argv + 4);
        } else {
            std::cerr << "port80_list_server: expected --probe or -- PROGRAM\n";
            return 2;
        }
        requests = server.requests();
    }
    for (const auto& request : requests)
        std::cerr << "request: " << request.substr(0, request.find("\r\n")) << '\n';
    return code;
}
