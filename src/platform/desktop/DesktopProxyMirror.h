#pragma once

#include <string>
#include <vector>

#include "platform/inet/ProxyOptions.h"

namespace veilport::desktop {

// One desktop's settings as the mirror left them.
struct MirrorOutcome {
    // "GNOME proxy settings", or the path of KDE's kioslaverc.
    std::string target;
    bool done = false;
};

// Mirrors a connection's stored proxy options into the desktop's own proxy
// settings, so that programs which never read our store (GNOME and KDE
// applications) follow the system proxy too. Each desktop found is updated and
// has its outcome listed; where neither is present the list is empty. A
// desktop left behind keeps sending programs past the proxy, so the caller
// must let the user know.
std::vector<MirrorOutcome> mirrorProxyToDesktop(const inet::ProxyOptions& options);

}  // namespace veilport::desktop
