#pragma once

// Per-connection proxy options, the stand-in for the system's Internet option
// calls: an option list (flags, proxy server, bypass list) is applied to one
// connection, named by a text, or to the LAN when the name is null.
//
// The options are kept in the registry stand-in under the current user's
// Internet Settings key, grouped by option so that any connection name (an
// empty one, one with backslashes) is usable as is:
//
//   HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections:
//       Flags\<connection>          REG_DWORD  kProxyType* bits
//       ProxyServer\<connection>    REG_SZ     the server text as given
//       ProxyBypass\<connection>    REG_SZ     the bypass list as given
//
// where <connection> is the value name: the dial-up connection's name, or
// "DefaultConnectionSettings" for the LAN (the name the system itself uses).
// An option absent from a list leaves the stored one as it is.

#include <cstdint>
#include <string_view>

namespace veilport::inet {

// Option numbers and flag bits, numbered as the system numbers them.
enum class PerConnOptionId : std::uint32_t {
    Flags = 1,
    ProxyServer = 2,
    ProxyBypass = 3,
};

inline constexpr std::uint32_t kProxyTypeDirect = 0x1;
inline constexpr std::uint32_t kProxyTypeProxy = 0x2;
inline constexpr std::uint32_t kProxyTypeAutoProxyUrl = 0x4;
inline constexpr std::uint32_t kProxyTypeAutoDetect = 0x8;

// One option: Flags uses `number`, the text options use `text` (null: empty).
struct PerConnOption {
    PerConnOptionId option = PerConnOptionId::Flags;
    std::uint32_t number = 0;
    const char* text = nullptr;
};

// The list handed to setPerConnectionOptions. `size` must hold the size of the
// structure, as callers of the system's call set it; `connection` null means
// the LAN, an empty text is a connection of that (empty) name.
struct PerConnOptionList {
    std::uint32_t size = 0;
    const char* connection = nullptr;
    std::uint32_t optionCount = 0;
    std::uint32_t optionError = 0;  // index of the option that failed
    PerConnOption* options = nullptr;
};

inline constexpr std::string_view kLanConnectionName = "DefaultConnectionSettings";

// Stores the options of the list for its connection, all or none. False when
// the list is malformed (wrong size, no options, an unknown option: then
// optionError names it) or the store refused the change.
[[nodiscard]] bool setPerConnectionOptions(PerConnOptionList& list);

}  // namespace veilport::inet
