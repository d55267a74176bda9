// The ini writer over arbitrary files and names: never out of bounds, never
// more than the promised lines added, and writing the same entry twice is a
// no-op the second time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/desktop/PrivateProfile.h"

using veilport::desktop::WriteProfileString;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Section, key and value come first, each ended by a NUL; the rest is the file.
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (auto& part : parts) {
        const auto end = input.find('\0');
        if (end == std::string_view::npos) return 0;
        part = input.substr(0, end);
        input.remove_prefix(end + 1);
    }
    const auto once = WriteProfileString(input, parts[0], parts[1], parts[2]);
    if (!once) return 0;
    const auto lines = [](std::string_view text) {
        return std::count(text.begin(), text.end(), '\n');
    };
    if (lines(*once) > lines(input) + 3) std::abort();
    if (once->find(parts[2]) == std::string::npos) std::abort();
    const auto twice = WriteProfileString(*once, parts[0], parts[1], parts[2]);
    if (!twice || *twice != *once) std::abort();
    return 0;
}
