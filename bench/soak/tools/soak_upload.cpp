// Uploads through a proxy to an echo origin of its own, which answers with the
// length and checksum of the body it received.
//
//   soak_upload --proxy PORT [--rounds N] [--sizes 1048576,16777216]
//
// Every round sends each size twice: with Content-Length, and chunked in
// chunks of random sizes. Prints: uploads= matched= and one line per miss.
#include <sys/socket.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <thread>

#include "SoakSupport.h"

namespace soak {
namespace {

constexpr auto kUploadLimit = std::chrono::seconds(120);

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Reads from a blocking socket into `buffer` until it holds `needle`; false at
// the end of the stream first.
bool ReadUntil(int fd, std::string& buffer, std::string_view needle) {
    char chunk[65536];
    while (buffer.find(needle) == std::string::npos) {
        const ssize_t got = ::recv(fd, chunk, sizeof(chunk), 0);
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
    return true;
}

// At least `count` bytes in `buffer` (reading more when needed).
bool ReadAtLeast(int fd, std::string& buffer, std::size_t count) {
    char chunk[65536];
    while (buffer.size() < count) {
        const ssize_t got = ::recv(fd, chunk, sizeof(chunk), 0);
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
    return true;
}

// The echo origin's answer to one connection: "LENGTH CHECKSUM", or
// "unreadable" when the body's framing broke off.
std::string EchoOne(int fd) {
    std::string data;
    if (!ReadUntil(fd, data, "\r\n\r\n")) return "unreadable";
    const auto headEnd = data.find("\r\n\r\n") + 4;
    const std::string head = Lower(data.substr(0, headEnd));
    data.erase(0, headEnd);
    std::string body;
    if (head.find("\r\ntransfer-encoding: chunked") != std::string::npos) {
        for (;;) {
            if (!ReadUntil(fd, data, "\r\n")) return "unreadable";
            const std::size_t size = std::strtoul(data.c_str(), nullptr, 16);
            data.erase(0, data.find("\r\n") + 2);
            if (!ReadAtLeast(fd, data, size + 2)) return "unreadable";
            body.append(data, 0, size);
            data.erase(0, size + 2);
            if (size == 0) break;
        }
    } else if (const auto field = head.find("\r\ncontent-length:"); field != std::string::npos) {
        const std::size_t length = std::strtoull(head.c_str() + field + 17, nullptr, 10);
        if (!ReadAtLeast(fd, data, length)) return "unreadable";
        body = data.substr(0, length);
    }
    char answer[64];
    std::snprintf(answer, sizeof(answer), "%zu %016llx", body.size(),
                  static_cast<unsigned long long>(Checksum(body)));
    return answer;
}

void ServeEcho(int listener) {
    for (;;) {
        Fd connection(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection.valid()) return;
        std::thread([fd = std::move(connection)]() mutable {
            const timeval limit{120, 0};
            (void)::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
            const std::string text = EchoOne(fd.get());
            (void)SendAll(fd.get(),
                          "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                              std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text);
            (void)::shutdown(fd.get(), SHUT_WR);
            (void)ReadUntilEnd(fd.get(), std::chrono::seconds(5));
        }).detach();
    }
}

// Sends one upload through the proxy; the echo's text, or why there is none.
std::string Upload(std::uint16_t proxy, std::uint16_t origin, const std::string& body, bool chunked,
                   std::mt19937& random) {
    Fd fd = ConnectLoopback(proxy);
    if (!fd.valid()) return "no connection";
    const timeval limit{static_cast<time_t>(kUploadLimit.count()), 0};
    (void)::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    const std::string host = "127.0.0.1:" + std::to_string(origin);
    std::string head = "POST http://" + host + "/echo HTTP/1.1\r\nHost: " + host +
                       "\r\nContent-Type: application/octet-stream\r\n"
                       "Proxy-Connection: keep-alive\r\n";
    head += chunked ? "Transfer-Encoding: chunked\r\n\r\n"
                    : "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    // The answer is read while the body goes out, so a proxy that answers
    // early (or refuses) never leaves both sides waiting on full buffers.
    Received answer;
    std::thread reader([&] { answer = ReadUntilEnd(fd.get(), kUploadLimit); });
    bool sent = SendAll(fd.get(), head);
    std::uniform_int_distribution<std::size_t> chunkSize(1, 65536);
    for (std::size_t at = 0; sent && at < body.size();) {
        const std::size_t size = std::min(body.size() - at, chunkSize(random));
        if (chunked) {
            char line[32];
            std::snprintf(line, sizeof(line), "%zx\r\n", size);
            sent = SendAll(fd.get(), line) && SendAll(fd.get(), body.substr(at, size)) &&
                   SendAll(fd.get(), "\r\n");
        } else {
            sent = SendAll(fd.get(), std::string_view(body).substr(at, size));
        }
        at += size;
    }
    if (sent && chunked) sent = SendAll(fd.get(), "0\r\n\r\n");
    reader.join();
    if (!sent) return "upload cut off";
    const auto headEnd = answer.bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return std::string("no answer (") + EndingName(answer.ending) + ")";
    return answer.bytes.substr(headEnd + 4);
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
    using namespace soak;
    const Options options(argc, argv);
    const std::uint16_t proxy = PortOf(options.text("proxy", ""));
    const long long rounds = options.number("rounds", 1);
    std::uint16_t origin = 0;
    const Fd listener = ListenLoopback(64, origin);
    if (!listener.valid()) return 1;
    std::thread(ServeEcho, listener.get()).detach();

    std::vector<std::size_t> sizes;
    std::stringstream list(options.text("sizes", "1048576,16777216"));
    for (std::string item; std::getline(list, item, ',');) sizes.push_back(std::stoul(item));

    std::mt19937 random(7);
    int uploads = 0, matched = 0;
    for (long long round = 0; round < rounds; ++round) {
        for (const std::size_t size : sizes) {
            const std::string body = Body(size, static_cast<unsigned>(round));
            char expected[64];
            std::snprintf(expected, sizeof(expected), "%zu %016llx", body.size(),
                          static_cast<unsigned long long>(Checksum(body)));
            for (const bool chunked : {false, true}) {
                ++uploads;
                const std::string echoed = Upload(proxy, origin, body, chunked, random);
                if (echoed == expected) {
                    ++matched;
                } else {
                    std::fprintf(stderr, "soak_upload: %zu bytes %s: expected '%s', got '%s'\n",
                                 size, chunked ? "chunked" : "with Content-Length", expected,
                                 echoed.substr(0, 200).c_str());
                }
            }
        }
    }
    std::printf("uploads=%d matched=%d\n", uploads, matched);
    return matched == uploads ? 0 : 1;
}
