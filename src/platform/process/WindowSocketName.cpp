#include "platform/process/WindowSocketName.h"

#include "platform/process/RuntimeDir.h"

namespace veilport::process {

std::string windowSocketName(std::string_view title) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name = "window-";
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '_';
        if (plain) {
            name += c;
        } else {
            name += '%';
            name += kHex[byte >> 4];
            name += kHex[byte & 0x0F];
        }
    }
    return name;
}

std::filesystem::path windowSocketPath(std::string_view title, std::error_code& ec) {
    const std::filesystem::path folder = runtimeDir(ec);
    if (ec) return {};
    return folder / windowSocketName(title);
}

}  // namespace veilport::process
