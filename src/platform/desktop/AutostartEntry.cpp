#include "platform/desktop/AutostartEntry.h"

#include "platform/desktop/DesktopPaths.h"
#include "platform/io/AtomicFile.h"

namespace veilport::desktop {

namespace {

// The Exec key's quoting: the whole path in double quotes, with the four
// characters that are special inside them escaped, so a path with blanks or
// quotes starts the right program. Desktop entry values are then escaped
// once more, which doubles every backslash.
std::string QuotedExec(const std::string& command) {
    std::string quoted = "\"";
    for (const char c : command) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

// Keys hold one line; a line break in the path would start a new key.
bool OneLine(const std::string& text) {
    return text.find('\n') == std::string::npos && text.find('\r') == std::string::npos;
}

}  // namespace

std::filesystem::path autostartEntryPath() {
    return configHome() / "autostart" / "veilport.desktop";
}

std::string autostartEntryText(const std::string& command) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Veilport\n"
           "Comment=Browse without showing your IP address\n"
           "Exec=" +
           QuotedExec(command) +
           "\n"
           "Icon=veilport\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool mirrorRunEntry(const std::string& command) {
    const auto path = autostartEntryPath();
    std::error_code error;
    if (command.empty()) {
        std::filesystem::remove(path, error);
        return !error;
    }
    if (!OneLine(command)) return false;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) return false;
    return io::replaceFileAtomically(path, autostartEntryText(command));
}

}  // namespace veilport::desktop
