// How deep the Gateway's threads reach into their stacks: each thread gets a
// stack painted with a known byte, and when it ends the lowest byte no longer
// painted tells how much it used. The connections driven through the Gateway
// take every path of the relay: plain and filtered pages (chunked included),
// a large download, an upload, a tunnel, a head near its size limit, and an
// upstream given by name, so that the resolver runs. The settings store is
// read and written on the way (the filter's switches, LastDomain).
//
//   bench/stack_depth    prints the deepest use in bytes
#include <pthread.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gateway/Gateway.h"
#include "platform/net/Socket.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"

namespace {

using namespace veilport;

constexpr std::size_t kProbeStack = 4 * 1024 * 1024;
constexpr unsigned char kPaint = 0xA5;

std::atomic<std::size_t> gDeepest{0};
std::atomic<int> gThreads{0};

struct Probe {
    std::function<void()> body;
    unsigned char* low;
};

void* RunProbe(void* argument) {
    std::unique_ptr<Probe> probe(static_cast<Probe*>(argument));
    probe->body();
    probe->body = nullptr;
    std::size_t untouched = 0;
    while (untouched < kProbeStack && probe->low[untouched] == kPaint) ++untouched;
    std::size_t used = kProbeStack - untouched;
    std::size_t deepest = gDeepest.load();
    while (used > deepest && !gDeepest.compare_exchange_weak(deepest, used)) {
    }
    ++gThreads;
    // The stack stays mapped: a thread cannot unmap the stack it runs on.
    return nullptr;
}

bool PaintedStackThread(std::function<void()> body) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* region = mmap(nullptr, kProbeStack + page, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (region == MAP_FAILED) return false;
    (void)mprotect(region, page, PROT_NONE);
    auto* low = static_cast<unsigned char*>(region) + page;
    std::memset(low, kPaint, kProbeStack);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstack(&attributes, low, kProbeStack);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto probe = std::make_unique<Probe>(Probe{std::move(body), low});
    pthread_t thread;
    const int status = pthread_create(&thread, &attributes, &RunProbe, probe.get());
    pthread_attr_destroy(&attributes);
    if (status != 0) return false;
    (void)probe.release();
    return true;
}

in_addr Loopback() {
    in_addr address{};
    address.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

std::string ReadHead(int fd) {
    std::string head;
    char byte;
    while (head.find("\r\n\r\n") == std::string::npos) {
        const auto got = net::receiveSome(fd, &byte, 1);
        if (!got.ok() || got.value == 0) break;
        head.push_back(byte);
    }
    return head;
}

void Drain(int fd) {
    char buffer[4096];
    for (;;) {
        const auto got = net::receiveSome(fd, buffer, sizeof(buffer));
        if (!got.ok() || got.value == 0) return;
    }
}

std::string HtmlPage() {
    std::string page;
    while (page.size() < 256 * 1024)
        page +=
            "<div><SCRIPT src=\"a.js\">x()</SCRIPT><object data=\"m\"></object><p>text</p></div>\n";
    return page;
}

// The upstream proxy: answers by the request's path, echoes a tunnel.
void Answer(int fd) {
    const std::string head = ReadHead(fd);
    std::string answer;
    if (head.rfind("CONNECT", 0) == 0) {
        answer = "HTTP/1.0 200 Connection established\r\n\r\n";
        (void)net::sendAll(fd, answer.data(), answer.size());
        char buffer[4096];
        for (;;) {
            const auto got = net::receiveSome(fd, buffer, sizeof(buffer));
            if (!got.ok() || got.value == 0) return;
            (void)net::sendAll(fd, buffer, got.value);
        }
    }
    if (head.rfind("POST", 0) == 0) Drain(fd);
    if (head.find("/chunked") != std::string::npos) {
        const std::string page = HtmlPage();
        answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n";
        for (std::size_t at = 0; at < page.size(); at += 3000) {
            const std::string part = page.substr(at, 3000);
            char size[16];
            std::snprintf(size, sizeof(size), "%zx\r\n", part.size());
            answer += size + part + "\r\n";
        }
        answer += "0\r\n\r\n";
    } else if (head.find("/html") != std::string::npos) {
        answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n" + HtmlPage();
    } else {
        answer = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" +
                 std::string(4 * 1024 * 1024, 'b');
    }
    (void)net::sendAll(fd, answer.data(), answer.size());
}

void Fetch(std::uint16_t port, const std::string& request, const std::string& body = {}) {
    auto browser = net::connectTcp(Loopback(), port, std::chrono::seconds(5));
    if (!browser.ok()) return;
    const std::string all = request + body;
    (void)net::sendAll(browser.value.get(), all.data(), all.size());
    (void)net::shutdownSocket(browser.value.get(), SHUT_WR);
    Drain(browser.value.get());
}

}  // namespace

int main() {
    const auto home = std::filesystem::temp_directory_path() /
                      ("veilport-stack-depth-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("VEILPORT_HOME", home.c_str(), 1);

    auto listening = net::listenTcp(Loopback(), 0, SOMAXCONN);
    if (!listening.ok()) return 1;
    const std::uint16_t upstreamPort = net::localPort(listening.value.get()).value;
    std::atomic<bool> stopping{false};
    std::vector<std::thread> served;
    std::thread acceptor([&] {
        while (!stopping) {
            auto accepted = net::acceptConnection(listening.value.get());
            if (!accepted.ok()) continue;
            served.emplace_back([fd = std::make_shared<net::UniqueFd>(std::move(accepted.value))] {
                Answer(fd->get());
            });
        }
    });

    GatewayOptions options;
    options.startThread = &PaintedStackThread;
    options.parking.idle = std::chrono::milliseconds(0);  // every thread ends and reports
    std::size_t connections = 0;
    for (const char* upstreamHost : {"127.0.0.1", "localhost"}) {
        Gateway gateway(options);
        GatewaySettings settings;
        settings.localPort = 0;
        settings.upstreamHost = upstreamHost;
        settings.upstreamPort = upstreamPort;
        if (!gateway.start(settings)) return 1;
        const auto port = gateway.waitUntilSettled(std::chrono::seconds(10)).port;
        for (int filter = 0; filter < 2; ++filter) {
            DwordSetting(settings::kEnableJS).set(filter);
            DwordSetting(settings::kEnableActiveX).set(filter);
            const std::string host =
                upstreamHost == std::string("localhost") ? "site.test" : "127.0.0.1";
            auto get = [&](const std::string& path, const std::string& extra = {}) {
                return "GET http://" + host + path + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra +
                       "Accept-Encoding: gzip\r\n\r\n";
            };
            Fetch(port, get("/html"));
            Fetch(port, get("/chunked"));
            Fetch(port, get("/bin"));
            Fetch(port, get("/html", "X-Pad: " + std::string(60 * 1024, 'p') + "\r\n"));
            Fetch(port,
                  "POST http://" + host + "/up HTTP/1.1\r\nHost: " + host +
                      "\r\nContent-Length: 1048576\r\n\r\n",
                  std::string(1024 * 1024, 'u'));
            Fetch(port, "CONNECT " + host + ":443 HTTP/1.1\r\nHost: " + host + ":443\r\n\r\n",
                  std::string(256 * 1024, 't'));
            connections += 6;
        }
        gateway.stop();
        while (gateway.activeConnections() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Every thread has reported once the count stops growing; the writer of
    // LastDomain ends with its Gateway above.
    int before = -1;
    while (gThreads.load() != before) {
        before = gThreads.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    stopping = true;
    (void)net::shutdownSocket(listening.value.get(), SHUT_RDWR);
    acceptor.join();
    for (auto& thread : served) thread.join();
    std::filesystem::remove_all(home);
    std::printf("deepest stack use of %d Gateway threads over %zu connections: %zu bytes\n",
                gThreads.load(), connections, gDeepest.load());
    return 0;
}
