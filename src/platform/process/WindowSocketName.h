#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veilport::process {

// The file name under which a window with this title listens, in the runtime
// folder: "window-" and the title, with every byte other than an ASCII letter,
// digit, '-' or '_' written as %XX, so that no title can leave the folder or
// collide with another title. Titles compare exactly, case included, as the
// window search by title does.
std::string windowSocketName(std::string_view title);

// The full path of that socket, or an empty path with ec set when there is no
// usable runtime folder.
std::filesystem::path windowSocketPath(std::string_view title, std::error_code& ec);

}  // namespace veilport::process
