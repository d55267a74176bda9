#include "platform/process/TopLevelWindow.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

#include "platform/io/UniqueFd.h"
#include "platform/process/PeerUser.h"
#include "platform/process/UnixSocketAddress.h"
#include "platform/process/WindowSocketName.h"

namespace veilport::process {

namespace {

// A window whose program hangs must not hang the poster: its connection
// queue can fill up, and then connect and send give up after this long.
constexpr int kGiveUpSeconds = 2;
// Answers are a few lines; anything past this is not one.
constexpr std::size_t kLongestAnswer = 1 << 20;

io::UniqueFd connectTo(const std::filesystem::path& path) {
    io::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return fd;
    const timeval limit{kGiveUpSeconds, 0};
    static_cast<void>(::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit)));
    // A socket put there by someone else would receive every command and
    // could answer anything: only a window of this user counts.
    if (connectUnix(fd.get(), path) || !peerIsThisUser(fd.get())) fd.reset();
    return fd;
}

}  // namespace

std::optional<TopLevelWindow> TopLevelWindow::find(std::string_view title) {
    std::error_code ec;
    std::filesystem::path path = windowSocketPath(title, ec);
    if (ec || !connectTo(path)) return std::nullopt;
    return TopLevelWindow(std::move(path));
}

namespace {

bool sendAll(int fd, std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<std::string> TopLevelWindow::ask(const WindowRequest& request,
                                               std::chrono::milliseconds timeout) const {
    const std::string bytes = formatWindowRequest(request);
    if (bytes.empty()) return std::nullopt;
    const io::UniqueFd fd = connectTo(path_);
    if (!fd || !sendAll(fd.get(), bytes)) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string answer;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd watch{fd.get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        const ssize_t got = ::recv(fd.get(), buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        answer.append(buffer, static_cast<std::size_t>(got));
        if (answer.size() > kLongestAnswer) return std::nullopt;
    }
    if (answer.empty()) return std::nullopt;
    return answer;
}

bool TopLevelWindow::post(WindowMessage message) const {
    const io::UniqueFd fd = connectTo(path_);
    if (!fd) return false;
    const std::string_view bytes = formatWindowMessage(message);
    return !bytes.empty() && sendAll(fd.get(), bytes);
}

}  // namespace veilport::process
