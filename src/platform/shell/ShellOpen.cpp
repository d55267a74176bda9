#include "platform/shell/ShellOpen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>

#include "platform/text/Ascii.h"

extern char** environ;

namespace veilport::shell {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kSchemes[] = {"http://", "https://", "ftp://"};

// "scheme://..." with any scheme; "host:port/..." has no scheme of its own.
bool hasScheme(std::string_view text) {
    const auto mark = text.find("://");
    if (mark == std::string_view::npos || mark == 0) return false;
    const std::string_view scheme = text.substr(0, mark);
    return std::isalpha(static_cast<unsigned char>(scheme.front())) &&
           std::all_of(scheme.begin(), scheme.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' ||
                      c == '.';
           });
}

// Runs xdg-open through a shell that puts it in the background and ends at
// once: the opener then belongs to no one here, so nothing is left to reap
// and the caller does not wait for the browser. The target travels as a
// positional argument, never as part of the script.
bool launchDetached(const std::string& target) {
    static const char kScript[] =
        "command -v xdg-open >/dev/null 2>&1 || exit 127\n"
        "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &\n";
    const char* argv[] = {"sh", "-c", kScript, "veilport-open", target.c_str(), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv),
                      environ) != 0)
        return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class DesktopShell final : public ShellOpen {
public:
    bool openUrl(std::string_view address, WindowShow) override {
        const std::string target = browserAddress(address);
        return !target.empty() && launchDetached(target);
    }

    bool openFile(const std::filesystem::path& file, WindowShow) override {
        if (file.empty()) return false;
        // An absolute path can never be taken for an option of the opener.
        return launchDetached(std::filesystem::absolute(file).string());
    }
};

}  // namespace

std::string browserAddress(std::string_view address) {
    const auto first = address.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    address = address.substr(first, address.find_last_not_of(kBlanks) - first + 1);
    std::string result(address);
    if (!hasScheme(address)) result = "http://" + result;
    for (const std::string_view scheme : kSchemes)
        if (text::startsWithIgnoringAsciiCase(result, scheme) && result.size() > scheme.size())
            return result;
    return {};
}

ShellOpen& desktopShell() {
    static DesktopShell shell;
    return shell;
}

}  // namespace veilport::shell
