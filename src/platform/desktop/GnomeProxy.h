#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

// What the proxy keys applyGnomeProxy changes hold now, one line per key:
// "<schema> <key>\t<U or D>\t<value>", D when the value is the schema's default
// (put back by a reset, so a key the user never set stays unset). Nullopt when
// gsettings cannot read them.
std::optional<std::string> CaptureGnomeProxy();

// Puts back each key that still holds what `after` recorded as `before` held
// it; a key the user changed since stays, and its name goes into `conflicts`.
// False when a gsettings call failed.
[[nodiscard]] bool RestoreGnomeProxy(const std::string& before, const std::string& after,
                                     std::vector<std::string>& conflicts);

// The file GNOME's settings live in when GSETTINGS_BACKEND is "keyfile"; it is
// recorded too, so that the way back gives it back byte for byte.
std::optional<std::filesystem::path> GnomeKeyfile();

}  // namespace veilport::desktop
