#pragma once

#include <string>
#include <string_view>

namespace veilport::closer {

// How Quenchor knows Veilport without sharing any of its code: the title of
// its main window and the file name of its executable (compared without
// regard to case).
inline constexpr std::string_view kVeilportWindowTitle = "Veilport";
inline constexpr std::string_view kVeilportExecutable = "veilport";

inline constexpr std::string_view kPollPath = "/veilport/poll.html";

// The poll page on the vendor's web site, whose host is chosen at build time.
inline std::string pollPageAddress() {
    return std::string("http://") + VEILPORT_VENDOR_HOST + std::string(kPollPath);
}

}  // namespace veilport::closer
