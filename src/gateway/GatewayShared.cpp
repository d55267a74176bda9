#include "gateway/GatewayShared.h"

#include <system_error>
#include <thread>

namespace veilport {

bool StartDetachedThread(std::function<void()> body) {
    try {
        std::thread(std::move(body)).detach();
        return true;
    } catch (const std::system_error&) {
        // Out of threads or memory: the caller closes what the thread would have served.
        return false;
    }
}

}  // namespace veilport
