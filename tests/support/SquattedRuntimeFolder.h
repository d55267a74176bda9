#pragma once

#include <functional>
#include <optional>
#include <string>

namespace veilport::testing {

// Runs `check` in a child process that has a /tmp of its own (a private mount
// namespace), where the fallback runtime folder /tmp/veilport-<uid> already
// exists with mode 0777, as if another user had made it first, and where
// XDG_RUNTIME_DIR is unset. `check` gets that folder's path. Its answer comes
// back; nullopt when no private /tmp can be had (that needs root) or when the
// build itself lies under /tmp.
std::optional<bool> InSquattedRuntimeFolder(const std::function<bool(const std::string&)>& check);

}  // namespace veilport::testing
