#pragma once

#include <cstdint>

namespace veilport::shell {

// Platform ids as the system's version query reports them.
enum class PlatformId : std::uint32_t { Win32s = 0, Win32Windows = 1, Win32NT = 2 };

struct OsVersionInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    PlatformId platformId = PlatformId::Win32NT;
};

// The stand-in answers for a system of the NT family: Linux keeps per-user
// access lists and a user identity for each process, which is what callers
// that ask for the family want to know. The version numbers are the kernel's.
[[nodiscard]] bool getVersionEx(OsVersionInfo& out);

}  // namespace veilport::shell
