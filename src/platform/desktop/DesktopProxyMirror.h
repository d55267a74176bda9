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
    // Why not, when a person can be told more than that it failed.
    std::string reason;
};

// The journal's name for GNOME's proxy settings.
inline constexpr const char* kGnomeTarget = "GNOME proxy settings";

// Mirrors a connection's stored proxy options into the desktop's own proxy
// settings, so that programs which never read our store (GNOME and KDE
// applications) follow the system proxy too. Each desktop found is updated and
// has its outcome listed; where neither is present the list is empty. A
// desktop left behind keeps sending programs past the proxy, so the caller
// must let the user know.
//
// Pointing a desktop at a proxy records what it held in the switch journal
// first (and refuses to change it when that cannot be recorded). Going direct
// puts back what the journal recorded, so a proxy the user had set up
// themselves returns; a desktop the journal does not know is set to direct.
std::vector<MirrorOutcome> mirrorProxyToDesktop(const inet::ProxyOptions& options);

// Puts back every desktop setting the journal still holds, whether or not
// that desktop is found now.
std::vector<MirrorOutcome> RestoreDesktopFromJournal();

}  // namespace veilport::desktop
