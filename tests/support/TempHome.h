#pragma once

#include <filesystem>
#include <string>

namespace veilport::testing {

// A fresh temporary folder used as VEILPORT_HOME, HOME and every XDG folder for
// the life of the object, so nothing a test does reaches the user's own files.
// The registry store is reopened from it. The folder is removed at the end.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& path() const { return root_; }
    // The Veilport home inside it.
    std::filesystem::path veilportHome() const { return root_ / "veilport"; }

private:
    std::filesystem::path root_;
};

}  // namespace veilport::testing
