#include "platform/shell/SystemVersion.h"

#include <sys/utsname.h>

#include <cstdio>

namespace veilport::shell {

bool getVersionEx(OsVersionInfo& out) {
    out = OsVersionInfo{};
    utsname name{};
    if (uname(&name) != 0) return false;
    unsigned major = 0;
    unsigned minor = 0;
    if (std::sscanf(name.release, "%u.%u", &major, &minor) >= 1) {
        out.majorVersion = major;
        out.minorVersion = minor;
    }
    return true;
}

}  // namespace veilport::shell
