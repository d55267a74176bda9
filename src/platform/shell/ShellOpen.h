#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veilport::shell {

// How the opened program's window should appear. The desktop's own opener
// decides in the end; a test shell records what was asked.
enum class WindowShow {
    Normal,
    Maximized,
};

// The desktop shell service that opens web pages in the user's browser and
// files in the program the desktop associates with them. The program asks
// it and does not look at the answer beyond logging; a shell that records
// the requests stands in for it in tests.
class ShellOpen {
public:
    virtual ~ShellOpen() = default;

    // Opens a web address in the browser. True when the request was handed to
    // the desktop.
    [[nodiscard]] virtual bool openUrl(std::string_view address, WindowShow show) = 0;

    // Opens a file with the desktop's program for it.
    [[nodiscard]] virtual bool openFile(const std::filesystem::path& file, WindowShow show) = 0;
};

// The address that is handed to the browser for `address`: surrounding blanks
// dropped, and "http://" put in front of an address without a scheme
// ("www.example.com/page"), as a browser's address bar would. Empty when the
// result is not an http, https or ftp address: the opener is never handed a
// file, a program or an option.
std::string browserAddress(std::string_view address);

// The desktop's shell: xdg-open, started detached so that the caller never
// waits for the browser. Shared by the whole process.
ShellOpen& desktopShell();

}  // namespace veilport::shell
