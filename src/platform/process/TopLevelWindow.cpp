#include "platform/process/TopLevelWindow.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

#include "platform/io/UniqueFd.h"
#include "platform/process/UnixSocketAddress.h"
#include "platform/process/WindowSocketName.h"

namespace veilport::process {

namespace {

// A window whose program hangs must not hang the poster: its connection
// queue can fill up, and then connect and send give up after this long.
constexpr int kGiveUpSeconds = 2;

io::UniqueFd connectTo(const std::filesystem::path& path) {
    io::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return fd;
    const timeval limit{kGiveUpSeconds, 0};
    static_cast<void>(::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit)));
    if (connectUnix(fd.get(), path)) fd.reset();
    return fd;
}

}  // namespace

std::optional<TopLevelWindow> TopLevelWindow::find(std::string_view title) {
    std::error_code ec;
    std::filesystem::path path = windowSocketPath(title, ec);
    if (ec || !connectTo(path)) return std::nullopt;
    return TopLevelWindow(std::move(path));
}

bool TopLevelWindow::post(WindowMessage message) const {
    const io::UniqueFd fd = connectTo(path_);
    if (!fd) return false;
    const std::string_view bytes = formatWindowMessage(message);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd.get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace veilport::process
