#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "app/pagekit/PageHost.h"
#include "platform/shell/ShellOpen.h"

namespace veilport::app {

// A link's way out through the window: a click on a link to a vendor page
// opens it the way the window opens every vendor page, which is the
// program's own help when the build names no vendor site.
class HostWebPages : public shell::ShellOpen {
public:
    HostWebPages(PageHost& host, std::string path) : host_(host), path_(std::move(path)) {}

    bool openUrl(std::string_view, shell::WindowShow) override {
        host_.openWebPage(path_);
        return true;
    }
    bool openFile(const std::filesystem::path&, shell::WindowShow) override { return false; }

private:
    PageHost& host_;
    const std::string path_;
};

}  // namespace veilport::app
