#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryTypes.h"

namespace veilport::registry {

// ASCII lower case: the store compares names without regard to ASCII case only,
// so that names in other scripts are never merged by a locale's rules.
std::string foldName(std::string_view name);

// A key path under a hive, split at backslashes with empty segments dropped.
// folded() is the store's unique name for the key: the hive's number followed
// by the folded segments, for example "1\software\veilport".
class KeyPath {
public:
    KeyPath(Root root, std::string_view path);

    std::size_t depth() const { return segments_.size(); }
    const std::string& segment(std::size_t index) const { return segments_[index]; }
    // The folded name of the first `depth` segments; all of them by default.
    std::string folded(std::size_t depth) const;
    std::string folded() const { return folded(depth()); }

private:
    Root root_;
    std::vector<std::string> segments_;
};

}  // namespace veilport::registry
