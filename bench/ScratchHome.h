#pragma once

// A scratch Veilport home for one benchmark run, removed at the end.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/registry/Registry.h"

namespace veilport::bench {

class ScratchHome {
public:
    ScratchHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veilport-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
        setenv("VEILPORT_HOME", root_.c_str(), 1);
        registry::resetProcessStore();
    }
    ~ScratchHome() {
        registry::resetProcessStore();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

private:
    std::filesystem::path root_;
};

}  // namespace veilport::bench
