#pragma once

#include <array>
#include <string_view>

#include "settings/SettingsTable.h"

namespace veilport::browsers {

enum class Browser { InternetExplorer, Netscape, Opera, Mozilla, Firefox, Avant };

inline constexpr std::array<Browser, 6> kAllBrowsers = {
    Browser::InternetExplorer, Browser::Netscape, Browser::Opera,
    Browser::Mozilla,          Browser::Firefox,  Browser::Avant};

// The check box text of the browser page (without its "not found").
std::string_view BrowserLabel(Browser browser);
// The browser's flag under Software\Veilport.
const DwordSpec& BrowserFlag(Browser browser);
std::size_t BrowserIndex(Browser browser);

// Whether the browser is installed, from the registry keys its installer
// writes (see BrowserKeys.h). Internet Explorer always is. A key or value that
// cannot be read answers not found; probing a key never leaves one behind.
bool IsBrowserFound(Browser browser);

// 6 when the Netscape 6 (6.2.3) uninstall key exists, plus 8 when the Netscape
// Browser one does: 0, 6, 8 or 14. Netscape profile files are edited from the
// browser page only with 8 or 14; with 6 or 14 the Netscape and Mozilla boxes
// move together.
int NetscapeVersionCode();

}  // namespace veilport::browsers
