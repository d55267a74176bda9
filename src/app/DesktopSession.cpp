#include "app/DesktopSession.h"

#include <sys/socket.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/io/UniqueFd.h"
#include "platform/process/UnixSocketAddress.h"

namespace veilport::app {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool CanOpenX() {
    if (Env("DISPLAY").empty()) return false;
    // The same library the toolkit's X platform uses, so that what it accepts
    // (a display name, its authority file) is judged the same way.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

bool CanOpenWayland() {
    const std::string name = Env("WAYLAND_DISPLAY");
    if (name.empty()) return false;
    std::filesystem::path socket = name;
    if (socket.is_relative()) {
        const std::string runtime = Env("XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        socket = std::filesystem::path(runtime) / name;
    }
    io::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return fd && !process::connectUnix(fd.get(), socket);
}

}  // namespace

bool CanOpenDesktopSession() {
    const std::string platforms = Env("QT_QPA_PLATFORM");
    if (platforms.empty()) return CanOpenWayland() || CanOpenX();
    // A list of platforms to try in turn ("wayland;xcb"), each perhaps with
    // options after a colon.
    std::string_view rest = platforms;
    while (!rest.empty()) {
        const auto end = rest.find(';');
        std::string_view entry = rest.substr(0, end);
        entry = entry.substr(0, entry.find(':'));
        if (entry == "xcb") {
            if (CanOpenX()) return true;
        } else if (entry.starts_with("wayland")) {
            if (CanOpenWayland()) return true;
        } else if (!entry.empty()) {
            return true;
        }
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace veilport::app
