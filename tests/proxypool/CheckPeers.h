#pragma once

// Real peers for proxy checks, all on loopback: a judge that echoes the
// request's headers and the caller's address in httpbin's JSON form,
// tinyproxy and microsocks started with a config of the test's choosing, a
// "proxy" that answers every request with its own page, and an HTTPS server
// (openssl s_server) with a certificate made for the test.

#include <arpa/inet.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gateway/LoopbackPeers.h"
#include "support/ChildProcess.h"

namespace veilport::testing {

// The full path of a program on PATH, or empty.
inline std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "/usr/bin:/bin:/usr/sbin";
    while (!dirs.empty()) {
        const auto colon = dirs.find(':');
        const auto candidate = std::filesystem::path(dirs.substr(0, colon)) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
    }
    return {};
}

inline std::uint16_t FreeLoopbackPort() {
    auto listening = net::listenTcp(Loopback(), 0, 1);
    if (!listening.ok()) throw std::runtime_error("no free port");
    return net::localPort(listening.value.get()).value;
}

// Polls until something accepts on 127.0.0.1:port, or about ten seconds pass.
inline bool WaitUntilAccepting(std::uint16_t port) {
    for (int i = 0; i < 1000; ++i) {
        if (net::connectTcp(Loopback(), port).ok()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

inline std::string JsonEscaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
    return out;
}

// httpbin's /get: {"headers": {...}, "origin": "<caller>"}.
class JudgeServer {
public:
    JudgeServer()
        : server_([](int fd) {
              const std::string head = ReadUntil(fd, "\r\n\r\n");
              sockaddr_in peer{};
              socklen_t length = sizeof(peer);
              ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
              char address[INET_ADDRSTRLEN] = {};
              ::inet_ntop(AF_INET, &peer.sin_addr, address, sizeof(address));
              std::string headers;
              std::string_view lines = head;
              lines.remove_prefix(std::min(lines.size(), lines.find("\r\n") + 2));
              while (!lines.empty()) {
                  const auto end = lines.find("\r\n");
                  const auto line = lines.substr(0, end);
                  lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 2);
                  const auto colon = line.find(':');
                  if (line.empty() || colon == std::string_view::npos) continue;
                  auto value = line.substr(colon + 1);
                  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
                  if (!headers.empty()) headers += ", ";
                  headers += "\"" + JsonEscaped(line.substr(0, colon)) + "\": \"" +
                             JsonEscaped(value) + "\"";
              }
              const std::string body = "{\"args\": {}, \"headers\": {" + headers +
                                       "}, \"origin\": \"" + address + "\"}\n";
              (void)SendText(fd,
                             "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                             "Content-Length: " +
                                 std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                                 body);
          }) {}

    std::string url() const {
        return "http://127.0.0.1:" + std::to_string(server_.port()) + "/get";
    }
    int requests() const { return server_.connections(); }

private:
    LoopbackServer server_;
};

// Answers every request with a page of its own, as captive or broken proxies do.
class OwnPageProxy {
public:
    OwnPageProxy()
        : server_([](int fd) {
              (void)ReadUntil(fd, "\r\n\r\n");
              const std::string body = "<html><body>Welcome to FastProxy!</body></html>";
              (void)SendText(fd,
                             "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                                 "\r\nConnection: close\r\n\r\n" + body);
          }) {}
    std::uint16_t port() const { return server_.port(); }

private:
    LoopbackServer server_;
};

// A program listening on 127.0.0.1:port() once started() is true.
class PeerProgram {
public:
    PeerProgram(const std::vector<std::string>& argv, std::uint16_t port) : port_(port) {
        child_ = std::make_unique<ChildProcess>(argv);
        ready_ = WaitUntilAccepting(port);
    }
    bool started() const { return ready_; }
    std::uint16_t port() const { return port_; }

private:
    std::uint16_t port_;
    std::unique_ptr<ChildProcess> child_;
    bool ready_ = false;
};

// tinyproxy on 127.0.0.1 going out from 127.0.0.2, with extra config lines.
inline std::unique_ptr<PeerProgram> StartTinyproxy(const std::filesystem::path& folder,
                                                   const std::string& name,
                                                   const std::string& extra) {
    const auto program = FindProgram("tinyproxy");
    if (program.empty()) return nullptr;
    const auto port = FreeLoopbackPort();
    const auto config = folder / (name + ".conf");
    std::ofstream(config) << "Port " << port << "\nListen 127.0.0.1\nBind 127.0.0.2\n"
                          << "Timeout 20\nMaxClients 100\nLogLevel Critical\n"
                          << "Allow 127.0.0.1\n"
                          << extra;
    return std::make_unique<PeerProgram>(
        std::vector<std::string>{program, "-d", "-c", config.string()}, port);
}

// microsocks on 127.0.0.1 going out from 127.0.0.2.
inline std::unique_ptr<PeerProgram> StartMicrosocks() {
    const auto program = FindProgram("microsocks");
    if (program.empty()) return nullptr;
    const auto port = FreeLoopbackPort();
    return std::make_unique<PeerProgram>(
        std::vector<std::string>{program, "-i", "127.0.0.1", "-p", std::to_string(port), "-b",
                                 "127.0.0.2"},
        port);
}

// An HTTPS server on 127.0.0.1 with a self-signed certificate for that
// address; caFile() is the certificate to trust.
class TlsServer {
public:
    explicit TlsServer(const std::filesystem::path& folder) {
        const auto openssl = FindProgram("openssl");
        if (openssl.empty()) return;
        cert_ = (folder / "tls-cert.pem").string();
        const auto key = (folder / "tls-key.pem").string();
        ChildProcess make({openssl, "req", "-x509", "-newkey", "ec", "-pkeyopt",
                           "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert_,
                           "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                           "subjectAltName=IP:127.0.0.1"});
        if (make.wait() != 0) return;
        const auto port = FreeLoopbackPort();
        server_ = std::make_unique<PeerProgram>(
            std::vector<std::string>{openssl, "s_server", "-quiet", "-accept",
                                     "127.0.0.1:" + std::to_string(port), "-cert", cert_, "-key",
                                     key, "-www"},
            port);
    }
    bool started() const { return server_ && server_->started(); }
    std::string url() const { return "https://127.0.0.1:" + std::to_string(server_->port()) + "/"; }
    const std::string& caFile() const { return cert_; }

private:
    std::string cert_;
    std::unique_ptr<PeerProgram> server_;
};

}  // namespace veilport::testing
