#pragma once

// What the tests of the real veilport share: a private X server (Xvfb) with
// an optional tray host (trayer), xdotool to drive it, a local tinyproxy as
// the upstream proxy, and small waits on ports and files. Every wait polls a
// condition against a deadline, so a slow machine only makes a test slower.

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "gateway/LoopbackPeers.h"
#include "helpers/SpawnedProgram.h"
#include "support/ChildProcess.h"

namespace veilport::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::RunCommand;
using testing::SpawnedProgram;

// The full path of a program on PATH, or empty.
inline std::string Which(const std::string& program) {
    const auto result = RunCommand({"/bin/sh", "-c", "command -v " + program});
    return result.exitCode == 0 ? result.out.substr(0, result.out.find('\n')) : std::string();
}

// RunCommand executes a path; env looks the program up on PATH.
inline testing::CommandResult RunOnPath(std::vector<std::string> argv) {
    argv.insert(argv.begin(), "/usr/bin/env");
    return RunCommand(argv);
}

// xdotool with these arguments; its standard output.
inline std::string Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return RunOnPath(std::move(args)).out;
}

inline fs::path Built(const char* name) {
    return fs::path(VEILPORT_BUILD_DIR) / name;
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A port nothing listens on right now.
inline std::uint16_t FreePort() {
    auto probe = net::listenTcp(testing::Loopback(), 0, 1);
    return probe.ok() ? net::localPort(probe.value.get()).value : 0;
}

inline bool Accepts(std::uint16_t port) {
    return net::connectTcp(testing::Loopback(), port).ok();
}

// Polls the condition every tenth of a second until it holds or the limit
// passes; true when it held.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = 15s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        ::usleep(100'000);
    }
    return true;
}

// An origin's connection handler: reads one request's head and answers it
// with the page, then closes. With echo, the request head as it arrived
// follows the page, so a test sees what the proxies on the way added.
inline testing::LoopbackServer::Handler ServePage(std::string page, bool echo = false) {
    return [page = std::move(page), echo](int fd) {
        char buffer[4096];
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            const auto got = net::receiveSome(fd, buffer, sizeof buffer);
            if (!got.ok() || got.value == 0) return;
            request.append(buffer, got.value);
        }
        const std::string body = echo ? page + request : page;
        const std::string answer =
            "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        (void)net::sendAll(fd, answer.data(), answer.size());
    };
}

// Xvfb on a display it picks itself, made the display of this process and of
// every program it starts; with a tray host when asked. Both end with it.
class PrivateDisplay {
public:
    PrivateDisplay(const fs::path& folder, bool withTray) {
        const fs::path displayFile = folder / "display";
        xvfb_.emplace("/bin/sh",
                      std::vector<std::string>{"-c",
                                               "exec Xvfb -displayfd 3 -screen 0 1280x800x24 "
                                               "-nolisten tcp 3>'" +
                                                   displayFile.string() + "' 2>/dev/null"});
        std::string display;
        Eventually([&] {
            std::ifstream(displayFile) >> display;
            return !display.empty();
        });
        if (display.empty()) return;
        ::setenv("DISPLAY", (":" + display).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (withTray)
            tray_.emplace("/bin/sh", std::vector<std::string>{"-c", "exec trayer 2>/dev/null"});
        ready_ = true;
    }
    ~PrivateDisplay() {
        ::unsetenv("DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ready() const { return ready_; }

private:
    std::optional<SpawnedProgram> xvfb_;
    std::optional<SpawnedProgram> tray_;
    bool ready_ = false;
};

// The first visible window with exactly this title, waiting up to the limit
// for one to appear; empty when none did.
inline std::string VisibleWindow(const std::string& title, int seconds = 15) {
    const auto result = RunOnPath({"timeout", std::to_string(seconds), "xdotool", "search",
                                   "--sync", "--onlyvisible", "--name", "^" + title + "$"});
    return result.out.substr(0, result.out.find('\n'));
}

inline bool NoVisibleWindow(const std::string& title) {
    return Eventually(
        [&] {
            return Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}).empty();
        },
        10s);
}

// A click at a place inside the window, with the given mouse button.
inline void Click(const std::string& window, int x, int y, int button = 1) {
    Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
             std::to_string(button)});
}

// tinyproxy on loopback at a free port, allowing only loopback clients.
class LocalTinyproxy {
public:
    explicit LocalTinyproxy(const fs::path& folder) : port_(FreePort()) {
        const fs::path config = folder / "tinyproxy.conf";
        std::ofstream(config) << "Port " << port_
                              << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 8\nLogLevel Error\n"
                              << "Allow 127.0.0.1\n";
        program_.emplace("/bin/sh", std::vector<std::string>{
                                        "-c", "exec tinyproxy -d -c '" + config.string() + "'"});
    }
    // Whether it accepts connections, waiting for it to start.
    bool started() const {
        return Eventually([this] { return Accepts(port_); });
    }
    std::uint16_t port() const { return port_; }

private:
    std::uint16_t port_;
    std::optional<SpawnedProgram> program_;
};

}  // namespace veilport::e2e
