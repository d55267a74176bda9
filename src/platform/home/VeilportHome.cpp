#include "platform/home/VeilportHome.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace veilport::home {

namespace {
const char* nonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}
}  // namespace

std::filesystem::path userHome() {
    if (const char* home = nonEmptyEnv("HOME")) return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

std::filesystem::path veilportHome() {
    if (const char* home = nonEmptyEnv("VEILPORT_HOME")) return home;
    if (const char* config = nonEmptyEnv("XDG_CONFIG_HOME"))
        return std::filesystem::path(config) / "veilport";
    return userHome() / ".config" / "veilport";
}

}  // namespace veilport::home
