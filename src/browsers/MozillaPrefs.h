#pragma once

// The edits made to a Mozilla-family prefs.js, as pure functions over its
// text so that they can be table-tested and fuzzed. Texts have LF line breaks
// (see ReadPrefsText).
//
// The edits work on fixed offsets from the first occurrence of each search
// key, exactly as the lines Mozilla browsers write look:
//   user_pref("network.proxy.http", "127.0.0.1");   value at +33, ends at `");`
//   user_pref("network.proxy.http_port", 8080);      value at +37, ends at `);`
//   user_pref("network.proxy.type", 1);              one character at +32
// so they keep working on files with odd spacing only as far as those offsets
// allow; a key too close to the end of the text gets its value at the end.

#include <string>
#include <string_view>

namespace veilport::browsers {

inline constexpr std::string_view kHostKey = "user_pref(\"network.proxy.http\"";
inline constexpr std::string_view kPortKey = "user_pref(\"network.proxy.http_port\"";
inline constexpr std::string_view kTypeKey = "user_pref(\"network.proxy.type\"";
inline constexpr std::string_view kHostLine = "user_pref(\"network.proxy.http\", \"127.0.0.1\");";
inline constexpr std::string_view kPortLine = "user_pref(\"network.proxy.http_port\", 8080);";
inline constexpr std::string_view kTypeLine = "user_pref(\"network.proxy.type\", 1);";

// The file's bytes with CR LF turned into LF.
std::string ReadPrefsText(std::string_view bytes);

// Points the text at 127.0.0.1:8080: an existing host, port or type value is
// replaced, missing lines are appended each after a line break (all three, in
// the order host, port, type, when the host line is missing).
std::string SetMozillaProxyText(std::string text);

// Takes the port line's text out (its line break stays) and deletes the 35
// characters of the type line; the host line stays.
std::string RestoreMozillaProxyText(std::string text);

}  // namespace veilport::browsers
