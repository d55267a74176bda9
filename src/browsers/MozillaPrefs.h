#pragma once

// The edits made to a Mozilla-family prefs.js, as pure functions over its
// text so that they can be table-tested and fuzzed. Texts have LF line breaks
// (see ReadPrefsText).
//
// The edits work on fixed offsets from the first occurrence of each search
// key, exactly as the lines Mozilla browsers write look (PORT is the port the
// Gateway listens on, LocalPort):
//   user_pref("network.proxy.http", "127.0.0.1");   value at +33, ends at `");`
//   user_pref("network.proxy.http_port", PORT);      value at +37, ends at `);`
//   user_pref("network.proxy.ssl", "127.0.0.1");    value at +32, ends at `");`
//   user_pref("network.proxy.ssl_port", PORT);       value at +36, ends at `);`
//   user_pref("network.proxy.type", 1);              one character at +32
// Every search and deletion stays on the line of its key. A line that does not
// have that shape is replaced whole from its key on, never joined with the
// lines after it. Lines are added and taken out with their own line break, so
// switching on and off again never leaves blank lines behind.

#include <cstdint>
#include <string>
#include <string_view>

namespace veilport::browsers {

inline constexpr std::string_view kHostKey = "user_pref(\"network.proxy.http\"";
inline constexpr std::string_view kPortKey = "user_pref(\"network.proxy.http_port\"";
inline constexpr std::string_view kTypeKey = "user_pref(\"network.proxy.type\"";
inline constexpr std::string_view kHostLine = "user_pref(\"network.proxy.http\", \"127.0.0.1\");";
inline constexpr std::string_view kTypeLine = "user_pref(\"network.proxy.type\", 1);";
inline constexpr std::string_view kSslHostKey = "user_pref(\"network.proxy.ssl\"";
inline constexpr std::string_view kSslPortKey = "user_pref(\"network.proxy.ssl_port\"";
inline constexpr std::string_view kSslHostLine = "user_pref(\"network.proxy.ssl\", \"127.0.0.1\");";

// The port lines naming `port`.
std::string PortLine(std::uint16_t port);
std::string SslPortLine(std::uint16_t port);

// The file's bytes with CR LF turned into LF.
std::string ReadPrefsText(std::string_view bytes);

// Points the text at 127.0.0.1:`port` for HTTP and HTTPS: an existing host,
// port or type value is replaced, missing lines are appended each on a line of
// its own. When the HTTP host line is missing, the lines come in the order
// host, port, SSL host, SSL port, type (the SSL lines are looked for all the
// same).
std::string SetMozillaProxyText(std::string text, std::uint16_t port);

// Takes the HTTP and SSL port lines and the type line out, each with its line
// break; the host lines stay. (The journal puts back exactly what a file held;
// this is the way back for a file the journal does not know.)
std::string RestoreMozillaProxyText(std::string text);

}  // namespace veilport::browsers
