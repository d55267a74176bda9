#pragma once

#include <vector>

#include "platform/desktop/DesktopProxyMirror.h"

namespace veilport::desktop {

// The system's "settings changed" notice. Every reader of the options reads
// the store afresh, so there is nothing to invalidate; it is kept so that the
// callers read as they would against the system.
void NotifySettingsChanged();

// The "refresh" notice: makes the LAN's stored options take effect for the
// rest of the desktop by mirroring them into the GNOME and KDE proxy settings
// where such a desktop is present (see desktop/DesktopProxyMirror.h). Returns
// what each desktop found made of it.
std::vector<desktop::MirrorOutcome> NotifyRefresh();

}  // namespace veilport::desktop
