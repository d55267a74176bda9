#pragma once

#include <string>

namespace veilport::shell {

// The user's logon name: the password database's name for the effective user
// id, else $USER or $LOGNAME. False when none of them gives a name, or when
// the name would not fit the system's 260-character buffer.
[[nodiscard]] bool getUserName(std::string& out);

}  // namespace veilport::shell
