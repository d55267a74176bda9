#include "platform/process/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <string>
#include <thread>

#include "platform/process/RuntimeDir.h"
#include "platform/process/TopLevelWindow.h"

namespace veilport::process {

namespace {

constexpr std::chrono::milliseconds kLockRetry{20};

// The lock on the file of starts in progress, or nothing when the file cannot
// be opened or another start keeps it past `wait`.
io::UniqueFd takeStartingLock(const std::filesystem::path& folder, std::string_view mutexName,
                              std::chrono::milliseconds wait) {
    const std::filesystem::path file = folder / (std::string(mutexName) + ".starting");
    io::UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd) return fd;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) return fd;
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (std::chrono::steady_clock::now() >= deadline) break;
        // A start in progress takes a fraction of a second; a short poll keeps
        // the deadline without a thread of its own.
        std::this_thread::sleep_for(kLockRetry);
    }
    return {};
}

}  // namespace

SingleInstance SingleInstance::start(std::string_view mutexName, std::string_view windowTitle,
                                     std::chrono::milliseconds wait) {
    SingleInstance instance;
    std::error_code ec;
    const std::filesystem::path folder = runtimeDir(ec);
    if (ec) {
        instance.problem_ = runtimeDirProblem();
        if (instance.problem_.empty())
            instance.problem_ = "Veilport has no folder for its lock: " + ec.message();
        return instance;
    }
    instance.starting_ = takeStartingLock(folder, mutexName, wait);
    instance.mutex_ = NamedMutex::create(mutexName);
    if (!instance.mutex_.alreadyExisted()) return instance;
    if (const auto window = TopLevelWindow::find(windowTitle))
        instance.activatedOther_ = window->post(WindowMessage::Show);
    if (instance.activatedOther_) instance.windowReady();
    return instance;
}

}  // namespace veilport::process
