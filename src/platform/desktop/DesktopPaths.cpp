#include "platform/desktop/DesktopPaths.h"

#include <cstdlib>

#include "platform/home/VeilportHome.h"

namespace veilport::desktop {

std::filesystem::path ConfigHome() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
        return config;
    return home::userHome() / ".config";
}

}  // namespace veilport::desktop
