#include "platform/process/TerminateHandler.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace veilport::process {

namespace {
extern "C" void exitAtOnce(int) {
    ::_exit(0);
}
}  // namespace

std::error_code installTerminateExitHandler() {
    struct sigaction action {};
    action.sa_handler = exitAtOnce;
    sigemptyset(&action.sa_mask);
    if (::sigaction(SIGTERM, &action, nullptr) != 0) return {errno, std::generic_category()};
    return {};
}

}  // namespace veilport::process
