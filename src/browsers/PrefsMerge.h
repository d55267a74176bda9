#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veilport::browsers {

// The way back for a prefs.js or user.js that changed since the switch left
// it (Firefox rewrites prefs.js whenever it exits, and copies user.js values
// into it): each preference the switch set that still holds the switch's
// value gets back the line it had before (or loses its line when it had none);
// one the user set otherwise stays and is named in `conflicts`; every other
// line stays as it is now. Texts may have CR LF line breaks; the result has LF.
std::string MergePrefsBack(std::string_view current, std::string_view before,
                           std::string_view after, std::vector<std::string>& conflicts);

}  // namespace veilport::browsers
