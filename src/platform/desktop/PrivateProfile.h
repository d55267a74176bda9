#pragma once

// An ini-file writer that behaves like the system's private-profile writer:
// an existing key gets the new value in place, a missing key is added at the
// end of its section, a missing section at the end of the file, and every other
// line stays byte for byte. Section and key names are matched without regard
// to ASCII case and to blanks around them; the first match wins.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veilport::desktop {

// The text with `key` of `section` set to `value`. Nullopt when the names or
// the value could not be written as one line each (a line break anywhere, a
// "]" in the section, a "=" in the key, an empty name): nothing is then written,
// so no line can ever be injected. New lines take the file's own line breaks
// (CR LF when the text has any, else LF).
[[nodiscard]] std::optional<std::string> WriteProfileString(std::string_view text,
                                                            std::string_view section,
                                                            std::string_view key,
                                                            std::string_view value);

// The same on a file, replaced atomically; a missing file is created. False
// when the file cannot be read or written, or the entry is refused.
[[nodiscard]] bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                             std::string_view value,
                                             const std::filesystem::path& file);

}  // namespace veilport::desktop
