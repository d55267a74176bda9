#pragma once

#include "platform/inet/ProxyOptions.h"

namespace veilport::desktop {

// Mirrors a connection's stored proxy options into the desktop's own proxy
// settings, so that programs which never read our store (GNOME and KDE
// applications) follow the system proxy too. Each desktop found is updated;
// where neither is present nothing happens. Failures are not reported: the
// stored options remain the record, as the system's own refresh is silent.
void MirrorProxyToDesktop(const inet::ProxyOptions& options);

}  // namespace veilport::desktop
