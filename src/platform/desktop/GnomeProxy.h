#pragma once

#include "platform/desktop/DesktopProxySettings.h"

namespace veilport::desktop {

// The GNOME side of the mirror, through the gsettings tool and the schema
// org.gnome.system.proxy.
//
// GNOME counts as present only when gsettings and the schema are installed
// and the settings it would change belong to this user's configuration folder:
// either GSETTINGS_BACKEND names a backend that writes there or nowhere
// ("keyfile", "memory"), or the dconf database $XDG_CONFIG_HOME/dconf/user
// exists. A process whose HOME points at a scratch folder therefore never
// reaches the real session's settings through the dconf service.
bool gnomePresent();

// Manual mode with host and port for http, https and ftp and the ignore-hosts
// list, mode "manual" written last; or mode "none" when `settings` is direct
// (hosts and ports are then left as they were). False when a gsettings call
// failed.
[[nodiscard]] bool applyGnomeProxy(const DesktopProxySettings& settings);

}  // namespace veilport::desktop
