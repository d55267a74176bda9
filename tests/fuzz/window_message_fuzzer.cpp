// Bytes another program sends to a window, and texts handed to the desktop's
// opener: neither may crash, and what comes out keeps its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/process/WindowMessage.h"
#include "platform/process/WindowSocketName.h"
#include "platform/shell/ShellOpen.h"
#include "platform/text/Ascii.h"

using namespace veilport;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (const auto message = process::parseWindowMessage(bytes)) {
        if (process::formatWindowMessage(*message) != bytes) std::abort();
    }
    if (const auto request = process::parseWindowRequest(bytes)) {
        if (process::formatWindowRequest(*request) != bytes) std::abort();
    }

    for (const char c : process::windowSocketName(bytes)) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '%';
        if (!safe) std::abort();
    }

    // Only web addresses, never a file, a program or an option of the opener.
    const std::string address = shell::browserAddress(bytes);
    if (!address.empty()) {
        const auto mark = address.find("://");
        if (mark == std::string::npos) std::abort();
        const std::string scheme = text::asciiLowered(address.substr(0, mark));
        if (scheme != "http" && scheme != "https" && scheme != "ftp") std::abort();
        if (address.size() == mark + 3) std::abort();
    }
    return 0;
}
