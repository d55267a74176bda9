#pragma once

#include <string>
#include <string_view>

namespace veilport {

// A setting path such as "Software\Veilport\UseProxy", split into the key path
// and the value name. Leading backslashes of the whole path and of the value
// name are dropped, and trailing backslashes of the key path; a path without a
// backslash names a value directly under the root.
struct SettingPath {
    std::string keyPath;
    std::string valueName;

    static SettingPath split(std::string_view path);
};

}  // namespace veilport
