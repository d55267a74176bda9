#include "support/TempHome.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

#include "platform/registry/Registry.h"

namespace veilport::testing {

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veilport-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    const auto set = [](const char* name, const std::filesystem::path& value) {
        std::filesystem::create_directories(value);
        setenv(name, value.c_str(), 1);
    };
    set("VEILPORT_HOME", veilportHome());
    set("HOME", root_ / "home");
    set("XDG_CONFIG_HOME", root_ / "home" / ".config");
    set("XDG_DATA_HOME", root_ / "home" / ".local" / "share");
    set("XDG_CACHE_HOME", root_ / "home" / ".cache");
    set("XDG_STATE_HOME", root_ / "home" / ".local" / "state");
    set("XDG_RUNTIME_DIR", root_ / "run");
    std::filesystem::permissions(root_ / "run", std::filesystem::perms::owner_all);
    registry::resetProcessStore();
}

TempHome::~TempHome() {
    registry::resetProcessStore();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

}  // namespace veilport::testing
