#include "platform/shell/UserName.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace veilport::shell {

namespace {
constexpr std::size_t kMaxNameLength = 259;  // a 260-character buffer with its terminator

bool accept(const char* name, std::string& out) {
    if (name == nullptr || *name == '\0') return false;
    const std::string text(name);
    if (text.size() > kMaxNameLength) return false;
    out = text;
    return true;
}
}  // namespace

bool getUserName(std::string& out) {
    long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && accept(found->pw_name, out))
        return true;
    return accept(std::getenv("USER"), out) || accept(std::getenv("LOGNAME"), out);
}

}  // namespace veilport::shell
