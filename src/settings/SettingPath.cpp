#include "settings/SettingPath.h"

namespace veilport {

SettingPath SettingPath::split(std::string_view path) {
    const auto firstKept = path.find_first_not_of('\\');
    path = firstKept == std::string_view::npos ? std::string_view{} : path.substr(firstKept);

    const auto lastSlash = path.rfind('\\');
    if (lastSlash == std::string_view::npos) return {std::string{}, std::string(path)};

    std::string_view key = path.substr(0, lastSlash);
    std::string_view name = path.substr(lastSlash + 1);
    // After the last backslash there is none left, so the name has nothing to trim.
    const auto keyEnd = key.find_last_not_of('\\');
    key = keyEnd == std::string_view::npos ? std::string_view{} : key.substr(0, keyEnd + 1);
    return {std::string(key), std::string(name)};
}

}  // namespace veilport
