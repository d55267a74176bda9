// The load client: many requests through a proxy, every body compared byte for
// byte with the file the origin serves.
//
//   soak_load --make-files DIR [--sizes 0,1024,...] [--variants 8]
//       writes DIR/f/SIZE-VARIANT, the files the origin serves
//   soak_load --proxy PORT --origin PORT --requests N [--concurrency C]
//             [--mix SIZE:WEIGHT,...] [--variants 8] [--duration-s S]
//             [--timeout-ms T] [--deadline-s D] [--seed S]
//       prints one line: requests= ok= failures= mismatches= ... and the first
//       few faults on stderr. Exit 0 when every request came back whole.
//
// One thread, non-blocking sockets and epoll: the client must outrun the chain
// it measures, so it never spawns a process or a thread per request.
#include <sys/epoll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <unordered_map>

#include "SoakSupport.h"

namespace soak {
namespace {

struct SizeWeight {
    std::size_t size;
    unsigned weight;
};

std::vector<SizeWeight> ParseMix(const std::string& text) {
    std::vector<SizeWeight> mix;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        const auto colon = item.find(':');
        mix.push_back({std::stoul(item.substr(0, colon)),
                       colon == std::string::npos
                           ? 1u
                           : static_cast<unsigned>(std::stoul(item.substr(colon + 1)))});
    }
    return mix;
}

enum class Fault { Connect, Reset, TimedOut, Status, Truncated, Mismatch };
constexpr const char* kFaultNames[] = {"connect", "reset",     "timeout",
                                       "status",  "truncated", "mismatch"};

struct Request {
    Fd fd;
    const std::string* expected = nullptr;
    std::string name;
    std::string out;
    std::size_t sent = 0;
    std::string head;
    bool headDone = false;
    int status = 0;
    long long contentLength = -1;
    std::size_t bodyBytes = 0;
    bool bodyDiffers = false;
    Clock::time_point started;
};

class LoadRun {
public:
    explicit LoadRun(const Options& options)
        : proxyPort_(PortOf(options.text("proxy", ""))),
          originPort_(PortOf(options.text("origin", ""))),
          total_(options.number("requests", 1000)),
          concurrency_(static_cast<int>(options.number("concurrency", 8))),
          variants_(static_cast<unsigned>(options.number("variants", 8))),
          timeout_(std::chrono::milliseconds(options.number("timeout-ms", 60000))),
          duration_(options.number("duration-s", 0)),
          deadline_(Clock::now() + std::chrono::seconds(options.number("deadline-s", 1800))),
          mix_(ParseMix(options.text("mix", "0:1,1024:1,65536:1,1048576:1"))),
          random_(static_cast<std::uint32_t>(options.number("seed", 1))) {
        for (const auto& entry : mix_) {
            weightSum_ += entry.weight;
            for (unsigned v = 0; v < variants_; ++v)
                bodies_[Key(entry.size, v)] = Body(entry.size, v);
        }
        epoll_ = Fd(::epoll_create1(EPOLL_CLOEXEC));
    }

    int run() {
        const auto start = Clock::now();
        while (Clock::now() < deadline_) {
            while (static_cast<int>(inFlight_.size()) < concurrency_ && mayStartAnother(start))
                startOne();
            if (inFlight_.empty()) break;
            epoll_event events[64];
            const int count = ::epoll_wait(epoll_.get(), events, 64, 100);
            for (int i = 0; i < count; ++i) step(events[i].data.fd, events[i].events);
            expireSlowOnes();
        }
        for (auto& [fd, request] : inFlight_) finish(*request, Fault::TimedOut);
        inFlight_.clear();
        const double seconds = SecondsSince(start);
        std::printf(
            "requests=%lld ok=%lld failures=%lld mismatches=%lld seconds=%.1f rate=%.0f "
            "mbytes=%.0f",
            started_, ok_, failures_, faults_[static_cast<int>(Fault::Mismatch)], seconds,
            static_cast<double>(started_) / (seconds > 0 ? seconds : 1), bytes_ / 1048576.0);
        std::printf(" reasons=");
        for (int f = 0; f < 6; ++f)
            std::printf("%s%s:%lld", f ? "," : "", kFaultNames[f], faults_[f]);
        std::printf("\n");
        return ok_ == started_ && started_ > 0 ? 0 : 1;
    }

private:
    static std::uint64_t Key(std::size_t size, unsigned variant) {
        return (static_cast<std::uint64_t>(size) << 8) | variant;
    }

    bool mayStartAnother(Clock::time_point start) const {
        if (started_ >= total_) return false;
        return duration_ <= 0 || SecondsSince(start) < static_cast<double>(duration_);
    }

    void startOne() {
        ++started_;
        std::uniform_int_distribution<unsigned> pickWeight(0, weightSum_ - 1);
        unsigned roll = pickWeight(random_);
        std::size_t size = mix_.back().size;
        for (const auto& entry : mix_) {
            if (roll < entry.weight) {
                size = entry.size;
                break;
            }
            roll -= entry.weight;
        }
        const unsigned variant = static_cast<unsigned>(started_ % variants_);
        auto request = std::make_unique<Request>();
        request->expected = &bodies_[Key(size, variant)];
        request->name = "/f/" + std::to_string(size) + "-" + std::to_string(variant);
        const std::string origin = "127.0.0.1:" + std::to_string(originPort_);
        request->out = "GET http://" + origin + request->name + " HTTP/1.1\r\nHost: " + origin +
                       "\r\nUser-Agent: soak-load\r\nAccept: */*\r\n"
                       "Proxy-Connection: Keep-Alive\r\n\r\n";
        request->started = Clock::now();
        request->fd = ConnectLoopback(proxyPort_, /*nonBlocking=*/true);
        if (!request->fd.valid()) {
            finish(*request, Fault::Connect);
            return;
        }
        epoll_event event{};
        event.events = EPOLLOUT | EPOLLIN;
        event.data.fd = request->fd.get();
        (void)::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, request->fd.get(), &event);
        inFlight_[request->fd.get()] = std::move(request);
    }

    void step(int fd, std::uint32_t events) {
        const auto found = inFlight_.find(fd);
        if (found == inFlight_.end()) return;
        Request& request = *found->second;
        if (request.sent < request.out.size() && (events & (EPOLLOUT | EPOLLERR))) {
            const ssize_t sent = ::send(fd, request.out.data() + request.sent,
                                        request.out.size() - request.sent, MSG_NOSIGNAL);
            if (sent < 0 && errno != EAGAIN && errno != EINTR) {
                end(fd, request.sent == 0 && errno == ECONNREFUSED ? Fault::Connect : Fault::Reset);
                return;
            }
            if (sent > 0) request.sent += static_cast<std::size_t>(sent);
            if (request.sent == request.out.size()) {
                epoll_event event{};
                event.events = EPOLLIN;
                event.data.fd = fd;
                (void)::epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, fd, &event);
            }
        }
        if (!(events & (EPOLLIN | EPOLLHUP | EPOLLERR))) return;
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (got > 0) {
                bytes_ += static_cast<double>(got);
                take(request, std::string_view(buffer, static_cast<std::size_t>(got)));
                continue;
            }
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 && errno == EAGAIN) return;
            if (got < 0) {
                end(fd,
                    errno == ECONNREFUSED && request.head.empty() ? Fault::Connect : Fault::Reset);
                return;
            }
            end(fd, judge(request));
            return;
        }
    }

    void take(Request& request, std::string_view bytes) {
        if (!request.headDone) {
            request.head.append(bytes);
            const auto end = request.head.find("\r\n\r\n");
            if (end == std::string::npos) return;
            request.headDone = true;
            const std::string body = request.head.substr(end + 4);
            request.head.resize(end + 2);
            parseHead(request);
            compareBody(request, body);
            return;
        }
        compareBody(request, bytes);
    }

    static void compareBody(Request& request, std::string_view bytes) {
        const std::string& expected = *request.expected;
        if (request.bodyBytes + bytes.size() > expected.size() ||
            std::memcmp(expected.data() + request.bodyBytes, bytes.data(), bytes.size()) != 0)
            request.bodyDiffers = true;
        request.bodyBytes += bytes.size();
    }

    static void parseHead(Request& request) {
        const auto blank = request.head.find(' ');
        if (blank != std::string::npos)
            request.status = std::atoi(request.head.c_str() + blank + 1);
        std::string lower = request.head;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto field = lower.find("\r\ncontent-length:");
        if (field != std::string::npos)
            request.contentLength = std::atoll(lower.c_str() + field + 17);
    }

    // Nothing when the answer was whole and right.
    static std::optional<Fault> judge(const Request& request) {
        if (!request.headDone) return request.head.empty() ? Fault::Reset : Fault::Truncated;
        if (request.status != 200) return Fault::Status;
        if (request.bodyDiffers) return Fault::Mismatch;
        if (request.bodyBytes != request.expected->size() ||
            request.contentLength != static_cast<long long>(request.expected->size()))
            return request.bodyBytes < request.expected->size() ? Fault::Truncated
                                                                : Fault::Mismatch;
        return std::nullopt;
    }

    void expireSlowOnes() {
        const auto now = Clock::now();
        std::vector<int> expired;
        for (const auto& [fd, request] : inFlight_)
            if (now - request->started > timeout_) expired.push_back(fd);
        for (int fd : expired) end(fd, Fault::TimedOut);
    }

    void end(int fd, std::optional<Fault> fault) {
        auto found = inFlight_.find(fd);
        finish(*found->second, fault);
        inFlight_.erase(found);  // closes the socket
    }

    void finish(const Request& request, std::optional<Fault> fault) {
        if (!fault) {
            ++ok_;
            return;
        }
        const int index = static_cast<int>(*fault);
        ++faults_[index];
        if (*fault != Fault::Mismatch) ++failures_;
        if (++reported_ <= 10)
            std::fprintf(stderr, "soak_load: %s %s (status %d, %zu of %zu body bytes)\n",
                         kFaultNames[index], request.name.c_str(), request.status,
                         request.bodyBytes, request.expected->size());
    }

    const std::uint16_t proxyPort_;
    const std::uint16_t originPort_;
    const long long total_;
    const int concurrency_;
    const unsigned variants_;
    const std::chrono::milliseconds timeout_;
    const long long duration_;
    const Clock::time_point deadline_;
    const std::vector<SizeWeight> mix_;
    unsigned weightSum_ = 0;
    std::mt19937 random_;
    std::unordered_map<std::uint64_t, std::string> bodies_;
    std::unordered_map<int, std::unique_ptr<Request>> inFlight_;
    Fd epoll_;
    long long started_ = 0, ok_ = 0, failures_ = 0, reported_ = 0;
    long long faults_[6] = {};
    double bytes_ = 0;
};

int MakeFiles(const Options& options) {
    const std::filesystem::path folder =
        std::filesystem::path(options.text("make-files", ".")) / "f";
    std::filesystem::create_directories(folder);
    const auto variants = static_cast<unsigned>(options.number("variants", 8));
    for (const auto& entry : ParseMix(options.text("sizes", "0,1024,65536,1048576"))) {
        for (unsigned v = 0; v < variants; ++v) {
            std::ofstream out(folder / (std::to_string(entry.size) + "-" + std::to_string(v)),
                              std::ios::binary);
            out << Body(entry.size, v);
            if (!out) return 1;
        }
    }
    return 0;
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
    const soak::Options options(argc, argv);
    if (options.has("make-files")) return soak::MakeFiles(options);
    return soak::LoadRun(options).run();
}
