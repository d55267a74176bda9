#pragma once

// The preferences that keep Firefox from going around the Gateway while
// anonymity is on: no direct connection when the proxy fails, no proxy bypass
// for system requests, no DNS-over-HTTPS of its own, WebRTC only through the
// proxy and only on the default address, names resolved by the proxy. They go
// into the profile's user.js, which Firefox reads at start and never rewrites
// (it rewrites prefs.js whenever it exits).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veilport::browsers {

struct LeakPref {
    std::string_view name;
    std::string_view value;
};

inline constexpr LeakPref kLeakPrefs[] = {
    {"network.proxy.failover_direct", "false"},
    {"network.proxy.allow_bypass", "false"},
    {"network.trr.mode", "5"},
    {"media.peerconnection.ice.proxy_only_if_behind_proxy", "true"},
    {"media.peerconnection.ice.default_address_only", "true"},
    {"network.proxy.socks_remote_dns", "true"},
};

// `user_pref("NAME", VALUE);`
std::string PrefLineText(std::string_view name, std::string_view value);

// The line of the text that sets `name` (leading blanks allowed), without its
// line break; nullopt when no line does.
std::optional<std::string> FindPrefLine(std::string_view text, std::string_view name);

// The user.js text with every leak preference set: a line of the user's that
// sets one of them is replaced where it stands, the missing ones are appended;
// every other line stays as the user wrote it.
std::string SetLeakPrefsText(std::string text);

// Takes out exactly the lines SetLeakPrefsText writes (the way back for a
// user.js the journal does not know).
std::string RemoveLeakPrefsText(std::string text);

// The preference names the switch may change in a profile, proxy lines first.
std::vector<std::string_view> SwitchedPrefNames();

}  // namespace veilport::browsers
