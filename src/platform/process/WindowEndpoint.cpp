#include "platform/process/WindowEndpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/process/PeerUser.h"
#include "platform/process/UnixSocketAddress.h"
#include "platform/process/WindowSocketName.h"

namespace veilport::process {

namespace {

constexpr int kReadWaitMs = 250;
constexpr std::size_t kLongestMessage = kLongestWindowMessage;
// Room for a burst of starts and command-line calls while the reader is busy.
constexpr int kListenBacklog = 128;

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Held while a name is checked and bound, or checked and removed, so that two
// programs never both judge one socket stale and replace each other's.
class NameLock {
public:
    explicit NameLock(const std::filesystem::path& socketPath) {
        const std::filesystem::path file = socketPath.string() + ".lock";
        fd_.reset(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd_) return;
        int result;
        do {
            result = ::flock(fd_.get(), LOCK_EX);
        } while (result != 0 && errno == EINTR);
    }

private:
    io::UniqueFd fd_;
};

// Whether a live listener answers on the path.
bool answers(const std::filesystem::path& path) {
    io::UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return probe && !connectUnix(probe.get(), path);
}

bool isSocketFile(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

std::optional<WindowRequest> readRequest(int fd) {
    std::string bytes;
    char buffer[kLongestMessage];
    while (bytes.size() < kLongestMessage && (bytes.empty() || bytes.back() != '\n')) {
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, kReadWaitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return parseWindowRequest(bytes);
}

}  // namespace

WindowEndpoint WindowEndpoint::registerTitle(std::string_view title) {
    WindowEndpoint endpoint;
    endpoint.title_ = std::string(title);
    const std::filesystem::path path = windowSocketPath(title, endpoint.error_);
    if (endpoint.error_) return endpoint;

    NameLock lock(path);
    io::UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener) {
        endpoint.error_ = lastError();
        return endpoint;
    }
    std::error_code bound = bindUnix(listener.get(), path);
    if (bound == std::errc::address_in_use) {
        if (answers(path) || !isSocketFile(path)) {
            endpoint.error_ = bound;
            return endpoint;
        }
        // Left by a process that ended without removing it.
        ::unlink(path.c_str());
        bound = bindUnix(listener.get(), path);
    }
    if (bound) {
        endpoint.error_ = bound;
        return endpoint;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || ::listen(listener.get(), kListenBacklog) != 0) {
        endpoint.error_ = lastError();
        ::unlink(path.c_str());
        return endpoint;
    }
    endpoint.device_ = info.st_dev;
    endpoint.inode_ = info.st_ino;
    endpoint.path_ = path;
    endpoint.listener_ = std::move(listener);
    return endpoint;
}

WindowEndpoint::~WindowEndpoint() {
    unregister();
}

WindowEndpoint::WindowEndpoint(WindowEndpoint&& other) noexcept
    : listener_(std::move(other.listener_)),
      path_(std::exchange(other.path_, {})),
      title_(std::move(other.title_)),
      device_(other.device_),
      inode_(other.inode_),
      error_(other.error_) {}

WindowEndpoint& WindowEndpoint::operator=(WindowEndpoint&& other) noexcept {
    if (this != &other) {
        unregister();
        listener_ = std::move(other.listener_);
        path_ = std::exchange(other.path_, {});
        title_ = std::move(other.title_);
        device_ = other.device_;
        inode_ = other.inode_;
        error_ = other.error_;
    }
    return *this;
}

void WindowEndpoint::unregister() {
    if (!listener_) return;
    listener_.reset();
    // Remove the name only while it is still ours: after a crash-and-restart
    // race another window may have taken it over.
    NameLock lock(path_);
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_)
        ::unlink(path_.c_str());
}

bool WindowReply::send(std::string_view text) {
    if (!peer_) return false;
    const net::UniqueFd peer = std::move(peer_);
    // An answer is a few lines and fits the socket's buffer at once; a peer
    // that has not read its buffer empty is not worth waiting for.
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n =
            ::send(peer.get(), text.data() + done, text.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<IncomingRequest> WindowEndpoint::receiveRequest() {
    if (!listener_) return std::nullopt;
    io::UniqueFd peer(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!peer || !peerIsThisUser(peer.get())) return std::nullopt;
    auto request = readRequest(peer.get());
    if (!request) return std::nullopt;
    return IncomingRequest{std::move(*request), std::make_shared<WindowReply>(std::move(peer))};
}

std::optional<WindowMessage> WindowEndpoint::receive() {
    // Programs that only take the posted messages ignore requests they cannot
    // answer; the asker reads no answer.
    auto incoming = receiveRequest();
    if (!incoming || !incoming->request.argument.empty()) return std::nullopt;
    return incoming->request.message;
}

std::optional<WindowMessage> WindowEndpoint::waitForMessage() {
    while (listener_) {
        pollfd watch{listener_.get(), POLLIN, 0};
        if (::poll(&watch, 1, -1) < 0 && errno != EINTR) return std::nullopt;
        if (auto message = receive()) return message;
    }
    return std::nullopt;
}

}  // namespace veilport::process
