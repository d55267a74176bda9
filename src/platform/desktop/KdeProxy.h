#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/desktop/DesktopProxySettings.h"

namespace veilport::desktop {

// The KDE side of the mirror: the [Proxy Settings] group of kioslaverc in the
// configuration folder. KDE counts as present when kioslaverc or kdeglobals
// exists there. Running KDE programs read the file again when they next start
// a transfer or restart.
std::filesystem::path kioslavercPath();
bool kdePresent();

// ProxyType 1 with "http://HOST PORT" for http, https and ftp and NoProxyFor
// from the ignore-hosts, or ProxyType 0 when `settings` is direct. Every
// other line of the file is kept; the file is replaced atomically.
[[nodiscard]] bool applyKdeProxy(const DesktopProxySettings& settings);

// The kioslaverc text with those entries; nullopt when one cannot be written.
std::optional<std::string> KdeProxyFileText(const std::string& text,
                                            const DesktopProxySettings& settings);

}  // namespace veilport::desktop
