#pragma once

// Where the per-connection options live in the registry stand-in; shared by
// the writer (ConnectionOptions.cpp) and the reader (ProxyOptions.cpp).

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/RegistryTypes.h"

namespace veilport::inet::store {

inline constexpr registry::Root kRoot = registry::Root::CurrentUser;
inline constexpr std::string_view kFlagsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections\\Flags";
inline constexpr std::string_view kServerKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections\\ProxyServer";
inline constexpr std::string_view kBypassKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections\\ProxyBypass";

// The value name that holds a connection's options.
std::string valueName(const char* connection);
std::string valueName(const std::optional<std::string>& connection);

}  // namespace veilport::inet::store
