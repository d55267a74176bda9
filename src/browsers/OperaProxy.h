#pragma once

#include <cstdint>

#include "browsers/ProfileRoots.h"
#include "browsers/SwitchReport.h"

namespace veilport::browsers {

// Address written into Opera's Home URL by the setting (program-directory
// files only): a bare domain of a well-known public search engine.
inline constexpr const char* kOperaHomeUrl = "duckduckgo.com";

// One Opera file, when it exists: [Proxy] Use HTTP=1 and HTTP Server=
// 127.0.0.1:`port` (the Gateway's port), and for the two program-directory
// files [User Prefs] Home URL, recorded in the switch journal first. The
// report names the file, done or failed; a missing file is no target and
// leaves the report empty.
SwitchReport SetOperaFile(OperaFile file, std::uint16_t port);
// Back as the journal recorded it; a file the journal does not know gets
// [Proxy] Use HTTP=0 (HTTP Server and Home URL stay).
SwitchReport RestoreOperaFile(OperaFile file);

// All three files in order: program Opera6.ini, profile opera6.ini, program
// OperaDef6.ini.
SwitchReport SetOperaProxy(std::uint16_t port);
SwitchReport RestoreOperaProxy();

}  // namespace veilport::browsers
